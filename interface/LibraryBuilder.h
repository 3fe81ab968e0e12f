// What an extension library declares about itself. Every library defines DescribeLibrary once;
// the library object runs it on the first LibraryData (and again after a build that an exception
// cut short), and publishes the rows in the order they were added:
//
//   void QUON_ExternLib::DescribeLibrary(LibraryBuilder& library) {
//       library.Name("HelloExtension", zul::VersionInfo(1, 0, 0, ""));
//       library.Class<Counter, &Counter::Text>("Counter");         // or CustomType<T>(row)
//       library.Add<&Counter::Next>("next", "The next value.");    // "( Counter -> Int )"
//       library.Add<&Gcd>("gcd", "Greatest common divisor.");            // "( Int * Int -> Int )"
//       library.Add<&Cells>("cells", "...", "( Array[Array[Int]] -> Int )");  // a literal text
//       library.AddRow({"sqrtC", &HandFloatAdapter<&Sqrt>, "(Float -> Float)", "..."});
//   }
//
// Row names and descriptions outside the library's image are copied; the library's name, literal type texts and custom type
// names are not, and must live as long as the library (string literals do). What cannot be
// published stops the build of the descriptor with a std::logic_error that names the row or the
// type: a class the signature names but that is not registered, a name that is not a function
// name or is added twice, a row without an adapter or type, a literal type text that says
// another type than the signature (or a record binding's text that disagrees with its fields), a
// custom type name that is not a type name or is taken, a library without a name.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <tuple>
#include <typeinfo>

#include "externlib/Adapter.h"
#include "externlib/RecordBinding.h"
#include "interface/LibraryObject.h"
#include "memory/InterModuleProxy.h"

namespace QUON_ExternLib {

// The generated adapter and the derived type string of a native function, for rows that pair
// them differently (one adapter serving several rows, a text derived from another function).
template <auto Function>
constexpr AdapterFn kGenerated = &Bind<Function>::Adapter;
template <auto Function>
const char* DerivedType() {
    return Bind<Function>::TypeString();
}

namespace detail {

// A registered class's defaults: its destructor, and its Quon name as its text.
template <class T>
void DeleteObject(void* object) {
    delete static_cast<T*>(object);
}
template <class T>
zul::InterModuleProxy<std::string>* NameAsText(void*) {
    return new zul::InterModuleProxy<std::string>(Caster<T*>::Name());
}
// The text the author's function gives: a member (std::string Text() const) or a free function
// of the object (std::string Text(const T&)).
template <class T, auto TextOf>
zul::InterModuleProxy<std::string>* TextOfObject(void* object) {
    return new zul::InterModuleProxy<std::string>(std::string(std::invoke(TextOf, *static_cast<const T*>(object))));
}

}  // namespace detail

class LibraryBuilder {
public:
    explicit LibraryBuilder(LibraryObject& library) : library(library) {}

    // The library's name and version as the host shows them.
    void Name(const char* name, const zul::VersionInfo& version) { library.SetName(name, version); }

    // Registers the native class T as a custom type. Register it before any row whose signature
    // names it: the classes are resolved when the row is added. A row without destroy deletes the
    // object; one without toText shows the type's name.
    template <class T>
    void CustomType(const CustomTypeEntry& row) {
        static_assert(CustomClass<T>,
                      "a custom type is a class of the library's own (not an array or a string)");
        CustomTypeEntry completed = row;
        if constexpr (std::is_destructible_v<T>)
            if (completed.destroy == nullptr) completed.destroy = &detail::DeleteObject<T>;
        if (completed.toText == nullptr) completed.toText = &detail::NameAsText<T>;
        library.RegisterCustomType(typeid(T), completed);
    }

    // Registers the class T under the Quon name `name` (a string that lives as long as the
    // library, a literal): the host destroys its objects with T's destructor and shows each as
    // TextOf gives it, a member function or a free function of a const T& returning a string
    // (none: the name itself).
    //
    //   library.Class<Counter, &Counter::Text>("Counter");
    template <class T, auto TextOf = nullptr>
    void Class(const char* name) {
        static_assert(CustomClass<T> && std::is_destructible_v<T>,
                      "Class<T> registers a class of the library's own with a public destructor");
        CustomTypeEntry row{name, nullptr, &detail::DeleteObject<T>, &detail::NameAsText<T>, 0};
        if constexpr (!std::is_null_pointer_v<decltype(TextOf)>) {
            static_assert(std::is_invocable_v<decltype(TextOf), const T&> &&
                              std::is_constructible_v<std::string, std::invoke_result_t<decltype(TextOf), const T&>>,
                          "Class<T, TextOf>: TextOf is a const member function of T, or a function of a "
                          "const T&, that returns a string");
            row.toText = &detail::TextOfObject<T, TextOf>;
        }
        library.RegisterCustomType(typeid(T), row);
    }

    // A row for a native function (a member function takes its object first; a lambda without
    // captures is written as the template argument itself): its generated adapter and, unless a
    // literal text is given, its derived type string (derived either way, so that the classes it
    // names are resolved and a literal is checked against it).
    template <auto Function>
    void Add(const char* name, const char* description, const char* literalType = nullptr) {
        if constexpr (Bind<Function>::kBindable)
            boundRowIndex<Function> = library.AddGenerated(
                {name, kGenerated<Function>, literalType, description}, &CheckedDerivedType<Function>);
    }

    // The same, with the names of the function's parameters, which hosts show beside the row's
    // type (quon-host list): one name per parameter.
    //
    //   library.Add<&Gcd>("gcd", "Greatest common divisor of two Ints.", {"a", "b"});
    template <auto Function>
    void Add(const char* name, const char* description, std::initializer_list<const char*> parameterNames,
             const char* literalType = nullptr) {
        if constexpr (Bind<Function>::kBindable) {
            Add<Function>(name, description, literalType);
            library.SetParameterNames(library.LastRow(), parameterNames,
                                      std::tuple_size_v<typename Bind<Function>::Types> - 1);
        }
    }

    // A row exactly as given (a hand-written adapter, a shared adapter, a literal text): its text
    // is published as it stands.
    void AddRow(const FunctionEntry& row) { library.AppendFunction(row); }

private:
    // The derived type text of Function's row `name`, once the classes it names are resolved and
    // each record binding its types are made of that gives a literal text is checked against its
    // fields. One function per bound function, called from the library object, so that
    // DescribeLibrary stays a short list of calls.
    template <auto Function>
    static const char* CheckedDerivedType(LibraryObject& library, const char* name) {
        const char* derived = nullptr;
        try {
            derived = DerivedType<Function>();
        } catch (const UnregisteredClass& error) {
            library.RefuseRow(name, error.what());
        }
        std::apply(
            [&](auto... types) {
                (ForEachRecordLiteral<typename decltype(types)::type>(
                     [&](const std::type_info& structure, const char* literal, auto assemble) {
                         if (!library.RecordLiteralChecked(literal))
                             library.CheckRecordLiteral(name, structure, literal, assemble());
                     }),
                 ...);
            },
            typename Bind<Function>::Types{});
        return derived;
    }

    LibraryObject& library;
};

// Defined by every extension library: names it and adds its custom types and rows.
void DescribeLibrary(LibraryBuilder& library);

}  // namespace QUON_ExternLib
