// quon-host life through the built tool: the board files people share (tests/tool/boards/), the
// installed patterns found by name, soups that can be repeated, and animations refused by a
// terminal too small for them.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/tool/TerminalSession.h"
#include "tests/tool/ToolRun.h"

namespace {

using tool_tests::RunTool;
using tool_tests::TerminalSession;

const std::string kBoards = QUON_TESTS_SOURCE_DIR "/tool/boards/";

// The same spinner in every form a board file takes: with comments, short and empty lines, a
// header with or without a rule (the library's, so no note), trailing blank lines, and the form
// told by the extension or, without one, by the first line. Each steps as the installed pattern.
TEST(LifeBoardFiles, EveryFormReadsTheSameBoard) {
    const auto installed = RunTool({"life", "--board", "spinner", "--frames", "5"});
    ASSERT_EQ(installed.status, 0) << installed.err;
    std::stringstream file;
    file << std::ifstream(QUON_TESTS_SOURCE_DIR "/../docs/patterns/spinner.txt").rdbuf();
    EXPECT_EQ(installed.out.substr(0, installed.out.find("\n\n") + 1), file.str()) << "the installed file";
    for (const char* name :
         {"spinner.cells", "spinner-plaintext", "spinner.rle", "spinner-rle", "spinner.txt"}) {
        const auto run = RunTool({"life", "--board", kBoards + name, "--frames", "5"});
        EXPECT_EQ(run.status, 0) << name;
        EXPECT_EQ(run.err, "") << name;
        EXPECT_EQ(run.out, installed.out) << name;
    }
    // A pattern of another rule is stepped with the library's, and the user is told so; placed in
    // the middle of --width x --height, it is the named glider.
    const auto glider = RunTool(
        {"life", "--board", kBoards + "glider.rle", "--width", "6", "--height", "5", "--frames", "3"});
    EXPECT_EQ(glider.status, 0);
    EXPECT_EQ(glider.err,
              "quon-host: note: " + kBoards +
                  "glider.rle is written for the rule B3/S23; the board is stepped with the library's "
                  "rule, B3/S12\n");
    EXPECT_EQ(
        glider.out,
        RunTool({"life", "--pattern", "glider", "--width", "6", "--height", "5", "--frames", "3"}).out);
    EXPECT_NE(RunTool({"life", "--board", kBoards + "glider.rle", "--width", "2", "--frames", "1"})
                  .err.find("glider.rle: a 3x3 board does not fit in 2x3"),
              std::string::npos);
}

// Each file of tests/tool/boards/refused.txt, refused with its line and what is wrong there.
TEST(LifeBoardFiles, MalformedFilesNameTheirLine) {
    std::ifstream cases(kBoards + "refused.txt");
    int count = 0;
    for (std::string line; std::getline(cases, line);) {
        if (line.empty() || line[0] == '#') continue;
        const std::size_t bar = line.find(" | ");
        ASSERT_NE(bar, std::string::npos) << line;
        const auto run =
            RunTool({"life", "--board", kBoards + "refused/" + line.substr(0, bar), "--frames", "1"});
        EXPECT_EQ(run.status, 1) << line;
        EXPECT_EQ(run.err, "quon-host: error: " + kBoards + "refused/" + line.substr(bar + 3) + "\n");
        ++count;
    }
    EXPECT_GE(count, 10);
}

TEST(LifeCommand, FindsInstalledPatternsByName) {
    const auto named = RunTool({"life", "--board", "fuse", "--frames", "2"});
    EXPECT_EQ(named.status, 0) << named.err;
    EXPECT_EQ(named.out, RunTool({"life", "--board", "fuse.txt", "--frames", "2"}).out);
    EXPECT_EQ(named.out, RunTool({"life", "--board", QUON_TESTS_SOURCE_DIR "/../docs/patterns/fuse.txt",
                                  "--frames", "2"})
                             .out);
    const auto unknown = RunTool({"life", "--board", "fusee", "--frames", "1"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_EQ(
        unknown.err,
        "quon-host: error: cannot read fusee: No such file or directory; nor is it an installed pattern "
        "(comb, flipper, fuse, pingpong, spinner, wave)\n");
}

TEST(LifeCommand, ARandomSoupTellsItsSeed) {
    const std::vector<std::string> soup = {"life",     "--pattern", "soup",     "--width", "16",
                                           "--height", "8",         "--frames", "3"};
    const auto first = RunTool(soup);
    EXPECT_EQ(first.status, 0);
    std::smatch seed;
    ASSERT_TRUE(std::regex_match(first.err, seed,
                                 std::regex("quon-host: soup seed (\\d+) \\(--seed \\1 repeats it\\)\n")))
        << first.err;
    std::vector<std::string> again = soup;
    again.insert(again.end(), {"--seed", seed[1].str()});
    const auto repeated = RunTool(again);
    EXPECT_EQ(repeated.err, "") << "a seed given is not told again";
    EXPECT_EQ(repeated.out, first.out);
}

// A terminal of 80x24 (TerminalSession) holds a board of 22 rows with its step line; a larger one
// is refused before the screen is cleared, unless its frames are printed.
TEST(LifeCommand, AnAnimationMustFitTheTerminal) {
    for (const auto& [width, height] :
         std::vector<std::pair<std::string, std::string>>{{"81", "5"}, {"10", "23"}}) {
        TerminalSession life(QUON_HOST_PATH, {"life", "--pattern", "soup", "--seed", "1", "--width", width,
                                              "--height", height});
        EXPECT_EQ(life.Status(), 1);
        EXPECT_NE(life.Seen().find("quon-host: error: a " + width + "x" + height +
                                   " board does not fit this terminal of 80x24"),
                  std::string::npos)
            << life.Seen();
        EXPECT_NE(life.Seen().find("or print frames with --frames N"), std::string::npos);
        EXPECT_EQ(life.Seen().find("\x1b[2J"), std::string::npos);
    }
    TerminalSession fits(QUON_HOST_PATH, {"life", "--pattern", "soup", "--width", "80", "--height", "21",
                                          "--steps", "1", "--delay", "0"});
    EXPECT_EQ(fits.Status(), 0) << fits.Seen();
    EXPECT_NE(fits.Seen().find("step 1 of 1"), std::string::npos);
    EXPECT_NE(fits.Seen().find("--seed"), std::string::npos) << "the seed is told under the first frame";
    TerminalSession printed(QUON_HOST_PATH,
                            {"life", "--pattern", "soup", "--width", "200", "--frames", "1"});
    EXPECT_EQ(printed.Status(), 0);
}

}  // namespace
