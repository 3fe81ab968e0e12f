#include "externlib/LibraryContext.h"

#include <string>

#if defined(QUON_CHECKED_HOST)
#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "platform/HostCheck.h"
#endif

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

#if defined(QUON_CHECKED_HOST)

void CheckArgumentCell(const EvCell* frame, std::size_t i) {
    QUON_HOST_CHECK(frame != nullptr, "an adapter was called with no argument frame");
    const void* identity;
    std::memcpy(&identity, static_cast<const void*>(frame + 1 + i), sizeof identity);
    const std::string cell = "argument " + std::to_string(i + 1) + "'s cell (frame cell " + std::to_string(i + 1) + ")";
    QUON_HOST_CHECK(identity != nullptr, cell + " holds no cell: its class identity is 0 (argument i lies in "
                                                "frame cell 1 + i, after an image of argument 0 in cell 0)");
    Dl_info info{};
    char word[32];
    std::snprintf(word, sizeof word, "%p", identity);
    QUON_HOST_CHECK(::dladdr(identity, &info) != 0,
                    cell + " holds no cell: its first word (" + word + ") is not a class table of a loaded module");
}

namespace {

std::mutex customObjectsLock;
// Never destroyed: the host may destroy objects after this module's statics have ended.
std::unordered_map<const void*, const CustomTypeEntry*>& CustomObjects() {
    static auto* objects = new std::unordered_map<const void*, const CustomTypeEntry*>();
    return *objects;
}

}  // namespace

void RememberCustomObject(const void* object, const CustomTypeEntry* entry) {
    const std::lock_guard lock(customObjectsLock);
    CustomObjects()[object] = entry;
}

void CheckCustomObject(const void* object, const CustomTypeEntry* entry, const char* use, bool forget) {
    const std::string name = entry != nullptr && entry->typeName != nullptr ? entry->typeName : "custom";
    QUON_HOST_CHECK(object != nullptr, std::string("getCustom gave no object for ") + use + " of type " + name);
    const CustomTypeEntry* found = nullptr;
    {
        const std::lock_guard lock(customObjectsLock);
        auto at = CustomObjects().find(object);
        if (at != CustomObjects().end()) {
            found = at->second;
            if (forget && found == entry) CustomObjects().erase(at);
        }
    }
    QUON_HOST_CHECK(found != nullptr, std::string(use) + " was given a " + name +
                                          " object that the library never handed to setCustom, or one "
                                          "already destroyed");
    QUON_HOST_CHECK(found == entry, std::string(use) + " was given an object of the custom type '" +
                                        (found->typeName != nullptr ? found->typeName : "") + "' as a " + name);
}

#endif

}  // namespace QUON_ExternLib
