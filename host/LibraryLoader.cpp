#include "host/LibraryLoader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <stdexcept>

#include "platform/Platform.h"

namespace quon_host {

namespace {
constexpr const char* kLibraryFileName = "libTestExternalLibrary.so";

// Exported names of tBaseString's static members.
constexpr const char* kAllocFnImp = "_ZN3zul12zulStdString11tBaseString10allocFnImpEv";
constexpr const char* kFreeFnImp = "_ZN3zul12zulStdString11tBaseString9freeFnImpEPv";
constexpr const char* kIsUsingZulString = "_ZN3zul12zulStdString11tBaseString16isUsingZulStringEv";
constexpr const char* kSetZulStringAllocApi =
    "_ZN3zul12zulStdString11tBaseString20setZulStringAllocAPIEPvS2_";

void* ResolveSymbol(void* module, const char* symbol) {
    ::dlerror();
    void* address = ::dlsym(module, symbol);
    if (address == nullptr) throw std::runtime_error(std::string("missing entry ") + symbol);
    return address;
}

}  // namespace

StringAllocApi StringAllocApi::Resolve(void* module) {
    StringAllocApi api;
    api.allocFnImp = reinterpret_cast<void* (*)()>(ResolveSymbol(module, kAllocFnImp));
    api.freeFnImp = reinterpret_cast<void (*)(void*)>(ResolveSymbol(module, kFreeFnImp));
    api.isUsingZulString = reinterpret_cast<bool (*)()>(ResolveSymbol(module, kIsUsingZulString));
    api.setZulStringAllocAPI =
        reinterpret_cast<void (*)(void*, void*)>(ResolveSymbol(module, kSetZulStringAllocApi));
    return api;
}

LoadedLibrary::LoadedLibrary(const std::string& path) : path_(path) {
    // The library stays mapped until the process ends: cells, strings and thread-exit
    // handlers of the library may outlive this object.
    handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (handle_ == nullptr) throw std::runtime_error(std::string("cannot load library: ") + ::dlerror());
    try {
        bind_ = reinterpret_cast<BindToParentContextFn>(ResolveSymbol(handle_, "BindToParentContext"));
        data_ = reinterpret_cast<LibraryDataFn>(ResolveSymbol(handle_, "LibraryData"));
        release_ = reinterpret_cast<ReleaseLibraryFn>(ResolveSymbol(handle_, "ReleaseLibrary"));
        strings_ = StringAllocApi::Resolve(handle_);
    } catch (const std::runtime_error& error) {
        ::dlclose(handle_);
        throw std::runtime_error(path_ + ": " + error.what());
    }
}

LoadedLibrary::~LoadedLibrary() {
    if (handle_ != nullptr) ::dlclose(handle_);
}

std::string DefaultLibraryPath() {
    // The library this host was built with, else one beside the executable or in the library
    // folder of its installation, else the dynamic linker's search path.
    const std::string built = QUON_DEFAULT_LIBRARY;
    if (::access(built.c_str(), R_OK) == 0) return built;
    const std::string beside = zul::platform::ModuleFilePath();
    const auto slash = beside.rfind('/');
    if (slash != std::string::npos) {
        const std::string folder = beside.substr(0, slash + 1);
        for (const std::string& candidate :
             {folder + kLibraryFileName, folder + "../" QUON_INSTALL_LIBDIR "/" + kLibraryFileName})
            if (::access(candidate.c_str(), R_OK) == 0) return candidate;
    }
    return kLibraryFileName;
}

std::string CheckedLibraryPath(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::size_t so = path.rfind(".so");
    if (so == std::string::npos || (slash != std::string::npos && so < slash)) return "";
    return path.substr(0, so) + "Checked" + path.substr(so);
}

}  // namespace quon_host
