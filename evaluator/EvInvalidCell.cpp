#include "evaluator/EvInvalidCell.h"

#include <new>

#include "diagnostics/DiagnosticChannel.h"
#include "diagnostics/EvException.h"
#include "hostabi/Evaluator.h"
#include "hostabi/HostThreadWords.h"

namespace QUON_Evaluator {

void ReportCellEvaluated() {
    Evaluator* evaluator = HostCurrentEvaluator();
    if (evaluator != nullptr && evaluator->channel != nullptr)
        evaluator->channel->ReportError(zul::zulStdString::tString("Error: Cell Evaluated!\n"));
    throw EvException(ErrorCode::kCellEvaluated);
}

void EvInvalidCell::PushEvaluated() {
    ReportCellEvaluated();
}

void EvInvalidCell::EvaluateInto(void*) {
    ReportCellEvaluated();
}

EvCell* EvInvalidCell::EvaluateNew() {
    ReportCellEvaluated();
}

}  // namespace QUON_Evaluator
