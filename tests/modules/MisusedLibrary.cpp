// An extension library built with the binding framework whose DescribeLibrary makes the one
// mistake that QUON_MISUSE names, for the refusals of the descriptor's build:
//   unregistered  a row whose signature names a class that is never registered
//   duplicate     two rows under one name
//   unnamed       no library name
//   undefined     a literal type text naming Undefined
// Without a mistake it is a good library of one function, make(Int -> Gadget).
#include <cstdlib>
#include <cstring>
#include <string>

#include "interface/QuonExtension.h"

namespace {

struct Gadget {
    std::int64_t size;
};

Gadget* Make(std::int64_t size) {
    return new Gadget{size};
}

void Destroy(void* object) {
    delete static_cast<Gadget*>(object);
}

zul::InterModuleProxy<std::string>* Text(void* object) {
    return new zul::InterModuleProxy<std::string>("Gadget(" + std::to_string(static_cast<Gadget*>(object)->size) + ")");
}

bool Misuse(const char* name) {
    const char* misuse = std::getenv("QUON_MISUSE");
    return misuse != nullptr && std::strcmp(misuse, name) == 0;
}

}  // namespace

void QUON_ExternLib::DescribeLibrary(LibraryBuilder& library) {
    if (!Misuse("unnamed")) library.Name("Misused", zul::VersionInfo(1, 0, 0, ""));
    static const CustomTypeEntry gadgetRow{"Gadget", nullptr, &Destroy, &Text, 0};
    if (!Misuse("unregistered")) library.CustomType<Gadget>(gadgetRow);
    library.Add<&Make>("make", "A gadget of the given size.");
    if (Misuse("duplicate")) library.Add<&Make>("make", "The same name again.");
    if (Misuse("undefined")) library.AddRow({"broken", kGenerated<&Make>, "( Int -> Undefined )", "..."});
}
