#include "host/tool/Tool.h"

namespace quon_host {

const HostLibrary& Tool::Library() {
    if (library == nullptr)
        library = std::make_unique<HostLibrary>(libraryPath.empty() ? DefaultLibraryPath() : libraryPath,
                                                HostLibrary::Strings::kHostPool);
    return *library;
}

}  // namespace quon_host
