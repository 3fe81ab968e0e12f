// The quon-host type command, run as a program.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/tool/ToolRun.h"

namespace {

struct CommandRun {
    std::string output;  // standard output, then standard error
    int status;          // the exit status
};

CommandRun RunTypeCommand(const std::vector<std::string>& texts) {
    std::vector<std::string> arguments = {"type"};
    arguments.insert(arguments.end(), texts.begin(), texts.end());
    const tool_tests::ToolRun run = tool_tests::RunTool(arguments);
    return {run.out + run.err, run.status};
}

TEST(QuonHostType, PrintsCanonicalFormsPredicatesAndErrors) {
    const CommandRun good = RunTypeCommand({"( Int*Int->Int )", "RecordX[b:Int, a:String]['3]"});
    EXPECT_EQ(good.status, 0) << "every text parsed";
    EXPECT_EQ(good.output,
              "(Int * Int -> Int)\n"
              "  fully defined: yes, polymorphic: no, essentially non-polymorphic: yes\n"
              "RecordX[a:String, b:Int]['3]\n"
              "  fully defined: yes, polymorphic: yes, essentially non-polymorphic: yes\n")
        << "canonical forms with their predicates";

    // A failed part fails the text, also where List, Array or Recursive stood in Undefined for
    // it, and where the parser left no message (a combined type over a non-variable). The tool is
    // stricter than the parser's callers: text after the type and repeated attribute names are
    // refused, naming the column; an unknown name is named, with the closest known one.
    const std::pair<std::string, std::string> refused[] = {
        {"List[Lst[Int]]", "Unknown type! 'Lst' at column 6 names no type; did you mean 'List'?"},
        {"int", "'int' at column 1 names no type; did you mean 'Int'?"},
        {"Zebra", "'Zebra' at column 1 names no type\n"},
        {"List Int", "Invalid type! No open '['!"},
        {"List[Numeric[Int]]", "Invalid combined type!"},
        {"Array[Value[String]]", "Invalid combined type!"},
        {"Recursive[Prime[Int]]", "Invalid combined type!"},
        {"Record[a:Numeric[Int]]", "Invalid combined type!"},
        {"Tuple[List[?]]", "Invalid type! No closing ']'!"},
        {"(Int)", "Invalid functional type! Missing '*'!"},
        {"Int -> Int", "unexpected text after the type at column 5: '-> Int'"},
        {"Array[Int]]", "unexpected text after the type at column 11: ']'"},
        {"Array[Int]1", "unexpected text after the type at column 11: '1'"},
        {"Int garbage", "unexpected text after the type at column 5: 'garbage'"},
        {"Record[a:Int, a:String]", "the record type repeats the attribute 'a' at column 15"},
        {"List[RecordX[b:Int, b:Int]['1]]", "repeats the attribute 'b' at column 21"},
    };
    for (const auto& [text, message] : refused) {
        const CommandRun bad = RunTypeCommand({text});
        EXPECT_EQ(bad.status, 1) << text;
        EXPECT_NE(bad.output.find("quon-host: type '" + text + "': "), std::string::npos) << bad.output;
        EXPECT_NE(bad.output.find(message), std::string::npos) << text << ": " << bad.output;
    }
    const CommandRun edges = RunTypeCommand({"'12", "Int", " ( Int * Int -> Int ) "});
    EXPECT_EQ(edges.status, 0) << "a type that ends the text, and trailing blanks: " << edges.output;

    EXPECT_EQ(RunTypeCommand({}).status, 2) << "no text is a usage error";
    EXPECT_EQ(RunTypeCommand({"Int", "Lst"}).status, 1) << "one refused text fails the run";
}

}  // namespace
