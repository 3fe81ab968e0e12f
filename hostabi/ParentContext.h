// The host's interface object: a table of plain function pointers, handed to the library by
// BindToParentContext. The library calls an entry directly, without passing the table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace QUON_Evaluator {
class EvCell;
class Evaluator;
class utilRecordNames;
}  // namespace QUON_Evaluator

namespace QUON_ExternLib {
struct CustomTypeEntry;
}

struct ParentContext {
    using EvCell = QUON_Evaluator::EvCell;

    void (*setInt)(EvCell* cell, std::int64_t value);    // 0: the cell holds that Int
    void (*setFloat)(EvCell* cell, double value);        // 1: the cell holds that Float
    void (*reserved2)();                                 // 2: not called by the library
    void (*setBool)(EvCell* cell, std::uint64_t value);  // 3: 0 or 1
    void (*setString)(EvCell* cell, const char* bytes, std::uint64_t length);  // 4: a copy of the bytes
    void (*setCustom)(EvCell* cell, void* object,
                      const QUON_ExternLib::CustomTypeEntry* entry);  // 5: the host owns the object
    void* (*getCustom)(EvCell* cell);                                 // 6: the object set by setCustom
    void (*makeRecord)(EvCell* cell,
                       const std::shared_ptr<QUON_Evaluator::utilRecordNames>* recordNames);  // 7
    EvCell* (*makeArray)(std::uint64_t count);                     // 8: a pooled carrier cell
    QUON_Evaluator::Evaluator* (*currentEvaluator)();              // 9: the thread's evaluator
    void (*prepareCall)(std::uint64_t count, std::uint64_t flag);  // 10: after pushing count cells
    void (*reserved11)();                                          // 11-13: not called
    void (*reserved12)();
    void (*reserved13)();
    void (*enterStackExtension)();  // 14: more stack for recursion
    void (*leaveStackExtension)();  // 15: undoes entry 14
};

static_assert(sizeof(ParentContext) == 16 * sizeof(void*));
static_assert(offsetof(ParentContext, setInt) == 0 * 8);
static_assert(offsetof(ParentContext, setFloat) == 1 * 8);
static_assert(offsetof(ParentContext, setBool) == 3 * 8);
static_assert(offsetof(ParentContext, setString) == 4 * 8);
static_assert(offsetof(ParentContext, setCustom) == 5 * 8);
static_assert(offsetof(ParentContext, getCustom) == 6 * 8);
static_assert(offsetof(ParentContext, makeRecord) == 7 * 8);
static_assert(offsetof(ParentContext, makeArray) == 8 * 8);
static_assert(offsetof(ParentContext, currentEvaluator) == 9 * 8);
static_assert(offsetof(ParentContext, prepareCall) == 10 * 8);
static_assert(offsetof(ParentContext, enterStackExtension) == 14 * 8);
static_assert(offsetof(ParentContext, leaveStackExtension) == 15 * 8);
