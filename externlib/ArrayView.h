// A borrowed array: the parameter type of a native function that reads an array argument.
//
//   std::int64_t Sum(ArrayView<long long> values);             // ( Array[Int] -> Int )
//   std::int64_t Cells(ArrayView<ArrayView<long long>> rows);  // ( Array[Array[Int]] -> Int )
//
// A view refers to a cell the host owns and is valid for the length of the call. It cannot be a
// result: an array result is a NewArray (externlib/NewArray.h), which owns what it hands over.
//
// The element type names the elements: long long (Int), double (Float), tBaseString* (String,
// the element's pooled body), ArrayView<E> (an array of arrays, each row viewed in place), bool
// (Bool) or a structure with a RecordBinding (Record, each element read as a structure when it is
// asked for, through the record's rule in externlib/RecordBinding.h). Indexing normalises the index against the count (-1 is the last element) and refuses an empty
// array with "Empty array element requested!".
#pragma once

#include <cstdint>
#include <type_traits>

#include "evaluator/fArrayOfPrimitiveValues.h"
#include "platform/Invariant.h"
#include "strings/tBaseString.h"

namespace QUON_ExternLib {

using QUON_Evaluator::EvCell;
using zul::zulStdString::tBaseString;

template <class E>
class ArrayView;
template <class T>
struct Caster;

// A structure exchanged as a record (externlib/RecordBinding.h).
template <class Struct>
struct RecordBinding;
template <class Struct>
concept BoundRecord = requires { RecordBinding<Struct>::kFields; };

template <class T>
inline constexpr bool kIsArrayView = false;
template <class E>
inline constexpr bool kIsArrayView<ArrayView<E>> = true;

// The runtime's own view of an array cell, which a signature never names (an array parameter is
// an ArrayView, an array result a NewArray).
template <class T>
inline constexpr bool kIsArrayObject = false;
template <class T>
inline constexpr bool kIsArrayObject<QUON_Evaluator::fArrayOfPrimitiveValues<T>> = true;

// Elements read from their cells by their type's rule (externlib/Caster.h): a Bool is any
// payload other than 0, a record is read attribute by attribute.
template <class E>
inline constexpr bool kReadByRule = std::is_same_v<E, bool> || BoundRecord<E>;

// How the elements of an array are stored: values of E in their payloads, or cells read only
// through the element cells (arrays of arrays, Bools, records).
template <class E>
using StoredElement = std::conditional_t<kIsArrayView<E> || kReadByRule<E>, std::uint64_t, E>;

// The element types a new array is made of (externlib/NewArray.h).
template <class E>
inline constexpr bool kArrayElement = std::is_same_v<E, long long> || std::is_same_v<E, long> ||
                                      std::is_same_v<E, double> || std::is_same_v<E, tBaseString*>;
template <class E>
inline constexpr bool kArrayElement<ArrayView<E>> = kArrayElement<E>;

// The element types an array view reads: those, Bools and records.
template <class E>
inline constexpr bool kViewElement = kArrayElement<E> || kReadByRule<E>;
template <class E>
inline constexpr bool kViewElement<ArrayView<E>> = kViewElement<E>;

template <class E>
class ArrayView {
    // (The framework's own arrays of records hold cells: EvCell*.)
    static_assert(kViewElement<E> || std::is_same_v<E, EvCell*>,
                  "ArrayView<E> reads elements of type long long or long (Int), double (Float), "
                  "tBaseString* (String), bool (Bool), a structure with a RecordBinding (Record) or "
                  "ArrayView<E> (an array of arrays)");
    using Stored = QUON_Evaluator::fArrayOfPrimitiveValues<StoredElement<E>>;

public:
    explicit ArrayView(const EvCell* cell) : array(Stored::Of(cell)) {
        QUON_INVARIANT(cell != nullptr, "an array view of no cell");
    }

    std::int64_t Count() const { return array->Count(); }
    // The element cell at a normalised index.
    const EvCell* ElementCell(std::int64_t index) const { return array->ElementCell(index); }
    // The element at a normalised index: its value, or for an array of arrays the row's view.
    E operator[](std::int64_t index) const { return ValueOf(ElementCell(index)); }

    static E ValueOf(const EvCell* element) {
        if constexpr (kIsArrayView<E>)
            return E(element);
        else if constexpr (kReadByRule<E>)
            return Caster<E>::Read(element);
        else
            return Stored::ValueOf(element);
    }

    // First to last, without normalising: `for (long long value : values)`.
    class Iterator {
    public:
        using value_type = E;
        using difference_type = std::ptrdiff_t;
        Iterator() = default;
        explicit Iterator(const EvCell* element) : element(element) {}
        E operator*() const { return ValueOf(element); }
        Iterator& operator++() { return ++element, *this; }
        Iterator operator++(int) { return Iterator(element++); }
        bool operator==(const Iterator&) const = default;

    private:
        const EvCell* element = nullptr;
    };
    Iterator begin() const { return Iterator(array->Cells().first); }
    Iterator end() const { return Iterator(array->Cells().last); }

    // The array cell itself (the argument's cell, or an element cell of an outer array).
    const EvCell* Cell() const { return reinterpret_cast<const EvCell*>(array); }

private:
    const Stored* array;
};

using IntArrayView = ArrayView<long long>;
using FloatArrayView = ArrayView<double>;
using StringArrayView = ArrayView<tBaseString*>;
using IntMatrixView = ArrayView<IntArrayView>;

}  // namespace QUON_ExternLib
