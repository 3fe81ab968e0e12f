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
//
// A wrapper may be called only while the adapter call that made it runs, on that call's thread:
// the function cell it evaluates lives in that call's frame. Each adapter call puts a binding
// of each callback parameter on its thread's list (one thread-local word) and takes it off when
// it returns; a wrapper kept past its call (stored in a static, say) or called from another
// thread finds no binding of its own there and throws std::logic_error naming the row, instead
// of evaluating whatever the cell then holds.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>

#include "externlib/Adapter.h"
#include "externlib/HostCell.h"
#include "hostabi/Evaluator.h"
#include "platform/HostCheck.h"
#include "platform/Invariant.h"

namespace QUON_ExternLib {

// A callback parameter of an adapter call that is running: the argument cell holding the Quon
// function (in the host's frame; not owned), and the call's serial, which no other binding had.
struct CallbackBinding {
    CallbackBinding* next;  // the binding put on the list before this one
    EvCell* function;
    std::uint64_t tag;  // the serial, shifted left 16 bits, with the row's index (low 16 bits)
};

// The bindings of the adapter calls running on this thread, the latest first.
extern __thread CallbackBinding* theCallbackBindings __attribute__((tls_model("initial-exec")));
// The last serial handed out, shared by all threads so that a tag is never seen twice.
extern std::atomic<std::uint64_t> theCallbackSerial;

// The row's index kept in a tag: 16 bits, all ones when the row is unknown (or past 65534).
inline constexpr std::uint64_t kUnknownRow = 0xFFFF;

// The function cell of the binding at `binding` with `tag` while its call runs on this thread;
// otherwise std::logic_error naming the row.
EvCell* LiveFunctionCell(const CallbackBinding* binding, std::uint64_t tag);

template <class Signature>
struct CallbackWrapper;

template <class R, class... A>
struct CallbackWrapper<R(A...)> {
    // Not dereferenced unless it is on this thread's list with the same tag. Two words: a
    // std::function keeps the wrapper in itself, without an allocation.
    const CallbackBinding* binding;
    std::uint64_t tag;

    R operator()(A... arguments) const {
        EvCell* const function = LiveFunctionCell(binding, tag);
        QUON_Evaluator::Evaluator* current = Host().currentEvaluator();
        QUON_HOST_CHECK(current != nullptr, "currentEvaluator() gave no evaluator on a thread that calls a Quon function back");
        QUON_Evaluator::Evaluator& evaluator = *current;
        // Everything read from cells is read before the first push.
        std::tuple<decltype(Prepare<A>(arguments))...> prepared{Prepare<A>(arguments)...};
#if QUON_CHECK_HOST
        const std::size_t depth = evaluator.Depth();
        const QUON_Evaluator::Evaluator::ValueStack before = evaluator.stack;
        (void)depth;
#endif
        PushAll(evaluator, prepared, std::index_sequence_for<A...>());
#if QUON_CHECK_HOST
        // The function cell lies in the adapter's frame, which the wrapper reads again after the push.
        const auto* frameCell = reinterpret_cast<const QUON_Evaluator::CellSlot*>(function);
        QUON_HOST_CHECK(evaluator.stack.begin == before.begin || frameCell < before.begin || frameCell >= before.capacity,
                        "the argument frame lies inside the value stack, which the callback's push reallocated: "
                        "an adapter's frame must lie outside the value stack");
#endif
        QUON_INVARIANT(evaluator.Depth() == depth + sizeof...(A),
                       "a callback's arguments did not all land on the value stack");
        Host().prepareCall(sizeof...(A), 0);
        QUON_HOST_CHECK(evaluator.frameBase == evaluator.stack.end - 1 && !evaluator.frameSizes.empty() &&
                            evaluator.frameSizes.back() == sizeof...(A) &&
                            evaluator.frameLimit == evaluator.frameBase - sizeof...(A),
                        "prepareCall(" + std::to_string(sizeof...(A)) +
                            ", 0) opened no frame over the callback's arguments: the frame base must be the top "
                            "cell, the last frame byte the argument count, the limit that many cells below the base");
#if QUON_CHECK_HOST
        // Offsets, not pointers: the evaluation may move the stack.
        const std::ptrdiff_t frameBase = evaluator.frameBase - evaluator.stack.begin;
        const std::size_t frameBytes = evaluator.frameSizes.size();
#endif
        HostCell result = HostCell::EvaluateAlt(*function);
        QUON_HOST_CHECK(Host().currentEvaluator() == &evaluator,
                        "evaluating a Quon function changed the thread's evaluator: currentEvaluator() gives "
                        "another one than the callback's frame was opened on");
        QUON_HOST_CHECK(evaluator.frameBase - evaluator.stack.begin == frameBase &&
                            evaluator.frameSizes.size() == frameBytes,
                        "evaluating a Quon function left another frame current than the one prepareCall opened "
                        "(its frame base or frame bytes moved)");
        evaluator.CloseCallFrame(
            [](QUON_Evaluator::CellSlot* slot) { reinterpret_cast<EvCell*>(slot)->ReleaseData(); });
        if constexpr (requires { Caster<R>::FromResult(std::move(result)); })
            return Caster<R>::FromResult(std::move(result));
        else
            return typename Caster<R>::Argument(CheckedArgument<R>(result.Get(), 0)).Get();
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
    // Goes on the thread's list when the native function receives it, where it then stays until
    // the call returns (the argument is not moved after Get).
    class Argument {
    public:
        explicit Argument(EvCell* cell, std::uint64_t row = kUnknownRow) : binding{nullptr, cell, row} {}
        Argument(Argument&& other) noexcept : binding(other.binding) {}
        Argument(const Argument&) = delete;
        Argument& operator=(const Argument&) = delete;
        ~Argument() {
            if (!listed) return;
            // The arguments of one call leave in any order, each from where it is.
            CallbackBinding** link = &theCallbackBindings;
            while (*link != &binding) link = &(*link)->next;
            *link = binding.next;
        }

        std::function<R(A...)> Get() {
            if (listed) return CallbackWrapper<R(A...)>{&binding, binding.tag};
            const std::uint64_t serial = theCallbackSerial.fetch_add(1, std::memory_order_relaxed) + 1;
            binding.tag = serial << 16 | (binding.tag & kUnknownRow);
            binding.next = theCallbackBindings;
            theCallbackBindings = &binding;
            listed = true;
            return CallbackWrapper<R(A...)>{&binding, binding.tag};
        }

    private:
        CallbackBinding binding;
        bool listed = false;
    };
};

template <class R, class... A>
struct PartsOf<std::function<R(A...)>> {
    using Types = std::tuple<std::type_identity<R>, std::type_identity<A>...>;
};

}  // namespace QUON_ExternLib
