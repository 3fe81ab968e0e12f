// The caster contract as concepts, and the checks that run where a row is added: a signature
// with a type that has no rule stops the build with one message that names the parameter's
// position and says what to use instead. Nothing that depends on the missing rule is
// instantiated after the check fails, so no follow-on errors bury the message.
#pragma once

#include <concepts>
#include <cstddef>
#include <functional>
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

template <class T>
inline constexpr bool kIsRawArray =
    std::is_pointer_v<T> && kIsArrayObject<std::remove_cv_t<std::remove_pointer_t<T>>>;

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
    if constexpr (ArgumentRule<T>) {
        return true;
    } else if constexpr (kIsRawArray<T>) {
        QUON_REFUSE_PARAMETER(Position, "is a raw array pointer: take ArrayView<E>, a view of the argument");
        return false;
    } else if constexpr (kIsNewArray<T>) {
        QUON_REFUSE_PARAMETER(Position, "is a NewArray, which only a result can be: take ArrayView<E>");
        return false;
    } else if constexpr (CallbackParts<T>::kIsCallback && !CallbackParts<T>::kCrosses) {
        QUON_REFUSE_PARAMETER(Position,
                              "is a callback whose types cannot cross: its parameters must be values or "
                              "ArrayView<E>, its result a value or NewArray<E> (nothing borrowed)");
        return false;
    } else if constexpr (CallbackParts<T>::kIsCallback) {
        QUON_REFUSE_PARAMETER(Position, "is a callback: include externlib/CallbackWrapper.h");
        return false;
    } else {
        QUON_REFUSE_PARAMETER(Position,
                              "has a type without an argument rule. Supported: an integer type, double, "
                              "bool, std::string, std::string_view, const std::string&, const char*, "
                              "tString, const tBaseString&, ArrayView<E>, a structure with a "
                              "RecordBinding, a pointer to a registered class, std::function");
        return false;
    }
}

#undef QUON_REFUSE_PARAMETER

template <class T>
inline constexpr bool kNever = false;

// The result type of a bound function has a result rule.
template <class R>
constexpr bool CheckResult() {
    if constexpr (ResultRule<R>) {
        return true;
    } else if constexpr (std::is_same_v<std::remove_cv_t<R>, const char*> ||
                         std::is_same_v<std::remove_cv_t<R>, char*>) {
        static_assert(kNever<R>, "the result is a const char*: return std::string (its text is copied "
                                   "into the host's string)");
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
        static_assert(kNever<R>, "the result type has no result rule. Supported: a signed integer type, "
                                   "double, bool, std::string, tString, NewArray<E>, std::vector<T>, a "
                                   "structure with a RecordBinding, a pointer to a registered class");
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
