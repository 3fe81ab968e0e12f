// The built library, loaded once through the host's loader for the benchmarks that run its code,
// bound to the host's operation table and asked for its descriptor, as the host does.
//
// It is loaded from a private copy of the file, removed again once loaded: a module whose cell
// pools a thread has used stays loaded until that thread ends, and the host's loader never
// unloads, while the load benchmark must load and unload the built file itself.
#pragma once

#include <string>

#include "host/ElfImage.h"
#include "host/LibraryLoader.h"
#include "hostabi/LibraryDescriptor.h"

namespace quon_bench {

// A copy of the built library under a fresh name in the temporary folder, for a module that stays
// loaded: the load benchmark loads and unloads the built file itself. The caller removes it.
std::string CopyOfBuiltLibrary();

class ResidentLibrary {
public:
    // The process's resident library, loaded on first use; throws std::runtime_error naming what
    // failed.
    static const ResidentLibrary& Get();

    const quon_host::LoadedLibrary& Loaded() const { return loaded; }
    // The descriptor's row published under `name`; throws std::runtime_error when there is none.
    const QUON_ExternLib::FunctionEntry& Row(const std::string& name) const;
    // The run-time address of a symbol of the file's full symbol table (hidden symbols
    // included), or null when the file has no such symbol, as when it was stripped.
    void* HiddenSymbol(const std::string& name) const;

private:
    explicit ResidentLibrary(const std::string& copyPath);

    quon_host::LoadedLibrary loaded;  // the private copy, loaded until the process ends
    quon_host::ElfImage image;        // the same file, read before it was removed
    const QUON_ExternLib::LibraryDescriptor* descriptor = nullptr;  // what LibraryData gave
};

}  // namespace quon_bench
