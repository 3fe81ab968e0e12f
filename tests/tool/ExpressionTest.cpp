// The expression language behind call, eval and repl, used directly: printed values read back as
// the same values, and input that could exhaust the stack or wrap an Int gives an error instead.
#include <gtest/gtest.h>

#include <cfloat>
#include <cstdint>
#include <functional>
#include <string>

#include "host/HostLibrary.h"
#include "host/TypeCheck.h"
#include "quon-host/expr/ExprError.h"
#include "quon-host/expr/ExprEvaluator.h"
#include "quon-host/expr/Parser.h"
#include "tests/modules/OnStackOf.h"

namespace {

using quon_host::Value;
using quon_host::expr::ExprError;
using test_support::OnStackOf;

quon_host::expr::ExprEvaluator& Evaluator() {
    static const quon_host::HostLibrary library(QUON_LIBRARY_PATH);
    static quon_host::expr::ExprEvaluator evaluator(library);
    return evaluator;
}

// The text of the ExprError that evaluating `text` throws, or "" when it throws none.
std::string Error(const std::string& text) {
    try {
        Evaluator().Evaluate(text);
    } catch (const ExprError& error) {
        return error.what();
    }
    return "";
}

TEST(Expressions, PrintedValuesReadBackAsTheSameValues) {
    std::string everyByte;
    for (int byte = 0; byte < 256; ++byte) everyByte += static_cast<char>(byte);
    const Value values[] = {
        Value::String(everyByte),
        Value::String(std::string("\0"
                                  "7",
                                  2)),  // an octal escape followed by a digit
        Value::Float(0.1),
        Value::Float(-0.0),
        Value::Float(5e-324),
        Value::Float(DBL_MAX),
        Value::Float(1e-7),
        Value::Int(INT64_MIN),
        Value::Int(INT64_MAX),
        Value::Array(
            {Value::Array({}), Value::Record({{"a", Value::Bool(false)}, {"b", Value::String("'")}})}),
    };
    for (const Value& value : values) {
        const std::string text = value.Text();
        const Value read = Evaluator().Evaluate(text);
        EXPECT_EQ(read.Text(), text);
        EXPECT_EQ(read.TypeText(), value.TypeText()) << text;
    }
    EXPECT_EQ(Evaluator().Evaluate(Value::String(everyByte).Text()).AsString(), everyByte);
}

TEST(Expressions, ARowsResultSkipsTheCheckOnlyWhereItsPublishedTypeIsTheParameters) {
    EXPECT_EQ(Evaluator().Evaluate("getArraySum(getArraySeq(1, 4))").AsInt(), 10);
    const auto refusal = [](const std::string& text) -> std::string {
        try {
            Evaluator().Evaluate(text);
        } catch (const quon_host::CallError& error) {
            return error.what();
        }
        return "";
    };
    EXPECT_EQ(refusal("getArrayLenF(getArraySeq(1, 3))"),
              "getArrayLenF: argument 1 must be Array[Float], given Array[Int]");
    EXPECT_EQ(refusal("getArraySum(map(getArraySeq(1, 2), x -> 1.5))"),
              "getArraySum: argument 1 must be Array[Int], given Array[Float]")
        << "the expression's own value, though a row's result went into it";
}

TEST(Expressions, DeepOrLongInputIsAnErrorNotACrash) {
    using quon_host::expr::kMaxDepth;
    auto nested = [](std::size_t depth) { return std::string(depth, '[') + std::string(depth, ']'); };
    EXPECT_EQ(Error(nested(kMaxDepth)), "");
    EXPECT_EQ(Error(nested(kMaxDepth + 1)), "nesting deeper than 200 levels at column 201");
    EXPECT_NE(Error(std::string(50'000, '(') + "1"), "");
    EXPECT_NE(Error(std::string(50'000, '-') + "1"), "");
    EXPECT_NE(Error(std::string(30'000, 'x') + std::string(30'000, '-') + "> 1"), "");
    EXPECT_EQ(Error(std::string(quon_host::expr::kMaxLength + 1, ' ')),
              "expression longer than 100000 characters");
    // A lambda that applies itself: bounded by the evaluator's depth, and on a small stack by the
    // stack it has.
    EXPECT_EQ(Error("map([h -> h(h)], g -> g(g))"),
              "evaluation nested deeper than 500 levels at column 13");
    std::string onSmallStack;
    OnStackOf(512 * 1024, [&] { onSmallStack = Error("map([h -> h(h)], g -> g(g))"); });
    EXPECT_NE(onSmallStack.find("evaluation needs more stack than this thread has"), std::string::npos)
        << onSmallStack;
    // A left-deep chain is one level however long, and its tree ends without recursion (a 2 MB
    // stack held neither for 50,000 terms).
    std::string sum = "1";
    for (int i = 1; i < 50'000; ++i) sum += "+1";
    std::string total;
    OnStackOf(2 * 1024 * 1024, [&] { total = Evaluator().Evaluate(sum).Text(); });
    EXPECT_EQ(total, "50000");
    EXPECT_EQ(Evaluator().Evaluate(sum.substr(0, 1001)).Text(), "501") << "501 terms are not 501 levels";
}

TEST(Expressions, IntArithmeticNeverWraps) {
    EXPECT_EQ(Evaluator().Evaluate("-7 / 2 * 2 + -7 % 2").AsInt(), -7);
    EXPECT_EQ(Evaluator().Evaluate("-1 - 9223372036854775807").Text(), "-9223372036854775808");
    EXPECT_EQ(Error("-9223372036854775808 / -1"), "Int overflow in -9223372036854775808 / -1 at column 22");
    EXPECT_EQ(Evaluator().Evaluate("-9223372036854775808 % -1").Text(), "0") << "the remainder fits";
    EXPECT_EQ(Evaluator().Evaluate("7 % -1").Text(), "0");
    EXPECT_EQ(Error("-(-9223372036854775808)"), "Int overflow in -(-9223372036854775808) at column 1");
    EXPECT_EQ(Error("4611686018427387904 * 2"), "Int overflow in 4611686018427387904 * 2 at column 21");
    EXPECT_EQ(Error("1 % 0"), "remainder by zero at column 3");
    EXPECT_EQ(Evaluator().Evaluate("1.0 / 0.0").Text(), "inf.") << "Floats follow IEEE";
    EXPECT_EQ(Evaluator().Evaluate("nan != nan").Text(), "true");
    EXPECT_EQ(Error("true < false"), "cannot apply '<' to Bool and Bool at column 6");
}

}  // namespace
