// Cost of parsing type strings, as a ratio against Clone of the same types already parsed,
// measured in the same run. The texts are the built-in constants' and the library's function
// type strings. The ratio is printed after the benchmark table.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <vector>

#include "datatypes/BuiltInTypes.h"
#include "datatypes/DataType.h"
#include "datatypes/DataTypeParser.h"
#include "datatypes/ExternalTypeRegistry.h"

namespace {

using QUON_DataTypes::DataType;
using QUON_DataTypes::DataTypeImp;
using Clock = std::chrono::steady_clock;

// The type strings of the library's 45 functions, in table order.
constexpr const char* kFunctionTypeTexts[] = {
    "(  -> Record[ libName: String, libVersionFull: String, libVersionPublic: String, libVersionMajor: "
    "Int, libVersionMinor: Int, libVersionPatch: Int, libVersionTweak: Int ] )",
    "(  -> Record[ recAnother: Record[ libName: String, libVersionFull: String, libVersionPublic: String, "
    "libVersionMajor: Int, libVersionMinor: Int, libVersionPatch: Int, libVersionTweak: Int ], recValue: "
    "String ] )",
    "(  -> Record[ libName:String, libVersionFull : String, libVersionMajor : Int, libVersionMinor : Int, "
    "libVersionPatch : Int, libVersionPublic : String, libVersionTweak : Int ] )",
    "( -> Float )",
    "(  -> Float )",
    "( Float -> Float )",
    "(Float -> Float)",
    "( Int * Int * Int -> Int )",
    "( String -> Int )",
    "( String -> Int )",
    "( String * Int -> String )",
    "( Bool * Bool -> Bool )",
    "( Int * Int -> Int )",
    "( String * String -> String )",
    "( Int -> TestType )",
    "( TestType -> Int )",
    "( Array[Int] -> Int )",
    "( Array[Int] -> Int )",
    "( Int * Int -> Array[Int] )",
    "( Int * Int -> Array[Int] )",
    "( Int -> Int )",
    "( Array[Float] -> Int )",
    "( Array[String] -> String )",
    "( Array[Int] -> Array[String] )",
    "( Float * Float * Int -> Bool )",
    "( Float * Float * Int -> Int )",
    "( Float * Float * Float * Float * Int -> Int )",
    "( Array[Array[Int]] * Int * Int -> Int )",
    "( Array[Array[Int]] * Int * Int -> Array[Array[Int]] )",
    "( Array[Array[Int]] -> String )",
    "( Record[ intAttr1: Int, intAttr2: Int ] -> Int )",
    "( Int * Int -> Record[ intAttr1: Int, intAttr2: Int ] )",
    "( Int -> Array[Record[intAttr1:Int, intAttr2:Int]])",
    "( Int * Int * Int -> Array[Array[Int]] )",
    "( Array[Array[Int]] -> Array[Int] )",
    "(TestType->String)",
    "(TestType->String)",
    "(TestType->String)",
    "(TestType->String)",
    "( TestType -> String )",
    "( TestType -> String )",
    "( (  -> Int ) -> Int )",
    "( ( Int -> Int ) -> Int )",
    "( Array[Int] * ( Array[Int] -> Array[Int] ) -> Array[Int] )",
    "(  -> Record[ build: String, name:String, verStrFull : String, verMajor : Int, verMinor : Int, "
    "verPatch : Int, verStrPublic : String, verTweak : String ] )",
};
static_assert(std::size(kFunctionTypeTexts) == 45, "one text per library function");

std::vector<const char*> AllTexts() {
    QUON_DataTypes::ExternalTypeRegistry::Instance().Register("TestType");
    std::vector<const char*> texts(QUON_DataTypes::ParsedTypeTexts.begin(),
                                   QUON_DataTypes::ParsedTypeTexts.end());
    texts.insert(texts.end(), std::begin(kFunctionTypeTexts), std::end(kFunctionTypeTexts));
    return texts;
}

// Nanoseconds per pass over all texts, of each benchmark's last (reported) run.
class TypeRatios {
public:
    void Record(const char* name, const benchmark::State& state, Clock::time_point start) {
        const double ns = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
        if (state.iterations() != 0) (name[0] == 'P' ? parse : clone) = ns / state.iterations();
    }
    ~TypeRatios() {
        if (parse <= 0 || clone <= 0) return;
        std::printf("\nType ratios against the baseline measured in this run (time per pass):\n");
        std::printf(
            "  parsing 83 type strings vs Clone of the parsed types:   %6.2fx the baseline's time"
            " (target <= 3)\n",
            parse / clone);
    }

private:
    double parse = 0;  // ns per pass of ParseDataType + release
    double clone = 0;  // ns per pass of Clone + release
};

TypeRatios ratios;

void BM_ParseTypeStrings(benchmark::State& state) {
    const std::vector<const char*> texts = AllTexts();
    const auto start = Clock::now();
    for (auto _ : state) {
        for (const char* text : texts) {
            DataTypeImp* type = QUON_DataTypes::ParseDataType(text);
            benchmark::DoNotOptimize(type);
            type->Release();
        }
    }
    ratios.Record("Parse", state, start);
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(texts.size()));
}

void BM_CloneParsedTypes(benchmark::State& state) {
    std::vector<DataType> types;
    for (const char* text : AllTexts()) types.emplace_back(QUON_DataTypes::ParseDataType(text));
    const auto start = Clock::now();
    for (auto _ : state) {
        for (const DataType& type : types) {
            DataTypeImp* copy = type->Clone();
            benchmark::DoNotOptimize(copy);
            copy->Release();
        }
    }
    ratios.Record("Clone", state, start);
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(types.size()));
}

BENCHMARK(BM_ParseTypeStrings);
BENCHMARK(BM_CloneParsedTypes);

}  // namespace
