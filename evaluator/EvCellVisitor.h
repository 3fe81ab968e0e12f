// The host's visitor over cells. `Accept` calls exactly one entry: the generic one for cells
// without a value kind, otherwise the typed entry of the cell's class. The typed entries follow
// the generic one in this order: integer, float, bool, date-time, string.
#pragma once

namespace QUON_Evaluator {

class EvCell;
class EvIntegerCell;
class EvFloatCell;
class EvBoolCell;
class EvDateTimeCell;
class EvStringCell;

class EvCellVisitor {
public:
    virtual void VisitCell(EvCell& cell) = 0;
    virtual void VisitInteger(EvIntegerCell& cell) = 0;
    virtual void VisitFloat(EvFloatCell& cell) = 0;
    virtual void VisitBool(EvBoolCell& cell) = 0;
    virtual void VisitDateTime(EvDateTimeCell& cell) = 0;
    virtual void VisitString(EvStringCell& cell) = 0;

protected:
    ~EvCellVisitor() = default;
};

}  // namespace QUON_Evaluator
