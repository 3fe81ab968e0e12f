#include <gtest/gtest.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "LogTestSupport.h"
#include "diagnostics/Log.h"
#include "diagnostics/Logger.h"
#include "platform/Platform.h"

namespace fs = std::filesystem;
using namespace diagtest;

namespace {

const std::string kTag = R"(\[T#[0-9A-F]{16}\] )";
const std::string kStamp = R"(\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.000\] )";

std::size_t CountContaining(const std::vector<std::string>& lines, const std::string& piece) {
    return std::count_if(lines.begin(), lines.end(),
                         [&](auto& line) { return line.find(piece) != line.npos; });
}

// Every test logs into a scratch folder of its own.
class Log : public testing::Test {
protected:
    ScratchFolder folder;
    RedirectedLog log{folder.Path()};
};

// A log whose folder cannot be made until Unblock: a file stands where a folder should be.
struct BlockedLog {
    ScratchFolder folder;
    std::string blocker = folder.Path() + "/Quon";
    bool made = static_cast<bool>(std::ofstream(blocker) << "not a folder");
    RedirectedLog log{blocker + "/log"};
    void Unblock() { fs::remove(blocker); }
};

}  // namespace

TEST_F(Log, ProcessManagerLivesInAppDataAndForwards) {
    zul::LogManager& local = zul::LogManager::Local();
    EXPECT_EQ(local.LogDirectory(), ProgramAppData() + "/Quon/log");
    EXPECT_TRUE(zul::platform::DirectoryExists(local.LogDirectory())) << "folder created with the manager";
    local.SetForwardTarget(nullptr);
    EXPECT_EQ(zul::GetLogManager(), &local) << "forward cleared";
}

TEST_F(Log, FileNamesCarryTypeTimeAndDigits) {
    const std::string time = R"( \d{4}-\d\d-\d\d-\d{6}-\d{6}\.log)";
    EXPECT_TRUE(Matches(log.PathOf("Eval"), folder.Path() + R"(/Quon \[Eval\])" + time))
        << log.PathOf("Eval");
    EXPECT_TRUE(Matches(log.PathOf(""), folder.Path() + "/Quon -" + time)) << "the empty type is Default";
    EXPECT_EQ(zul::LogManager("").GetLogger("Eval"), nullptr) << "no folder, no logger";
}

TEST_F(Log, ForkedWritersKeepTheirOwnFilesAndThreadTags) {
    // Forked writers draw the same digits. All name their files, then all write when the parent
    // closes the gate. A child that kept the parent's cached thread id would tag with it.
    constexpr int kWriters = 16;
    const std::string parentTag = zul::FormatThreadTag(zul::platform::CurrentThreadId());
    int named[2], gate[2];
    ASSERT_EQ(::pipe(named) | ::pipe(gate), 0);
    std::vector<pid_t> children;
    for (int writer = 0; writer < kWriters; ++writer) {
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(gate[1]);
            zul::LogManager manager(folder.Path());
            zul::Logger* logger = manager.GetLogger("Same");
            char byte = 0;
            if (logger == nullptr || ::write(named[1], &byte, 1) != 1) std::_Exit(1);
            while (::read(gate[0], &byte, 1) < 0 && errno == EINTR) {
            }  // end of file: the parent closed the gate
            logger->Write("", "", std::to_string(::syscall(SYS_gettid)), false);
            std::_Exit(0);
        }
        if (child > 0) children.push_back(child);
    }
    ::close(named[1]);
    ::close(gate[0]);
    char byte;
    for (std::size_t ready = 0; ready < children.size() && ::read(named[0], &byte, 1) == 1;) ++ready;
    ::close(gate[1]);
    for (pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "writer " << child;
    }
    ASSERT_EQ(children.size(), std::size_t{kWriters}) << "every writer forked";

    int files = 0;
    for (const auto& entry : fs::directory_iterator(folder.Path())) {
        const auto lines = ReadLines(entry.path().string());
        ASSERT_EQ(lines.size(), 5u) << "one header and one record in " << entry.path();
        const std::string tag = lines[4].substr(0, parentTag.size());
        EXPECT_NE(tag, parentTag) << "a child's lines carry its own thread id";
        EXPECT_EQ(tag, zul::FormatThreadTag(std::stoull(lines[4].substr(parentTag.size()))));
        ++files;
    }
    EXPECT_EQ(files, kWriters) << "each writer its own file";
}

TEST_F(Log, RecordLayoutAndHeader) {
    zul::Log(1, "", "boom", 5);
    zul::Log(1, "", "again", 5);
    const std::string path = log.PathOf("Default");
    auto lines = ReadLines(path);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "Module:   " + zul::platform::ModuleFilePath());
    EXPECT_EQ(lines[1], "Log type: Default");
    EXPECT_EQ(lines[2], "Log file: " + path);
    EXPECT_EQ(lines[3], std::string(49, '-'));
    EXPECT_TRUE(Matches(lines[4], kStamp + kTag + R"(\[ERROR\] boom)")) << lines[4];
    EXPECT_TRUE(Matches(lines[5], kStamp + kTag + R"(\[ERROR\] again)")) << "header once: " << lines[5];

    zul::Log(6, "Eval", "six", 1);
    auto eval = ReadLines(log.PathOf("Eval"));
    ASSERT_EQ(eval.size(), 5u);
    EXPECT_EQ(eval[1], "Log type: Eval") << "own file for the type";
    EXPECT_TRUE(Matches(eval[4], kTag + R"(\[ERROR\] six)")) << "6 mod 5, no time: " << eval[4];
    EXPECT_STREQ(zul::LogLevelName(255), "---") << "255 mod 5";

    zul::Log(4, "Eval", "x", 2);
    lines = ReadLines(path);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_TRUE(Matches(lines[6], kTag + R"(\(Eval\) x)")) << "flag 2: source only: " << lines[6];
    EXPECT_EQ(ReadLines(log.PathOf("Eval")).size(), 5u) << "flag 2 leaves the type's file alone";
}

TEST_F(Log, LogTypeNeverLeavesTheFolder) {
    const std::string logDir = folder.Path() + "/Quon/log";
    RedirectedLog nested(logDir);
    for (const char* type : {"../../escape", "a/b", "..", "/etc/quon", "../"}) zul::Log(4, type, "t", 1);

    std::size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder.Path())) {
        if (!entry.is_regular_file()) continue;
        ++files;
        EXPECT_EQ(entry.path().parent_path().string(), logDir) << "outside the folder: " << entry.path();
    }
    EXPECT_EQ(files, 5u) << "one file per type";
    EXPECT_NE(nested.PathOf("a/b").find("Quon [a\\b] "), std::string::npos) << "slash becomes backslash";
    EXPECT_NE(nested.PathOf("..").find("Quon [..] "), std::string::npos) << "dots stay inside one name";
    const std::string longType(400, 'L');
    zul::Log(4, longType, "long", 1);
    EXPECT_EQ(ReadLines(nested.PathOf(longType)).at(1), "Log type: " + longType)
        << "a long type gets a file";
}

TEST_F(Log, UnwritableFolderQueuesMissedRecords) {
    BlockedLog blocked;
    const std::string path = blocked.log.PathOf("Default");
    zul::Log(1, "", "first", 1);
    EXPECT_FALSE(fs::exists(path)) << "nothing written while blocked";
    blocked.Unblock();
    zul::Log(1, "", "second", 1);

    auto lines = ReadLines(path);
    ASSERT_GE(lines.size(), 8u);
    EXPECT_NE(
        lines[0].find("] [MISSED] Can not open log file (" + path + ") : ERROR: (20) Not a directory"),
        std::string::npos)
        << lines[0];
    EXPECT_TRUE(Matches(lines[1], kTag + R"(\[MISSED\] Error: Cannot open log file!)")) << lines[1];
    EXPECT_TRUE(Matches(lines[2], kTag + R"(\[MISSED\] \[ERROR\] first)")) << lines[2];
    EXPECT_EQ(lines[4].rfind("Module:   ", 0), 0u) << "then the header";
    EXPECT_TRUE(Matches(lines.back(), kTag + R"(\[ERROR\] second)")) << lines.back();
    zul::Log(1, "", "third", 1);
    EXPECT_EQ(CountContaining(ReadLines(path), "[MISSED]"), 3u) << "written once, then the queue was empty";
}

TEST_F(Log, MissedQueueIsBounded) {
    BlockedLog blocked;
    const std::size_t records = zul::Logger::kMaxMissed;  // each failed record queues three lines
    for (std::size_t i = 0; i < records; ++i) zul::Log(4, "", "lost " + std::to_string(i), 0);
    blocked.Unblock();
    zul::Log(4, "", "back", 0);

    auto lines = ReadLines(blocked.log.PathOf("Default"));
    EXPECT_EQ(CountContaining(lines, "[MISSED] "), zul::Logger::kMaxMissed + 1) << "cap plus the drop note";
    EXPECT_EQ(
        CountContaining(lines, "[MISSED] " + std::to_string(2 * records) + " older records were dropped"),
        1u);
    EXPECT_EQ(CountContaining(lines, "lost " + std::to_string(records - 1)), 1u) << "newest kept";
    EXPECT_EQ(CountContaining(lines, "] lost 0"), 0u) << "oldest dropped";
}

TEST_F(Log, FallsBackToXLogFile) {
    const std::string path = log.PathOf("Eval");
    fs::remove(path);
    fs::create_directory(path);  // the name is taken by a folder
    zul::Log(1, "Eval", "aside", 1);
    zul::Log(1, "Eval", "still aside", 1);

    auto lines = ReadLines(path.substr(0, path.size() - 4) + "_x.log");
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[2], "Log file: " + path) << "header names the stored path";
    EXPECT_TRUE(Matches(lines[5], kTag + R"(\[ERROR\] still aside)")) << lines[5];
}
