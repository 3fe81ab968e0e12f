// The caster contract as concepts, and the checks that run where a row is added: a signature
// with a type that has no rule stops the build with one message that names the parameter's
// position and says what to use instead. Nothing that depends on the missing rule is
// instantiated after the check fails, so no follow-on errors bury the message.
#pragma once

#include <concepts>
#include <cstddef>
#include <functional>
#include <memory>
#include <span>
#include <type_traits>
#include <utility>

#include "externlib/Caster.h"

namespace QUON_ExternLib {

// An argument cell can be read as a T (for the length of the call).
template <class T>
concept ArgumentRule = requires(typename Caster<T>::Argument& argument) {
    { Caster<T>::Name() } -> std::convertible_to<const char*>;
    requires std::constructible_from<typename Caster<T>::Argument, EvCell*>;
    { argument.Get() } -> std::convertible_to<T>;
};

// A T can be written into a result cell.
template <class T>
concept ResultRule = requires(EvCell* cell, T&& value) {
    { Caster<T>::Name() } -> std::convertible_to<const char*>;
    Caster<T>::SetResult(cell, std::forward<T>(value));
};

// The value refers into the cell it was read from.
template <class T>
concept Borrowed = requires { requires Caster<T>::kBorrowed; };

// A record field is read from an attribute and written into one.
template <class T>
concept FieldRule = ArgumentRule<T> && ResultRule<T> && !Borrowed<T>;

// As a plain value, so that a failed static_assert on it shows its message without explaining
// the concept's requirements as further errors.
template <class T>
inline constexpr bool kFieldRule = FieldRule<T>;

// A T can go onto the value stack as a callback's argument: set like a result, or (an array) as
// a share of the cell it views.
template <class T>
concept CallbackArgumentRule = ResultRule<T> || requires(const T& value) { Caster<T>::ShareImage(value); };

// A callback's result can come back as a T that owns what it holds: the result cell itself (an
// array), or a value read from it before the cell is released.
template <class T>
concept CallbackResultRule =
    requires(HostCell&& result) { { Caster<T>::FromResult(std::move(result)) } -> std::same_as<T>; } ||
    (ArgumentRule<T> && !Borrowed<T>);

template <class T>
inline constexpr bool kIsNewArray = false;
template <class E>
inline constexpr bool kIsNewArray<NewArray<E>> = true;

// An array view or a new array whose element type no array has.
template <class T>
inline constexpr bool kHasBadElement = false;
template <class E>
inline constexpr bool kHasBadElement<ArrayView<E>> = !kViewElement<E>;
template <class E>
inline constexpr bool kHasBadElement<NewArray<E>> = !kArrayElement<E>;
// The array type itself; making it complete states the element types that work (its assertion,
// the one message), except for the cells that only the framework's own arrays hold.
template <class T>
struct ViewOf;
template <template <class> class Array, class E>
struct ViewOf<Array<E>> {
    using Type = Array<E>;
    static constexpr bool kCells = std::is_same_v<E, EvCell*>;
};

template <class T>
inline constexpr bool kIsUniquePointer = false;
template <class T, class D>
inline constexpr bool kIsUniquePointer<std::unique_ptr<T, D>> = true;

template <class T>
inline constexpr bool kIsClassPointer = std::is_pointer_v<T> && CustomClass<std::remove_pointer_t<T>>;

template <class T>
inline constexpr bool kIsRawArray =
    std::is_pointer_v<T> && kIsArrayObject<std::remove_cv_t<std::remove_pointer_t<T>>>;

// A span parameter: whether its elements are numbers, and whether it may change them.
template <class T>
struct SpanParts {
    static constexpr bool kIsSpan = false;
    static constexpr bool kNumbers = false;
    static constexpr bool kConst = false;
};
template <class E, std::size_t N>
struct SpanParts<std::span<E, N>> {
    static constexpr bool kIsSpan = true;
    static constexpr bool kNumbers = PayloadNumber<std::remove_const_t<E>>;
    static constexpr bool kConst = std::is_const_v<E>;
};

// A standard container (std::vector, std::array) whose rule its element type decides.
template <class T>
struct ContainerParts {
    static constexpr bool kIsContainer = false;
    static constexpr bool kCallbacks = false;
};
template <class T, class A>
struct ContainerParts<std::vector<T, A>> {
    static constexpr bool kIsContainer = true;
    static constexpr bool kCallbacks = kIsStdFunction<T>;
};
template <class T, std::size_t N>
struct ContainerParts<std::array<T, N>> : ContainerParts<std::vector<T>> {};

template <class T>
struct CallbackParts {
    static constexpr bool kIsCallback = false;
    static constexpr bool kCrosses = false;
};
template <class R, class... A>
struct CallbackParts<std::function<R(A...)>> {
    static constexpr bool kIsCallback = true;
    static constexpr bool kCrosses = CallbackResultRule<R> && (CallbackArgumentRule<A> && ...);
};

// A static_assert's message must be a literal: one per position.
#define QUON_REFUSE_PARAMETER(position, text)                       \
    static_assert((position) != 1, "parameter 1 " text);            \
    static_assert((position) != 2, "parameter 2 " text);            \
    static_assert((position) != 3, "parameter 3 " text);            \
    static_assert((position) != 4, "parameter 4 " text);            \
    static_assert((position) != 5, "parameter 5 " text);            \
    static_assert((position) != 6, "parameter 6 " text);            \
    static_assert((position) != 7, "parameter 7 " text);            \
    static_assert((position) != 8, "parameter 8 " text);            \
    static_assert((position) <= 8, "a parameter after the eighth " text)

// Parameter `Position` (from 1) of a bound function has an argument rule.
template <std::size_t Position, class T>
constexpr bool CheckParameter() {
    using Plain = std::remove_cvref_t<T>;
    if constexpr (kHasBadElement<Plain>) {
        using View = ViewOf<Plain>;
        if constexpr (View::kCells) {
            QUON_REFUSE_PARAMETER(Position,
                                  "is an array of cells: take ArrayView<E> of long long, double, bool, "
                                  "tBaseString*, a record structure or ArrayView<E>");
        } else {
            static_cast<void>(sizeof(typename View::Type));
        }
        return false;
    } else if constexpr (ArgumentRule<T>) {
        return true;
    } else if constexpr (kIsUniquePointer<Plain>) {
        QUON_REFUSE_PARAMETER(Position,
                              "is a std::unique_ptr, but the host keeps its objects: take T*, "
                              "the object borrowed for the call");
        return false;
    } else if constexpr (kIsRawArray<T>) {
        QUON_REFUSE_PARAMETER(Position, "is a raw array pointer: take ArrayView<E>, a view of the argument");
        return false;
    } else if constexpr (kIsNewArray<Plain>) {
        QUON_REFUSE_PARAMETER(Position, "is a NewArray, which only a result can be: take ArrayView<E>");
        return false;
    } else if constexpr (CallbackParts<Plain>::kIsCallback && !CallbackParts<Plain>::kCrosses) {
        QUON_REFUSE_PARAMETER(Position,
                              "is a callback whose types cannot cross: its parameters must be values or "
                              "ArrayView<E>, its result a value or NewArray<E> (nothing borrowed)");
        return false;
    } else if constexpr (CallbackParts<Plain>::kIsCallback) {
        QUON_REFUSE_PARAMETER(Position, "is a callback: include externlib/CallbackWrapper.h");
        return false;
    } else if constexpr (std::is_reference_v<T> && !std::is_const_v<std::remove_reference_t<T>>) {
        QUON_REFUSE_PARAMETER(Position,
                              "is a reference to a non-const value, but an argument is the caller's to "
                              "keep: take it by value or by const reference, and return what the "
                              "function makes");
        return false;
    } else if constexpr (SpanParts<Plain>::kIsSpan && !SpanParts<Plain>::kNumbers) {
        QUON_REFUSE_PARAMETER(Position,
                              "is a std::span of elements that are not numbers: a span is backed by a "
                              "copy of the payloads; take std::vector<T> (a copy of the elements) or "
                              "ArrayView<E> (read in place)");
        return false;
    } else if constexpr (SpanParts<Plain>::kIsSpan) {
        QUON_REFUSE_PARAMETER(Position,
                              "is a std::span of elements it may change, but an argument is the caller's "
                              "to keep: take std::span<const T>");
        return false;
    } else if constexpr (ContainerParts<Plain>::kIsContainer && ContainerParts<Plain>::kCallbacks) {
        QUON_REFUSE_PARAMETER(Position,
                              "is a container of callbacks, but a Quon function is bound only while its "
                              "own argument is: take each function as a parameter of its own");
        return false;
    } else if constexpr (ContainerParts<Plain>::kIsContainer) {
        QUON_REFUSE_PARAMETER(Position,
                              "is a container whose element type has no argument rule: an element is a "
                              "type a parameter takes by value (a number, an enum, bool, a string, a "
                              "record structure, a registered class's pointer, ArrayView<E>, a nested "
                              "std::vector or std::array)");
        return false;
    } else {
        QUON_REFUSE_PARAMETER(Position,
                              "has a type without an argument rule. Supported: an integer type, an enum, "
                              "double, float, bool, std::string, std::string_view, const std::string&, "
                              "const char*, tString, const tBaseString&, ArrayView<E>, std::vector<T>, "
                              "std::array<T, N>, std::span<const T> of numbers, a structure with a "
                              "RecordBinding, a pointer to a registered class (borrowed), std::function, "
                              "a const reference to any of these");
        return false;
    }
}

#undef QUON_REFUSE_PARAMETER

template <class T>
inline constexpr bool kNever = false;

// The result type of a bound function has a result rule.
template <class R>
constexpr bool CheckResult() {
    if constexpr (kHasBadElement<R>) {
        if constexpr (ViewOf<R>::kCells)
            static_assert(kNever<R>,
                          "the result is an array of cells: return NewArray<E> of long long, "
                          "double, tBaseString* or ArrayView<E>, or a std::vector<T>");
        else
            static_cast<void>(sizeof(typename ViewOf<R>::Type));
        return false;
    } else if constexpr (ResultRule<R>) {
        return true;
    } else if constexpr (kIsClassPointer<R>) {
        static_assert(kNever<R>,
                      "the result is a bare pointer, which says nothing of who owns the object: "
                      "return std::unique_ptr<T> to give a new object to the host");
        return false;
    } else if constexpr (kIsUniquePointer<R>) {
        static_assert(kNever<R>,
                      "the result is a std::unique_ptr of a class that is not a custom type, or "
                      "with a deleter of its own: the host destroys objects through the "
                      "class's row");
        return false;
    } else if constexpr (std::is_same_v<std::remove_cv_t<R>, const char*> ||
                         std::is_same_v<std::remove_cv_t<R>, char*>) {
        static_assert(kNever<R>, "the result is a const char*: return std::string (its text is copied "
                                   "into the host's string)");
        return false;
    } else if constexpr (SpanParts<std::remove_cvref_t<R>>::kIsSpan) {
        static_assert(kNever<R>, "the result is a std::span, which refers to storage that ends with the "
                                   "call: return std::vector<T> (its elements are copied into a new array)");
        return false;
    } else if constexpr (ContainerParts<std::remove_cvref_t<R>>::kIsContainer) {
        static_assert(kNever<R>, "the result is a container whose element type has no result rule: "
                                   "return elements that own their values (numbers, std::string rather "
                                   "than std::string_view, records, nested std::vector)");
        return false;
    } else if constexpr (kIsArrayView<R>) {
        static_assert(kNever<R>, "the result is an ArrayView, which borrows an argument: return a "
                                   "NewArray<E> made with NewArray<E>(count)");
        return false;
    } else if constexpr (kIsRawArray<R>) {
        static_assert(kNever<R>, "the result is a raw array pointer: return a NewArray<E> made with "
                                   "NewArray<E>(count)");
        return false;
    } else if constexpr (std::is_void_v<R>) {
        static_assert(kNever<R>, "the result is void: a bound function returns a value");
        return false;
    } else {
        static_assert(kNever<R>,
                      "the result type has no result rule. Supported: an integer type, an enum, "
                      "double, float, bool, std::string, tString, NewArray<E>, std::vector<T>, "
                      "std::array<T, N>, a structure with a RecordBinding, std::unique_ptr<T> of a "
                      "registered class, a const reference to any of these");
        return false;
    }
}

// Every parameter and the result of R(P...) have their rules; each one without gives its message.
template <class R, class... P>
constexpr bool CheckSignature() {
    return [&]<std::size_t... I>(std::index_sequence<I...>) {
        const bool parameters[] = {true, CheckParameter<I + 1, P>()...};
        bool all = CheckResult<R>();
        for (bool ok : parameters) all = all && ok;
        return all;
    }(std::index_sequence_for<P...>());
}

}  // namespace QUON_ExternLib
