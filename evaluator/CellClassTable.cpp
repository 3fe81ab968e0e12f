#include "evaluator/CellClassTable.h"

#include "evaluator/EvStringCell.h"
#include "evaluator/PrimitiveCells.h"

namespace QUON_Evaluator {

namespace {

CellClassTable Capture() {
    const EvCell cell;
    const EvIntegerCell integer(0);
    const EvFloatCell floating(0.0);
    const EvDateTimeCell dateTime(0);
    const EvBoolCell boolean(0);
    const EvStringCell string(nullptr);
    return CellClassTable{{cell.ClassIdentity(), integer.ClassIdentity(), floating.ClassIdentity(),
                           dateTime.ClassIdentity(), boolean.ClassIdentity(), string.ClassIdentity()}};
}

// Fills the table while the module loads, before any cell code runs.
[[maybe_unused]] const CellClassTable& kLoadTimeCapture = CellClasses();

}  // namespace

const CellClassTable& CellClasses() {
    static const CellClassTable table = Capture();
    return table;
}

}  // namespace QUON_Evaluator
