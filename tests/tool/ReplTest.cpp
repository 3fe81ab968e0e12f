// quon-host repl as a person uses it at a terminal (a pseudo-terminal here) and as a script.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/tool/TerminalSession.h"
#include "tests/tool/ToolRun.h"

namespace {

using tool_tests::RunTool;
using tool_tests::TerminalSession;

std::string StateFolder() {
    const std::string folder = ::testing::TempDir() + "quon-repl-state-" + std::to_string(::getpid());
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

TEST(Repl, CtrlCDropsTheEntryAndEachEntryIsKeptAtOnce) {
    const std::string state = StateFolder();
    TerminalSession repl(QUON_HOST_PATH, {"repl"}, {"XDG_STATE_HOME=" + state});
    ASSERT_TRUE(repl.WaitFor("quon> ")) << repl.Seen();
    // Ctrl-C in an unfinished entry drops it; at an empty prompt it says how to leave.
    repl.Type("maxint(3,\r");
    ASSERT_TRUE(repl.WaitFor("....> ")) << repl.Seen();
    repl.Type("\x03");
    ASSERT_TRUE(repl.WaitFor("quon> ")) << repl.Seen();
    repl.Type("\x03");
    ASSERT_TRUE(repl.WaitFor("(:quit or Ctrl-D leaves)\r\nquon> ")) << repl.Seen();
    // A long evaluation stops at its next step; the session goes on.
    repl.Type("len(map(getArraySeq(1, 4000), x -> len(map(getArraySeq(1, 4000), y -> y))))\r");
    ::usleep(300000);
    repl.Type("\x03");
    ASSERT_TRUE(repl.WaitFor("quon-host: error: interrupted")) << repl.Seen();
    repl.Type("maxint(1, 2)\r");
    ASSERT_TRUE(repl.WaitFor("2\r\nquon> ")) << repl.Seen();
    // Tab completes a function's name.
    repl.TypeWhenEditing("recursiveS\t");
    ASSERT_TRUE(repl.WaitFor("um")) << repl.Seen();
    repl.Type("(3)\r");
    ASSERT_TRUE(repl.WaitFor("6\r\n")) << repl.Seen();
    // Killed without :quit, the history still holds what was entered.
    repl.Kill();
    std::stringstream history;
    history << std::ifstream(state + "/quon-host/history").rdbuf();
    EXPECT_NE(history.str().find("maxint(1,\\0402)"), std::string::npos) << history.str();
    EXPECT_EQ(history.str().find("maxint(3,"), std::string::npos) << "a dropped entry is not kept";

    // Ctrl-D ends the line before the shell's prompt comes back.
    TerminalSession second(QUON_HOST_PATH, {"repl"}, {"XDG_STATE_HOME=" + state});
    ASSERT_TRUE(second.WaitFor("quon> "));
    second.TypeWhenEditing("\x04");
    EXPECT_EQ(second.Status(), 0) << second.Seen();
    std::filesystem::remove_all(state);
}

TEST(Repl, TeachesItsLanguageAndNamesWhereAnEntryFailed) {
    const auto run = RunTool({"repl"}, "help\n:type [1, 2.5]\n:type maxint\n:doc maxint\n:doc maxnt\n"
                                       "maxint(1,\n 2x)\n# a comment\nquit\nmaxint(5, 6)\n");
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.out.find("Expressions:\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("  map(a, f)  len(a)  a[i]"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Array[Int | Float]\n(Int * Int -> Int)\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("maxint -- maxint desc...\n  published   ( Int * Int -> Int )\n"), std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find("6\n"), std::string::npos) << "quit leaves";
    EXPECT_EQ(run.err,
              "quon-host: error: no function 'maxnt'; did you mean 'maxint'?\n"
              "quon-host: error: malformed number at line 2, column 2\n   2x)\n   ^\n");

    // A file is a script of entries; a missing one is refused.
    const std::string script = ::testing::TempDir() + "quon-repl-script-" + std::to_string(::getpid());
    std::ofstream(script) << "maxint(1,\n  7)\nstringAdd('a', 'b')\n";
    const auto file = RunTool({"repl", script}, "maxint(100, 200)\n");
    EXPECT_EQ(file.status, 0) << file.err;
    EXPECT_EQ(file.out, "7\n'ab'\n");
    std::remove(script.c_str());
    const auto missing = RunTool({"repl", script});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "quon-host: error: cannot read " + script + ": No such file or directory\n");
}

}  // namespace
