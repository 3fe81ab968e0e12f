// libFuzzer target for the expression language of quon-host call, eval and repl: any bytes must
// give a value or an error (ExprError, CallError or a library exception), never a crash, a leak or
// undefined behaviour. The built library is loaded, so row calls, callbacks into lambdas and the
// host's type checks all run.
//
// Long and deep inputs come from short ones: an input whose first byte is 0xFF stands for its
// bytes after the second repeated 1 + 256 * (second byte) times, up to just past the longest
// expression (so "+1" becomes a sum of tens of thousands of terms, "[" a deep nesting).
// To keep each input cheap, inputs longer than 256 bytes are skipped, an evaluation stops after
// 100000 steps, and rows whose Int arguments are counts, sizes or iteration limits (repstr,
// getArraySeq, getRandomArray, ...) are refused with any Int argument outside -64..64. Every value
// without functions or custom objects must also read back from its printed text as itself.
// The library prints from test1a and num2test: run with -close_fd_mask=3.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <set>
#include <span>
#include <string>
#include <string_view>

#include "host/HostEvaluator.h"
#include "host/HostLibrary.h"
#include "quon-host/expr/ExprError.h"
#include "quon-host/expr/ExprEvaluator.h"

namespace {

using quon_host::Value;

void BoundCounts(std::string_view row, std::span<const Value> arguments) {
    static const std::set<std::string_view> kSized = {
        "repstr",       "getArraySeq",   "getRandomArray",    "getRandomMatrix",  "createStructArray",
        "recursiveSum", "mandel_escape", "mandel_escape_int", "julia_escape_int", "lifeNextStep",
        "lifeNextCell"};
    if (!kSized.contains(row)) return;
    for (const Value& argument : arguments)
        if (argument.GetKind() == Value::Kind::Int && (argument.AsInt() < -64 || argument.AsInt() > 64))
            throw quon_host::expr::ExprError("the fuzzer keeps counts within -64..64");
}

// True when `value` holds neither a function nor a custom object, whose texts are not literals.
bool Pastable(const Value& value) {
    switch (value.GetKind()) {
        case Value::Kind::Array:
            for (const Value& element : value.Elements())
                if (!Pastable(element)) return false;
            return true;
        case Value::Kind::Record:
            for (const auto& attribute : value.Attributes())
                if (!Pastable(attribute.second)) return false;
            return true;
        case Value::Kind::Function:
        case Value::Kind::Custom:
        case Value::Kind::None:
            return false;
        default:
            return true;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The host's runtime is up before the library loads, so it outlives the library's statics.
    static quon_host::EvaluatorScope scope;
    static const quon_host::HostLibrary library(quon_host::DefaultLibraryPath(),
                                                quon_host::HostLibrary::Strings::kHostPool);
    static quon_host::expr::ExprEvaluator evaluator(library, BoundCounts, 100'000);
    if (size > 256) return 0;

    std::string text(reinterpret_cast<const char*>(data), size);
    if (size >= 3 && data[0] == 0xFF) {
        const std::string unit = text.substr(2);
        const std::size_t times = 1 + 256 * static_cast<std::size_t>(data[1]);
        text.clear();
        for (std::size_t i = 0; i < times && text.size() <= 100'000; ++i) text += unit;
    }
    try {
        const Value value = evaluator.Evaluate(text);
        const std::string printed = value.Text();
        (void)value.TypeText();
        if (Pastable(value) && evaluator.Evaluate(printed).Text() != printed) __builtin_trap();
    } catch (const std::exception&) {
        // ExprError, CallError, zul::Exception, std::bad_alloc: a refusal, as expected
    }
    return 0;
}
