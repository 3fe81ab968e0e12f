// Loads an extension library with dlopen and resolves the entry points and the pooled-string
// allocation functions it exports.
#pragma once

#include <string>

#include "hostabi/LibraryDescriptor.h"

namespace quon_host {

// The four pooled-string statics a module exports, found by their mangled names.
struct StringAllocApi {
    void* (*allocFnImp)() = nullptr;
    void (*freeFnImp)(void*) = nullptr;
    bool (*isUsingZulString)() = nullptr;
    void (*setZulStringAllocAPI)(void*, void*) = nullptr;

    // Resolves them in a dlopen'ed module; throws std::runtime_error naming a missing one.
    static StringAllocApi Resolve(void* module);
};

class LoadedLibrary {
public:
    // Throws std::runtime_error with dlerror's text when the library or an entry is missing.
    explicit LoadedLibrary(const std::string& path);
    ~LoadedLibrary();
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    const std::string& Path() const { return path_; }
    void* Handle() const { return handle_; }

    void Bind(ParentContext* context) const { bind_(context); }
    QUON_ExternLib::LibraryDescriptor* Data() const { return data_(); }
    void Release() const { release_(); }
    const StringAllocApi& Strings() const { return strings_; }

private:
    std::string path_;
    void* handle_ = nullptr;
    BindToParentContextFn bind_ = nullptr;
    LibraryDataFn data_ = nullptr;
    ReleaseLibraryFn release_ = nullptr;
    StringAllocApi strings_;
};

// The library next to this executable's build, or the compiled-in default path.
std::string DefaultLibraryPath();

// The checked build of the library at `path`: the same file name with "Checked" before its
// ".so" (libTestExternalLibraryChecked.so beside libTestExternalLibrary.so); empty when the name
// has no ".so".
std::string CheckedLibraryPath(const std::string& path);

}  // namespace quon_host
