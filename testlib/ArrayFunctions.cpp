#include "testlib/ArrayFunctions.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <new>
#include <string>
#include <utility>

#include "diagnostics/Exception.h"
#include "hostabi/Evaluator.h"
#include "hostabi/HostThreadWords.h"
#include "platform/HostCheck.h"
#include "testlib/NumericFunctions.h"

namespace QUON_TestLib {

using QUON_ExternLib::Host;

namespace {

// On the first call in the process only: seed the generator from the time when the most recent
// mode record of the calling thread's evaluator asks for it.
void SeedOnFirstCall() {
    static std::atomic<bool> firstCallDone{false};
    if (firstCallDone.exchange(true)) return;
    const QUON_Evaluator::Evaluator* evaluator = Host().currentEvaluator();
    if (evaluator == nullptr || evaluator->modes.empty()) return;
    if (evaluator->modes.back().flags & QUON_Evaluator::kModeSeedRandomFromTime)
        std::srand(static_cast<unsigned>(std::time(nullptr)));
}

// rand() % range: 0 to |range| - 1. A range of 0 has no value to give.
void CheckRange(std::int32_t range) {
    if (range == 0) throw zul::Exception("random values: the range must not be 0");
}
std::int64_t RandomBelow(std::int32_t range) {
    return std::rand() % range;
}

// Sums as signed 64-bit with wrap-around.
std::int64_t WrappingSum(IntArrayView array) {
    std::uint64_t sum = 0;
    for (long long value : array) sum += static_cast<std::uint64_t>(value);
    return static_cast<std::int64_t>(sum);
}

void Line(const char* text) {
    std::cout << text << std::endl;
}

#if defined(QUON_CHECKED_HOST)
// The host's stack-limit word lies in the calling thread's own stack (checked build).
const char* CheckedStackLimit(const char* when) {
    const zul::platform::ThreadStackRange stack = zul::platform::CallingThreadStack();
    const auto* limit = static_cast<const char*>(QUON_Evaluator::HostStackLimit());
    char text[96];
    std::snprintf(text, sizeof text, " (%p) lies outside the calling thread's stack [%p, %p)",
                  static_cast<const void*>(limit), static_cast<const void*>(stack.low),
                  static_cast<const void*>(stack.high));
    QUON_HOST_CHECK(stack.low == nullptr || (stack.low <= limit && limit < stack.high),
                    std::string("the stack limit ") + when + text +
                        ": the host sets each thread's limit word to an address of that thread's stack");
    return limit;
}
#endif

// Enters the host's stack extension for one scope; leaves it on every way out.
class StackExtension {
public:
    StackExtension() {
#if defined(QUON_CHECKED_HOST)
        before = CheckedStackLimit("before enterStackExtension");
        Host().enterStackExtension();
        QUON_HOST_CHECK(CheckedStackLimit("after enterStackExtension") < before,
                        "enterStackExtension did not lower the stack limit");
#else
        Host().enterStackExtension();
#endif
    }
    ~StackExtension() {
        if (entered) Host().leaveStackExtension();
    }
    void Leave() {
        entered = false;
        Host().leaveStackExtension();
#if defined(QUON_CHECKED_HOST)
        QUON_HOST_CHECK(QUON_Evaluator::HostStackLimit() == before,
                        "leaveStackExtension did not put back the stack limit that enterStackExtension lowered");
#endif
    }

private:
    bool entered = true;
#if defined(QUON_CHECKED_HOST)
    const char* before = nullptr;
#endif
};

// ThreadSanitizer records every instrumented call on a stack of its own with room for 64 Ki
// entries and writes past it unchecked: a recursion of 100,000 levels would corrupt its memory.
// The recursion itself touches no shared data, so under it the recursion is left uninstrumented.
#if defined(QUON_TSAN)
#define QUON_DEEP_RECURSION __attribute__((disable_sanitizer_instrumentation))
#else
#define QUON_DEEP_RECURSION
#endif

std::int64_t SumFrom(std::int64_t n, bool onNewExtension);

// Below the stack limit: recurse again on the stack extension the host gives.
[[gnu::noinline]] std::int64_t SumOnExtension(std::int64_t n) {
    Line("# recursiveSum : 2a");
    StackExtension extension;
    Line("# recursiveSum : 3");
    const std::int64_t sum = SumFrom(n, true);
    Line("# recursiveSum : 4");
    extension.Leave();
    Line("# recursiveSum : 5");
    return sum;
}

[[gnu::noinline]] QUON_DEEP_RECURSION std::int64_t SumFrom(std::int64_t n, bool onNewExtension) {
    if (reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)) <
        reinterpret_cast<std::uintptr_t>(QUON_Evaluator::HostStackLimit())) {
        // An extension that left this first level below the limit would be asked for again forever.
        if (onNewExtension) throw zul::Exception("recursiveSum: the stack extension gave no room");
        return SumOnExtension(n);
    }
    if (n <= 0) return 0;
    std::int64_t rest = SumFrom(n - 1, false);
    // Opaque to the optimiser: the addition stays after the call instead of becoming a loop.
    asm volatile("" : "+r"(rest));
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(n) + static_cast<std::uint64_t>(rest));
}

}  // namespace

std::int64_t GetArrayLen(IntArrayView array) {
    return array.Count();
}

std::int64_t GetArrayLenF(FloatArrayView array) {
    return array.Count();
}

std::int64_t GetArraySum(IntArrayView array) {
    return WrappingSum(array);
}

NewArray<long long> GetRandomArray(std::int32_t range, std::int32_t count) {
    SeedOnFirstCall();
    CheckRange(range);
    NewArray<long long> out(count);
    for (std::int64_t i = 0; i < count; ++i) out.Set(i, RandomBelow(range));
    return out;
}

NewArray<long long> GetArraySeq(std::int64_t from, std::int64_t to) {
    const bool down = to < from;
    const std::uint64_t distance = down ? static_cast<std::uint64_t>(from) - static_cast<std::uint64_t>(to)
                                        : static_cast<std::uint64_t>(to) - static_cast<std::uint64_t>(from);
    // No host could hold 2^63 cells; the check keeps the count from wrapping.
    if (distance >= static_cast<std::uint64_t>(INT64_MAX)) throw std::bad_array_new_length();
    const auto count = static_cast<std::int64_t>(distance + 1);
    NewArray<long long> out(count);
    const std::uint64_t step = down ? ~std::uint64_t{0} : 1;  // -1 or +1, wrapping arithmetic
    for (std::int64_t k = 0; k < count; ++k)
        out.Set(k, static_cast<std::int64_t>(static_cast<std::uint64_t>(from) + static_cast<std::uint64_t>(k) * step));
    return out;
}

std::int64_t RecursiveSum(std::int64_t n) {
#if defined(QUON_CHECKED_HOST)
    CheckedStackLimit("at the call");
#endif
    return SumFrom(n, false);
}

tString GetArraySumS(StringArrayView array) {
    tString out("");
    for (const tBaseString* text : array) AppendPrintable(out, *text);
    return out;
}

NewArray<tBaseString*> IntArr2strArr(IntArrayView array) {
    NewArray<tBaseString*> out(array.Count());
    std::int64_t i = 0;
    for (long long value : array) out.Set(i++, std::to_string(value));
    return out;
}

NewArray<IntArrayView> GetRandomMatrix(std::int32_t range, std::int32_t rows, std::int32_t columns) {
    CheckRange(range);
    NewArray<IntArrayView> out(rows);
    for (std::int64_t r = 0; r < rows; ++r) {
        NewArray<long long> row(columns);
        for (std::int64_t c = 0; c < columns; ++c) row.Set(c, RandomBelow(range));
        out.Set(r, std::move(row));
    }
    return out;
}

NewArray<long long> SumMatrixRows(IntMatrixView matrix) {
    NewArray<long long> out(matrix.Count());
    for (std::int64_t r = 0; r < matrix.Count(); ++r) out.Set(r, WrappingSum(matrix[r]));
    return out;
}

}  // namespace QUON_TestLib
