// An owned new array: the result type of a native function that returns an array.
//
//   NewArray<long long> Squares(std::int64_t n) {        // ( Int -> Array[Int] )
//       NewArray<long long> out(n);
//       for (std::int64_t i = 0; i < n; ++i) out.Set(i, i * i);
//       return out;
//   }
//
// The constructor takes the carrier cell from the host's makeArray (the count passed on
// unchanged); from then on the array is owned by exactly one NewArray, which can be moved but not
// copied. Returning it hands the carrier's image to the result cell; MoveInto hands it to an
// element of an outer array. Leaving any other way (an exception from a setter, say) releases
// the array and gives the carrier back. Its element type is that of the ArrayView that reads the
// result back: NewArray<IntArrayView> is an Array[Array[Int]], each row a NewArray<long long>.
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>

#include "externlib/ArrayView.h"
#include "externlib/HostCell.h"
#include "externlib/LibraryContext.h"
#include "platform/Invariant.h"

namespace QUON_ExternLib {

template <class T>
struct Caster;

template <class E>
class NewArray {
    // (The framework's own arrays of records hold cells: EvCell*.)
    static_assert(kArrayElement<E> || std::is_same_v<E, EvCell*>,
                  "NewArray<E> holds elements of type long long or long (Int), double (Float), "
                  "tBaseString* (String) or ArrayView<E> (an array of arrays): return a std::vector<T> "
                  "of Bools, records or other values");

public:
    explicit NewArray(std::int64_t count) : carrier(Host().makeArray(static_cast<std::uint64_t>(count))) {
        QUON_INVARIANT(carrier != nullptr, "makeArray gave no carrier cell");
        QUON_INVARIANT(count <= 0 || View().Count() == count, "makeArray gave another count than asked");
    }
    NewArray(NewArray&& other) noexcept : carrier(std::exchange(other.carrier, nullptr)) {}
    NewArray& operator=(NewArray&& other) noexcept {
        NewArray old(std::move(*this));
        carrier = std::exchange(other.carrier, nullptr);
        return *this;
    }
    NewArray(const NewArray&) = delete;
    NewArray& operator=(const NewArray&) = delete;
    ~NewArray() { HostCell release(carrier); }

    std::int64_t Count() const { return View().Count(); }
    // The element cell at a normalised index, for the host's setters.
    EvCell* Element(std::int64_t index) const { return const_cast<EvCell*>(View().ElementCell(index)); }
    // What has been written so far, read back.
    ArrayView<E> View() const {
        QUON_INVARIANT(carrier != nullptr, "a NewArray used after it was handed over");
        return ArrayView<E>(carrier);
    }

    // Element `index` becomes `value` (Int, Float or String elements).
    void Set(std::int64_t index, std::int64_t value) requires(std::is_integral_v<E>) {
        Host().setInt(Element(index), value);
    }
    void Set(std::int64_t index, double value) requires(std::is_same_v<E, double>) {
        Host().setFloat(Element(index), value);
    }
    void Set(std::int64_t index, std::string_view text) requires(std::is_same_v<E, tBaseString*>) {
        Host().setString(Element(index), text.data(), text.size());
    }
    // For an array of arrays: element `index` becomes the row.
    template <class Row>
    void Set(std::int64_t index, NewArray<Row>&& row) requires(std::is_same_v<E, ArrayView<Row>>) {
        std::move(row).MoveInto(Element(index));
    }

    // The array's image goes into `place`, which then owns the array; the carrier returns to the pool.
    void MoveInto(EvCell* place) && {
        QUON_INVARIANT(carrier != nullptr, "a NewArray handed over twice");
        HostCell(std::exchange(carrier, nullptr)).MoveImageTo(place);
    }

private:
    template <class T>
    friend struct Caster;
    // A host cell holding an array (a callback's result), owned from here on.
    explicit NewArray(HostCell&& cell) : carrier(cell.Release()) {}

    EvCell* carrier;  // the pooled cell holding the array; null once handed over
};

}  // namespace QUON_ExternLib
