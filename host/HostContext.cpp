#include "host/HostContext.h"

#include "host/FaultyEntries.h"
#include "host/HostEvaluator.h"
#include "host/ValueEntries.h"

namespace quon_host {

namespace {

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
    table.prepareCall = &PrepareCall;
    table.reserved11 = [] { StopAtEntry("entry 11"); };
    table.reserved12 = [] { StopAtEntry("entry 12"); };
    table.reserved13 = [] { StopAtEntry("entry 13"); };
    table.enterStackExtension = &EnterStackExtension;
    table.leaveStackExtension = &LeaveStackExtension;
#if defined(QUON_HOST_FAULTS)
    PlantTableFaults(table);
#endif
    return table;
}

}  // namespace

ParentContext* HostContext() {
    static ParentContext table = MakeContext();
    return &table;
}

}  // namespace quon_host
