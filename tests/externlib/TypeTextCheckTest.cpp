// The checks a row's texts pass before they are published: literal type texts against derived
// ones (tests/externlib/literal-types.txt), function and custom type names.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "interface/TypeTextCheck.h"

namespace QUON_ExternLib {
namespace {

std::string Trimmed(std::string text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

TEST(TypeTextCheck, ALiteralMayDifferInSpacingAndOrderOrFillAVariableOnly) {
    std::ifstream cases(QUON_TESTS_SOURCE_DIR "/externlib/literal-types.txt");
    ASSERT_TRUE(cases.good());
    std::size_t checked = 0;
    for (std::string line; std::getline(cases, line);) {
        if (line.empty() || line[0] == '#') continue;
        const std::size_t first = line.find('|'), second = line.find('|', first + 1);
        ASSERT_NE(second, std::string::npos) << line;
        const std::string expected = Trimmed(line.substr(0, first));
        const std::string literal = Trimmed(line.substr(first + 1, second - first - 1));
        const std::string derived = Trimmed(line.substr(second + 1));
        const std::string problem = LiteralTypeProblem(literal.c_str(), derived.c_str(), "its signature");
        if (expected == "same")
            EXPECT_EQ(problem, "") << literal << " for " << derived;
        else
            EXPECT_EQ(problem.rfind(expected, 0), 0u) << literal << " for " << derived << ": " << problem;
        ++checked;
    }
    EXPECT_GE(checked, 20u);
}

TEST(TypeTextCheck, NamesAreWordsAndCustomTypesAreNotTheLanguagesOwn) {
    for (const char* name : {"gcd", "_libData_", "__libData__", "mandel_escape", "f2"})
        EXPECT_TRUE(IsFunctionName(name)) << name;
    for (const char* name : {"", "my func", "1abc", "a-b", "f(x)", "\xc3\xa9"})
        EXPECT_FALSE(IsFunctionName(name)) << name;

    EXPECT_EQ(CustomTypeNameProblem("Counter"), "");
    EXPECT_EQ(CustomTypeNameProblem("Test_Type2"), "");
    EXPECT_EQ(CustomTypeNameProblem(""), "a custom type has no name");
    for (const char* name : {"_Counter", "2D", "my type", "Counter[Int]"})
        EXPECT_NE(CustomTypeNameProblem(name).find("is not a type name"), std::string::npos) << name;
    for (const char* name : {"Int", "Integer", "Array", "Record", "DateTime", "Numeric", "Undefined"})
        EXPECT_NE(CustomTypeNameProblem(name).find("is a type of the language itself"), std::string::npos)
            << name;
}

}  // namespace
}  // namespace QUON_ExternLib
