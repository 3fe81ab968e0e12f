// Rows of the dlopen'ed library called by name through the host's call API: host values in,
// each argument checked against the row's published type first, a host value out.
#include <gtest/gtest.h>
#include <malloc.h>

#include <functional>
#include <new>
#include <thread>

#include "datatypes/DataTypeParser.h"
#include "diagnostics/Exception.h"
#include "host/HostFunction.h"
#include "host/HostLibrary.h"
#include "memory/ThreadCellPools.h"

#if defined(QUON_SANITIZE)
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

using quon_host::CallError;
using quon_host::Value;

const quon_host::HostLibrary& Library() {
    static const quon_host::HostLibrary library(QUON_LIBRARY_PATH);
    return library;
}

Value Call(std::string_view name, const std::vector<Value>& arguments) {
    return Library().Call(name, arguments);
}

Value Ints(std::initializer_list<std::int64_t> values) {
    std::vector<Value> elements;
    for (std::int64_t v : values) elements.push_back(Value::Int(v));
    return Value::Array(elements);
}

// The message of the CallError `call` throws, or "" when it throws none.
std::string Refusal(const std::function<void()>& call) {
    try {
        call();
    } catch (const CallError& error) {
        return error.what();
    }
    return "";
}

TEST(HostCalls, ValuesGoInAndComeOutWithTheirOwnPrinting) {
    EXPECT_EQ(Call("maxint", {Value::Int(3), Value::Int(-9)}).Text(), "3");
    EXPECT_EQ(Call("stringAdd", {Value::String("it's"), Value::String("!")}).Text(), "'it\\'s!'");
    EXPECT_EQ(Call("getArraySum", {Ints({1, 2, 3})}).AsInt(), 6);
    const Value record = Call("createStruct", {Value::Int(4), Value::Int(2)});
    EXPECT_EQ(record.Text(), "{intAttr1: 4, intAttr2: 2}");
    EXPECT_EQ(Call("readStruct", {record}).AsInt(), 4002);

    testing::internal::CaptureStderr();
    {
        const Value object = Call("num2test", {Value::Int(-5)});
        EXPECT_EQ(object.TypeText(), "TestType");
        EXPECT_EQ(Call("test2num", {object}).AsInt(), -5);
        EXPECT_EQ(Call("print", {object}).AsString(), "Test--5");
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "*** Constructed TestType : -5\n*** Destructed TestType : -5\n");

    // Quon functions as C++ lambdas over host values, each call checked for its result.
    testing::internal::CaptureStdout();
    EXPECT_EQ(
        Call("test1a", {quon_host::MakeFunction(1, [](auto x) { return Value::Int(x[0].AsInt() * 3); })})
            .AsInt(),
        1);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("9 : 27\n"), std::string::npos);
    const Value increment = quon_host::MakeFunction(1, [](auto a) {
        std::vector<Value> out;
        for (const Value& e : a[0].Elements()) out.push_back(Value::Int(e.AsInt() + 1));
        return Value::Array(out);
    });
    EXPECT_EQ(Call("testArr", {Ints({1, 2}), increment}).Text(), "[3, 4]") << "f(f(a))";
}

TEST(HostCalls, ArraysOfRecordsAreCheckedRecordByRecord) {
    // Records with their own names tables, in different attribute orders: each table's indices
    // are its own, and a later record lacking an attribute is still found.
    const QUON_DataTypes::DataType type(QUON_DataTypes::ParseDataType("Array[Record[a:Int, b:Int]]"));
    const Value ab = Value::Record({{"a", Value::Int(1)}, {"b", Value::Int(2)}});
    const Value ba = Value::Record({{"b", Value::Int(3)}, {"a", Value::Int(4)}});
    const Value aOnly = Value::Record({{"a", Value::Int(5)}});
    const Value ac = Value::Record({{"a", Value::Int(6)}, {"c", Value::Int(7)}});
    EXPECT_TRUE(quon_host::Conforms(Value::Array({ab, ba, ab, ba}), type));
    EXPECT_FALSE(quon_host::Conforms(Value::Array({ab, ab, aOnly}), type));
    EXPECT_FALSE(quon_host::Conforms(Value::Array({ab, ac}), type)) << "not read with ab's indices";
}

TEST(HostCalls, ValuesOfAnotherTypeAreRefusedBeforeTheAdapterRuns) {
    EXPECT_EQ(Refusal([] {
                  Call("maxint", {Value::Int(1), Value::String("2")});
              }),
              "maxint: argument 2 must be Int, given String");
    EXPECT_EQ(Refusal([] {
                  Call("getArraySum", {Value::Array({Value::Int(1), Value::Float(2)})});
              }),
              "getArraySum: argument 1 must be Array[Int], given Array[Int | Float]");
    EXPECT_EQ(
        Refusal([] {
            Call("readStruct", {Value::Record({{"intAttr1", Value::Int(1)}})});
        }),
        "readStruct: argument 1 must be Record[ intAttr1: Int, intAttr2: Int ], given Record[ intAttr1: Int ]");
    EXPECT_EQ(Refusal([] { Call("maxint", {Value::Int(1)}); }), "maxint takes 2 arguments, given 1");
    EXPECT_EQ(Refusal([] { Call("maxin", {}); }),
              "no function 'maxin' in TestExternalLibrary; did you mean 'maxint'?");
    EXPECT_EQ(Refusal([] { Call("test1a", {quon_host::MakeFunction(2, nullptr)}); }),
              "test1a: argument 1 must be ( Int -> Int ), given a function of 2 arguments");
    testing::internal::CaptureStderr();
    EXPECT_NE(Refusal([] { Call("test2num", {Value::Int(7)}); }), "");
    EXPECT_NE(Refusal([] { Call("num2test", {Value::String("7")}); }), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "no TestType was made or read";

    // A callback whose result has the wrong type is stopped before the library reads it as an
    // array; the host unwinds the library's open frame and the next call works.
    const Value wrong = quon_host::MakeFunction(1, [](auto) { return Value::String("not an array"); });
    EXPECT_EQ(Refusal([&] {
                  Call("testArr", {Ints({1}), wrong});
              }),
              "testArr: the function given as argument 2 returned String where Array[Int] was expected");
    EXPECT_EQ(Call("maxint", {Value::Int(1), Value::Int(2)}).AsInt(), 2);
}

TEST(HostCalls, LibraryExceptionsKeepTheirExactTypeAcrossTheModuleBoundary) {
    EXPECT_THROW(Call("repstr", {Value::String("ab"), Value::Int(-1)}), zul::Exception);
    EXPECT_THROW(Call("getArraySeq", {Value::Int(INT64_MIN), Value::Int(INT64_MAX)}),
                 std::bad_array_new_length);
    EXPECT_THROW(Call("getRandomArray", {Value::Int(1), Value::Int(-1)}), zul::Exception)
        << "the host's makeArray refuses a negative count";
    try {
        Call("createStructArray", {Value::Int(-2)});
        ADD_FAILURE() << "createStructArray hands a negative count to makeArray as it is";
    } catch (const zul::Exception& error) {
        EXPECT_NE(std::string(error.what()).find("Negative array size!"), std::string::npos)
            << error.what();
    }
    EXPECT_EQ(Call("createStructArray", {Value::Int(0)}).Text(), "[]");
    // An exception a callback throws crosses the library's frames unchanged.
    const Value failing = quon_host::MakeFunction(1, [](auto) -> Value { throw std::bad_function_call(); });
    EXPECT_THROW(Call("test1a", {failing}), std::bad_function_call);
    EXPECT_EQ(Call("getArraySeq", {Value::Int(1), Value::Int(2)}).Text(), "[1, 2]");
}

TEST(HostCalls, EightThreadsCallRowsAtOnce) {
    Library();
    std::vector<std::thread> threads;
    std::vector<int> failures(8, 0);
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([t, &failures] {
            for (int i = 0; i < 500; ++i) {
                failures[t] += Call("maxint", {Value::Int(i), Value::Int(t)}).AsInt() != std::max(i, t);
                failures[t] += Call("getArraySeq", {Value::Int(t), Value::Int(t + 2)}).Text() !=
                               "[" + std::to_string(t) + ", " + std::to_string(t + 1) + ", " +
                                   std::to_string(t + 2) + "]";
                failures[t] +=
                    Call("stringAdd", {Value::String("t"), Value::String(std::to_string(i))}).AsString() !=
                    "t" + std::to_string(i);
                failures[t] +=
                    Call("testArr", {Ints({i}), quon_host::MakeFunction(1, [](auto a) { return a[0]; })})
                        .Text() != "[" + std::to_string(i) + "]";
            }
        });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(failures, std::vector<int>(8, 0));
}

// Host cell zones of this thread and the heap in use (both modules' zones come from the heap).
std::pair<std::size_t, std::size_t> Footprint() {
    const std::size_t zones =
        QUON_Evaluator::CurrentThreadCellPools().GetCellPool<1>().GetZoneManager().GetZoneCount();
#if defined(QUON_SANITIZE)
    return {zones, __sanitizer_get_current_allocated_bytes()};
#else
    malloc_trim(0);
    return {zones, mallinfo2().uordblks + mallinfo2().hblkhd};
#endif
}

TEST(HostCalls, AMillionMixedCallsLeaveBothModulesFlat) {
#if defined(QUON_SANITIZE)
    constexpr int kRounds = 10'000;
#else
    constexpr int kRounds = 100'000;
#endif
    const Value board =
        Value::Array({Ints({0, 1, 0, 0}), Ints({0, 1, 0, 0}), Ints({0, 1, 0, 0}), Ints({0, 0, 0, 0})});
    const Value twice = quon_host::MakeFunction(1, [](auto a) {
        std::vector<Value> out;
        for (const Value& e : a[0].Elements()) out.push_back(Value::Int(2 * e.AsInt()));
        return Value::Array(out);
    });
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    auto round = [&](int i) {  // ten calls
        Call("repstr", {Value::String("a string past the small buffer"), Value::Int(2)});
        Call("intArr2strArr", {Ints({i, -i})});
        Call("getArraySeq", {Value::Int(0), Value::Int(i % 7)});
        Call("lifeNextStep", {board, Value::Int(4), Value::Int(4)});
        Call("sumMatrixRows", {board});
        Call("readStruct", {Call("createStruct", {Value::Int(i), Value::Int(1)})});
        Call("createStructArray", {Value::Int(3)});
        Call("test2num", {Call("num2test", {Value::Int(i)})});
        Call("testArr", {Ints({i}), twice});
    };
    for (int i = 0; i < kRounds / 10; ++i) round(i);
    const auto before = Footprint();
    for (int i = 0; i < kRounds; ++i) round(i);
    const auto after = Footprint();
    testing::internal::GetCapturedStdout();
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(after.first, before.first) << "host cell zones";
    EXPECT_LE(after.second, before.second + (64u << 10)) << "heap bytes in use";
}

}  // namespace
