#include "host/HostContext.h"

#include <cstdio>
#include <cstdlib>

#include "host/HostEvaluator.h"

namespace quon_host {

using QUON_Evaluator::EvCell;

void StopAtEntry(const char* entry) {
    std::fprintf(stderr,
                 "quon-host: the library called the host entry '%s', which this host does not serve\n",
                 entry);
    std::fflush(stderr);
    std::abort();
}

namespace {

ParentContext MakeContext() {
    ParentContext table{};
    table.setInt = [](EvCell*, std::int64_t) { StopAtEntry("setInt"); };
    table.setFloat = [](EvCell*, double) { StopAtEntry("setFloat"); };
    table.reserved2 = [] { StopAtEntry("entry 2"); };
    table.setBool = [](EvCell*, std::uint64_t) { StopAtEntry("setBool"); };
    table.setString = [](EvCell*, const char*, std::uint64_t) { StopAtEntry("setString"); };
    table.setCustom = [](EvCell*, void*, const QUON_ExternLib::CustomTypeEntry*) {
        StopAtEntry("setCustom");
    };
    table.getCustom = [](EvCell*) -> void* { StopAtEntry("getCustom"); };
    table.makeRecord = [](EvCell*, const void*) { StopAtEntry("makeRecord"); };
    table.makeArray = [](std::uint64_t) -> EvCell* { StopAtEntry("makeArray"); };
    table.currentEvaluator = &CurrentEvaluator;
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
