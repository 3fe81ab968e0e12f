#include <gtest/gtest.h>

#include <string>

#include "diagnostics/EvException.h"
#include "diagnostics/Exception.h"
#include "diagnostics/MessageLibrary.h"

using zul::MessageLibrary::Library;
using zul::MessageLibrary::MessageLibraryInstance;
using zul::MessageLibrary::MessageTableRow;
using zul::zulStdString::tString;

namespace {

std::string Message(std::int32_t id, const char* a1 = nullptr, const char* a2 = nullptr,
                    const Library& library = MessageLibraryInstance()) {
    return library.GetMessage(id, a1, a2).Text();
}

}  // namespace

TEST(MessageLibrary, EvaluatorTableIsRegisteredAtLoad) {
    const auto* english = MessageLibraryInstance().FindLanguage(zul::MessageLibrary::kLanguageEnglish);
    const auto* serbian = MessageLibraryInstance().FindLanguage(zul::MessageLibrary::kLanguageSerbian);
    ASSERT_NE(english, nullptr);
    ASSERT_NE(serbian, nullptr);
    for (std::int32_t id = 2001; id <= 2023; ++id) {
        EXPECT_EQ(english->byId.count(id), 1u) << "English " << id;
        EXPECT_EQ(serbian->byId.count(id), 1u) << "Serbian " << id;
    }
    EXPECT_EQ(english->byId.count(2024), 0u) << "nothing past 2023";
    EXPECT_STREQ(serbian->byId.at(2001)->Text(), "Pokušano izračunavanje bazne ćelije!") << "UTF-8 kept";
}

TEST(MessageLibrary, LookupAndPlaceholders) {
    EXPECT_EQ(Message(2001, "x"), "Error: Cell Evaluated!")
        << "English wins; argument ignored with count 0";
    EXPECT_EQ(Message(2023, "x"), "Error in parallel evaluation:\nx") << "placeholder after a line feed";
    EXPECT_EQ(Message(2004), "Wrong map index [%1]!") << "absent argument leaves the placeholder";
    EXPECT_EQ(Message(-5), "Unknown error! Code: -5") << "unknown id";

    Library library;  // a catalogue of its own, untouched by other tests
    static const MessageTableRow rows[] = {
        {0, {}, 1, 2, 0, "%1-%2-%3-%1"},
        {0, {}, 2, 6, 0, "%6%5%4%3%2%1%7%%"},
    };
    library.RegisterMessages(9000, rows, 2);
    EXPECT_EQ(Message(9001, "a", "b", library), "a-b-%3-a") << "every occurrence; beyond the count kept";
    EXPECT_EQ(Message(9001, "%2", "b", library), "%2-b-%3-%2") << "argument text is not expanded again";
    EXPECT_EQ(library.GetMessage(9002, "1", "2", "3", "4", "5", "6").Text(), "654321%7%%")
        << "six arguments, other percent signs kept";
    EXPECT_EQ(Message(9002, nullptr, "b", library), "%6%5%4%3b%1%7%%") << "only present arguments replace";
}

TEST(MessageLibrary, RegistrationReplacesAndFallsBackByLanguage) {
    Library library;
    static const MessageTableRow first[] = {
        {3, {}, 1, 0, 0, "three"},
        {5, {}, 1, 0, 0, "five"},
        {1, {}, 2, 0, 0, "serbian only"},
    };
    static const MessageTableRow second[] = {{3, {}, 1, 0, 0, "three again"}};
    static const MessageTableRow english[] = {{0, {}, 1, 1, 0, "english [%1]"}};

    library.RegisterMessages(9100, first, 3);
    EXPECT_EQ(Message(9101, nullptr, nullptr, library), "three") << "lowest language code first";
    EXPECT_EQ(Message(9102, nullptr, nullptr, library), "serbian only") << "other language fills gaps";
    library.RegisterMessages(9100, second, 1);
    EXPECT_EQ(Message(9101, nullptr, nullptr, library), "three again") << "re-registered id replaces";
    EXPECT_EQ(library.FindLanguage(3)->byId.size(), 1u) << "replaced, not added";
    library.RegisterMessages(9100, english, 1);
    EXPECT_EQ(Message(9101, "e", nullptr, library), "english [e]") << "English preferred once present";
}

TEST(Exception, TextsTagsAndCopies) {
    using namespace QUON_Evaluator::ErrorCode;
    QUON_Evaluator::EvException cell(kCellEvaluated, QUON_Evaluator::kNoSubcode);
    EXPECT_STREQ(cell.what(), "Error: Cell Evaluated! [err 2001]") << "no subcode";
    EXPECT_STREQ(cell.std::runtime_error::what(), "Error: Cell Evaluated!") << "standard part: the message";
    EXPECT_STREQ(QUON_Evaluator::EvException(kNotACollection, QUON_Evaluator::kSubcodeNoProgress).what(),
                 "Cannot get an element from non-collection cell! [err 2021:1]");
    EXPECT_EQ(QUON_Evaluator::EvException(kWrongMapIndex, -1, "7").message.Text(), "Wrong map index [7]!");
    EXPECT_STREQ(QUON_Evaluator::EvException(-2000, 5).what(), "Unknown error! Code: 0") << "id 0, no tag";
    EXPECT_EQ(zul::ErrorTag(7, 0).Text(), " [err 7:0]") << "subcode 0 is shown";
    for (std::int32_t code = 1; code <= kLast; ++code)
        EXPECT_EQ(std::string(QUON_Evaluator::EvException(code).what()).rfind("Unknown error!", 0),
                  std::string::npos)
            << "named code " << code << " has a catalogue text";

    EXPECT_STREQ(zul::Exception("bad type").what(), "bad type") << "text form";
    EXPECT_STREQ(zul::Exception(nullptr).what(), "") << "null text";
    EXPECT_STREQ(zul::Exception(tString("m"), tString::NullString(), 1, -1).what(), "mNull")
        << "null tag appends Null";

    auto* original = new QUON_Evaluator::EvException(kNoSuchAttribute, 2, "name");
    QUON_Evaluator::EvException copy(*original);
    const std::string expected = original->what();
    delete original;
    EXPECT_EQ(copy.what(), expected) << "copy outlives its source";
    EXPECT_EQ(QUON_Evaluator::EvaluationException(copy).what(), expected) << "widened copy";
}
