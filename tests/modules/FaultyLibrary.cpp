// An extension library with the one fault that QUON_FAULT names, for the host's defences:
//   version   built for another interface version
//   noname    no library name
//   typename  a custom-type row without a type name
//   count     a million custom types claimed
//   throw     its function "fault" throws 42
//   noresult  its function "fault" never sets its result
//   string    its function "fault" returns a String where its type says Int
// Without a fault it is a good library of one function, fault(Int -> Int), the identity.
#include <cstdlib>
#include <cstring>

#include "hostabi/LibraryDescriptor.h"
#include "hostabi/ParentContext.h"

namespace {

ParentContext* host = nullptr;

bool Fault(const char* name) {
    const char* fault = std::getenv("QUON_FAULT");
    return fault != nullptr && std::strcmp(fault, name) == 0;
}

void FaultAdapter(QUON_Evaluator::EvCell* result, QUON_Evaluator::EvCell* frame) {
    if (Fault("throw")) throw 42;
    if (Fault("noresult")) return;
    if (Fault("string")) return host->setString(result, "text", 4);
    const auto* argument = reinterpret_cast<const std::int64_t*>(reinterpret_cast<const char*>(frame) + 16);
    host->setInt(result, argument[1]);  // argument 0's payload: the cell's second word
}

const QUON_ExternLib::FunctionEntry kRows[] = {
    {"fault", &FaultAdapter, "( Int -> Int )", "a faulty function"}};
const QUON_ExternLib::CustomTypeEntry kTypes[] = {{nullptr, nullptr, nullptr, nullptr, 0}};

}  // namespace

#define FAULTY_ENTRY extern "C" __attribute__((visibility("default")))

FAULTY_ENTRY void BindToParentContext(ParentContext* context) {
    host = context;
}

FAULTY_ENTRY QUON_ExternLib::LibraryDescriptor* LibraryData() {
    static QUON_ExternLib::LibraryDescriptor descriptor;
    descriptor.interfaceVersion = Fault("version") ? 300 : QUON_ExternLib::kInterfaceVersion;
    descriptor.libraryName = Fault("noname") ? nullptr : "FaultyLibrary";
    descriptor.customTypeCount = Fault("count") ? 1000000 : Fault("typename") ? 1 : 0;
    descriptor.customTypes = kTypes;
    descriptor.functionCount = 1;
    descriptor.functions = kRows;
    descriptor.pointerSize = sizeof(void*);
    descriptor.buildConfiguration = "RELEASE";
    return &descriptor;
}

FAULTY_ENTRY void ReleaseLibrary() {}
