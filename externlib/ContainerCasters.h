// The standard containers as arrays, each element through its own type's rule (externlib/Caster.h):
//
//   std::vector<T>        Array[T]   argument: the elements copied into a new vector; result: a new
//                                    array, each element set by T's rule
//   std::array<T, N>      Array[T]   the same, for an array of exactly N elements (another count is
//                                    an error naming the parameter)
//   std::span<const T>    Array[T]   argument, for number elements: the payloads copied into a
//                                    buffer the argument holds for the call (an element cell is
//                                    16 bytes, so the values are never contiguous in place)
//
// `const std::vector<T>&` and the like bind to the argument's copy (the const-reference rule). T
// is any type with a by-value argument rule: numbers, enums, bool, strings, records, custom class
// pointers, nested containers, array views. A container of borrowed elements (Counter*,
// std::string_view, ArrayView<E>) is borrowed with them: valid for the call, as they are. An
// element a range-checked type cannot hold is refused with its index ("parameter 1, element 2:
// the Int 256 does not fit an unsigned 8-bit integer (0 to 255)"). Callbacks are no elements: a
// std::function is bound only while its own argument is.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <memory>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

#include "externlib/Caster.h"

namespace QUON_ExternLib {

template <class T>
inline constexpr bool kIsStdFunction = false;
template <class S>
inline constexpr bool kIsStdFunction<std::function<S>> = true;

// A type whose values a container reads from element cells: one with an argument rule of its own
// by value (not a reference, not a callback).
template <class T>
concept ElementArgument =
    !std::is_reference_v<T> && !kIsStdFunction<T> && requires { typename Caster<T>::Argument; };

// A type whose values a container writes into element cells.
template <class T>
concept ElementResult = requires(EvCell* cell, const T& value) { Caster<T>::SetResult(cell, value); };

// A number held in one payload word, read without any temporary: a span's element.
template <class T>
concept PayloadNumber = (std::is_arithmetic_v<T> || std::is_enum_v<T>) && !std::is_same_v<T, bool> &&
                        requires(const EvCell* cell) { { Caster<T>::Read(cell) } -> std::same_as<T>; };

namespace detail {

// The element cells of an array argument.
inline QUON_Evaluator::fArrayOfPrimitiveValues<std::uint64_t>::CellRange ElementCells(const EvCell* array) {
    return QUON_Evaluator::fArrayOfPrimitiveValues<std::uint64_t>::Of(array)->Cells();
}

// One element's value, by T's rule.
template <class T>
T ReadElement(const EvCell* cell) {
    if constexpr (requires { { Caster<T>::Read(cell) } -> std::same_as<T>; })
        return Caster<T>::Read(cell);
    else
        return typename Caster<T>::Argument(const_cast<EvCell*>(cell)).Get();
}

// Walks element cells as their values: what a vector of numbers is constructed from in one pass,
// with no zero fill before it and no capacity check per element.
template <class T>
class ElementValues {
public:
    using iterator_category = std::random_access_iterator_tag;
    using value_type = T;
    using difference_type = std::ptrdiff_t;
    using pointer = const T*;
    using reference = T;

    ElementValues() = default;
    explicit ElementValues(const EvCell* cell) : cell(cell) {}
    T operator*() const { return Caster<T>::Read(cell); }
    T operator[](difference_type i) const { return Caster<T>::Read(cell + i); }
    ElementValues& operator++() { return ++cell, *this; }
    ElementValues operator++(int) { return ElementValues(cell++); }
    ElementValues& operator--() { return --cell, *this; }
    ElementValues operator--(int) { return ElementValues(cell--); }
    ElementValues& operator+=(difference_type n) { return cell += n, *this; }
    ElementValues& operator-=(difference_type n) { return cell -= n, *this; }
    friend ElementValues operator+(ElementValues at, difference_type n) { return at += n; }
    friend ElementValues operator+(difference_type n, ElementValues at) { return at += n; }
    friend ElementValues operator-(ElementValues at, difference_type n) { return at -= n; }
    friend difference_type operator-(ElementValues a, ElementValues b) { return a.cell - b.cell; }
    friend auto operator<=>(ElementValues a, ElementValues b) = default;

private:
    const EvCell* cell = nullptr;
};

// A vector of numbers made from the element cells in one pass (the compiler vectorises the
// copy: two payloads per store).
template <class T>
std::vector<T> CopyNumbers(const EvCell* first, const EvCell* last) {
    return std::vector<T>(ElementValues<T>(first), ElementValues<T>(last));
}

// The elements of an array argument as a vector.
template <class T>
std::vector<T> ReadVector(const EvCell* array) {
    const auto cells = ElementCells(array);
    if constexpr (PayloadNumber<T>) {
        return CopyNumbers<T>(cells.first, cells.last);
    } else {
        std::vector<T> values;
        values.reserve(static_cast<std::size_t>(cells.last - cells.first));
        for (const EvCell& cell : cells) values.push_back(ReadElement<T>(&cell));
        return values;
    }
}

// The type as an error shows it: "std::array<long long, 2>".
template <class T>
std::string NativeName() {
    return zul::platform::DemangledName(typeid(T).name());
}

// The checks of an array argument of `Count` elements (any count when dynamic) whose elements
// are T: a Fits/Misfit pair when either can fail, else none (a call then checks nothing).
template <class T, std::size_t Count, class Container>
struct ElementChecks {};

template <class T, std::size_t Count, class Container>
requires(Count != std::dynamic_extent || requires(const EvCell* cell) { Caster<T>::Fits(cell); })
struct ElementChecks<T, Count, Container> {
    static bool Fits(const EvCell* cell) {
        const auto cells = ElementCells(cell);
        if constexpr (Count != std::dynamic_extent)
            if (static_cast<std::size_t>(cells.last - cells.first) != Count) return false;
        if constexpr (requires { Caster<T>::Fits(cell); })
            for (const EvCell& element : cells)
                if (!Caster<T>::Fits(&element)) return false;
        return true;
    }
    static std::string Misfit(const EvCell* cell, const std::string& what) {
        const auto cells = ElementCells(cell);
        const auto count = static_cast<std::size_t>(cells.last - cells.first);
        if constexpr (Count != std::dynamic_extent)
            if (count != Count)
                return what + ": an array of " + std::to_string(count) + (count == 1 ? " element" : " elements") +
                       " where " + ContainerName() + " takes " + std::to_string(Count);
        if constexpr (requires { Caster<T>::Fits(cell); })
            for (std::size_t i = 0; i < count; ++i)
                if (!Caster<T>::Fits(cells.first + i))
                    return Caster<T>::Misfit(cells.first + i, what + ", element " + std::to_string(i));
        return what + ": an array that fits";  // not reached: Fits was false
    }

private:
    // std::array<T, N> and std::span<const T, N>, written as declared (a demangled name would
    // show the count as "2ul").
    static std::string ContainerName() {
        if constexpr (std::is_same_v<Container, std::array<T, Count>>)
            return "std::array<" + NativeName<T>() + ", " + std::to_string(Count) + ">";
        else
            return "std::span<const " + NativeName<T>() + ", " + std::to_string(Count) + ">";
    }
};

// An argument rule for a container of elements with one, none for another.
template <class Container, class T, std::size_t Count, bool = ElementArgument<T>>
struct ContainerArgument {};

template <class Container, class T, std::size_t Count>
struct ContainerArgument<Container, T, Count, true> : ElementChecks<T, Count, Container> {
    static constexpr bool kBorrowed = requires { requires Caster<T>::kBorrowed; };
    struct Argument {
        explicit Argument(const EvCell* cell) : values(Read(cell)) {}
        Container Get() { return std::move(values); }
        Container values;
    };

private:
    static Container Read(const EvCell* cell) {
        if constexpr (std::is_same_v<Container, std::vector<T>>) {
            return ReadVector<T>(cell);
        } else {
            // The count is checked before the call (ElementChecks).
            const auto cells = ElementCells(cell);
            return [&]<std::size_t... I>(std::index_sequence<I...>) {
                return Container{ReadElement<T>(cells.first + I)...};
            }(std::make_index_sequence<Count>());
        }
    }
};

// Writes the elements into a new array, each through T's rule.
template <class T, class Values>
void SetArrayResult(EvCell* result, const Values& values) {
    NewArray<EvCell*> array(static_cast<std::int64_t>(values.size()));
    for (std::size_t i = 0; i < values.size(); ++i)
        Caster<T>::SetResult(array.Element(static_cast<std::int64_t>(i)), values[i]);
    std::move(array).MoveInto(result);
}

}  // namespace detail

template <class T>
requires(ElementArgument<T> || ElementResult<T>)
struct Caster<std::vector<T>> : detail::ArrayOfName<T>,
                                detail::ContainerArgument<std::vector<T>, T, std::dynamic_extent> {
    static void SetResult(EvCell* result, const std::vector<T>& values) requires ElementResult<T> {
        detail::SetArrayResult<T>(result, values);
    }
};

template <class T, std::size_t N>
requires(ElementArgument<T> || ElementResult<T>)
struct Caster<std::array<T, N>> : detail::ArrayOfName<T>, detail::ContainerArgument<std::array<T, N>, T, N> {
    static void SetResult(EvCell* result, const std::array<T, N>& values) requires ElementResult<T> {
        detail::SetArrayResult<T>(result, values);
    }
};

// A span of numbers over a copy of the argument's payloads, made for the call (no zero fill).
template <PayloadNumber T, std::size_t Extent>
struct Caster<std::span<const T, Extent>> : detail::ArrayOfName<T>, detail::ElementChecks<T, Extent, void> {
    static constexpr bool kBorrowed = true;
    class Argument {
    public:
        explicit Argument(const EvCell* cell) {
            const auto cells = detail::ElementCells(cell);
            count = static_cast<std::size_t>(cells.last - cells.first);
            values = std::make_unique_for_overwrite<T[]>(count);
            for (std::size_t i = 0; i < count; ++i) values[i] = Caster<T>::Read(cells.first + i);
        }
        std::span<const T, Extent> Get() const { return std::span<const T, Extent>(values.get(), count); }

    private:
        std::unique_ptr<T[]> values;
        std::size_t count = 0;
    };
};

template <class T>
struct PartsOf<std::vector<T>> {
    using Types = std::tuple<std::type_identity<T>>;
};
template <class T, std::size_t N>
struct PartsOf<std::array<T, N>> {
    using Types = std::tuple<std::type_identity<T>>;
};

}  // namespace QUON_ExternLib
