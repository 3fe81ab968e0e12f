// Ownership of a pooled cell the host made: an array carrier from makeArray, or the result of
// evaluating one of the host's function cells. Released or handed over like any pooled cell,
// but its 16 bytes go back to the host when the host takes them (see GiveBackHostCell), so a
// call that returns an array leaves both modules' pools as they were.
#pragma once

#include "evaluator/PooledCell.h"
#include "externlib/LibraryContext.h"

namespace QUON_ExternLib {

using HostCell = QUON_Evaluator::BasicPooledCell<&GiveBackHostCell>;

}  // namespace QUON_ExternLib
