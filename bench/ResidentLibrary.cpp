#include "bench/ResidentLibrary.h"

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "host/HostContext.h"

namespace quon_bench {

namespace {

// Removes the file when the constructor is done with it, whether or not loading succeeded.
struct RemoveWhenDone {
    std::string path;
    ~RemoveWhenDone() { std::filesystem::remove(path); }
};

}  // namespace

std::string CopyOfBuiltLibrary() {
    std::string path = (std::filesystem::temp_directory_path() / "quon-bench-XXXXXX.so").string();
    const int descriptor = ::mkstemps(path.data(), 3);
    if (descriptor < 0) throw std::runtime_error("cannot create " + path);
    ::close(descriptor);
    std::error_code error;
    std::filesystem::copy_file(QUON_LIBRARY_PATH, path, std::filesystem::copy_options::overwrite_existing,
                               error);
    if (error) {
        std::filesystem::remove(path);
        throw std::runtime_error(std::string("cannot copy " QUON_LIBRARY_PATH ": ") + error.message());
    }
    return path;
}

ResidentLibrary::ResidentLibrary(const std::string& copyPath) : loaded(copyPath), image(copyPath) {
    loaded.Bind(quon_host::HostContext());
    descriptor = loaded.Data();
}

const ResidentLibrary& ResidentLibrary::Get() {
    static const ResidentLibrary library = [] {
        const RemoveWhenDone copy{CopyOfBuiltLibrary()};
        return ResidentLibrary(copy.path);
    }();
    return library;
}

void* ResidentLibrary::HiddenSymbol(const std::string& name) const {
    return quon_host::LoadedSymbolAddress(loaded.Handle(), image, name);
}

const QUON_ExternLib::FunctionEntry& ResidentLibrary::Row(const std::string& name) const {
    for (std::uint64_t i = 0; i < descriptor->functionCount; ++i)
        if (name == descriptor->functions[i].name) return descriptor->functions[i];
    throw std::runtime_error("the library publishes no row " + name);
}

}  // namespace quon_bench
