// The class identities of the runtime's own cell classes, captured once before the first cell
// is made, so that code can recognise a cell's class (or write a cell's first word) without
// constructing one. The identities are this module's: the host's copies of the same classes
// have identities of their own.
#pragma once

#include <cstddef>

#include "evaluator/cell.h"

namespace QUON_Evaluator {

enum class CellClass : std::size_t { kCell, kInteger, kFloat, kDateTime, kBool, kString, kCount };

struct CellClassTable {
    const void* identities[static_cast<std::size_t>(CellClass::kCount)];  // in CellClass order

    const void* Identity(CellClass which) const { return identities[static_cast<std::size_t>(which)]; }
    bool IsA(const EvCell& cell, CellClass which) const { return cell.ClassIdentity() == Identity(which); }
};

// The table, filled on first use (thread-safe) and at the latest while the module loads.
const CellClassTable& CellClasses();

}  // namespace QUON_Evaluator
