// Arrays as the library sees them. An array value is a cell whose payload points to an array
// object owned by the host:
//
//   array cell:    [class identity | object ---]
//                                           |
//   array object:  0..31 host's | 32 count L | 40 host's | 48 elements --> [cell 0][cell 1]...
//
// The elements are L contiguous 16-byte cells; element i is at elements + 16 * i. Only the
// count and the element pointer are read here.
//
// fArrayOfPrimitiveValues<T> is the native view of an array cell whose elements hold values of
// native type T in their payloads: a pointer to the view is a pointer to the array cell itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>

#include "diagnostics/EvException.h"
#include "evaluator/cell.h"
#include "platform/HostCheck.h"
#include "platform/Invariant.h"

namespace QUON_Evaluator {

// The fields of the host's array object that the library reads.
struct ArrayObjectView {
    std::uint64_t hostWords[4];  // the host's; never touched here
    std::int64_t count;          // element count L
    std::uint64_t hostWord;      // the host's; never touched here
    EvCell* elements;            // first element cell
};

static_assert(offsetof(ArrayObjectView, count) == 32);
static_assert(offsetof(ArrayObjectView, elements) == 48);

// Index i against count L: when L > 0 and i lies outside [0, L), i mod L made non-negative;
// otherwise i unchanged. -1 is the last element, L the first.
constexpr std::int64_t NormalizeIndex(std::int64_t index, std::int64_t count) {
    if (count <= 0 || (index >= 0 && index < count)) return index;
    const std::int64_t remainder = index % count;
    return remainder < 0 ? remainder + count : remainder;
}

template <class T>
class fArrayOfPrimitiveValues {
    static_assert(std::is_trivially_copyable_v<T> && sizeof(T) <= sizeof(CellWord),
                  "an element value is read from the low bytes of its payload word");

public:
    // The view of an array cell.
    static fArrayOfPrimitiveValues* Of(EvCell* cell) {
        return reinterpret_cast<fArrayOfPrimitiveValues*>(cell);
    }
    static const fArrayOfPrimitiveValues* Of(const EvCell* cell) {
        return reinterpret_cast<const fArrayOfPrimitiveValues*>(cell);
    }
    EvCell* Cell() { return reinterpret_cast<EvCell*>(this); }

    const ArrayObjectView* Object() const {
        const auto* object =
            reinterpret_cast<const ArrayObjectView*>(reinterpret_cast<const EvCell*>(this)->Word());
        QUON_HOST_CHECK(object != nullptr,
                        "an array cell without an array object (an empty array is an object with count 0)");
        QUON_INVARIANT(static_cast<const void*>(object) != this, "an array cell that was never filled");
        QUON_HOST_CHECK(object->count >= 0, "an array object whose count (at byte 32) is negative: " +
                                                std::to_string(object->count));
        return object;
    }
    std::int64_t Count() const { return Object()->count; }
    // The element cell at a normalised index. An empty array has no element to wrap onto:
    // asking it for one throws "Empty array element requested!".
    EvCell* ElementCell(std::int64_t index) const {
        const ArrayObjectView* object = Object();
        if (object->count <= 0) [[unlikely]]
            throw EvException(ErrorCode::kEmptyArrayElement);
        QUON_HOST_CHECK(object->elements != nullptr,
                        "an array object with a count but no elements (a null pointer at byte 48)");
        return object->elements + NormalizeIndex(index, object->count);
    }
    // The payload of element `index` read as T (its low bytes for a narrower T).
    T operator[](std::int64_t index) const { return ValueOf(ElementCell(index)); }

    static T ValueOf(const EvCell* element) {
        const CellWord payload = element->Word();
        T value;
        std::memcpy(&value, &payload, sizeof value);
        return value;
    }

    // Walks the element values (as T) from first to last, without normalising:
    // `for (std::int32_t v : *array)`.
    class ValueIterator {
    public:
        using value_type = T;
        using difference_type = std::ptrdiff_t;
        ValueIterator() = default;
        explicit ValueIterator(const EvCell* element) : element(element) {}
        T operator*() const { return ValueOf(element); }
        ValueIterator& operator++() { return ++element, *this; }
        ValueIterator operator++(int) { return ValueIterator(element++); }
        bool operator==(const ValueIterator&) const = default;

    private:
        const EvCell* element = nullptr;
    };
    ValueIterator begin() const { return ValueIterator(Cells().first); }
    ValueIterator end() const { return ValueIterator(Cells().last); }

    // The element cells themselves, first to last.
    struct CellRange {
        EvCell* first;
        EvCell* last;
        EvCell* begin() const { return first; }
        EvCell* end() const { return last; }
    };
    CellRange Cells() const {
        const ArrayObjectView* object = Object();
        QUON_HOST_CHECK(object->elements != nullptr || object->count == 0,
                        "an array object with a count but no elements (a null pointer at byte 48)");
        return CellRange{object->elements, object->elements + object->count};
    }

private:
    fArrayOfPrimitiveValues() = delete;  // only ever a view of an existing cell
};

}  // namespace QUON_Evaluator
