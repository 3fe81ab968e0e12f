// The generated adapter and the derived type string of a native function, both from its
// signature through the casters (externlib/Caster.h):
//
//   Bind<&maxint>::Adapter      an AdapterFn: reads argument i from the cell at frame offset
//                               16 + 16 i, calls maxint, writes the result through its caster
//   Bind<&maxint>::TypeString() "( Int * Int -> Int )", a constant of the read-only data (or one
//                               text built on first use, when the signature names a custom class)
//
// The native function is a template argument: nothing is stored and nothing is dispatched at
// run time. Temporaries of the arguments (string copies, ...) live until the call returns and
// are released on every way out; adapters catch nothing.
#pragma once

#include <cstddef>
#include <tuple>
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
    return frame + 1 + i;
}

// The adapter and type string of Function, whose signature is R(P...). Its rules are checked
// first; when one is missing, its message is the only error (nothing below is instantiated).
template <auto Function, class R, class... P>
struct BoundFunction {
    static constexpr bool kBindable = CheckSignature<R, P...>();

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
            typename Caster<P>::Argument(ArgumentCell(frame, I))...};
        Caster<R>::SetResult(result, Function(std::get<I>(arguments).Get()...));
    }
};

template <auto Function>
struct Bind {
    static_assert(kNever<decltype(Function)>, "a row binds a plain function: &Function, or &Class::StaticFunction");
    static constexpr bool kBindable = false;
};

template <class R, class... P, R (*Function)(P...)>
struct Bind<Function> : BoundFunction<Function, R, P...> {};

template <class R, class... P, R (*Function)(P...) noexcept>
struct Bind<Function> : BoundFunction<Function, R, P...> {};

}  // namespace QUON_ExternLib
