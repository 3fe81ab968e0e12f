#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "LogTestSupport.h"
#include "diagnostics/DiagnosticChannel.h"

using diagtest::ReadLines;
using diagtest::RedirectedLog;
using diagtest::ScratchFolder;
using zul::DiagnosticChannel;
using zul::zulStdString::tString;

namespace {

const std::string kPrefix = R"(\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.000\] \[T#[0-9A-F]{16}\] )";

// The default log's records, without its four header lines.
std::vector<std::string> DefaultRecords(RedirectedLog& log) {
    auto lines = ReadLines(log.PathOf("Default"));
    if (lines.size() >= 4) lines.erase(lines.begin(), lines.begin() + 4);
    return lines;
}

bool Matches(const std::string& text, const std::string& pattern) {
    return std::regex_match(text, std::regex(pattern));
}

}  // namespace

TEST(DiagnosticChannel, ErrorTextIsTrimmedAndIndented) {
    ScratchFolder folder;
    RedirectedLog log(folder.Path());
    DiagnosticChannel channel(tString("main"), tString("mainlog"), 1, 1, nullptr, 0, 9);
    channel.ReportError(tString("boom\r\nsecond line\n"));

    auto lines = DefaultRecords(log);
    ASSERT_EQ(lines.size(), 2u) << "one record over two lines";
    EXPECT_TRUE(Matches(lines[0], kPrefix + R"(\[ERROR\] \(mainlog\) boom)")) << lines[0];
    EXPECT_EQ(lines[1], "    second line")
        << "continuation indented, carriage return and last line feed gone";
    EXPECT_EQ(channel.lastError.Text(), "boom\r\nsecond line\n") << "lastError holds the text as reported";
    ASSERT_EQ(channel.records.size(), 1u) << "error kept";
    EXPECT_EQ(channel.records[0].level, 1) << "kept as an error";
    EXPECT_EQ(channel.records[0].flags, 9) << "with the channel's error flags";
    EXPECT_TRUE(channel.records[0].source.empty()) << "reported here";

    channel.ReportError(tString("greška ć \t "));
    lines = DefaultRecords(log);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(Matches(lines[2], kPrefix + R"(\[ERROR\] \(mainlog\) greška ć)"))
        << "only blanks trimmed, UTF-8 letters kept: " << lines[2];
}

TEST(DiagnosticChannel, KeepAndLogLevelsAreIndependent) {
    ScratchFolder folder;
    RedirectedLog log(folder.Path());
    DiagnosticChannel channel(tString("c"), tString("clog"), 1, 3);
    channel.Report(3, 0, tString("warn"), tString(), false);
    channel.Report(4, 0, tString("info"), tString(), false);
    channel.Report(1, 0, tString("err"), tString(), false);
    channel.Report(2, 0, tString("child wrote it"), tString(), true);

    auto lines = DefaultRecords(log);
    ASSERT_EQ(lines.size(), 2u) << "levels 3 and 1 logged; 4 above logLevel; already logged skipped";
    EXPECT_TRUE(Matches(lines[0], kPrefix + R"(\[WARNING\] \(clog\) warn)")) << lines[0];
    EXPECT_TRUE(Matches(lines[1], kPrefix + R"(\[ERROR\] \(clog\) err)")) << lines[1];
    ASSERT_EQ(channel.records.size(), 1u) << "only level 1 kept";
    EXPECT_EQ(channel.records[0].text.Text(), "err") << "kept record";
}

TEST(DiagnosticChannel, ParentGetsRecordsWithTheirPath) {
    ScratchFolder folder;
    RedirectedLog log(folder.Path());
    DiagnosticChannel parent(tString("top"), tString("toplog"), 4, DiagnosticChannel::kLogEverything);
    DiagnosticChannel middle(tString("mid"), tString("midlog"), 4, 0, &parent, 4);
    DiagnosticChannel kid(tString("kid"), tString("kidlog"), 0, 1, &middle, 1);

    kid.Report(1, 0, tString("hit"), tString(), false);
    auto lines = DefaultRecords(log);
    ASSERT_EQ(lines.size(), 2u) << "the child's write and the parent's second write";
    EXPECT_TRUE(Matches(lines[0], kPrefix + R"(\[ERROR\] \(kidlog\) hit)")) << lines[0];
    EXPECT_TRUE(Matches(lines[1], kPrefix + R"(\[ERROR\] \(toplog:\*:mid::kid\) hit)")) << lines[1];
    ASSERT_EQ(middle.records.size(), 1u) << "middle keeps it";
    EXPECT_EQ(middle.records[0].source.Text(), "kid") << "path one level up";
    ASSERT_EQ(parent.records.size(), 1u) << "top keeps it";
    EXPECT_EQ(parent.records[0].source.Text(), "mid::kid") << "path two levels up";
    EXPECT_TRUE(kid.records.empty()) << "kid keeps nothing above level 0";

    kid.Report(2, 0, tString("minor"), tString(), false);
    EXPECT_EQ(DefaultRecords(log).size(), 2u)
        << "level 2 stays in the kid: above its log and parent levels";

    parent.logLevel = 1;
    kid.Report(1, 0, tString("once"), tString(), false);
    lines = DefaultRecords(log);
    ASSERT_EQ(lines.size(), 3u) << "without 100 the parent does not write it again";
    EXPECT_TRUE(Matches(lines[2], kPrefix + R"(\[ERROR\] \(kidlog\) once)")) << lines[2];

    middle.Report(1, 0, tString("from mid"), tString(), false);
    lines = DefaultRecords(log);
    ASSERT_EQ(lines.size(), 4u) << "middle logs nothing, so the parent writes it";
    EXPECT_TRUE(Matches(lines[3], kPrefix + R"(\[ERROR\] \(toplog:\*:mid\) from mid)")) << lines[3];
}
