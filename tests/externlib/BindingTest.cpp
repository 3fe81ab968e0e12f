// Generated adapters and derived type strings: what a host sees when it calls an adapter with a
// frame of cells, and the texts it parses; registered custom classes among them.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <typeindex>
#include <vector>

#include "externlib/Adapter.h"
#include "host/HostContext.h"
#include "strings/StringMemoryPool.h"
#include "tests/evaluator/CellTestSupport.h"

namespace {

using namespace QUON_ExternLib;

struct Counter {
    std::int32_t value;
};
struct Unregistered {};

// The native functions the tests bind.
struct Native {
    static std::unique_ptr<Counter> MakeCounter(std::int32_t value) {
        return std::make_unique<Counter>(Counter{value});
    }
    static std::int32_t CounterValue(Counter* counter) { return counter->value; }
    static std::unique_ptr<Unregistered> MakeUnregistered() { return nullptr; }
    static std::int64_t MaxInt(std::int64_t a, std::int64_t b) { return a > b ? a : b; }
    static std::int32_t Digits(std::int32_t a, std::int32_t b, std::int32_t c) {
        return 100 * a + 10 * b + c;
    }
    static std::int64_t Widen(std::uint32_t n) { return n; }
    static bool Xor(bool a, bool b) { return a != b; }
    static double Five() { return 5.0; }
    static std::int64_t Length(const tBaseString& text) { return static_cast<std::int64_t>(text.size()); }
    static std::int64_t LengthToNul(const char* text) {
        return static_cast<std::int64_t>(std::strlen(text));
    }
    static tString Repeat(tString text, std::uint32_t times) {
        tString out("");
        for (std::uint32_t i = 0; i < times; ++i) out.Append(text);
        return out;
    }
    static tString Refuse(tString, std::uint32_t) { throw std::runtime_error("refused"); }
    static std::string Describe(std::int32_t n) { return "n=" + std::to_string(n); }
    static std::int64_t ViewLength(std::string_view text) { return static_cast<std::int64_t>(text.size()); }
    static std::string Joined(std::string a, const std::string& b) { return a.append(b); }
    static std::int64_t Sum(ArrayView<long long> values) {
        std::int64_t sum = 0;
        for (long long value : values) sum += value;
        return sum;
    }
    static NewArray<long long> Sequence(std::int64_t first, std::int64_t count) {
        NewArray<long long> array(count);
        for (std::int64_t i = 0; i < count; ++i) array.Set(i, first + i);
        return array;
    }
    static NewArray<long long> SequenceThenThrow(std::int64_t first, std::int64_t count) {
        NewArray<long long> array = Sequence(first, count);
        throw std::runtime_error("refused after filling");
    }
    static std::vector<std::string> Texts(std::int64_t n) { return std::vector<std::string>(n, "ab"); }
    static std::vector<double> Halves(std::int64_t n) {
        std::vector<double> out;
        for (std::int64_t i = 0; i < n; ++i) out.push_back(i / 2.0);
        return out;
    }
};

// A call frame as the host builds it: cell 0 is not an argument, argument i is cell 1 + i.
struct Frame {
    explicit Frame(int arguments) : slots(new cell_tests::Slot[arguments + 1]), count(arguments + 1) {}
    ~Frame() {
        for (int i = 1; i < count; ++i) slots[i].Cell()->ReleaseData();
        delete[] slots;
    }
    EvCell* Cells() { return slots[0].Cell(); }
    EvCell* Argument(int i) { return slots[1 + i].Cell(); }
    cell_tests::Slot* slots;
    int count;
};

class Binding : public ::testing::Test {
protected:
    void SetUp() override { TheLibraryContext().BindTable(quon_host::HostContext()); }
    cell_tests::Slot result;
};

TEST_F(Binding, TypeStringsAreDerivedOncePerSignature) {
    EXPECT_STREQ(Bind<&Native::MaxInt>::TypeString(), "( Int * Int -> Int )");
    EXPECT_STREQ(Bind<&Native::Digits>::TypeString(), "( Int * Int * Int -> Int )");
    EXPECT_STREQ(Bind<&Native::Five>::TypeString(), "(  -> Float )") << "two blanks without parameters";
    EXPECT_STREQ(Bind<&Native::Xor>::TypeString(), "( Bool * Bool -> Bool )");
    EXPECT_STREQ(Bind<&Native::Repeat>::TypeString(), "( String * Int -> String )");
    EXPECT_STREQ(Bind<&Native::Sequence>::TypeString(), "( Int * Int -> Array[Int] )");
    EXPECT_STREQ(Bind<&Native::Joined>::TypeString(), "( String * String -> String )");
    EXPECT_STREQ(Bind<&Native::Texts>::TypeString(), "( Int -> Array[String] )");
    EXPECT_STREQ(Bind<&Native::Halves>::TypeString(), "( Int -> Array[Float] )");
    EXPECT_EQ(Bind<&Native::Repeat>::TypeString(), Bind<&Native::Refuse>::TypeString())
        << "one text per native signature";
    EXPECT_NE(Bind<&Native::Length>::TypeString(), Bind<&Native::LengthToNul>::TypeString())
        << "signatures that print alike keep their own texts";
    EXPECT_STREQ(Bind<&Native::Length>::TypeString(), Bind<&Native::LengthToNul>::TypeString());
}

TEST_F(Binding, NumbersAreReadFromPayloadsAndWrittenThroughTheSetters) {
    Frame frame(3);
    Host().setInt(frame.Cells(), 999);  // cell 0 is never an argument
    Host().setInt(frame.Argument(0), 7);
    Host().setInt(frame.Argument(1), -3);
    Bind<&Native::MaxInt>::Adapter(result.Cell(), frame.Cells());
    EXPECT_EQ(cell_tests::Plain(*result.Cell()), "7") << "arguments at offsets 16 and 32";

    Host().setInt(frame.Argument(0), (std::int64_t{1} << 32) + 5);
    Host().setInt(frame.Argument(1), -1);
    Host().setInt(frame.Argument(2), 0);
    Bind<&Native::Digits>::Adapter(result.Cell(), frame.Cells());
    EXPECT_EQ(result.Cell()->GetInteger(), 490) << "2^32 + 5 reaches an int32 as 5; -1 stays -1";
    Bind<&Native::Widen>::Adapter(result.Cell(), frame.Cells() + 1);
    EXPECT_EQ(result.Cell()->GetInteger(), 4294967295) << "-1 reaches a uint32 as 4294967295";

    Host().setBool(frame.Argument(0), 2);
    Host().setBool(frame.Argument(1), 0);
    Bind<&Native::Xor>::Adapter(result.Cell(), frame.Cells());
    EXPECT_EQ(cell_tests::Plain(*result.Cell()), "true") << "a Bool payload of 2 is true";
    Bind<&Native::Five>::Adapter(result.Cell(), frame.Cells());
    EXPECT_EQ(cell_tests::Plain(*result.Cell()), "5.");
}

TEST_F(Binding, StringsArriveByReferenceByValueOrAsCharactersAndLeaveThroughSetString) {
    Frame frame(2);
    const char bytes[] = {'a', '\0', 'b'};
    Host().setString(frame.Argument(0), bytes, 3);
    Host().setInt(frame.Argument(1), 2);
    Bind<&Native::Length>::Adapter(result.Cell(), frame.Cells());
    EXPECT_EQ(result.Cell()->GetInteger(), 3) << "by reference: every byte counts";
    Bind<&Native::LengthToNul>::Adapter(result.Cell(), frame.Cells());
    EXPECT_EQ(result.Cell()->GetInteger(), 1) << "a character pointer ends at the first NUL";
    Bind<&Native::Repeat>::Adapter(result.Cell(), frame.Cells());
    EXPECT_EQ(cell_tests::Value(*result.Cell()), std::string("a\0ba\0b", 6)) << "a by-value copy";
    result.Cell()->ReleaseData();
    Bind<&Native::Describe>::Adapter(result.Cell(), frame.Cells() + 1);
    EXPECT_EQ(cell_tests::Value(*result.Cell()), "n=2") << "a std::string result";
    result.Cell()->ReleaseData();
    Bind<&Native::ViewLength>::Adapter(result.Cell(), frame.Cells());
    EXPECT_EQ(result.Cell()->GetInteger(), 3) << "a std::string_view sees every byte";
    Host().setString(frame.Argument(1), "cd", 2);
    Bind<&Native::Joined>::Adapter(result.Cell(), frame.Cells());
    EXPECT_EQ(cell_tests::Value(*result.Cell()), std::string("a\0bcd", 5)) << "std::string and const std::string&";
    result.Cell()->ReleaseData();

    // A throwing function: the copy made for its by-value argument is released all the same.
    const std::size_t freeBefore = zul::zulStdString::CountFreeBodyBlocks();
    EXPECT_THROW(Bind<&Native::Refuse>::Adapter(result.Cell(), frame.Cells()), std::runtime_error);
    EXPECT_EQ(zul::zulStdString::CountFreeBodyBlocks(), freeBefore) << "no body left behind";
}

TEST_F(Binding, ArraysArriveAsViewsAndLeaveAsTheCarrierCell) {
    Frame frame(2);
    Host().setInt(frame.Argument(0), 10);
    Host().setInt(frame.Argument(1), 4);
    Bind<&Native::Sequence>::Adapter(result.Cell(), frame.Cells());
    EXPECT_EQ(cell_tests::Plain(*result.Cell()), "[10, 11, 12, 13]") << "the carrier moved into the result";

    Frame sum(1);
    QUON_Evaluator::CopyCellWords(sum.Argument(0), *result.Cell());  // the array is now the argument
    Bind<&Native::Sum>::Adapter(result.Cell(), sum.Cells());
    EXPECT_EQ(result.Cell()->GetInteger(), 46);

    Host().setInt(frame.Argument(1), 0);
    Bind<&Native::Sequence>::Adapter(result.Cell(), frame.Cells());
    EXPECT_EQ(cell_tests::Plain(*result.Cell()), "[]") << "an empty array still goes through makeArray";
    result.Cell()->ReleaseData();

    Host().setInt(frame.Argument(0), 3);
    Bind<&Native::Texts>::Adapter(result.Cell(), frame.Cells());
    EXPECT_EQ(cell_tests::Plain(*result.Cell()), "['ab', 'ab', 'ab']") << "a vector is copied into a new array";
    result.Cell()->ReleaseData();
    Bind<&Native::Halves>::Adapter(result.Cell(), frame.Cells());
    EXPECT_EQ(cell_tests::Plain(*result.Cell()), "[0., 0.5, 1.]");
    result.Cell()->ReleaseData();

    // A function that throws after filling its new array: the array is released with it.
    const std::size_t freeCells = QUON_Evaluator::CurrentThreadCellPools().GetCellPool<1>().GetAllocator().CountFreeBlocks();
    Host().setInt(frame.Argument(1), 1000);
    EXPECT_THROW(Bind<&Native::SequenceThenThrow>::Adapter(result.Cell(), frame.Cells()), std::runtime_error);
    EXPECT_EQ(QUON_Evaluator::CurrentThreadCellPools().GetCellPool<1>().GetAllocator().CountFreeBlocks(), freeCells) << "the carrier went back";
}

int destroyed = 0;
const CustomTypeEntry kCounterRow{"Counter", nullptr,
                                  [](void* object) {
                                      ++destroyed;
                                      delete static_cast<Counter*>(object);
                                  },
                                  nullptr, 0};

TEST_F(Binding, CustomObjectsGoToTheHostWithTheirRowAndComeBack) {
    static CustomTypeRegistry registry;
    registry.insert_or_assign(std::type_index(typeid(Counter)), kCounterRow);
    TheLibraryContext().typeRegistry = &registry;

    EXPECT_STREQ(Bind<&Native::MakeCounter>::TypeString(), "( Int -> Counter )") << "the registered name";
    EXPECT_STREQ(Bind<&Native::CounterValue>::TypeString(), "( Counter -> Int )");
    EXPECT_THROW(Bind<&Native::MakeUnregistered>::TypeString(), UnregisteredClass)
        << "an unregistered class has no name, and no text is derived";

    cell_tests::Slot frame[2];
    Host().setInt(frame[1].Cell(), 42);
    Bind<&Native::MakeCounter>::Adapter(frame[1].Cell(),
                                        frame[0].Cell());  // the object becomes the argument
    Bind<&Native::CounterValue>::Adapter(result.Cell(), frame[0].Cell());
    EXPECT_EQ(result.Cell()->GetInteger(), 42) << "getCustom gives back the object";
    frame[1].Cell()->ReleaseData();
    EXPECT_EQ(destroyed, 1) << "the host ends the object with the row's destroy";
}

}  // namespace
