// The generated adapter and the derived type string of a native function, both from its
// signature through the casters (externlib/Caster.h):
//
//   Bind<&maxint>::Adapter      an AdapterFn: reads argument i from the cell at frame offset
//                               16 + 16 i, calls maxint, writes the result through its caster
//   Bind<&maxint>::TypeString() "( Int * Int -> Int )", a constant of the read-only data (or one
//                               text built on first use, when the signature names a custom class)
//
// Bind takes a function pointer (noexcept or not), a member function (its object is the first
// parameter, a borrowed pointer of its registered class) or a lambda without captures. The
// native function is a template argument: nothing is stored and nothing is dispatched at
// run time. Temporaries of the arguments (string copies, ...) live until the call returns and
// are released on every way out; adapters catch nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <tuple>
#include <type_traits>
#include <utility>

#include "externlib/CasterRules.h"

namespace QUON_ExternLib {

namespace detail {

// Writes a signature's type text: "( P1 * P2 -> R )", "(  -> R )" without parameters.
template <class R, class... P>
struct SignatureWriter {
    template <class Out>
    static constexpr void Write(Out& out) {
        out.append("( ");
        bool first = true;
        ((out.append(first ? "" : " * "), first = false, out.append(Caster<P>::Name())), ...);
        out.append(" -> ");
        out.append(Caster<R>::Name());
        out.append(" )");
    }
};

}  // namespace detail

// The derived type text of a signature: a constant of the read-only data when every type's text
// is one, else built on first use (a registered class's name); every derivation of the same
// native signature returns the same text.
template <class R, class... P>
struct Signature
    : WrittenName<detail::SignatureWriter<R, P...>, ConstantName<R> && (ConstantName<P> && ...)> {};

// Argument i of a generated adapter: the cell at frame offset 16 + 16 i.
inline EvCell* ArgumentCell(EvCell* frame, std::size_t i) {
#if defined(QUON_CHECKED_HOST)
    CheckArgumentCell(frame, i);
#endif
    return frame + 1 + i;
}

// The index of the row that binds Function in the library's table (the last one added, when
// several do; all ones before it is added), for errors that happen after the row's call: a
// callback called after it returned.
template <auto Function>
inline std::uint64_t boundRowIndex = 0xFFFF;

// The argument holder of parameter type P for the cell, told the row's index where it keeps it.
template <class P>
typename Caster<P>::Argument MakeArgument(EvCell* cell, [[maybe_unused]] std::uint64_t row) {
    if constexpr (std::is_constructible_v<typename Caster<P>::Argument, EvCell*, std::uint64_t>)
        return typename Caster<P>::Argument(cell, row);
    else
        return typename Caster<P>::Argument(cell);
}

// The adapter and type string of Function, whose signature is R(P...). Its rules are checked
// first; when one is missing, its message is the only error (nothing below is instantiated).
template <auto Function, class R, class... P>
struct BoundFunction {
    static constexpr bool kBindable = CheckSignature<R, P...>();
    // The result's and the parameters' types, for checks over all of them.
    using Types = std::tuple<std::type_identity<R>, std::type_identity<P>...>;

    // Each adapter starts a 64-byte line: its few instructions, with the jump to the host's
    // setter at their end, are then fetched together wherever the linker puts it.
    [[gnu::aligned(64)]] static void Adapter(EvCell* result, EvCell* frame) {
        if constexpr (kBindable) Call(result, frame, std::index_sequence_for<P...>());
    }

    // Throws UnregisteredClass when the signature names a class that is not registered.
    static const char* TypeString() {
        if constexpr (kBindable)
            return Signature<R, P...>::Name();
        else
            return nullptr;
    }

private:
    template <std::size_t... I>
    static void Call(EvCell* result, [[maybe_unused]] EvCell* frame, std::index_sequence<I...>) {
        // Braced initialisation converts the arguments in order; what was converted is released
        // if a later conversion, the call or the result's conversion throws.
        std::tuple<typename Caster<P>::Argument...> arguments{
            MakeArgument<P>(CheckedArgument<P>(ArgumentCell(frame, I), I + 1), boundRowIndex<Function>)...};
        Caster<R>::SetResult(result, std::invoke(Function, std::get<I>(arguments).Get()...));
    }
};

namespace detail {

// The parts of what a row binds: a function pointer, noexcept or not (a C library's functions
// are noexcept in C++), or a member function, whose object comes first as a borrowed pointer of
// its registered class (const or not).
template <class F>
struct Bindable {
    static constexpr bool kIsFunction = false;
};
template <class R, class... P>
struct Bindable<R (*)(P...)> {
    static constexpr bool kIsFunction = true;
    template <auto Function>
    using Bound = BoundFunction<Function, R, P...>;
};
template <class R, class... P>
struct Bindable<R (*)(P...) noexcept> : Bindable<R (*)(P...)> {};
template <class R, class C, class... P>
struct Bindable<R (C::*)(P...)> {
    static constexpr bool kIsFunction = true;
    template <auto Function>
    using Bound = BoundFunction<Function, R, C*, P...>;
};
template <class R, class C, class... P>
struct Bindable<R (C::*)(P...) const> : Bindable<R (C::*)(P...)> {};
template <class R, class C, class... P>
struct Bindable<R (C::*)(P...) noexcept> : Bindable<R (C::*)(P...)> {};
template <class R, class C, class... P>
struct Bindable<R (C::*)(P...) const noexcept> : Bindable<R (C::*)(P...)> {};

// A lambda without captures: bound as itself (the function pointer it converts to has no linkage
// when the lambda is written inside a function, so it cannot be a template argument), with the
// signature of that pointer.
template <auto Function>
concept CaptureFreeLambda = std::is_class_v<decltype(Function)> && requires { +Function; } &&
                            Bindable<decltype(+Function)>::kIsFunction;

}  // namespace detail

template <auto Function>
struct Bind {
    static_assert(kNever<decltype(Function)>,
                  "a row binds a function: &Function, &Class::StaticFunction, &Class::Member (its object "
                  "comes first) or a lambda without captures");
    static constexpr bool kBindable = false;
};

template <auto Function>
requires detail::Bindable<decltype(Function)>::kIsFunction
struct Bind<Function> : detail::Bindable<decltype(Function)>::template Bound<Function> {};

template <auto Function>
requires detail::CaptureFreeLambda<Function>
struct Bind<Function> : detail::Bindable<decltype(+Function)>::template Bound<Function> {};

}  // namespace QUON_ExternLib
