// quon-host call, eval and repl through the built tool: values printed as literals that read back,
// lambdas for the callback rows, the library's refusals and exceptions, and parse errors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/tool/ToolRun.h"

namespace {

using tool_tests::RunTool;
using tool_tests::ToolRun;

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The printed lines of a run, without the newlines.
std::vector<std::string> Lines(const std::string& out) {
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = out.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(out.substr(start, end - start));
    return lines;
}

TEST(CallCommands, ValuesPrintAsLiteralsThatReadBack) {
    const std::vector<std::string> expressions = {"maxint(3, -4)",
                                                  "test2num(num2test(-5))",
                                                  "stringAdd('it\\'s', '\\012\\t\\\\')",
                                                  "[1, [2, 3], []]",
                                                  "createStruct(4, 2)",
                                                  "sqrt(2.0)",
                                                  "1e20",
                                                  "nan",
                                                  "-inf",
                                                  "-9223372036854775808",
                                                  "createStructArray(2)",
                                                  "intArr2strArr([1, -2])",
                                                  "xor(true, false)"};
    std::vector<std::string> arguments = {"eval"};
    arguments.insert(arguments.end(), expressions.begin(), expressions.end());
    const ToolRun first = RunTool(arguments);
    ASSERT_EQ(first.status, 0) << first.err;
    const std::vector<std::string> printed = Lines(first.out);
    EXPECT_EQ(printed,
              (std::vector<std::string>{
                  "3", "-5", "'it\\'s\\012\\011\\\\'", "[1, [2, 3], []]", "{intAttr1: 4, intAttr2: 2}",
                  "1.4142135623730951", "1e+20.", "nan.", "-inf.", "-9223372036854775808",
                  "[{intAttr1: 0, intAttr2: 2}, {intAttr1: 1, intAttr2: 2}]", "['1', '-2']", "true"}));

    std::vector<std::string> again = {"eval"};
    again.insert(again.end(), printed.begin(), printed.end());
    const ToolRun second = RunTool(again);
    EXPECT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(second.out, first.out) << "every printed value reads back as itself";

    const ToolRun call = RunTool({"call", "getArraySum", "[1, 2, maxint(3, 4)]"});
    EXPECT_EQ(call.status, 0) << call.err;
    EXPECT_EQ(call.out, "7\n");
    EXPECT_EQ(RunTool({"call", "readStruct", "{intAttr1: 3, intAttr2: 7}"}).out, "3007\n");
}

TEST(CallCommands, LambdasServeTheCallbackRows) {
    const ToolRun squares = RunTool({"eval", "test1a(x -> x * x)"});
    EXPECT_EQ(squares.status, 0) << squares.err;
    EXPECT_TRUE(Has(squares.out, "9 : 81\n")) << squares.out;
    EXPECT_EQ(Lines(squares.out).back(), "1");

    const ToolRun arrays =
        RunTool({"eval", "testArr([1, 2], a -> map(a, x -> x + 1))",
                 "testArr([1, 2], a -> map(a, x -> x * len(a) + a[0]))", "test0a(() -> 7)"});
    EXPECT_EQ(arrays.status, 0) << arrays.err;
    EXPECT_EQ(Lines(arrays.out)[0], "[3, 4]") << "f(f(a))";
    EXPECT_EQ(Lines(arrays.out)[1], "[9, 13]") << "the inner lambda reads the outer one's parameter";

    const ToolRun nested =
        RunTool({"call", "test1a", "x -> getArraySum(testArr([x], a -> map(a, y -> y + 1)))"});
    EXPECT_EQ(nested.status, 0) << nested.err;
    EXPECT_TRUE(Has(nested.out, "9 : 11\n")) << nested.out;

    const ToolRun wrong = RunTool({"eval", "testArr([1], a -> 'not an array')", "test1a((a, b) -> a)"});
    EXPECT_EQ(wrong.status, 1);
    EXPECT_TRUE(
        Has(wrong.err,
            "testArr: the function given as argument 2 returned String where Array[Int] was expected"))
        << wrong.err;
    EXPECT_TRUE(Has(wrong.err, "test1a: argument 1 must be ( Int -> Int ), given a function of 2 arguments"))
        << wrong.err;
}

TEST(CallCommands, ValuesOfAnotherTypeAreRefusedBeforeTheRowRuns) {
    const ToolRun run = RunTool({"eval", "maxint(1, 'a')", "num2test('x')", "getArraySum([1, 'x'])"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err,
              "quon-host: error: maxint: argument 2 must be Int, given String\n"
              "quon-host: error: num2test: argument 1 must be Int, given String\n"
              "quon-host: error: getArraySum: argument 1 must be Array[Int], given Array[Int | String]\n")
        << "no TestType was made";

    const ToolRun count = RunTool({"call", "maxint", "1"});
    EXPECT_EQ(count.status, 1);
    EXPECT_EQ(count.err, "quon-host: error: maxint takes 2 arguments, given 1\n");
    const ToolRun unknown = RunTool({"eval", "maxin(1, 2)"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_EQ(unknown.err,
              "quon-host: error: no function 'maxin' in TestExternalLibrary; did you mean 'maxint'?\n");
}

TEST(CallCommands, ErrorsPrintAndTheNextExpressionStillRuns) {
    const ToolRun run =
        RunTool({"eval", "lifeNextCell([], 1, 1)", "repstr('a', -1)", "getRandomArray(0, 3)",
                 "getArraySeq(-9223372036854775807, 9223372036854775807)", "5 / (2 - 2)",
                 "9223372036854775807 + 1", "[1, 2][2]", "maxint(1, 2)"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "2\n");
    EXPECT_EQ(run.err,
              "quon-host: error: lifeNextCell: Empty array element requested! [err 2022]\n"
              "quon-host: error: repstr: the repeated text would exceed 1 GiB\n"
              "quon-host: error: getRandomArray: random values: the range must not be 0\n"
              "quon-host: error: getArraySeq: an array of that size cannot be made\n"
              "quon-host: error: division by zero at column 3\n"
              "quon-host: error: Int overflow in 9223372036854775807 + 1 at column 21\n"
              "quon-host: error: index 2 is out of range for an array of 2 elements at column 7\n");

    // An open bracket carries the expression over to the next line; # starts a comment.
    const ToolRun repl = RunTool(
        {"repl"}, "maxint(1, 2)\n\nmaxint(1)\n# a comment\n(1 + 2 # open\n  ) * 2\n[1,\n 2\nlen('abc')\n");
    EXPECT_EQ(repl.status, 1) << "a line failed";
    EXPECT_EQ(repl.out, "2\n6\n");
    EXPECT_EQ(repl.err,
              "quon-host: error: maxint takes 2 arguments, given 1\n"
              "quon-host: error: expected ']', found 'len' at line 3, column 1\n  len('abc')\n  ^\n");
    EXPECT_EQ(RunTool({"repl"}, "1\n2 + 2\n").status, 0);
}

TEST(CallCommands, ParseErrorsNameTheColumn) {
    const ToolRun run =
        RunTool({"eval", "maxint(1 2)", "'abc", "[1, 2", "1 = 2", "'\\q'", "99999999999999999999",
                 "(" + std::string(300, '[') + std::string(300, ']') + ")"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "quon-host: error: expected ')', found '2' at column 10\n"
              "quon-host: error: unterminated string at column 1\n"
              "quon-host: error: expected ']', found end of input at column 6\n"
              "quon-host: error: unexpected character '=' at column 3\n"
              "quon-host: error: unknown escape '\\q' at column 2\n"
              "quon-host: error: integer 99999999999999999999 does not fit in 64 bits at column 1\n"
              "quon-host: error: nesting deeper than 200 levels at column 201\n");
    const ToolRun call = RunTool({"call", "maxint", "1", "(2"});
    EXPECT_EQ(call.status, 1);
    EXPECT_EQ(call.err,
              "quon-host: error: expected ')', found end of input at column 3\n"
              "quon-host: in argument 2 of maxint\n");
}

TEST(CallCommands, EachSubcommandHasHelp) {
    for (const char* command : {"call", "eval", "repl"}) {
        const ToolRun run = RunTool({command, "--help"});
        EXPECT_EQ(run.status, 0) << command;
        EXPECT_TRUE(Has(run.out, std::string("Usage: ") + QUON_HOST_PATH + " " + command) ||
                    Has(run.out, std::string(" ") + command))
            << run.out;
    }
}

}  // namespace
