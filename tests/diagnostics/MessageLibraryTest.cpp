#include <gtest/gtest.h>

#include <string>

#include "diagnostics/EvException.h"
#include "diagnostics/Exception.h"
#include "diagnostics/MessageLibrary.h"

using zul::MessageLibrary::MessageLibraryInstance;
using zul::MessageLibrary::MessageTableRow;
using zul::zulStdString::tString;

namespace {

std::string Message(std::int32_t id, const char* a1 = nullptr, const char* a2 = nullptr) {
    return MessageLibraryInstance().GetMessage(id, a1, a2).Text();
}

std::string Message(const zul::MessageLibrary::Library& library, std::int32_t id, const char* a1 = nullptr,
                    const char* a2 = nullptr) {
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
    EXPECT_STREQ(serbian->byId.at(2001)->Text(), "Pokušano izračunavanje bazne ćelije!") << "Serbian UTF-8";
    EXPECT_STREQ(serbian->byId.at(2018)->Text(), "Pristup nepostojeæem atributu sloga!") << "Serbian 2018";
    EXPECT_EQ(serbian->byId.at(2023)->ParameterCount(), 1u) << "Serbian 2023 takes one argument";
    EXPECT_EQ(serbian->byId.at(2004)->ParameterCount(), 0u) << "Serbian 2004 takes none";
    EXPECT_EQ(english->byId.at(2004)->RelativeId(), 4u) << "relative id kept";
}

TEST(MessageLibrary, LookupAndPlaceholders) {
    EXPECT_EQ(Message(2001), "Error: Cell Evaluated!") << "English wins";
    EXPECT_EQ(Message(2001, "x"), "Error: Cell Evaluated!") << "argument ignored with count 0";
    EXPECT_EQ(Message(2023, "x"), "Error in parallel evaluation:\nx") << "placeholder after a line feed";
    EXPECT_EQ(Message(2004), "Wrong map index [%1]!") << "absent argument leaves the placeholder";
    EXPECT_EQ(Message(2999), "Unknown error! Code: 2999") << "unknown id";
    EXPECT_EQ(Message(-5), "Unknown error! Code: -5") << "negative unknown id";

    zul::MessageLibrary::Library library;  // a catalogue of its own, untouched by other tests
    static const MessageTableRow rows[] = {
        {0, {}, 1, 2, 0, "%1-%2-%3-%1"},
        {0, {}, 2, 6, 0, "%6%5%4%3%2%1%7%%"},
    };
    library.RegisterMessages(9000, rows, 2);
    EXPECT_EQ(Message(library, 9001, "a", "b"), "a-b-%3-a") << "every occurrence; beyond the count kept";
    EXPECT_EQ(Message(library, 9001, "%2", "b"), "%2-b-%3-%2") << "argument text is not expanded again";
    EXPECT_EQ(library.GetMessage(9002, "1", "2", "3", "4", "5", "6").Text(), "654321%7%%")
        << "six arguments, other percent signs kept";
    EXPECT_EQ(Message(library, 9002, nullptr, "b"), "%6%5%4%3b%1%7%%") << "only present arguments replace";
}

TEST(MessageLibrary, RegistrationReplacesAndFallsBackByLanguage) {
    zul::MessageLibrary::Library library;
    static const MessageTableRow first[] = {
        {3, {}, 1, 0, 0, "three"},
        {5, {}, 1, 0, 0, "five"},
        {1, {}, 2, 0, 0, "serbian only"},
    };
    static const MessageTableRow second[] = {{3, {}, 1, 0, 0, "three again"}};
    static const MessageTableRow english[] = {{0, {}, 1, 1, 0, "english [%1]"}};

    library.RegisterMessages(9100, first, 3);
    EXPECT_EQ(Message(library, 9101), "three") << "lowest language code first";
    EXPECT_EQ(Message(library, 9102), "serbian only") << "other language when English lacks the id";
    library.RegisterMessages(9100, second, 1);
    EXPECT_EQ(Message(library, 9101), "three again") << "re-registered id replaces the message";
    EXPECT_EQ(library.FindLanguage(3)->byId.size(), 1u) << "replaced, not added";
    library.RegisterMessages(9100, english, 1);
    EXPECT_EQ(Message(library, 9101, "e"), "english [e]") << "English preferred once present";
    EXPECT_EQ(library.RegistrationCount(), 3) << "every registration counted";
}

TEST(Exception, EvaluatorExceptionTexts) {
    QUON_Evaluator::EvException cell(1, -1);
    EXPECT_STREQ(cell.what(), "Error: Cell Evaluated! [err 2001]") << "no subcode";
    EXPECT_EQ(cell.id, 2001u) << "message number";
    EXPECT_EQ(cell.message.Text(), "Error: Cell Evaluated!") << "message without tag";
    EXPECT_STREQ(cell.std::runtime_error::what(), "Error: Cell Evaluated!")
        << "standard part holds the message";

    EXPECT_STREQ(QUON_Evaluator::EvException(21, 1).what(),
                 "Cannot get an element from non-collection cell! [err 2021:1]")
        << "with subcode";
    QUON_Evaluator::EvException map(4, -1, "7");
    EXPECT_EQ(map.message.Text(), "Wrong map index [7]!") << "argument substituted";
    QUON_Evaluator::EvException none(-2000, 5);
    EXPECT_EQ(none.tag.Text(), "") << "id 0 carries no tag";
    EXPECT_STREQ(none.what(), "Unknown error! Code: 0") << "unknown id 0";

    EXPECT_EQ(zul::ErrorTag(0, 5).Text(), "") << "ErrorTag id 0";
    EXPECT_EQ(zul::ErrorTag(7, -1).Text(), " [err 7]") << "ErrorTag without subcode";
    EXPECT_EQ(zul::ErrorTag(7, 0).Text(), " [err 7:0]") << "ErrorTag subcode 0 is shown";
}

TEST(Exception, PlainTextCopiesAndKinds) {
    zul::Exception plain("bad type");
    EXPECT_STREQ(plain.what(), "bad type") << "text form: what is the text";
    EXPECT_EQ(plain.id, 0u) << "text form: id";
    EXPECT_EQ(plain.subcode, -1) << "text form: subcode";
    EXPECT_STREQ(zul::Exception(nullptr).what(), "") << "null text";

    zul::Exception tagged(tString("m"), tString::NullString(), 1, -1);
    EXPECT_STREQ(tagged.what(), "mNull") << "null tag appends Null";
    const char* first = tagged.what();
    EXPECT_EQ(tagged.what(), first) << "cache built once";

    auto* original = new QUON_Evaluator::EvException(18, 2, "name");
    QUON_Evaluator::EvException copy(*original);
    const std::string expected = original->what();
    delete original;
    EXPECT_EQ(copy.what(), expected) << "copy outlives its source";
    EXPECT_EQ(copy.subcode, 2) << "copy keeps the subcode";
    QUON_Evaluator::EvaluationException widened(copy);
    EXPECT_EQ(widened.what(), expected) << "evaluation exception copied from a runtime exception";

    EXPECT_STREQ(plain.DescribeKind(), "Some exception") << "zul::Exception";
    EXPECT_STREQ(widened.DescribeKind(), "Some exception") << "EvaluationException";
    EXPECT_STREQ(copy.DescribeKind(), "Some exception") << "EvException";

    try {
        throw QUON_Evaluator::EvException(2);
    } catch (const zul::Exception& caught) {
        EXPECT_STREQ(caught.what(), "Wrong array index! [err 2002]") << "caught as the runtime exception";
    }
}
