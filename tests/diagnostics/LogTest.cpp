#include <gtest/gtest.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "LogTestSupport.h"
#include "diagnostics/Log.h"
#include "diagnostics/LogManager.h"
#include "diagnostics/Logger.h"
#include "platform/Platform.h"

namespace fs = std::filesystem;
using diagtest::ReadLines;
using diagtest::RedirectedLog;
using diagtest::ScratchFolder;

namespace {

const char* const kThreadTag = R"(\[T#[0-9A-F]{16}\] )";
const char* const kStamp = R"(\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.000\] )";

bool Matches(const std::string& text, const std::string& pattern) {
    return std::regex_match(text, std::regex(pattern));
}

std::size_t CountContaining(const std::vector<std::string>& lines, const std::string& piece) {
    std::size_t n = 0;
    for (const auto& line : lines) n += line.find(piece) != std::string::npos;
    return n;
}

}  // namespace

TEST(Log, LevelNamesAndThreadTag) {
    EXPECT_STREQ(zul::LogLevelName(0), "---") << "level 0";
    EXPECT_STREQ(zul::LogLevelName(4), "INFO") << "level 4";
    EXPECT_STREQ(zul::LogLevelName(6), "ERROR") << "level 6 is taken modulo 5";
    EXPECT_STREQ(zul::LogLevelName(255), "---") << "level 255 is taken modulo 5";
    EXPECT_EQ(zul::FormatThreadTag(6700), "[T#0000000000001A2C] ") << "thread 6700, 16 upper-case digits";
    EXPECT_EQ(zul::FormatThreadTag(0xFFFFFFFFu), "[T#00000000FFFFFFFF] ") << "zero-extended 32-bit id";
}

TEST(Log, ProcessManagerLivesInAppDataAndForwards) {
    zul::LogManager& local = zul::LogManager::Local();
    EXPECT_EQ(local.LogDirectory(), diagtest::ProgramAppData() + "/Quon/log") << "APPDATA/Quon/log";
    EXPECT_TRUE(zul::platform::DirectoryExists(local.LogDirectory())) << "folder created with the manager";
    EXPECT_EQ(zul::GetLogManager(), &local) << "no forward: the local manager";
    {
        ScratchFolder folder;
        RedirectedLog log(folder.Path());
        EXPECT_EQ(zul::GetLogManager(), &log.Manager()) << "forward set: the target";
    }
    EXPECT_EQ(zul::GetLogManager(), &local) << "forward cleared";
}

TEST(Log, FileNamesCarryTypeTimeAndDigits) {
    ScratchFolder folder;
    RedirectedLog log(folder.Path());
    zul::Logger* eval = log.Manager().GetLogger("Eval");
    ASSERT_NE(eval, nullptr);
    EXPECT_TRUE(
        Matches(eval->FilePath(), folder.Path() + R"(/Quon \[Eval\] \d{4}-\d\d-\d\d-\d{6}-\d{6}\.log)"))
        << eval->FilePath();
    EXPECT_EQ(log.Manager().GetLogger("Eval"), eval) << "one logger per type";
    zul::Logger* byEmpty = log.Manager().GetLogger("");
    EXPECT_EQ(byEmpty, log.Manager().GetLogger("Default")) << "empty type is Default";
    EXPECT_TRUE(Matches(byEmpty->FilePath(), folder.Path() + R"(/Quon - \d{4}-\d\d-\d\d-\d{6}-\d{6}\.log)"))
        << byEmpty->FilePath();
    EXPECT_EQ(fs::file_size(eval->FilePath()), 0u)
        << "name claimed, nothing written before the first record";

    zul::LogManager nowhere("");
    EXPECT_EQ(nowhere.GetLogger("Eval"), nullptr) << "no folder, no logger";
}

TEST(Log, ForkedWritersKeepTheirOwnFilesAndThreadTags) {
    // Forked writers draw the same digits, as every process (and each runtime copy in one)
    // does. Each names its file, then all write at one instant, when the parent closes the
    // gate: each must have claimed a file of its own. The parent's thread id is cached before
    // the fork, so a child that kept it would tag its lines with the parent's id.
    constexpr int kWriters = 16;
    ScratchFolder folder;
    const std::string parentTag = zul::FormatThreadTag(zul::platform::CurrentThreadId());
    int named[2], gate[2];
    ASSERT_EQ(::pipe(named), 0);
    ASSERT_EQ(::pipe(gate), 0);
    std::vector<pid_t> children;
    for (int writer = 0; writer < kWriters; ++writer) {
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(named[0]);
            ::close(gate[1]);
            zul::LogManager manager(folder.Path());
            zul::Logger* logger = manager.GetLogger("Same");
            char byte = 0;
            if (::write(named[1], &byte, 1) != 1) std::_Exit(2);
            while (::read(gate[0], &byte, 1) < 0 && errno == EINTR) {
            }  // end of file: the parent closed the gate
            if (logger != nullptr) logger->Write("", "", std::to_string(::syscall(SYS_gettid)), false);
            std::_Exit(logger != nullptr ? 0 : 1);
        }
        if (child > 0) children.push_back(child);
    }
    ::close(named[1]);
    ::close(gate[0]);
    char byte;
    for (std::size_t ready = 0; ready < children.size() && ::read(named[0], &byte, 1) == 1;) ++ready;
    ::close(named[0]);
    ::close(gate[1]);
    for (pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "writer " << child;
    }
    ASSERT_EQ(children.size(), std::size_t{kWriters}) << "every writer forked";

    int files = 0;
    for (const auto& entry : fs::directory_iterator(folder.Path())) {
        ++files;
        const auto lines = ReadLines(entry.path().string());
        ASSERT_EQ(lines.size(), 5u) << "one header and one record in " << entry.path();
        EXPECT_EQ(lines[0].rfind("Module:", 0), 0u) << "header first in " << entry.path();
        const std::string tag = lines[4].substr(0, parentTag.size());
        const std::string gettid = lines[4].substr(parentTag.size());
        EXPECT_NE(tag, parentTag) << "a child's lines carry its own thread id";
        EXPECT_EQ(tag, zul::FormatThreadTag(std::stoull(gettid))) << "the child's kernel thread id";
    }
    EXPECT_EQ(files, kWriters) << "each writer its own file";
}

TEST(Log, RecordLayoutAndHeader) {
    ScratchFolder folder;
    RedirectedLog log(folder.Path());
    zul::Log(1, "", "boom", 5);
    zul::Log(1, "", "again", 5);
    const std::string path = log.PathOf("Default");
    auto lines = ReadLines(path);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "Module:   " + zul::platform::ModuleFilePath()) << "header: module path";
    EXPECT_EQ(lines[1], "Log type: Default") << "header: type";
    EXPECT_EQ(lines[2], "Log file: " + path) << "header: file";
    EXPECT_EQ(lines[3], std::string(49, '-')) << "header: rule";
    EXPECT_TRUE(Matches(lines[4], std::string(kStamp) + kThreadTag + R"(\[ERROR\] boom)")) << lines[4];
    EXPECT_TRUE(Matches(lines[5], std::string(kStamp) + kThreadTag + R"(\[ERROR\] again)"))
        << "header written once: " << lines[5];

    zul::Log(6, "Eval", "six", 1);
    auto eval = ReadLines(log.PathOf("Eval"));
    ASSERT_EQ(eval.size(), 5u);
    EXPECT_EQ(eval[1], "Log type: Eval") << "own file for the type";
    EXPECT_TRUE(Matches(eval[4], std::string(kThreadTag) + R"(\[ERROR\] six)"))
        << "6 mod 5, no time: " << eval[4];

    zul::Log(4, "Eval", "x", 2);
    lines = ReadLines(path);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_TRUE(Matches(lines[6], std::string(kThreadTag) + R"(\(Eval\) x)"))
        << "flag 2: source only: " << lines[6];
    EXPECT_EQ(ReadLines(log.PathOf("Eval")).size(), 5u) << "flag 2 leaves the type's file alone";
}

TEST(Log, LogTypeNeverLeavesTheFolder) {
    ScratchFolder folder;
    const std::string logDir = folder.Path() + "/Quon/log";
    RedirectedLog log(logDir);
    for (const char* type : {"../../escape", "a/b", "..", "/etc/quon", "../"}) zul::Log(4, type, "t", 1);

    std::size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder.Path())) {
        if (!entry.is_regular_file()) continue;
        ++files;
        EXPECT_EQ(entry.path().parent_path().string(), logDir) << "outside the folder: " << entry.path();
    }
    const std::string longType(400, 'L');
    zul::Log(4, longType, "long", 1);
    EXPECT_EQ(ReadLines(log.PathOf(longType)).at(1), "Log type: " + longType)
        << "a long type still gets a file";
    EXPECT_EQ(files, 5u) << "one file per type";
    EXPECT_NE(log.PathOf("a/b").find("Quon [a\\b] "), std::string::npos) << "slash becomes backslash";
    EXPECT_NE(log.PathOf("..").find("Quon [..] "), std::string::npos) << "dots stay inside one name";
}

TEST(Log, UnwritableFolderQueuesMissedRecords) {
    ScratchFolder folder;
    const std::string blocker = folder.Path() + "/Quon";
    std::ofstream(blocker) << "not a folder";
    RedirectedLog log(blocker + "/log");
    const std::string path = log.PathOf("Default");

    zul::Log(1, "", "first", 1);
    EXPECT_FALSE(fs::exists(path)) << "nothing written while blocked";
    fs::remove(blocker);
    zul::Log(1, "", "second", 1);

    auto lines = ReadLines(path);
    ASSERT_GE(lines.size(), 8u);
    EXPECT_TRUE(Matches(lines[0], std::string(kThreadTag) + R"(\[MISSED\] Can not open log file \()" +
                                      std::regex_replace(path, std::regex(R"([\[\]\\.()])"), R"(\$&)") +
                                      R"(\) : ERROR: \(20\) Not a directory)"))
        << "why it failed: " << lines[0];
    EXPECT_TRUE(Matches(lines[1], std::string(kThreadTag) + R"(\[MISSED\] Error: Cannot open log file!)"))
        << lines[1];
    EXPECT_TRUE(Matches(lines[2], std::string(kThreadTag) + R"(\[MISSED\] \[ERROR\] first)")) << lines[2];
    EXPECT_EQ(lines[3], "") << "the queued record kept its own line feed";
    EXPECT_EQ(lines[4].rfind("Module:   ", 0), 0u) << "then the header";
    EXPECT_TRUE(Matches(lines.back(), std::string(kThreadTag) + R"(\[ERROR\] second)")) << lines.back();
    EXPECT_EQ(CountContaining(lines, "[MISSED]"), 3u) << "exactly three missed lines";

    zul::Log(1, "", "third", 1);
    EXPECT_EQ(CountContaining(ReadLines(path), "[MISSED]"), 3u) << "the queue was emptied";
}

TEST(Log, MissedQueueIsBounded) {
    ScratchFolder folder;
    const std::string blocker = folder.Path() + "/Quon";
    std::ofstream(blocker) << "not a folder";
    RedirectedLog log(blocker + "/log");
    const std::size_t records = zul::Logger::kMaxMissed;  // each failed record queues three lines
    for (std::size_t i = 0; i < records; ++i) zul::Log(4, "", "lost " + std::to_string(i), 0);
    fs::remove(blocker);
    zul::Log(4, "", "back", 0);

    auto lines = ReadLines(log.PathOf("Default"));
    EXPECT_EQ(CountContaining(lines, "[MISSED] "), zul::Logger::kMaxMissed + 1) << "cap plus the drop note";
    EXPECT_EQ(
        CountContaining(lines, "[MISSED] " + std::to_string(2 * records) + " older records were dropped"),
        1u)
        << "the number of dropped lines is reported";
    EXPECT_EQ(CountContaining(lines, "lost " + std::to_string(records - 1)), 1u) << "newest kept";
    EXPECT_EQ(CountContaining(lines, "] lost 0"), 0u) << "oldest dropped";
}

TEST(Log, FallsBackToXLogFile) {
    ScratchFolder folder;
    RedirectedLog log(folder.Path());
    const std::string path = log.PathOf("Eval");
    fs::remove(path);
    fs::create_directory(path);  // the name is taken by a folder
    zul::Log(1, "Eval", "aside", 1);
    zul::Log(1, "Eval", "still aside", 1);

    const std::string fallback = path.substr(0, path.size() - 4) + "_x.log";
    auto lines = ReadLines(fallback);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[2], "Log file: " + path) << "header names the stored path";
    EXPECT_TRUE(Matches(lines[4], std::string(kThreadTag) + R"(\[ERROR\] aside)")) << lines[4];
    EXPECT_TRUE(Matches(lines[5], std::string(kThreadTag) + R"(\[ERROR\] still aside)")) << lines[5];
}

TEST(Log, LastErrorTextNamesTheSystemError) {
    errno = ENOENT;
    EXPECT_EQ(zul::LastErrorText(""), "ERROR: (2) No such file or directory") << "no context";
    errno = ENOENT;
    EXPECT_EQ(zul::LastErrorText("open"), "ERROR: (2) No such file or directory [open]") << "with context";
}

TEST(Log, ConcurrentRecordsKeepWholeLines) {
    ScratchFolder folder;
    RedirectedLog log(folder.Path());
    constexpr int kThreads = 4, kRecords = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < kRecords; ++i)
                zul::Log(4, "Many", "t" + std::to_string(t) + " r" + std::to_string(i), 5);
        });
    for (auto& thread : threads) thread.join();

    auto lines = ReadLines(log.PathOf("Many"));
    ASSERT_EQ(lines.size(), 4u + kThreads * kRecords) << "one header, every record";
    for (std::size_t i = 4; i < lines.size(); ++i)
        ASSERT_TRUE(Matches(lines[i], std::string(kStamp) + kThreadTag + R"(\[INFO\] t\d r\d+)"))
            << lines[i];
}
