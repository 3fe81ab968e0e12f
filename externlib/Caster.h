// One conversion rule per bound native type: its Quon name in derived type strings, how an
// argument cell becomes the native value, and how a native result becomes the result cell.
//
//   Caster<T>::Name()              the type's text in a type string ("Int", "Array[Float]", ...)
//   Caster<T>::Argument(cell)      a type: holds the native value read from an argument cell (and
//                                  any temporary it needed) for the length of the call; Get() gives it
//   Caster<T>::SetResult(r, v)     writes the native result into the result cell r
//
// Arguments are read from the payload only (the host has checked the published type string);
// results go through the host's setters, except arrays, whose carrier cell moves into the
// result. Adding a bound type means adding one specialisation here, nothing else. A type
// without a rule stops the build with a message naming the problem.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <utility>

#include "evaluator/cell.h"
#include "evaluator/fArrayOfPrimitiveValues.h"
#include "externlib/HostCell.h"
#include "hostabi/LibraryContext.h"
#include "strings/tBaseString.h"
#include "strings/tString.h"

namespace QUON_ExternLib {

using QUON_Evaluator::EvCell;
using zul::zulStdString::tBaseString;
using zul::zulStdString::tString;

template <class T>
inline constexpr bool kAlwaysFalse = false;

template <class T>
struct Caster {
    static_assert(kAlwaysFalse<T>,
                  "this native type has no conversion rule: add a Caster specialisation in externlib/");
};

namespace detail {

// The payload word of a cell, bit for bit.
inline std::uint64_t Payload(const EvCell* cell) {
    return cell->Word();
}

// An argument read straight from the payload by `Read`; holds nothing else.
template <class T, T (*Read)(const EvCell*)>
struct PayloadArgument {
    explicit PayloadArgument(const EvCell* cell) : value(Read(cell)) {}
    T Get() const { return value; }
    T value;
};

}  // namespace detail

// Integers: an argument takes the low bits it needs (no range check); a result is sign-extended.
template <class T>
requires(std::is_integral_v<T> && !std::is_same_v<T, bool> && sizeof(T) <= 8) struct Caster<T> {
    static constexpr const char* Name() { return "Int"; }
    static T Read(const EvCell* cell) { return static_cast<T>(detail::Payload(cell)); }
    using Argument = detail::PayloadArgument<T, &Read>;
    static void SetResult(EvCell* result, T value) requires(std::is_signed_v<T>) {
        Host().setInt(result, static_cast<std::int64_t>(value));
    }
};

template <>
struct Caster<double> {
    static constexpr const char* Name() { return "Float"; }
    static double Read(const EvCell* cell) { return std::bit_cast<double>(detail::Payload(cell)); }
    using Argument = detail::PayloadArgument<double, &Read>;
    static void SetResult(EvCell* result, double value) { Host().setFloat(result, value); }
};

template <>
struct Caster<bool> {
    static constexpr const char* Name() { return "Bool"; }
    static bool Read(const EvCell* cell) { return detail::Payload(cell) != 0; }
    using Argument = detail::PayloadArgument<bool, &Read>;
    static void SetResult(EvCell* result, bool value) { Host().setBool(result, value ? 1 : 0); }
};

// Strings. The payload points at the argument's pooled body.
inline const tBaseString& BodyOf(const EvCell* cell) {
    return *reinterpret_cast<const tBaseString*>(detail::Payload(cell));
}

// By reference: bound to the argument's own body.
template <>
struct Caster<const tBaseString&> {
    static constexpr const char* Name() { return "String"; }
    struct Argument {
        explicit Argument(const EvCell* cell) : body(BodyOf(cell)) {}
        const tBaseString& Get() const { return body; }
        const tBaseString& body;
    };
};

// By value: a new body of this module holding a copy of the argument's text, released after the
// call into this module's pool (a copy keeping the host body's release operation would move one
// block from this module's string pool to the host's on every call). As a result: its bytes go to
// setString, then the library's body is released.
template <>
struct Caster<tString> {
    static constexpr const char* Name() { return "String"; }
    struct Argument {
        explicit Argument(const EvCell* cell) : copy(tString::Adopt(tBaseString::New(BodyOf(cell)))) {}
        tString Get() { return std::move(copy); }
        tString copy;
    };
    static void SetResult(EvCell* result, tString value) {
        const std::string& text = value.Text();
        Host().setString(result, text.data(), text.size());
    }
};

// The character data of the argument's body, zero-terminated.
template <>
struct Caster<const char*> {
    static constexpr const char* Name() { return "String"; }
    static const char* Read(const EvCell* cell) { return BodyOf(cell).c_str(); }
    using Argument = detail::PayloadArgument<const char*, &Read>;
};

template <>
struct Caster<std::string> {
    static constexpr const char* Name() { return "String"; }
    // Reads a String attribute of a record into a structure's field.
    static std::string Read(const EvCell* cell) { return BodyOf(cell); }
    static void SetResult(EvCell* result, const std::string& value) {
        Host().setString(result, value.data(), value.size());
    }
};

// Arrays: an argument is the argument cell itself, viewed as the array; a result is the carrier
// cell the native function took from the host's makeArray, which moves into the result cell.
template <class T>
struct ArrayName;
template <>
struct ArrayName<long long> {
    static constexpr const char* kText = "Array[Int]";
};
template <>
struct ArrayName<long> : ArrayName<long long> {};
template <>
struct ArrayName<double> {
    static constexpr const char* kText = "Array[Float]";
};
template <>
struct ArrayName<tBaseString*> {
    static constexpr const char* kText = "Array[String]";
};

using IntArray = QUON_Evaluator::fArrayOfPrimitiveValues<long long>;
using FloatArray = QUON_Evaluator::fArrayOfPrimitiveValues<double>;
using StringArray = QUON_Evaluator::fArrayOfPrimitiveValues<tBaseString*>;
// An array of arrays of Int: its elements are array cells, each viewed through RowOf (an
// element's payload is the row's array object, not a view, so rows are never read by value).
using IntMatrix = QUON_Evaluator::fArrayOfPrimitiveValues<IntArray*>;

template <>
struct ArrayName<IntArray*> {
    static constexpr const char* kText = "Array[Array[Int]]";
};

// Row `index` of a matrix (normalised), viewed as an array of Int.
inline IntArray* RowOf(const IntMatrix* matrix, std::int64_t index) {
    return IntArray::Of(matrix->ElementCell(index));
}

template <class T>
struct Caster<QUON_Evaluator::fArrayOfPrimitiveValues<T>*> {
    using View = QUON_Evaluator::fArrayOfPrimitiveValues<T>;
    static constexpr const char* Name() { return ArrayName<T>::kText; }
    // The view of the argument cell itself (its payload points at the host's array object).
    static View* Read(const EvCell* cell) { return View::Of(const_cast<EvCell*>(cell)); }
    using Argument = detail::PayloadArgument<View*, &Read>;
    static void SetResult(EvCell* result, View* carrier) { HostCell(carrier->Cell()).MoveImageTo(result); }
};

// A new array from the host's makeArray (the count passed on unchanged) for a native function to
// fill and return. Until it is handed over, by Take() as the function's result or by MoveInto()
// an element of an outer array, the guard owns the carrier: leaving by an exception releases
// the array and gives the cell back to the pool.
template <class T>
class NewArray {
public:
    using View = QUON_Evaluator::fArrayOfPrimitiveValues<T>;

    explicit NewArray(std::int64_t count) : carrier(Host().makeArray(static_cast<std::uint64_t>(count))) {}
    NewArray(const NewArray&) = delete;
    NewArray& operator=(const NewArray&) = delete;
    ~NewArray() { HostCell release(carrier); }

    View* operator->() const { return View::Of(carrier); }
    EvCell* Element(std::int64_t index) const { return View::Of(carrier)->ElementCell(index); }

    View* Take() { return View::Of(std::exchange(carrier, nullptr)); }
    // The array's image goes into `place` (which then owns the array); the carrier returns to the pool.
    void MoveInto(EvCell* place) { HostCell(std::exchange(carrier, nullptr)).MoveImageTo(place); }

private:
    EvCell* carrier;  // the pooled cell makeArray gave; null once handed over
};

// Registered custom classes travel as objects the host holds: an argument is the object
// getCustom gives for the cell, a result goes to setCustom with the class's registered row (a
// null row when the class is not registered). The name is the row's type name, looked up by the
// class's run-time type identity.
template <class T>
requires std::is_class_v<T>
struct Caster<T*> {
    // The row the host keeps with each object: a copy of the registered row in a static that is
    // never destroyed (its type has no destructor), so an object the host releases after this
    // module's static objects have ended (at exit) still finds its destroy function.
    static const CustomTypeEntry* Entry() {
        const CustomTypeEntry* registered = TheLibraryContext().FindCustomType(typeid(T));
        if (registered == nullptr) return nullptr;
        static const CustomTypeEntry permanent = *registered;
        static_assert(std::is_trivially_destructible_v<CustomTypeEntry>);
        return &permanent;
    }
    static const char* Name() {
        const CustomTypeEntry* entry = Entry();
        return entry != nullptr ? entry->typeName : "Undefined";
    }
    static T* Read(const EvCell* cell) {
        return static_cast<T*>(Host().getCustom(const_cast<EvCell*>(cell)));
    }
    using Argument = detail::PayloadArgument<T*, &Read>;
    static void SetResult(EvCell* result, T* object) { Host().setCustom(result, object, Entry()); }
};

}  // namespace QUON_ExternLib
