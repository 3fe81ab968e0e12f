// What an extension library declares about itself. Every library defines DescribeLibrary once;
// the library object runs it on the first LibraryData (and again after a build that an exception
// cut short), and publishes the rows in the order they were added:
//
//   void QUON_ExternLib::DescribeLibrary(LibraryBuilder& library) {
//       library.Name("HelloExtension", zul::VersionInfo(1, 0, 0, ""));
//       static const CustomTypeEntry counterRow{"Counter", nullptr, &DestroyCounter, &CounterText, 0};
//       library.CustomType<Counter>(counterRow);
//       library.Add<&Gcd>("gcd", "Greatest common divisor.");            // "( Int * Int -> Int )"
//       library.Add<&Cells>("cells", "...", "( Array[Array[Int]] -> Int )");  // a literal text
//       library.AddRow({"sqrtC", &HandFloatAdapter<&Sqrt>, "(Float -> Float)", "..."});
//   }
//
// Texts are not copied: names, descriptions and literal types must live as long as the library
// (string literals do). What cannot be published stops the build of the descriptor with a
// std::logic_error that names the row: a class the signature names but that is not registered, a
// name added twice, a row without a name, adapter or type, a library without a name.
#pragma once

#include <typeinfo>

#include "externlib/Adapter.h"
#include "interface/LibraryObject.h"

namespace QUON_ExternLib {

// The generated adapter and the derived type string of a native function, for rows that pair
// them differently (one adapter serving several rows, a text derived from another function).
template <auto Function>
constexpr AdapterFn kGenerated = &Bind<Function>::Adapter;
template <auto Function>
const char* DerivedType() {
    return Bind<Function>::TypeString();
}

class LibraryBuilder {
public:
    explicit LibraryBuilder(LibraryObject& library) : library(library) {}

    // The library's name and version as the host shows them.
    void Name(const char* name, const zul::VersionInfo& version) { library.SetName(name, version); }

    // Registers the native class T as a custom type. Register it before any row whose signature
    // names it: the classes are resolved when the row is added.
    template <class T>
    void CustomType(const CustomTypeEntry& row) {
        library.RegisterCustomType(typeid(T), row);
    }

    // A row for a native function: its generated adapter and, unless a literal text is given,
    // its derived type string (derived either way, so that the classes it names are resolved).
    template <auto Function>
    void Add(const char* name, const char* description, const char* literalType = nullptr) {
        if constexpr (Bind<Function>::kBindable) {
            const char* derived = nullptr;
            try {
                derived = DerivedType<Function>();
            } catch (const UnregisteredClass& error) {
                library.RefuseRow(name, error.what());
            }
            AddRow({name, kGenerated<Function>, literalType != nullptr ? literalType : derived, description});
        }
    }

    // A row exactly as given (a hand-written adapter, a shared adapter, a literal text).
    void AddRow(const FunctionEntry& row) { library.AppendFunction(row); }

private:
    LibraryObject& library;
};

// Defined by every extension library: names it and adds its custom types and rows.
void DescribeLibrary(LibraryBuilder& library);

}  // namespace QUON_ExternLib
