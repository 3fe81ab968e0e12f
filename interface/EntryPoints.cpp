// The three entry points the host resolves by their plain names.
#include "interface/LibraryObject.h"

#define QUON_ENTRY extern "C" __attribute__((visibility("default")))

QUON_ENTRY void BindToParentContext(ParentContext* context) {
    QUON_ExternLib::TheLibrary().Bind(context);
}

QUON_ENTRY QUON_ExternLib::LibraryDescriptor* LibraryData() {
    return QUON_ExternLib::TheLibrary().Data();
}

// All state is released when the library is unloaded.
QUON_ENTRY void ReleaseLibrary() {}
