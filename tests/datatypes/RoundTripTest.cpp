// Property: every well-formed type prints as a text that parses back to an equal type, and
// the reparsed type prints the same text. Types come from a seeded generator over every class.
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>

#include "datatypes/DataTypeCollection.h"
#include "datatypes/DataTypeCombinedPrime.h"
#include "datatypes/DataTypeFunction.h"
#include "datatypes/DataTypeRecord.h"
#include "datatypes/DataTypeRecursiveReference.h"
#include "datatypes/DataTypeSimple.h"
#include "datatypes/DataTypeTuple.h"
#include "datatypes/ExternalTypeRegistry.h"
#include "tests/datatypes/TypeTestSupport.h"

namespace {

using namespace type_tests;
using namespace QUON_DataTypes;

enum Kind {
    kLeaf,
    kList,
    kArray,
    kMap,
    kSequence,
    kSequenceStr,
    kIndexable,
    kCombined,
    kFunction,
    kApplication,
    kRecursive,
    kTuple,
    kTupleX,
    kRecord,
    kRecordX,
    kEmptyRecord,
    kKindCount
};

class TypeGenerator {
public:
    explicit TypeGenerator(std::uint32_t seed) : rng(seed) {
        externals[0] = ExternalTypeRegistry::Instance().Register("TestType");
        externals[1] = ExternalTypeRegistry::Instance().Register("Ext_2");
    }

    DataType Next() {
        budget = 60;
        return Make(0);
    }

    std::array<int, kKindCount> kinds{};  // how often each kind was made
    int deepest = 0;                      // the deepest nesting made so far

private:
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    std::uint32_t Index() { return static_cast<std::uint32_t>(1 + Pick(12)); }

    DataType Leaf() {
        static constexpr std::int32_t primes[] = {1,       2,       4,       8,       0x20000, 0x20001,
                                                  0x20002, 0x20003, 0x20004, 0x20005, 0x20006, 0x20007};
        switch (Pick(3)) {
            case 0:
                return DataType(CreateTypeVariable(Index()));
            case 1:
                return DataType(new DataTypeExternal(externals[Pick(2)]));
            default: {
                DataTypeImp* prime = SharedPrimeType(primes[Pick(12)]);
                prime->AddReference();
                return DataType(prime);
            }
        }
    }

    AttributeMap Attributes(int depth, int most) {
        static constexpr const char* names[] = {"a", "b", "c", "x_1", "_y", "Name2"};
        AttributeMap attributes;
        for (int i = Pick(most + 1); i > 0; --i) {
            attributes.try_emplace(zul::zulStdString::tString(names[Pick(6)]), Make(depth + 1));
        }
        return attributes;
    }

    // An open extension: a variable, or another extendable tuple or record (ending open).
    DataType TupleTail(int depth) {
        if (Pick(3) > 0) return DataType(CreateTypeVariable(Index()));
        return Make(depth, kTupleX);
    }
    DataType RecordTail(int depth) {
        if (Pick(3) > 0) return DataType(CreateTypeVariable(Index()));
        return Make(depth, kRecordX);
    }

    DataType Make(int depth) {
        const bool leaf = depth >= 7 || --budget <= 0 || Pick(10) < 2;
        return Make(depth, leaf ? kLeaf : static_cast<Kind>(1 + Pick(kKindCount - 1)));
    }

    DataType Make(int depth, Kind kind) {
        ++kinds[kind];
        deepest = std::max(deepest, depth);
        const int d = depth + 1;
        switch (kind) {
            case kLeaf:
                return Leaf();
            case kList:
                return DataType(new DataTypeList(Make(d)));
            case kArray:
                return DataType(new DataTypeArray(Make(d)));
            case kMap:
                return DataType(new DataTypeMap(Make(d), Make(d)));
            case kSequence:
                return DataType(CreateSequenceType(Index(), Make(d)));
            case kSequenceStr:
                return DataType(CreateSequenceStrType(Index(), Make(d)));
            case kIndexable:
                return DataType(CreateIndexableType(Index(), Make(d), Make(d)));
            case kCombined: {
                static constexpr std::int32_t codes[] = {0x10006, 0x1000E, 0x1000F,
                                                         0x1000D, 0x1000B, 0x10007};
                return DataType(CreateCombinedPrimeType(codes[Pick(6)], Index()));
            }
            case kFunction:
            case kApplication: {
                const auto n = static_cast<std::uint32_t>(Pick(4));
                DataType function(kind == kFunction ? CreateFunctionType(n)
                                                    : CreateFunctionApplicationType(n));
                for (std::uint32_t i = 0; i <= n; ++i) function->GetFunctionSubType(i) = Make(d);
                return function;
            }
            case kRecursive:
                return DataType(new DataTypeRecursiveReference(Make(d)));
            case kTuple:
            case kTupleX: {
                const auto n = static_cast<std::uint32_t>(1 + Pick(3));
                DataType tuple(kind == kTuple ? CreateTupleType(n, 1) : CreateTupleXType(n, 1));
                for (std::uint32_t i = 0; i < n; ++i) tuple->GetTupleElement(i) = Make(d);
                if (kind == kTupleX) tuple->GetTupleExtension() = TupleTail(d);
                return tuple;
            }
            case kRecord: {
                AttributeMap attributes = Attributes(d, 3);
                if (attributes.empty()) return DataType(new DataTypeEmptyRecord());
                return DataType(new DataTypeExactRecord(std::move(attributes)));
            }
            case kRecordX: {
                DataType record(new DataTypeExtendableRecord(Attributes(d, 3)));
                if (Pick(2) == 0) *record->GetRecordExtension() = RecordTail(d);
                return record;
            }
            case kEmptyRecord:
                return DataType(new DataTypeEmptyRecord());
            case kKindCount:
                break;
        }
        return DataType();
    }

    std::mt19937 rng;                         // seeded: every run makes the same types
    std::array<std::int32_t, 2> externals{};  // codes of the registered external names
    int budget = 0;                           // nodes left for the type being made
};

TEST(TypeRoundTrip, PrintParsePrintGivesTheSameTextAndAnEqualType) {
    TypeGenerator generator(20240607);
    int failures = 0;
    for (int i = 0; i < 10000 && failures < 5; ++i) {
        const DataType original = generator.Next();
        const std::string printed = Print(original);
        const DataType reparsed = Parse(printed.c_str());
        const std::string reprinted = Print(reparsed);
        const bool same =
            reprinted == printed && original->Compare(*reparsed) == 0 && reparsed->Compare(*original) == 0;
        if (!same) {
            ++failures;
            ADD_FAILURE() << "type " << i << ": " << printed << "\n reprinted: " << reprinted;
        }
    }
    for (int kind = 0; kind < kKindCount; ++kind) {
        EXPECT_GT(generator.kinds[kind], 0) << "kind " << kind << " was generated";
    }
    EXPECT_GE(generator.deepest, 6) << "types nest at least six deep";
}

}  // namespace
