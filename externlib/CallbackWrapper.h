// Quon functions passed to native functions. A parameter of type std::function<R(A...)> is bound
// to a CallbackWrapper holding the argument cell of the Quon function; calling it
//
//   1. pushes the arguments on the calling thread's value stack through their casters (a value
//      set like a result; an array as a copy of its cell that owns its own share, its image taken
//      before any push can move the stack), 2. tells the host with prepareCall,
//   3. evaluates the function cell (EvaluateNewAlt gives a pooled result cell), 4. closes the
//      call frame the host opened, releasing the frame's cells, 5. converts the result through
//      its caster (an Int's low bits; an array as a NewArray owning the result cell) and
//      releases the result cell.
//
// If the host throws while evaluating, the frame stays open: the host restores its own frames.
#pragma once

#include <cstddef>
#include <functional>
#include <tuple>
#include <utility>

#include "externlib/Adapter.h"
#include "externlib/HostCell.h"
#include "hostabi/Evaluator.h"
#include "platform/Invariant.h"

namespace QUON_ExternLib {

template <class Signature>
struct CallbackWrapper;

template <class R, class... A>
struct CallbackWrapper<R(A...)> {
    EvCell* function;  // the argument cell holding the Quon function; not owned

    R operator()(A... arguments) const {
        QUON_Evaluator::Evaluator* current = Host().currentEvaluator();
        QUON_INVARIANT(current != nullptr, "a callback called on a thread without an evaluator");
        QUON_Evaluator::Evaluator& evaluator = *current;
        // Everything read from cells is read before the first push.
        std::tuple<decltype(Prepare<A>(arguments))...> prepared{Prepare<A>(arguments)...};
#if QUON_CHECK_INVARIANTS
        const std::size_t depth = evaluator.Depth();
#endif
        PushAll(evaluator, prepared, std::index_sequence_for<A...>());
        QUON_INVARIANT(evaluator.Depth() == depth + sizeof...(A),
                       "a callback's arguments did not all land on the value stack");
        Host().prepareCall(sizeof...(A), 0);
        QUON_INVARIANT(evaluator.frameBase == evaluator.stack.end - 1 && !evaluator.frameSizes.empty() &&
                           evaluator.frameSizes.back() == sizeof...(A),
                       "prepareCall opened no frame over the callback's arguments");
#if QUON_CHECK_INVARIANTS
        // Offsets, not pointers: the evaluation may move the stack.
        const std::ptrdiff_t frameBase = evaluator.frameBase - evaluator.stack.begin;
        const std::size_t frameBytes = evaluator.frameSizes.size();
#endif
        HostCell result = HostCell::EvaluateAlt(*function);
        QUON_INVARIANT(Host().currentEvaluator() == &evaluator,
                       "a callback's frame closes on another evaluator than the one it was opened on");
        QUON_INVARIANT(evaluator.frameBase - evaluator.stack.begin == frameBase &&
                           evaluator.frameSizes.size() == frameBytes,
                       "a callback's call frame is no longer the current one");
        evaluator.CloseCallFrame(
            [](QUON_Evaluator::CellSlot* slot) { reinterpret_cast<EvCell*>(slot)->ReleaseData(); });
        if constexpr (requires { Caster<R>::FromResult(std::move(result)); })
            return Caster<R>::FromResult(std::move(result));
        else
            return typename Caster<R>::Argument(result.Get()).Get();
    }

private:
    template <class T>
    static constexpr bool kShares = requires(const T& value) { Caster<T>::ShareImage(value); };

    // What a push needs: the cell image of a shared array, or the value itself.
    template <class T>
    static auto Prepare(T& value) {
        if constexpr (kShares<T>)
            return Caster<T>::ShareImage(value);
        else
            return std::ref(value);
    }

    template <class Prepared, std::size_t... I>
    static void PushAll(QUON_Evaluator::Evaluator& evaluator, Prepared& prepared, std::index_sequence<I...>) {
        (Push<A>(evaluator, std::get<I>(prepared)), ...);
    }

    template <class T, class P>
    static void Push(QUON_Evaluator::Evaluator& evaluator, P& prepared) {
        auto* slot = reinterpret_cast<EvCell*>(evaluator.PushSlot());
        if constexpr (kShares<T>) {
            prepared.WriteTo(slot);
            slot->CloneData();
        } else {
            Caster<T>::SetResult(slot, std::move(prepared.get()));
        }
    }
};

// Only signatures whose types can cross (externlib/CasterRules.h) have an argument rule. A
// callback's type text is its signature's.
template <class R, class... A>
requires CallbackParts<std::function<R(A...)>>::kCrosses
struct Caster<std::function<R(A...)>> : Signature<R, A...> {
    struct Argument {
        explicit Argument(EvCell* cell) : callable(CallbackWrapper<R(A...)>{cell}) {}
        std::function<R(A...)> Get() const { return callable; }
        std::function<R(A...)> callable;
    };
};

}  // namespace QUON_ExternLib
