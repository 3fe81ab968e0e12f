// Cost of parsing type strings, as parse time per type node, the counter "time_per_node": the
// built-in constants' and the library's function type strings, parsed and released, the CPU time
// divided by the nodes of the parsed types. Its operations (the counter "ops") are those nodes.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <iterator>
#include <vector>

#include "bench/RatioTable.h"
#include "datatypes/BuiltInTypes.h"
#include "datatypes/DataType.h"
#include "datatypes/DataTypeParser.h"
#include "datatypes/ExternalTypeRegistry.h"

namespace {

using QUON_DataTypes::DataType;
using QUON_DataTypes::DataTypeImp;

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

// The nodes of a type: the type and every sub-type below it, as the walks see them (a tuple's
// elements, a record's attributes).
std::int64_t NodeCount(const DataType& type) {
    std::int64_t nodes = 1;
    QUON_DataTypes::DataTypeVisitorFunction count([&nodes](DataType*) -> QUON_DataTypes::VisitResult {
        ++nodes;
        return QUON_DataTypes::kDescend;
    });
    type->Traverse(count, 0xFFFFFFFEu);
    return nodes;
}

void BM_ParseTypeStrings(benchmark::State& state) {
    const std::vector<const char*> texts = AllTexts();
    std::int64_t nodes = 0;
    for (const char* text : texts) nodes += NodeCount(DataType(QUON_DataTypes::ParseDataType(text)));
    for (auto _ : state) {
        for (const char* text : texts) {
            DataTypeImp* type = QUON_DataTypes::ParseDataType(text);
            benchmark::DoNotOptimize(type);
            type->Release();
        }
    }
    quon_bench::RecordWork(state, nodes);
    // The time of an iteration over its nodes, in seconds: the console shows e.g. "71.7ns".
    state.counters["time_per_node"] =
        benchmark::Counter(static_cast<double>(nodes),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_ParseTypeStrings);

}  // namespace
