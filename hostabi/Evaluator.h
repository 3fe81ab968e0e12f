// The host's per-thread evaluator, as far as the library reaches into it: the value stack of
// two-word cell images with its frames, the mode records and the diagnostic channel. The host
// creates and owns evaluators; both modules share this layout.
//
//   stack.begin                 frameLimit      frameBase         stack.end     stack.capacity
//   |  caller's cells  ...   |  arguments of the current call  |  top  |   free slots   |
//
// A call frame is opened after its arguments are pushed: the byte stack `frameSizes` receives
// the distance (in cells) from the old frame base to the new one, then the argument count.
// Closing a frame pops both bytes, the frame's cells, and restores base and limit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "hostabi/CellSlot.h"
#include "platform/HostCheck.h"
#include "platform/Invariant.h"

namespace zul {
class DiagnosticChannel;
}

namespace QUON_Evaluator {

// One entry of the evaluator's mode queue; bit 0x20 of `flags` asks for a time-seeded random generator.
struct EvaluatorMode {
    std::uint8_t flags = 0;
};

inline constexpr std::uint8_t kModeSeedRandomFromTime = 0x20;

class Evaluator {
public:
    // The value stack: [begin, end) holds cells, [end, capacity) is free.
    struct ValueStack {
        CellSlot* begin = nullptr;
        CellSlot* end = nullptr;
        CellSlot* capacity = nullptr;
    };

    ValueStack stack;                           // owned storage of cell images
    CellSlot* frameBase = nullptr;              // base of the current call frame
    CellSlot* frameLimit = nullptr;             // lowest cell the current frame may reach
    std::vector<std::uint8_t> frameSizes;       // byte stack of frame distances and argument counts
    std::deque<EvaluatorMode> modes;            // mode records; the most recent is at the back
    zul::DiagnosticChannel* channel = nullptr;  // the thread's diagnostic channel (host-owned)

    std::size_t Depth() const { return static_cast<std::size_t>(stack.end - stack.begin); }

    // A new slot on top of the stack; a full stack is reallocated to twice its cell count and
    // the frame pointers are moved with it. The checked build moves the stack on every push, so
    // that anything the host kept pointing into it is caught at once, not when it happens to grow.
    CellSlot* PushSlot() {
        QUON_HOST_CHECK(stack.begin <= stack.end && stack.end <= stack.capacity,
                        "the value stack's top lies outside its storage (begin <= end <= capacity does not hold)");
#if defined(QUON_CHECKED_HOST)
        Grow();
#else
        if (stack.end == stack.capacity) Grow();
#endif
        return stack.end++;
    }

    void PopSlot() {
        QUON_INVARIANT(stack.end > stack.begin, "pop from an empty value stack");
        --stack.end;
    }

    // Closes the current call frame: pops the frame's cells from the top, handing each to
    // `release` first, then restores the caller's frame base and limit.
    template <class ReleaseFn>
    void CloseCallFrame(ReleaseFn&& release) {
        QUON_HOST_CHECK(frameSizes.size() >= 3,
                        "closing a call frame finds " + std::to_string(frameSizes.size()) +
                            " byte(s) on the frame-byte stack where it needs 3: the frame's distance and "
                            "count, and beneath them the caller's count, which gives the caller's frame "
                            "limit (a new evaluator holds one byte, 0, before its first frame)");
        const std::uint8_t argumentCount = PopFrameByte();
        const std::ptrdiff_t cells = (stack.end - frameBase) - 1 + argumentCount;
        QUON_HOST_CHECK(cells >= 0 && cells <= stack.end - stack.begin,
                        "closing a call frame would pop cells outside the value stack: the frame base "
                        "lies above the top, or the frame counts more arguments than the stack holds");
        QUON_HOST_CHECK(frameBase - frameSizes.back() >= stack.begin,
                        "closing a call frame moves the frame base below the value stack's first cell");
        QUON_HOST_CHECK(frameLimit == frameBase - argumentCount,
                        "closing a call frame finds a frame limit that is not the frame base lowered by "
                        "the frame's argument count");
        for (std::ptrdiff_t i = 0; i < cells; ++i) {
            release(stack.end - 1);
            PopSlot();
        }
        frameBase -= PopFrameByte();
        frameLimit = frameBase - frameSizes.back();
        QUON_HOST_CHECK(frameLimit >= stack.begin,
                        "closing a call frame moves the frame limit below the value stack: the caller's "
                        "count on the frame-byte stack is larger than its frame");
    }

private:
    std::uint8_t PopFrameByte() {
        const std::uint8_t value = frameSizes.back();
        frameSizes.pop_back();
        return value;
    }

    void Grow() {
        QUON_HOST_CHECK(stack.begin <= frameLimit && frameLimit <= frameBase && frameBase <= stack.end,
                        "the value stack grows under a frame whose base or limit lies outside it");
        const std::size_t count = Depth();
        std::size_t newCapacity = count == 0 ? 16 : 2 * count;
#if defined(QUON_CHECKED_HOST)
        if (stack.end != stack.capacity) newCapacity = static_cast<std::size_t>(stack.capacity - stack.begin);
        CheckStorageBeforeFree();
#endif
        auto* storage = static_cast<CellSlot*>(::operator new(newCapacity * sizeof(CellSlot)));
        if (count != 0) std::memcpy(storage, stack.begin, count * sizeof(CellSlot));
        const std::ptrdiff_t baseOffset = frameBase - stack.begin;
        const std::ptrdiff_t limitOffset = frameLimit - stack.begin;
        ::operator delete(stack.begin);
#if defined(QUON_CHECKED_HOST)
        zul::platform::RememberOwnStorage(storage);
#endif
        stack.begin = storage;
        stack.end = storage + count;
        stack.capacity = storage + newCapacity;
        frameBase = storage + baseOffset;
        frameLimit = storage + limitOffset;
    }

#if defined(QUON_CHECKED_HOST)
    // The storage a push frees must be a block of ::operator new: the library's own, or the host's.
    void CheckStorageBeforeFree() const {
        if (zul::platform::ForgetOwnStorage(stack.begin)) return;
        const std::size_t bytes = static_cast<std::size_t>(stack.capacity - stack.begin) * sizeof(CellSlot);
        const std::string where = zul::platform::NotFromOperatorNew(stack.begin, bytes);
        QUON_HOST_CHECK(where.empty(), "the value stack's storage lies " + where +
                                           ", not in a block from ::operator new of its capacity: the library "
                                           "frees it with ::operator delete when a push reallocates the stack");
    }
#endif
};

static_assert(offsetof(Evaluator, stack) == 0);
static_assert(offsetof(Evaluator, frameBase) == 24);
static_assert(offsetof(Evaluator, frameLimit) == 32);
static_assert(offsetof(Evaluator, frameSizes) == 40);
static_assert(offsetof(Evaluator, modes) == 64);
static_assert(offsetof(Evaluator, channel) == 144);

}  // namespace QUON_Evaluator
