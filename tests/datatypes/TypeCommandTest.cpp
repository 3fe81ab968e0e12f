// The quon-host type command, run as a program.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct CommandRun {
    std::string output;  // standard output and standard error
    int status;          // the exit status
};

// One shell word holding `text` exactly.
std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

CommandRun RunTypeCommand(const std::vector<std::string>& texts) {
    std::string command = Quoted(QUON_HOST_PATH) + " type";
    for (const std::string& text : texts) command += " " + Quoted(text);
    command += " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    CommandRun run{"", -1};
    if (pipe == nullptr) return run;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) run.output += buffer;
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
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
    // it, and where the parser left no message (a combined type over a non-variable).
    const std::string broken[] = {"List[Lst[Int]]",         "List Int",       "List[Numeric[Int]]",
                                  "Array[Value[String]]",   "Numeric[Int]",   "Recursive[Prime[Int]]",
                                  "Record[a:Numeric[Int]]", "Tuple[List[?]]", "(Int)"};
    const CommandRun bad = RunTypeCommand({std::begin(broken), std::end(broken)});
    EXPECT_EQ(bad.status, 1) << "the texts failed";
    for (const std::string& text : broken) {
        EXPECT_NE(bad.output.find("quon-host type: '" + text + "': "), std::string::npos)
            << text << " fails with a message: " << bad.output;
    }
    EXPECT_NE(bad.output.find("'(Int)': Invalid functional type! Missing '*'!"), std::string::npos)
        << "the parser's message";
    EXPECT_NE(bad.output.find("'List[Numeric[Int]]': Invalid combined type!"), std::string::npos)
        << "one for a failure the parser gives no message for";

    EXPECT_EQ(RunTypeCommand({}).status, 2) << "no text is a usage error";
}

}  // namespace
