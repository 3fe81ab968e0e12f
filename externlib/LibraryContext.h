// What the library's binding code needs of the library object: the host's operation table
// bound by BindToParentContext, the custom types registered by native type, and the way to the
// descriptor. The library object fills it; adapters, conversions and the library's functions
// read it without reaching up into interface/.
#pragma once

#include <cstddef>
#include <map>
#include <typeindex>

#include "hostabi/HostThreadWords.h"
#include "hostabi/LibraryDescriptor.h"
#include "hostabi/ParentContext.h"
#include "memory/ThreadCellPools.h"
#include "platform/Invariant.h"

namespace QUON_ExternLib {

using CustomTypeRegistry = std::map<std::type_index, CustomTypeEntry>;

struct LibraryContext {
    // Where the host's table is kept (null until bound): the library object's parentContext, which
    // the host may read too, or theOwnTable in a module without a library object (tests).
    ParentContext** tableSlot;
    const CustomTypeRegistry* typeRegistry = nullptr;  // the library object's registry
    LibraryDescriptor* (*libraryData)() = nullptr;     // the library object's LibraryData
    QuonHostReturnCellFn returnHostCell = nullptr;     // the host's cell return, if it offers one

    // Keeps the host's table in the bound slot.
    void BindTable(ParentContext* table) { *tableSlot = table; }

    // The row registered for a native type, or null.
    const CustomTypeEntry* FindCustomType(std::type_index nativeType) const {
        if (typeRegistry == nullptr) return nullptr;
        auto found = typeRegistry->find(nativeType);
        return found == typeRegistry->end() ? nullptr : &found->second;
    }
};

// The table's slot in a module without a library object, and after the library object has ended.
extern constinit ParentContext* theOwnTable;

// This module's context: one word-sized load away from every adapter.
extern constinit LibraryContext theLibraryContext;

inline LibraryContext& TheLibraryContext() {
    return theLibraryContext;
}

// The bound host table (entries are called directly, without passing the table).
inline ParentContext& Host() {
    QUON_INVARIANT(*theLibraryContext.tableSlot != nullptr, "the host's table used before it was bound");
    return **theLibraryContext.tableSlot;
}

#if defined(QUON_CHECKED_HOST)
// The checked build's checks of what the host hands the library's code (host fault otherwise):
// argument i's cell in the frame holds a cell of some loaded module.
void CheckArgumentCell(const QUON_Evaluator::EvCell* frame, std::size_t i);
// The custom objects the library has handed to setCustom and the host has not destroyed.
void RememberCustomObject(const void* object, const CustomTypeEntry* entry);
// `object` is live and of `entry`'s type, given to `use` ("destroy", "toText", "an argument");
// with `forget`, it is no longer live afterwards.
void CheckCustomObject(const void* object, const CustomTypeEntry* entry, const char* use, bool forget = false);
#endif

// Gives back the 16 bytes of a pooled cell the host made (a makeArray carrier, the result of
// evaluating a host function cell): to the host's pool when the host takes them, else to this
// thread's pool 1. Cells the host makes would otherwise drift into the library's pool for good.
inline void GiveBackHostCell(void* cell) {
    if (QuonHostReturnCellFn giveBack = theLibraryContext.returnHostCell)
        giveBack(cell);
    else
        QUON_Evaluator::FreeCell(cell);
}

}  // namespace QUON_ExternLib
