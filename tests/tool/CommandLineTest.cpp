// quon-host as a user meets it: help and usage, exit statuses, failed writes, outputs that never
// harm an existing file, and a terminal session of the repl.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "tests/tool/ToolRun.h"

namespace {

using tool_tests::RunTool;
using tool_tests::ShellQuoted;
using tool_tests::ToolRun;

std::string Contents(const std::string& path) {
    std::stringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

// Every line a failed run printed on standard error starts with "quon-host:" (or the help hint,
// which names the subcommand's help).
void ExpectOwnMessages(const ToolRun& run) {
    std::istringstream lines(run.err);
    for (std::string line; std::getline(lines, line);)
        EXPECT_TRUE(line.rfind("quon-host:", 0) == 0 || line.rfind("Run 'quon-host ", 0) == 0)
            << line;
}

TEST(CommandLine, HelpVersionAndUsageErrors) {
    const ToolRun help = RunTool({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Exit status: 0 on success, 1 when"), std::string::npos) << help.out;
    for (const char* command : {"call", "eval", "repl", "mandelbrot", "julia", "life", "list"}) {
        const ToolRun sub = RunTool({"help", command});
        EXPECT_EQ(sub.status, 0) << command;
        EXPECT_NE(sub.out.find(std::string("Usage: quon-host ") + command), std::string::npos) << sub.out;
        EXPECT_NE(sub.out.find("--library"), std::string::npos) << command << " accepts --library";
        EXPECT_EQ(sub.out.find(" row"), std::string::npos) << command << " speaks of functions";
    }
    EXPECT_NE(RunTool({"call", "--help"}).out.find("call [OPTIONS] NAME ARG...\n"), std::string::npos);
    EXPECT_NE(RunTool({"eval", "--help"}).out.find("Examples:\n  quon-host eval"), std::string::npos);
    EXPECT_NE(RunTool({"mandelbrot", "--help"}).out.find("--native"), std::string::npos);
    EXPECT_EQ(RunTool({"--version"}).out, "quon-host 0.6.12 (extension interface 400)\n");

    // Usage errors exit with 2, naming what was wrong.
    const std::vector<std::pair<std::vector<std::string>, std::string>> usage = {
        {{"lst"}, "unknown subcommand 'lst'; did you mean 'list'?"},
        {{"help", "evl"}, "no subcommand 'evl'; did you mean 'eval'?"},
        {{"--bogus"}, "--bogus"},
        {{"call"}, "call needs the name of a function"},
        {{"type"}, "TEXT is required"},
        {{"life", "--density", "nan"}, "--density: not a number: nan"},
        {{"life", "--density", "abc"}, "not a number: abc"},
        {{"life", "--density", "1.5"}, "1.5 is not in the range 0 to 1"},
        {{"life", "--pattern", "soup", "--seed", "-1"}, "-1 is not a whole number from 0 to 18446744073709551615"},
        {{"life", "--pattern", "soup", "--seed", "18446744073709551616"}, "does not fit 64 bits"},
        {{"julia", "--cx", "inf"}, "not a finite number: inf"},
        {{"mandelbrot", "-o", "picture.jpg"}, "the output must end in .png"},
        {{"mandelbrot", "--width", "wide"}, "--width"},
    };
    for (const auto& [arguments, message] : usage) {
        const ToolRun run = RunTool(arguments);
        EXPECT_EQ(run.status, 2) << arguments[0] << ": " << run.err;
        EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
        ExpectOwnMessages(run);
    }
    // Failures exit with 1.
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"--library", "/nonexistent.so", "list"},
                                               {"type", "Lst"},
                                               {"call", "maxint", "1"},
                                               {"life", "--board", "/nonexistent"}}) {
        const ToolRun run = RunTool(arguments);
        EXPECT_EQ(run.status, 1) << arguments[0] << ": " << run.err;
        ExpectOwnMessages(run);
    }
}

// A faulty library is refused or reported, never a crash: the host checks the descriptor it reads
// and every result against the function's type, and catches whatever a library's code throws,
// naming the code (tests/modules/faulty/faults.txt: each fault, the command, the error).
TEST(CommandLine, AFaultyLibraryIsRefusedOrReportedWithExit1) {
    std::ifstream faults(QUON_TESTS_SOURCE_DIR "/modules/faulty/faults.txt");
    ASSERT_TRUE(faults.good());
    std::size_t checked = 0;
    for (std::string line; std::getline(faults, line);) {
        if (line.empty() || line[0] == '#') continue;
        const std::size_t first = line.find(" | "), second = line.find(" | ", first + 3);
        ASSERT_NE(second, std::string::npos) << line;
        const std::string fault = line.substr(0, first), message = line.substr(second + 3);
        std::vector<std::string> arguments = {"--library", QUON_FAULTY_MODULE_PATH};
        std::istringstream words(line.substr(first + 3, second - first - 3));
        for (std::string word; words >> word;) arguments.push_back(word);
        const ToolRun run = RunTool(arguments, "", "", "QUON_FAULT=" + fault);
        EXPECT_EQ(run.status, 1) << line << ": " << run.err;
        EXPECT_NE((run.err + run.out).find(message), std::string::npos) << line << ": " << run.err;
        ++checked;
    }
    EXPECT_GE(checked, 20u);
    EXPECT_EQ(RunTool({"--library", QUON_FAULTY_MODULE_PATH, "call", "fault", "7"}).out, "7\n")
        << "without a fault it works";
    // After a toText that throws, the repl goes on with the next entry.
    const ToolRun repl =
        RunTool({"--library", QUON_FAULTY_MODULE_PATH, "repl"}, "gadget(1)\nfault(5)\n", "", "QUON_FAULT=textthrows");
    EXPECT_EQ(repl.out, "5\n") << repl.err;
}

// A library that describes itself wrongly is refused when its descriptor is built, naming the row
// or the type (tests/modules/misused/misuses.txt: each mistake and what the author sees).
TEST(CommandLine, AMisdescribedLibraryIsRefusedNamingTheMistake) {
    std::ifstream misuses(QUON_TESTS_SOURCE_DIR "/modules/misused/misuses.txt");
    ASSERT_TRUE(misuses.good());
    std::size_t checked = 0;
    for (std::string line; std::getline(misuses, line);) {
        if (line.empty() || line[0] == '#') continue;
        const std::string misuse = line.substr(0, line.find(' ')),
                          message = line.substr(line.find(' ') + 1);
        const ToolRun run = RunTool({"--library", QUON_MISUSED_MODULE_PATH, "list"}, "", "", "QUON_MISUSE=" + misuse);
        EXPECT_EQ(run.status, 1) << misuse;
        EXPECT_NE(run.err.find(message), std::string::npos) << misuse << ": " << run.err;
        ++checked;
    }
    EXPECT_GE(checked, 18u);
    EXPECT_EQ(RunTool({"--library", QUON_MISUSED_MODULE_PATH, "call", "make", "3"}).out, "Gadget(3)\n")
        << "without a mistake it works";
    // An exception without a text still says something after the row's name.
    EXPECT_EQ(RunTool({"--library", QUON_MISUSED_MODULE_PATH, "call", "fail", "3"}).err,
              "quon-host: error: fail: the library threw std::runtime_error without a message\n");
}

TEST(CommandLine, ListPrintsTheDescriptorAsJson) {
    const ToolRun run = RunTool({"list", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const nlohmann::json document = nlohmann::json::parse(run.out);
    EXPECT_EQ(document["library"]["name"], "TestExternalLibrary");
    EXPECT_EQ(document["library"]["interfaceVersion"], 400);
    EXPECT_EQ(document["library"]["version"]["full"], "0.6.5 (abc)");
    EXPECT_EQ(document["customTypes"], nlohmann::json::parse(R"([{"name": "TestType"}])"));
    ASSERT_EQ(document["functions"].size(), 45u);
    for (const auto& function : document["functions"]) {
        if (function["name"] != "maxint") continue;
        EXPECT_EQ(function["published"], "( Int * Int -> Int )");
        EXPECT_EQ(function["canonical"], "(Int * Int -> Int)");
        EXPECT_EQ(function["parameters"], nlohmann::json::parse(R"(["Int", "Int"])"));
        EXPECT_EQ(function["result"], "Int");
    }
    EXPECT_EQ(document["functions"][0]["name"], "__libData__") << "in the descriptor's order";
    EXPECT_FALSE(document["functions"][0].contains("parameterNames")) << "a row that names none";

    // The names a library publishes beside its descriptor, in both forms of list.
    const ToolRun hello = RunTool({"--library", QUON_HELLO_PATH, "list", "--json"});
    ASSERT_EQ(hello.status, 0) << hello.err;
    const nlohmann::json helloDocument = nlohmann::json::parse(hello.out);
    EXPECT_EQ(helloDocument["functions"][0]["parameterNames"], nlohmann::json::parse(R"(["a", "b"])"));
    const ToolRun text = RunTool({"--library", QUON_HELLO_PATH, "list"});
    EXPECT_NE(text.out.find("canonical  (Int * Int -> Int)\n       parameters a, b\n"), std::string::npos)
        << text.out;
}

// Errors say what went wrong, not what a later step of the same failure saw.
TEST(CommandLine, MessagesSayWhatWentWrong) {
    std::string deep = "Int";
    for (int i = 0; i < 201; ++i) deep = "Array[" + deep + "]";
    const ToolRun type = RunTool({"type", deep});
    EXPECT_NE(type.err.find("Type nesting too deep! (more than 200 levels)"), std::string::npos) << type.err;
    const ToolRun folder = RunTool({"life", "--board", "/", "--frames", "1"});
    EXPECT_EQ(folder.status, 1);
    EXPECT_NE(folder.err.find("cannot read /: it is a folder, not a board file"), std::string::npos) << folder.err;
    // "--" before an expression command's words is only a separator.
    EXPECT_EQ(RunTool({"call", "--", "maxint", "1", "2"}).out, "2\n");
    EXPECT_EQ(RunTool({"eval", "--", "-1"}).out, "-1\n");
}

// A text of the library that is not UTF-8 is escaped, not a reason to refuse the document.
TEST(CommandLine, ListJsonEscapesBytesThatAreNotUtf8) {
    const ToolRun run = RunTool({"--library", QUON_FAULTY_MODULE_PATH, "list", "--json"}, "", "", "QUON_FAULT=latin1");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(nlohmann::json::parse(run.out)["functions"][0]["description"], "caf\\xe9");
}

TEST(CommandLine, AFailedWriteFailsTheRun) {
    for (const std::string redirect : {">/dev/full", ">&-"})
        for (const std::vector<std::string>& arguments :
             std::vector<std::vector<std::string>>{{"eval", "maxint(3, 4)"},
                                                   {"call", "maxint", "3", "4"},
                                                   {"list"},
                                                   {"type", "Int"},
                                                   {"--help"},
                                                   {"life", "--frames", "2"},
                                                   {"julia", "--width", "8", "--height", "8", "-o", "-"}}) {
            const ToolRun run = RunTool(arguments, "", redirect);
            EXPECT_EQ(run.status, 1) << arguments[0] << " " << redirect;
            EXPECT_NE(run.err.find("quon-host: error: cannot write"), std::string::npos) << run.err;
        }
    // The first failed write ends the run: were the million frames all computed, the test's own
    // time limit would end it.
    const ToolRun life = RunTool({"life", "--pattern", "soup", "--frames", "1000000"}, "", ">/dev/full");
    EXPECT_EQ(life.status, 1) << life.err;
}

TEST(CommandLine, InputIsBoundedAndCheckedWhileItIsRead) {
    // Endless input is refused while it is read (the test's time limit would end it otherwise), and
    // an entry of many lines is counted one line at a time.
    const ToolRun endlessBoard = RunTool({"life", "--board", "/dev/zero", "--frames", "1"});
    EXPECT_EQ(endlessBoard.status, 1);
    EXPECT_NE(endlessBoard.err.find("/dev/zero:1: a board has at most 1000 rows and columns"), std::string::npos)
        << endlessBoard.err;
    const ToolRun endlessRepl = RunTool({"repl"}, "", "</dev/zero");
    EXPECT_EQ(endlessRepl.status, 1);
    EXPECT_NE(endlessRepl.err.find("a line longer than 100000 characters"), std::string::npos) << endlessRepl.err;
    std::string ones;
    for (int i = 0; i < 30000; ++i) ones += "1,\n";
    const std::string entries = "getArraySum([\n" + ones + "2])\ngetArraySum([\n" + ones + ones + "2])\n";
    const ToolRun longEntry = RunTool({"repl"}, entries + "maxint(1, 2)\n");
    EXPECT_EQ(longEntry.out, "30002\n2\n") << "the second entry, beyond 100000 characters, is dropped whole";
    EXPECT_NE(longEntry.err.find("an entry longer than 100000 characters; it is dropped"), std::string::npos)
        << longEntry.err;
    // Standard input that cannot be read fails the repl.
    for (const std::string redirect : {"<&-", "</"}) {
        const ToolRun run = RunTool({"repl"}, "", redirect);
        EXPECT_EQ(run.status, 1) << redirect;
        EXPECT_NE(run.err.find("quon-host: error: cannot read standard input"), std::string::npos) << run.err;
    }
}

TEST(CommandLine, APictureReplacesItsOutputOnlyWhenComplete) {
    const std::string folder = testing::TempDir() + "quon-output-" + std::to_string(::getpid());
    ::mkdir(folder.c_str(), 0700);
    const std::string target = folder + "/picture.png";
    std::ofstream(target) << "precious";
    const std::vector<std::string> small = {"--width", "16", "--height", "12", "-o", target};
    auto picture = [&](std::vector<std::string> extra) {
        std::vector<std::string> arguments = {"mandelbrot"};
        arguments.insert(arguments.end(), small.begin(), small.end());
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return RunTool(arguments);
    };
    EXPECT_EQ(picture({"--library", "/nonexistent.so"}).status, 1);
    EXPECT_EQ(Contents(target), "precious") << "a failed run leaves the file as it was";
    EXPECT_EQ(RunTool({"mandelbrot", "-o", folder + "/missing/picture.png"}).status, 1);

    const ToolRun done = picture({});
    EXPECT_EQ(done.status, 0) << done.err;
    EXPECT_EQ(Contents(target).substr(1, 3), "PNG") << "a complete picture replaces it";
    EXPECT_NE(done.out.find("16x12, 1000 iterations"), std::string::npos) << done.out;
    EXPECT_NE(done.out.find(" ms\n"), std::string::npos) << done.out;
    EXPECT_EQ(std::system(("test $(ls -A " + ShellQuoted(folder) + " | wc -l) = 1").c_str()), 0)
        << "no temporary file is left behind";

    const ToolRun piped = RunTool({"julia", "--width", "8", "--height", "8", "--threads", "1", "-o", "-"});
    EXPECT_EQ(piped.status, 0);
    EXPECT_EQ(piped.out.substr(1, 3), "PNG") << "-o - writes the picture to standard output";
    EXPECT_NE(piped.err.find("8x8, 1000 iterations, 1 thread,"), std::string::npos) << piped.err;

    // A replaced file keeps its mode; a write-protected one is replaced only by who may write it.
    ::chmod(target.c_str(), 0444);
    const ToolRun protectedFile = picture({});
    struct stat info {};
    ::stat(target.c_str(), &info);
    if (::geteuid() == 0) {
        EXPECT_EQ(protectedFile.status, 0) << protectedFile.err;
        EXPECT_EQ(info.st_mode & 07777, 0444u) << "the mode is kept";
    } else {
        EXPECT_EQ(protectedFile.status, 1);
        EXPECT_NE(protectedFile.err.find("Permission denied"), std::string::npos) << protectedFile.err;
    }
    // Through a dangling link the file it names is made; a loop of links is refused.
    ::symlink("made.png", (folder + "/link.png").c_str());
    EXPECT_EQ(RunTool({"mandelbrot", "--width", "8", "--height", "4", "-o", folder + "/link.png"}).status, 0);
    EXPECT_EQ(Contents(folder + "/made.png").substr(1, 3), "PNG") << "the link's destination is written";
    ::symlink("loop2.png", (folder + "/loop1.png").c_str());
    ::symlink("loop1.png", (folder + "/loop2.png").c_str());
    const ToolRun loop = RunTool({"mandelbrot", "--width", "8", "--height", "4", "-o", folder + "/loop1.png"});
    EXPECT_EQ(loop.status, 1);
    EXPECT_NE(loop.err.find("Too many levels of symbolic links"), std::string::npos) << loop.err;
    std::system(("rm -rf " + ShellQuoted(folder)).c_str());
}

// The host's stack limit holds whatever the stack size limit: a recursion too deep for the stack
// ends with the library's error, not with a crash (or, unlimited, with the memory exhausted).
TEST(CommandLine, ADeepRecursionEndsWithAStackOverflowOnEveryStack) {
#if defined(QUON_TSAN)
    // ThreadSanitizer keeps a shadow of the call stack of its own, which deeper recursions overrun,
    // and lays out memory differently without a stack size limit.
    const std::vector<std::string> stacks = {"256", "8192"};
#else
    const std::vector<std::string> stacks = {"unlimited", "256", "8192", "65536"};
#endif
    for (const std::string& stack : stacks) {
        const ToolRun deep =
            RunTool({"call", "recursiveSum", "1000000000"}, "", "", "ulimit -s " + stack + ";");
        EXPECT_EQ(deep.status, 1) << "ulimit -s " << stack << ": " << deep.err;
        EXPECT_NE(deep.err.find("quon-host: error: recursiveSum: Stack overflow! No stack reserve is left"),
                  std::string::npos)
            << "ulimit -s " << stack << ": " << deep.err;
        EXPECT_NE(deep.out.find("# recursiveSum : 2a\n"), std::string::npos) << "the extension was entered";
    }
    const ToolRun shallow =
        RunTool({"call", "recursiveSum", "1000"}, "", "", "ulimit -s " + stacks[0] + ";");
    EXPECT_EQ(shallow.out.substr(shallow.out.find_last_of('\n', shallow.out.size() - 2) + 1), "500500\n")
        << shallow.err;
}

TEST(CommandLine, LifeDrawsPlainFramesIntoAPipe) {
    const ToolRun run = RunTool(
        {"life", "--pattern", "flipper", "--steps", "1", "--delay", "0", "--width", "5", "--height", "5"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.find('\x1b'), std::string::npos) << "no screen control off a terminal";
    EXPECT_NE(run.out.find("step 1 of 1\n"), std::string::npos);
}

// The repl at a terminal (script(1) gives it one): a greeting, an expression over two lines, and a
// history that the next session reads back (the up arrow brings the expression again).
TEST(CommandLine, AReplSessionAtATerminalKeepsItsHistory) {
    if (std::system("command -v script >/dev/null") != 0) GTEST_SKIP() << "script(1) is not installed";
    const std::string state = testing::TempDir() + "quon-state-" + std::to_string(::getpid());
    const std::string session = "XDG_STATE_HOME=" + ShellQuoted(state) + " script -qfec " +
                                ShellQuoted(ShellQuoted(QUON_HOST_PATH) + " repl") + " /dev/null";
    const auto run = [&](const std::string& keys) {
        std::string output;
        if (FILE* pipe = ::popen(("printf '" + keys + "' | " + session).c_str(), "r")) {
            char buffer[4096];
            for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
                output.append(buffer, n);
            ::pclose(pipe);
        }
        return output;
    };
    const std::string first = run("maxint(41,\\n 42)\\n:quit\\n");
    EXPECT_NE(first.find("TestExternalLibrary 0.6.5 (45 functions). Type :help for help"),
              std::string::npos)
        << first;
    EXPECT_NE(first.find("....> "), std::string::npos) << "the open bracket asks for more: " << first;
    EXPECT_NE(first.find("\n42\r"), std::string::npos) << first;
    EXPECT_NE(Contents(state + "/quon-host/history").find("maxint(41,"), std::string::npos);

    const std::string second = run("\\033[A\\033[A\\n:quit\\n");
    EXPECT_NE(second.find("\n42\r"), std::string::npos)
        << "the expression came back from the history: " << second;
    std::system(("rm -rf " + ShellQuoted(state)).c_str());
}

}  // namespace

namespace {

// Each usage error of tests/tool/usage-errors.txt, in the tool's words and pointing at the help of
// the subcommand it concerns.
TEST(CommandLine, UsageErrorsSayWhatWasMeant) {
    std::ifstream cases(QUON_TESTS_SOURCE_DIR "/tool/usage-errors.txt");
    int count = 0;
    for (std::string line; std::getline(cases, line);) {
        if (line.empty() || line[0] == '#') continue;
        const std::size_t bar = line.find(" | "), second = line.rfind(" | ");
        ASSERT_NE(bar, second) << line;
        std::vector<std::string> words;
        std::stringstream split(line.substr(0, bar));
        for (std::string word; split >> word;) words.push_back(word);
        const tool_tests::ToolRun run = tool_tests::RunTool(words);
        EXPECT_EQ(run.status, 2) << line;
        EXPECT_EQ(run.err, line.substr(bar + 3, second - bar - 3) + "\nRun '" + line.substr(second + 3) +
                               "' for more information.\n")
            << line;
        ++count;
    }
    EXPECT_GE(count, 8);
}

// A library named by its bare file name is the file here; a word that is not a library's name is
// one function to show.
TEST(CommandLine, ListShowsOneFunctionAndFindsALibraryInTheFolder) {
    const tool_tests::ToolRun one = tool_tests::RunTool({"list", "maxint"});
    EXPECT_EQ(one.status, 0) << one.err;
    EXPECT_EQ(one.out, "maxint -- maxint desc...\n  published   ( Int * Int -> Int )\n  canonical   (Int * Int -> Int)\n");
    const tool_tests::ToolRun named = tool_tests::RunTool({"--library", QUON_HELLO_PATH, "list", "gcd"});
    EXPECT_NE(named.out.find("  parameters  a, b\n"), std::string::npos) << named.out;
    const tool_tests::ToolRun unknown = tool_tests::RunTool({"list", "maxnt"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_NE(unknown.err.find("no function 'maxnt' in "), std::string::npos) << unknown.err;
    EXPECT_NE(unknown.err.find("; did you mean 'maxint'?"), std::string::npos) << unknown.err;

    const std::string library = QUON_LIBRARY_PATH;
    const std::string folder = library.substr(0, library.rfind('/'));
    const std::string file = library.substr(library.rfind('/') + 1);
    const tool_tests::ToolRun here = tool_tests::RunTool({"--library", file, "call", "maxint", "1", "2"}, "", "",
                                                         "cd " + tool_tests::ShellQuoted(folder) + " &&");
    EXPECT_EQ(here.status, 0) << here.err;
    EXPECT_EQ(here.out, "2\n");
}

// Strings print raw on request; a comment alone is nothing to evaluate; counts read as English.
TEST(CommandLine, RawOutputAndTheSmallerTexts) {
    EXPECT_EQ(tool_tests::RunTool({"eval", "--raw", "stringAdd('caf\\303', '\\251')", "[1]"}).out, "caf\xc3\xa9\n[1]\n");
    EXPECT_EQ(tool_tests::RunTool({"eval", "stringAdd('caf\\303', '\\251')"}).out, "'caf\\303\\251'\n");
    EXPECT_EQ(tool_tests::RunTool({"call", "--raw", "stringAdd", "'a'", "'b'"}).out, "ab\n");
    const tool_tests::ToolRun comment = tool_tests::RunTool({"eval", "# nothing"});
    EXPECT_EQ(comment.status, 0) << comment.err;
    EXPECT_EQ(comment.out, "");
    EXPECT_EQ(tool_tests::RunTool({"eval", "[7][1]"}).err,
              "quon-host: error: index 1 is out of range for an array of 1 element at column 4\n");
    EXPECT_EQ(tool_tests::RunTool({"eval", "map([1], (a, b) -> a)"}).err,
              "quon-host: error: map's function takes 2 arguments, but is called with 1 argument at column 1\n");
    // An expected type reads like the given one.
    EXPECT_EQ(tool_tests::RunTool({"eval", "readStruct({a: 1})"}).err,
              "quon-host: error: readStruct: argument 1 must be Record[ intAttr1: Int, intAttr2: Int ], given "
              "Record[ a: Int ]\n");
    // Help fits the terminal: no line of 60 columns' help is longer, and no word is split.
    const tool_tests::ToolRun help = tool_tests::RunTool({"mandelbrot", "--help"}, "", "", "COLUMNS=60");
    std::stringstream lines(help.out);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("  quon-host", 0) != 0) EXPECT_LE(line.size(), 60u) << line;
    }
    EXPECT_NE(help.out.find("Magnification; at 1 the\n"), std::string::npos) << help.out;
}

}  // namespace
