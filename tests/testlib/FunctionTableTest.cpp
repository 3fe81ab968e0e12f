// The library's published rows as a host meets them: the descriptor read from the dlopen'ed
// library, and each function called through its row's adapter with a frame of cells the
// stand-in host made.
#include <gtest/gtest.h>
#include <pthread.h>

#include <concepts>
#include <functional>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "datatypes/DataTypeParser.h"
#include "datatypes/ExternalTypeRegistry.h"
#include "diagnostics/EvException.h"
#include "evaluator/EvInvalidCell.h"
#include "evaluator/RecordView.h"
#include "externlib/Caster.h"
#include "host/CallFrame.h"
#include "host/HostContext.h"
#include "host/HostEvaluator.h"
#include "host/LibraryLoader.h"
#include "hostabi/HostThreadWords.h"
#include "tests/evaluator/CellTestSupport.h"

namespace {

using QUON_Evaluator::EvCell;
using QUON_Evaluator::RecordView;
using QUON_ExternLib::FunctionEntry;
using Values = std::vector<long long>;

ParentContext& H() {
    return *quon_host::HostContext();
}

const QUON_ExternLib::LibraryDescriptor& Descriptor() {
    static quon_host::LoadedLibrary library(QUON_LIBRARY_PATH);
    static const auto* descriptor = (library.Bind(quon_host::HostContext()), library.Data());
    return *descriptor;
}

const FunctionEntry& Row(std::string_view name) {
    const auto& d = Descriptor();
    for (std::uint64_t i = 0; i < d.functionCount; ++i)
        if (name == d.functions[i].name) return d.functions[i];
    throw std::runtime_error("no row " + std::string(name));
}

// A Quon function as the host holds it: evaluating it runs `body` on the frame the caller
// prepared (its last argument at the frame base) and gives a new pooled result cell.
class LambdaCell : public EvCell {
public:
    using Body = std::function<void(EvCell* result, EvCell* argument)>;
    explicit LambdaCell(const Body* body) : EvCell(reinterpret_cast<QUON_Evaluator::CellWord>(body)) {}
    EvCell* EvaluateNewAlt() override {
        auto* result = static_cast<EvCell*>(QUON_Evaluator::AllocateCell());
        (*reinterpret_cast<const Body*>(word))(
            result, reinterpret_cast<EvCell*>(quon_host::CurrentEvaluator()->frameBase));
        return result;
    }
};

// One argument: how it fills its cell of the frame (an Int, a Float, a String, or any filler).
struct Arg {
    Arg(int v) : Arg(static_cast<long long>(v)) {}
    Arg(long long v) : fill([v](EvCell* c) { H().setInt(c, v); }) {}
    Arg(double v) : fill([v](EvCell* c) { H().setFloat(c, v); }) {}
    Arg(std::string t) : fill([t](EvCell* c) { H().setString(c, t.data(), t.size()); }) {}
    Arg(const char* t) : Arg(std::string(t)) {}
    template <std::invocable<EvCell*> F>
    Arg(F f) : fill(std::move(f)) {}
    std::function<void(EvCell*)> fill;
};
Arg Bool(std::uint64_t payload) {
    return [payload](EvCell* c) { H().setBool(c, payload); };
}
const std::string kNull(zul::zulStdString::tBaseString::NullText(), 10);
// An array of `count` elements made by the host, element i filled by fill(cell, i).
template <class Fill>
void FillArray(EvCell* c, std::size_t count, Fill fill) {
    QUON_Evaluator::PooledCell carrier(H().makeArray(count));
    for (std::size_t i = 0; i < count; ++i)
        fill(QUON_Evaluator::fArrayOfPrimitiveValues<long long>::Of(carrier.Get())->ElementCell(i), i);
    carrier.MoveImageTo(c);
}
void FillInts(EvCell* c, const Values& values) {
    FillArray(c, values.size(), [&](EvCell* e, std::size_t i) { H().setInt(e, values[i]); });
}
Arg Array(Values values) {
    return [values](EvCell* c) { FillInts(c, values); };
}
Arg StrArray(std::vector<std::string> texts) {
    return [texts](EvCell* c) {
        FillArray(c, texts.size(),
                  [&](EvCell* e, std::size_t i) { H().setString(e, texts[i].data(), texts[i].size()); });
    };
}
Arg Matrix(std::vector<Values> rows) {
    return [rows](EvCell* c) {
        FillArray(c, rows.size(), [&](EvCell* e, std::size_t i) { FillInts(e, rows[i]); });
    };
}
Arg Record(std::vector<std::pair<const char*, long long>> attributes) {
    return [attributes](EvCell* c) {
        auto names = QUON_Evaluator::utilRecordNames::Make();
        for (const auto& a : attributes) QUON_Evaluator::utilRecordNames::AddName(names, a.first);
        H().makeRecord(c, &names);
        for (std::size_t i = 0; i < attributes.size(); ++i)
            H().setInt(RecordView(*c).Attribute(i), attributes[i].second);
    };
}
Arg Share(EvCell* source) {  // another reference to a value the test holds
    return [source](EvCell* c) { source->CopyTo(c); };
}
Arg Function(const LambdaCell::Body* body) {
    return [body](EvCell* c) { ::new (c) LambdaCell(body); };
}

// Calls rows on the calling thread, which gets an evaluator for the caller's lifetime.
class Caller {
public:
    Caller() { QUON_Evaluator::EvInvalidCell::MakeAt(result.bytes); }
    ~Caller() { result.Cell()->ReleaseData(); }

    // The result of the row's adapter, kept until the next call.
    EvCell* Call(std::string_view row, const std::vector<Arg>& args) {
        result.Cell()->ReleaseData();
        QUON_Evaluator::EvInvalidCell::MakeAt(result.bytes);
        quon_host::CallFrame frame(args.size());
        for (std::size_t i = 0; i < args.size(); ++i) args[i].fill(frame.Argument(i));
        frame.Call(Row(row).adapter, result.Cell());
        return result.Cell();
    }
    std::string Text(std::string_view row, const std::vector<Arg>& args) {
        return cell_tests::Plain(*Call(row, args));
    }
    long long Integer(std::string_view row, const std::vector<Arg>& args) {
        return Call(row, args)->GetInteger();
    }

    quon_host::EvaluatorScope scope;
    cell_tests::Slot result;
};

class Rows : public ::testing::Test, public Caller {};

TEST(TestLibraryDescriptor, RowsAndTheirTextsAreThoseAHostExpects) {
    const auto& d = Descriptor();
    ASSERT_EQ(d.functionCount, 45u);
    EXPECT_STREQ(d.functions[0].name, "__libData__");
    EXPECT_STREQ(d.functions[44].name, "_libData_");
    EXPECT_STREQ(d.functions[3].typeString, "( -> Float )") << "row 4: literal";
    EXPECT_STREQ(d.functions[4].typeString, "(  -> Float )") << "row 5: derived, two blanks";
    EXPECT_EQ(d.functions[3].adapter, d.functions[4].adapter) << "test1 and test share an adapter";
    EXPECT_EQ(d.functions[16].typeString, d.functions[17].typeString) << "rows 17 and 18: one text";
    EXPECT_STREQ(Row("testArr").typeString, "( Array[Int] * ( Array[Int] -> Array[Int] ) -> Array[Int] )");
    EXPECT_STREQ(
        Row("__libData2__").typeString,
        "(  -> Record[ recAnother: Record[ libName: String, libVersionFull: String, libVersionPublic: "
        "String, libVersionMajor: Int, libVersionMinor: Int, libVersionPatch: Int, libVersionTweak: "
        "Int ], recValue: String ] )");

    ASSERT_EQ(d.customTypeCount, 1u);
    const auto& type = d.customTypes[0];
    EXPECT_STREQ(type.typeName, "TestType");
    EXPECT_TRUE(type.reserved1 == nullptr && type.reserved2 == 0);
    testing::internal::CaptureStderr();
    type.destroy(nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "destroying a null object prints nothing";

    // A host knows the library's custom types before it reads the rows' types.
    QUON_DataTypes::ExternalTypeRegistry::Instance().Register(type.typeName);
    for (std::uint64_t i = 0; i < d.functionCount; ++i) {
        const char* text = d.functions[i].typeString;
        QUON_DataTypes::DataTypeParser parser(text, std::strlen(text));
        const QUON_DataTypes::DataType parsed(parser.ParseType());
        EXPECT_TRUE(parsed.Get() != QUON_DataTypes::DataType().Get() && !parser.PartFailed()) << text;
    }
}

TEST_F(Rows, NumbersAndStrings) {
    EXPECT_EQ(Integer("simple", {1, 2, 3}), 123);
    EXPECT_EQ(Integer("simple", {(1LL << 32) + 1, 2, -3}), 117) << "the low 32 bits of an Int";
    EXPECT_EQ(Integer("simple", {30000000, 0, 0}), 3000000000LL - (1LL << 32)) << "wraps in 32 bits";
    EXPECT_EQ(Text("xor", {Bool(2), Bool(0)}), "true") << "a Bool payload of 2 is true";
    EXPECT_DOUBLE_EQ(Call("test", {})->GetFloat(), 0.42);
    EXPECT_DOUBLE_EQ(Call("sqrtC", {2.25})->GetFloat(), 1.5) << "hand-written: reads cell 0";

    const std::string withNul("a\0bc", 4);
    EXPECT_EQ(Integer("strlen", {withNul}), 4);
    EXPECT_EQ(Integer("strlenPtr", {withNul}), 1);
    EXPECT_EQ(Text("repstr", {withNul, 3}), withNul + withNul + withNul);
    EXPECT_EQ(Text("repstr", {"", 5}), "");
    EXPECT_THROW(Call("repstr", {"ab", -1}), zul::Exception) << "-1 asks for 2^32 - 1 copies";
    EXPECT_EQ(Text("stringAdd", {"x", kNull}), "xNull") << "the null string appends as Null";
    EXPECT_EQ(Text("getArraySumS", {StrArray({"a", kNull, "b"})}), "aNullb");
}

TEST_F(Rows, ArraysAndMatrices) {
    EXPECT_EQ(Integer("getArraySum", {Array({1, 2, 3})}), 6);
    EXPECT_EQ(Text("getArraySeq", {3, 1}), "[3, 2, 1]");
    EXPECT_EQ(Text("intArr2strArr", {Array({0, -15})}), "['0', '-15']");
    EXPECT_EQ(Text("sumMatrixRows", {Matrix({{1, 2}, {}})}), "[3, 0]");
    EXPECT_EQ(Text("getRandomArray", {10, 0}), "[]");
    EXPECT_THROW(Call("getRandomArray", {0, 3}), zul::Exception) << "a range of 0";
    for (long long value : QUON_ExternLib::IntArrayView(Call("getRandomArray", {-10, 100})))
        EXPECT_TRUE(value >= 0 && value < 10) << value;
    const QUON_ExternLib::IntMatrixView matrix(Call("getRandomMatrix", {3, 2, 4}));
    EXPECT_EQ(matrix.Count(), 2);
    EXPECT_EQ(matrix[1].Count(), 4);
}

TEST_F(Rows, EscapeCounts) {
    EXPECT_EQ(Text("mandel_escape", {0.0, 0.0, 1000}), "false");
    EXPECT_EQ(Integer("mandel_escape_int", {2.0, 0.0, 10}), 2) << "z goes 2, then 6";
    EXPECT_EQ(Integer("mandel_escape_int", {3.0, 0.0, 10}), 1) << "never at step 0";
    EXPECT_EQ(Integer("mandel_escape_int", {-2.0, 0.0, 50}), 0) << "4 is not above 4";
    EXPECT_EQ(Integer("mandel_escape_int", {3.0, 0.0, -1}), 0);
    EXPECT_EQ(Integer("julia_escape_int", {0.0, 0.0, 3.0, 0.0, 5}), 1);
}

TEST_F(Rows, LifeOnATorus) {
    std::vector<Values> line(5, Values(5, 0));
    line[2][1] = line[2][2] = line[2][3] = 1;
    EXPECT_EQ(Text("lifeNextStep", {Matrix(line), 5, 5}),
              "[[0, 0, 0, 0, 0], [0, 0, 1, 0, 0], [0, 1, 1, 1, 0], [0, 0, 1, 0, 0], [0, 0, 0, 0, 0]]");
    EXPECT_EQ(Integer("lifeNextCell", {Matrix({{0, 0, 1}, {0, 0, 0}, {1, 0, 1}}), 0, 0}), 1)
        << "the block of (0, 0) wraps to column 2 and row 2";
    std::vector<Values> edge(5, Values(5, 0));
    edge[1][4] = edge[2][4] = edge[3][4] = 1;  // a vertical line in the last column
    EXPECT_EQ(Integer("lifeNextCell", {Matrix(edge), -1, 2}), 1) << "x = -1: the last column";
    EXPECT_EQ(Integer("lifeNextCell", {Matrix(edge), 5, 2}), 1) << "x = W: column 0, born across the edge";
    EXPECT_EQ(Integer("lifeNextCell", {Matrix({{1, 1}, {1, 1}}), 0, 0}), 0) << "9 live cells in the block";
    EXPECT_EQ(Text("lifeTableToString", {Matrix({{0, 1}, {1, 0}})}), ".X\nX.\n");
    EXPECT_THROW(Call("lifeNextCell", {Matrix({{}}), 0, 0}), QUON_Evaluator::EvException) << "no columns";

    // Whole rows step on a fast path when their lengths match w and cell by cell otherwise; both
    // must agree with lifeNextCell: a soup, and a ragged board whose short row wraps on its own.
    std::vector<Values> soup(7, Values(9));
    for (std::size_t i = 0; i < 63; ++i) soup[i / 9][i % 9] = (i * 7919 % 5) < 2;
    std::vector<Values> ragged = soup;
    ragged[3].resize(4);
    for (const auto& board : {soup, ragged}) {
        std::string expected = "[";
        for (int r = 0; r < 7; ++r) {
            expected += r == 0 ? "[" : ", [";
            for (int c = 0; c < 9; ++c)
                expected +=
                    (c == 0 ? "" : ", ") + std::to_string(Integer("lifeNextCell", {Matrix(board), c, r}));
            expected += "]";
        }
        EXPECT_EQ(Text("lifeNextStep", {Matrix(board), 9, 7}), expected + "]");
    }
}

TEST_F(Rows, RecordsInAndOut) {
    EXPECT_EQ(Integer("readStruct", {Record({{"intAttr2", 5}, {"intAttr1", -1}})}), -995);
    EXPECT_EQ(Integer("readStruct", {Record({{"other", 9}, {"intAttr1", 3}})}), 3000) << "intAttr2 absent";
    const auto* names = &RecordView(*Call("createStruct", {4, 2})).Names();
    EXPECT_EQ(cell_tests::Plain(*result.Cell()), "{intAttr1: 4, intAttr2: 2}");
    EXPECT_EQ(Text("createStructArray", {2}), "[{intAttr1: 0, intAttr2: 2}, {intAttr1: 1, intAttr2: 2}]");
    EXPECT_EQ(&RecordView(*QUON_ExternLib::IntArrayView(result.Cell()).ElementCell(1)).Names(), names)
        << "one names table for every record made";

    const std::string information =
        "{libName: 'TestExternalLibrary', libVersionFull: '0.6.5.22', libVersionPublic: '0.6.5', "
        "libVersionMajor: 0, libVersionMinor: 6, libVersionPatch: 5, libVersionTweak: 22}";
    EXPECT_EQ(Text("__libData__", {}), information);
    EXPECT_EQ(Text("__libData2__", {}), "{recAnother: " + information + ", recValue: 'my another record'}");
    EXPECT_EQ(Text("__libData3__", {}),
              "{libName: 'TestExternalLibrary', libVersionFull: '0.6.5.22', libVersionMajor: 0, "
              "libVersionMinor: 6, libVersionPatch: 5, libVersionPublic: '0.6.5', libVersionTweak: 22}");
    EXPECT_EQ(
        Text("_libData_", {}),
        "{name: 'TestExternalLibrary', verStrFull: '0.6.5 (abc)', verStrPublic: '0.6.5', verMajor: 0, "
        "verMinor: 6, verPatch: 5, verTweak: 'abc', build: 'RELEASE 64b'}");
    EXPECT_EQ(Descriptor().functionCount, 45u);
}

TEST_F(Rows, TestTypeObjectsLiveFromNum2testToTheirLastRelease) {
    testing::internal::CaptureStderr();
    cell_tests::Slot object;
    Call("num2test", {(1LL << 32) - 7})->CopyTo(object.bytes);
    EXPECT_EQ(Text("print", {Share(object.Cell())}), "Test--7");
    EXPECT_EQ(Text("printnc1", {Share(object.Cell())}), "Test-NC--7");
    EXPECT_EQ(Integer("test2num", {Share(object.Cell())}), -7);
    EXPECT_EQ(cell_tests::Plain(*object.Cell()), "Test--7") << "the host's text through toText";
    object.Cell()->ReleaseData();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "*** Constructed TestType : -7\n*** Destructed TestType : -7\n");
}

TEST_F(Rows, QuonFunctionsAreCalledBack) {
    const LambdaCell::Body five = [](EvCell* r, EvCell*) { H().setInt(r, 5); };
    const LambdaCell::Body square = [](EvCell* r, EvCell* x) {
        H().setInt(r, x->GetInteger() * x->GetInteger());
    };
    const LambdaCell::Body increment = [](EvCell* r, EvCell* x) {
        Values values;
        for (long long v : QUON_ExternLib::IntArrayView(x)) values.push_back(v + 1);
        FillInts(r, values);
    };
    const std::size_t depth = scope.Get().Depth();
    testing::internal::CaptureStdout();
    EXPECT_EQ(Integer("test0a", {Function(&five)}), 1);
    EXPECT_EQ(Integer("test1a", {Function(&square)}), 1);
    const std::string lines = testing::internal::GetCapturedStdout();
    EXPECT_EQ(lines.substr(0, 12), "0 : 5\n1 : 5\n");
    EXPECT_EQ(lines.substr(lines.size() - 14), "8 : 64\n9 : 81\n");
    EXPECT_EQ(Text("testArr", {Array({1, 2}), Function(&increment)}), "[3, 4]");
    EXPECT_EQ(scope.Get().Depth(), depth) << "every call frame closed";
}

// Runs `body` on a thread with a stack large enough for deep recursion in any build.
void OnLargeStack(std::function<void()> body) {
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 256u << 20);
    pthread_t thread;
    auto run = [](void* f) -> void* {
        (*static_cast<std::function<void()>*>(f))();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attributes, run, &body), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
}

TEST(RecursiveSum, SumsAndSwitchesToTheStackExtensionOnceAtTheLimit) {
    OnLargeStack([] {
        Caller rows;
        EXPECT_EQ(rows.Integer("recursiveSum", {3}), 6);
        EXPECT_EQ(rows.Integer("recursiveSum", {-4}), 0);
        // A limit 64 KiB below this frame, which a recursion that really recurses soon reaches.
        const auto here = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
        quonHostThreadWords.stackLimit = reinterpret_cast<void*>(here - (64 << 10));
        testing::internal::CaptureStdout();
#if defined(QUON_TSAN)
        // ThreadSanitizer's bookkeeping makes each native frame slow to unwind: fewer frames, still
        // well past the limit and a sum beyond 32 bits.
        constexpr int kDepth = 66000;
#else
        constexpr int kDepth = 100000;
#endif
        EXPECT_EQ(rows.Integer("recursiveSum", {kDepth}), kDepth * (kDepth + 1LL) / 2) << "beyond 32 bits";
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "# recursiveSum : 2a\n# recursiveSum : 3\n# recursiveSum : 4\n# recursiveSum : 5\n");
    });
}

}  // namespace
