// The library's published rows as a host meets them, for what the conformance catalogue
// (conformance/*.cases, run by quon-host conform) cannot reach through calls written as Quon
// expressions: the descriptor read from the dlopen'ed library, and rows called through their
// adapters with frames of cells the stand-in host made by hand.
#include <gtest/gtest.h>

#include <concepts>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "evaluator/EvInvalidCell.h"
#include "evaluator/RecordView.h"
#include "externlib/Caster.h"
#include "host/CallFrame.h"
#include "host/HostContext.h"
#include "host/HostEvaluator.h"
#include "host/LibraryLoader.h"
#include "tests/evaluator/CellTestSupport.h"

namespace {

using QUON_Evaluator::EvCell;
using QUON_Evaluator::RecordView;
using QUON_ExternLib::FunctionEntry;

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

// One argument: how it fills its cell of the frame.
struct Arg {
    Arg(int v) : fill([v](EvCell* c) { H().setInt(c, v); }) {}
    template <std::invocable<EvCell*> F>
    Arg(F f) : fill(std::move(f)) {}
    std::function<void(EvCell*)> fill;
};
Arg Bool(std::uint64_t payload) {
    return [payload](EvCell* c) { H().setBool(c, payload); };
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

// Calls rows on the calling thread, which gets an evaluator for the test's lifetime.
class Rows : public ::testing::Test {
public:
    Rows() { QUON_Evaluator::EvInvalidCell::MakeAt(result.bytes); }
    ~Rows() override { result.Cell()->ReleaseData(); }

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

// What the conformance catalogue cannot see from a call: which rows share an adapter or a text,
// and the custom type's row. Names, texts and results are cases of conformance/*.cases.
TEST(TestLibraryDescriptor, RowsShareAdaptersAndTextsAsAHostMayRelyOn) {
    const auto& d = Descriptor();
    ASSERT_EQ(d.functionCount, 45u);
    EXPECT_EQ(Row("test1").adapter, Row("test").adapter) << "test1 and test share an adapter";
    EXPECT_EQ(Row("getArrayLen").adapter, Row("getArrayLenF").adapter);
    EXPECT_EQ(Row("print").adapter, Row("print2").adapter);
    EXPECT_EQ(Row("printnc1").adapter, Row("printnc2").adapter);
    EXPECT_EQ(d.functions[16].typeString, d.functions[17].typeString) << "rows 17 and 18: one text";
    EXPECT_NE(d.functions[18].typeString, d.functions[19].typeString)
        << "rows 19 and 20: equal texts apart";

    ASSERT_EQ(d.customTypeCount, 1u);
    const auto& type = d.customTypes[0];
    EXPECT_TRUE(type.reserved1 == nullptr && type.reserved2 == 0);
    testing::internal::CaptureStderr();
    type.destroy(nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "destroying a null object prints nothing";
}

// Cells the expression language of the catalogue cannot write: a Bool payload other than 1, a
// record without one of the attributes the row reads. And the one names table the records share.
TEST_F(Rows, PayloadsAndRecordsNoLiteralCanWrite) {
    EXPECT_EQ(Text("xor", {Bool(2), Bool(0)}), "true") << "a Bool payload of 2 is true";
    EXPECT_EQ(Text("xor", {Bool(2), Bool(1)}), "false");
    EXPECT_EQ(Integer("readStruct", {Record({{"other", 9}, {"intAttr1", 3}})}), 3000) << "intAttr2 absent";

    const auto* names = &RecordView(*Call("createStruct", {4, 2})).Names();
    Call("createStructArray", {2});
    EXPECT_EQ(&RecordView(*QUON_ExternLib::IntArrayView(result.Cell()).ElementCell(1)).Names(), names)
        << "one names table for every record made";
}

}  // namespace
