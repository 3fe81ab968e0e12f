// An extension library with the one fault that QUON_FAULT names, for the host's defences:
//   version        built for another interface version
//   noname         no library name
//   typename       a custom-type row without a type name
//   count          a million custom types claimed
//   throw          its function "fault" throws 42
//   noresult       its function "fault" never sets its result
//   string         its function "fault" returns a String where its type says Int
//   notfn          the row "fault" is published with the type Int, not a function type
//   notype         the row "fault" has no type string
//   bindthrows     BindToParentContext throws 7
//   datathrows     LibraryData throws std::runtime_error("boom")
//   textthrows     Gadget's toText throws 7
//   textnull       Gadget's toText gives no text
//   destroythrows  Gadget's destroy throws std::runtime_error
//   escapestring   mandel_escape_int returns a String
//   escapenone     mandel_escape_int never sets its result
//   latin1         the row "fault" has a description that is not UTF-8 ("caf\xe9")
// Without a fault it is a good library of three functions: fault(Int -> Int), the identity;
// gadget(Int -> Gadget), an object shown as "Gadget(n)"; mandel_escape_int, which escapes at once.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include "hostabi/LibraryDescriptor.h"
#include "hostabi/ParentContext.h"
#include "memory/InterModuleProxy.h"

namespace {

ParentContext* host = nullptr;

bool Fault(const char* name) {
    const char* fault = std::getenv("QUON_FAULT");
    return fault != nullptr && std::strcmp(fault, name) == 0;
}

// Argument i's payload: the second word of the cell at frame offset 16 + 16 i.
std::int64_t Argument(QUON_Evaluator::EvCell* frame, int i) {
    return reinterpret_cast<const std::int64_t*>(reinterpret_cast<const char*>(frame) + 16 + 16 * i)[1];
}

void FaultAdapter(QUON_Evaluator::EvCell* result, QUON_Evaluator::EvCell* frame) {
    if (Fault("throw")) throw 42;
    if (Fault("noresult")) return;
    if (Fault("string")) return host->setString(result, "text", 4);
    host->setInt(result, Argument(frame, 0));
}

void DestroyGadget(void* object) {
    delete static_cast<std::int64_t*>(object);
    if (Fault("destroythrows")) throw std::runtime_error("the gadget would not go");
}

zul::InterModuleProxy<std::string>* GadgetText(void* object) {
    if (Fault("textthrows")) throw 7;
    if (Fault("textnull")) return nullptr;
    return new zul::InterModuleProxy<std::string>("Gadget(" + std::to_string(*static_cast<std::int64_t*>(object)) +
                                                  ")");
}

const QUON_ExternLib::CustomTypeEntry kGadgetRow{"Gadget", nullptr, &DestroyGadget, &GadgetText, 0};
const QUON_ExternLib::CustomTypeEntry kUnnamedRow{nullptr, nullptr, nullptr, nullptr, 0};

void GadgetAdapter(QUON_Evaluator::EvCell* result, QUON_Evaluator::EvCell* frame) {
    host->setCustom(result, new std::int64_t(Argument(frame, 0)), &kGadgetRow);
}

void EscapeAdapter(QUON_Evaluator::EvCell* result, QUON_Evaluator::EvCell*) {
    if (Fault("escapenone")) return;
    if (Fault("escapestring")) return host->setString(result, "far", 3);
    host->setInt(result, 0);
}

}  // namespace

#define FAULTY_ENTRY extern "C" __attribute__((visibility("default")))

FAULTY_ENTRY void BindToParentContext(ParentContext* context) {
    if (Fault("bindthrows")) throw 7;
    host = context;
}

FAULTY_ENTRY QUON_ExternLib::LibraryDescriptor* LibraryData() {
    if (Fault("datathrows")) throw std::runtime_error("boom");
    static QUON_ExternLib::FunctionEntry rows[] = {
        {"fault", &FaultAdapter, "( Int -> Int )", "a faulty function"},
        {"gadget", &GadgetAdapter, "( Int -> Gadget )", "a gadget"},
        {"mandel_escape_int", &EscapeAdapter, "( Float * Float * Int -> Int )", "escapes at once"}};
    if (Fault("notfn")) rows[0].typeString = "Int";
    if (Fault("notype")) rows[0].typeString = nullptr;
    if (Fault("latin1")) rows[0].description = "caf\xe9";
    static QUON_ExternLib::LibraryDescriptor descriptor;
    descriptor.interfaceVersion = Fault("version") ? 300 : QUON_ExternLib::kInterfaceVersion;
    descriptor.libraryName = Fault("noname") ? nullptr : "FaultyLibrary";
    descriptor.customTypeCount = Fault("count") ? 1000000 : 1;
    descriptor.customTypes = Fault("typename") ? &kUnnamedRow : &kGadgetRow;
    descriptor.functionCount = sizeof(rows) / sizeof(rows[0]);
    descriptor.functions = rows;
    descriptor.pointerSize = sizeof(void*);
    descriptor.buildConfiguration = "RELEASE";
    return &descriptor;
}

FAULTY_ENTRY void ReleaseLibrary() {}
