#include "host/HostContext.h"

#include "host/HostEvaluator.h"
#include "host/HostFaults.h"
#include "host/HostValues.h"
#include "hostabi/HostThreadWords.h"

namespace quon_host {

namespace {

#if defined(QUON_HOST_FAULTS)
// Entry 9 as a host would get it wrong: an evaluator of the thread, but not the one it evaluates on.
QUON_Evaluator::Evaluator* EvaluatorEntry() {
    if (!Planted(Fault::kOtherEvaluator)) return CurrentEvaluator();
    thread_local EvaluatorScope* other = nullptr;
    if (other == nullptr) {
        QUON_Evaluator::Evaluator* own = CurrentEvaluator();
        void* limit = quonHostThreadWords.stackLimit;
        other = new EvaluatorScope();  // installs itself: put the thread's own words back
        quonHostThreadWords.currentEvaluator = own;
        quonHostThreadWords.stackLimit = limit;
    }
    return &other->Get();
}
#endif

ParentContext MakeContext() {
    ParentContext table{};
    table.setInt = &SetInt;
    table.setFloat = &SetFloat;
    table.reserved2 = [] { StopAtEntry("entry 2"); };
    table.setBool = &SetBool;
    table.setString = &SetString;
    table.setCustom = &SetCustom;
    table.getCustom = &GetCustom;
    table.makeRecord = &MakeRecord;
    table.makeArray = &MakeArray;
    table.currentEvaluator = &CurrentEvaluator;
#if defined(QUON_HOST_FAULTS)
    table.currentEvaluator = &EvaluatorEntry;
#endif
    table.prepareCall = &PrepareCall;
    table.reserved11 = [] { StopAtEntry("entry 11"); };
    table.reserved12 = [] { StopAtEntry("entry 12"); };
    table.reserved13 = [] { StopAtEntry("entry 13"); };
    table.enterStackExtension = &EnterStackExtension;
    table.leaveStackExtension = &LeaveStackExtension;
    return table;
}

}  // namespace

ParentContext* HostContext() {
    static ParentContext table = MakeContext();
    return &table;
}

}  // namespace quon_host
