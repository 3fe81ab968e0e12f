// Reads what a host wants to know about a built module from its ELF file: the dynamic
// symbols it defines or imports, every symbol of its full table (hidden ones included, for
// tools that reach inside a loaded module), and the size of its thread-local segment.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace quon_host {

class ElfImage {
public:
    // Reads the file; throws std::runtime_error when it cannot be read or is not a 64-bit ELF file.
    explicit ElfImage(const std::string& path);
    // The same for bytes already read. Nothing of them is trusted: every offset, count, link and
    // name is checked where it is used, and what does not fit is a std::runtime_error.
    explicit ElfImage(std::vector<char> bytes);

    std::set<std::string> DefinedDynamicSymbols() const;
    // Thread-local symbols the module takes from another module.
    std::set<std::string> ImportedThreadLocals() const;
    // The link-time address of a symbol of the full table (.symtab), if the file keeps one.
    std::optional<std::uint64_t> SymbolAddress(const std::string& name) const;
    // Bytes of the thread-local segment (PT_TLS memory size); 0 without one.
    std::uint64_t ThreadLocalSegmentSize() const;

private:
    template <class Visit>
    void ForEachSymbol(std::uint32_t tableType, Visit visit) const;

    std::vector<char> image;
};

// The address at which a symbol of the full table lies in a dlopen'ed module, or null.
void* LoadedSymbolAddress(void* moduleHandle, const ElfImage& image, const std::string& name);

}  // namespace quon_host
