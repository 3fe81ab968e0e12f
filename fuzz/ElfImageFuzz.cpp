// libFuzzer target for the host's ELF reader (host/ElfImage.h): any bytes give its answers or a
// std::runtime_error, never a read outside them. The built library is a good seed.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "host/ElfImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const quon_host::ElfImage image(std::vector<char>(data, data + size));
        (void)image.DefinedDynamicSymbols();
        (void)image.ImportedThreadLocals();
        (void)image.SymbolAddress("LibraryData");
        (void)image.ThreadLocalSegmentSize();
    } catch (const std::runtime_error&) {
        // a refusal, as expected
    }
    return 0;
}
