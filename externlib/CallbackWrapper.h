// Quon functions passed to native functions. A parameter of type std::function<R(A...)> is bound
// to a CallbackWrapper holding the argument cell of the Quon function; calling it
//
//   1. pushes the arguments on the calling thread's value stack (an Int through setInt, an array
//      as a copy of its cell that owns its own share), 2. tells the host with prepareCall,
//   3. evaluates the function cell (EvaluateNewAlt gives a pooled result cell), 4. closes the
//      call frame the host opened, releasing the frame's cells, 5. converts the result (an Int's
//      low 32 bits; an array as a new pooled cell owning a copy) and releases the result cell.
//
// If the host throws while evaluating, the frame stays open: the host restores its own frames.
#pragma once

#include <cstdint>
#include <functional>

#include "externlib/Adapter.h"
#include "externlib/HostCell.h"
#include "hostabi/Evaluator.h"

namespace QUON_ExternLib {

// How a callback argument goes onto the value stack and how a callback result comes back.
template <class T>
struct CallbackValue {
    static_assert(kAlwaysFalse<T>, "this type cannot cross a callback: add a CallbackValue specialisation");
};

template <>
struct CallbackValue<int> {
    static void Push(QUON_Evaluator::Evaluator& evaluator, int value) {
        Host().setInt(reinterpret_cast<EvCell*>(evaluator.PushSlot()), value);
    }
    static int From(const HostCell& result) {
        return static_cast<int>(static_cast<std::uint32_t>(result->Word()));
    }
};

template <class T>
struct CallbackValue<QUON_Evaluator::fArrayOfPrimitiveValues<T>*> {
    using View = QUON_Evaluator::fArrayOfPrimitiveValues<T>;
    static void Push(QUON_Evaluator::Evaluator& evaluator, View* array) {
        const QUON_Evaluator::CellSlot image =
            QUON_Evaluator::CellSlot::Of(array->Cell());  // before the push
        void* slot = evaluator.PushSlot();
        image.WriteTo(slot);
        reinterpret_cast<EvCell*>(slot)->CloneData();
    }
    // The host's result cell itself, now the caller's (a host cell: release it with HostCell).
    static View* From(HostCell result) { return View::Of(result.Release()); }
};

template <class Signature>
struct CallbackWrapper;

template <class R, class... A>
struct CallbackWrapper<R(A...)> {
    EvCell* function;  // the argument cell holding the Quon function; not owned

    R operator()(A... arguments) const {
        QUON_Evaluator::Evaluator& evaluator = *Host().currentEvaluator();
        (CallbackValue<A>::Push(evaluator, arguments), ...);
        Host().prepareCall(sizeof...(A), 0);
        HostCell result = HostCell::EvaluateAlt(*function);
        evaluator.CloseCallFrame(
            [](QUON_Evaluator::CellSlot* slot) { reinterpret_cast<EvCell*>(slot)->ReleaseData(); });
        return CallbackValue<R>::From(std::move(result));
    }
};

template <class R, class... A>
struct Caster<std::function<R(A...)>> {
    static const char* Name() { return Signature<R, A...>::Text().c_str(); }
    struct Argument {
        explicit Argument(EvCell* cell) : callable(CallbackWrapper<R(A...)>{cell}) {}
        std::function<R(A...)> Get() const { return callable; }
        std::function<R(A...)> callable;
    };
};

}  // namespace QUON_ExternLib
