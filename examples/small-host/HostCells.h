// The host's side of the binary interface: its cell kinds (array, record, custom object,
// function), the operation table it binds, the per-thread words and the stack extension, and the
// conversions between cells and the evaluator's Values.
#pragma once

#include <cstddef>
#include <string>

#include "Expr.h"
#include "Value.h"
#include "datatypes/DataType.h"
#include "hostabi/Evaluator.h"
#include "hostabi/HostThreadWords.h"
#include "hostabi/ParentContext.h"

namespace smallhost {

using QUON_DataTypes::DataType;
using QUON_Evaluator::EvCell;
using QUON_Evaluator::Evaluator;

// The table handed to BindToParentContext; static storage, unchanged until unload.
ParentContext* OperationTable();

// Where a value goes, for messages and for the function cells made for callback rows.
struct CallSite {
    RowCaller* rows;
    std::string row;
    int argument;  // from 1
};

// Empty when `value` is of `type`, else "X where Y was expected" for the first part that is not.
std::string Mismatch(const Value& value, DataType& type);
// A new cell at `place` holding `value`, which Mismatch has accepted for `type`.
void MakeCell(void* place, const Value& value, DataType& type, const CallSite& site);
// The value of a host cell (a copy or a share of its own: the cell keeps what it owns).
Value ToValue(const EvCell& cell);
void ReleaseCell(void* cell);
void MakeInvalidCell(void* place);

// The per-case evaluator: storage from ::operator new with one invalid cell at the bottom, both
// frame pointers on it and the frame-byte stack {0}.
Evaluator* NewEvaluator();
void DeleteEvaluator(Evaluator* evaluator);

// The calling thread's stack: its lowest address, for the reserve the stack extension hands out.
void SetThreadStackLow(char* low);
std::size_t ExtensionsEntered();

// The evaluator's state as offsets (the stack may move) with the stack-limit word, to put back
// after a call that threw or to compare with afterwards.
struct Checkpoint {
    std::ptrdiff_t depth, base, limit;
    std::size_t frameBytes, extensions;
    void* stackLimit;

    static Checkpoint Take(const Evaluator& e);
    // Pops and releases the cells pushed since, restores frames, the limit and the extensions.
    void Restore(Evaluator& e) const;
    // What differs between this state and `now`, one text per field; empty when nothing does.
    std::string Differences(const Checkpoint& now) const;
};

}  // namespace smallhost
