#include "externlib/LibraryContext.h"

#include <string>

#include "externlib/CallbackWrapper.h"

namespace QUON_ExternLib {

constinit ParentContext* theOwnTable = nullptr;
constinit LibraryContext theLibraryContext{&theOwnTable};

__thread CallbackBinding* theCallbackBindings __attribute__((tls_model("initial-exec"))) = nullptr;
constinit std::atomic<std::uint64_t> theCallbackSerial{0};

EvCell* LiveFunctionCell(const CallbackBinding* binding, std::uint64_t tag) {
    for (const CallbackBinding* live = theCallbackBindings; live != nullptr; live = live->next)
        if (live == binding && live->tag == tag) return live->function;
    std::string row = "its row";
    const std::uint64_t index = tag & kUnknownRow;
    if (index != kUnknownRow && theLibraryContext.libraryData != nullptr) {
        const LibraryDescriptor* descriptor = theLibraryContext.libraryData();
        if (index < descriptor->functionCount)
            row = "'" + std::string(descriptor->functions[index].name) + "'";
    }
    throw std::logic_error("the Quon function passed to " + row + " was called after " + row +
                           " returned, or on another thread: a callback can be called only while its "
                           "call runs, on the thread that made it");
}

}  // namespace QUON_ExternLib
