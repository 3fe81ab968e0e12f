#include <gtest/gtest.h>

#include "LogTestSupport.h"
#include "diagnostics/DiagnosticChannel.h"

using zul::zulStdString::tString;
using Channel = zul::DiagnosticChannel;

namespace {

// Channels logging into a scratch folder; Records() reads the default file without its header.
class DiagnosticChannel : public testing::Test {
protected:
    std::vector<std::string> Records() {
        auto lines = diagtest::ReadLines(log.PathOf("Default"));
        return {lines.begin() + std::min<std::size_t>(4, lines.size()), lines.end()};
    }
    // Whether `line` is a stamped, thread-tagged record of `pattern`.
    static bool Logged(const std::string& line, const std::string& pattern) {
        return diagtest::Matches(
            line, R"(\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.000\] \[T#[0-9A-F]{16}\] )" + pattern);
    }
    diagtest::ScratchFolder folder;
    diagtest::RedirectedLog log{folder.Path()};
};

void Report(Channel& channel, int level, const char* text, bool logged = false) {
    channel.Report(level, 0, tString(text), tString(), logged);
}

}  // namespace

TEST_F(DiagnosticChannel, ErrorTextIsTrimmedAndIndented) {
    Channel channel(tString("main"), tString("mainlog"), 1, 1, nullptr, 0, 9);
    channel.ReportError(tString("boom\r\nsecond line\n"));
    channel.ReportError(tString("greška ć \t "));

    auto lines = Records();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(Logged(lines[0], R"(\[ERROR\] \(mainlog\) boom)")) << lines[0];
    EXPECT_EQ(lines[1], "    second line") << "continuation indented, CR and last line feed gone";
    EXPECT_TRUE(Logged(lines[2], R"(\[ERROR\] \(mainlog\) greška ć)")) << "UTF-8 kept: " << lines[2];
    EXPECT_EQ(channel.lastError.Text(), "greška ć \t ") << "lastError holds the text as reported";
    ASSERT_EQ(channel.records.size(), 2u) << "errors kept";
    EXPECT_EQ(channel.records[0].level, 1);
    EXPECT_EQ(channel.records[0].flags, 9) << "with the channel's error flags";
}

TEST_F(DiagnosticChannel, KeepAndLogLevelsAreIndependent) {
    Channel channel(tString("c"), tString("clog"), 1, 3);
    Report(channel, 3, "warn");
    Report(channel, 4, "info");
    Report(channel, 1, "err");
    Report(channel, 2, "child wrote it", true);

    auto lines = Records();
    ASSERT_EQ(lines.size(), 2u) << "levels 3 and 1 logged; 4 above logLevel; already logged skipped";
    EXPECT_TRUE(Logged(lines[0], R"(\[WARNING\] \(clog\) warn)")) << lines[0];
    EXPECT_TRUE(Logged(lines[1], R"(\[ERROR\] \(clog\) err)")) << lines[1];
    ASSERT_EQ(channel.records.size(), 1u) << "only level 1 kept";
    EXPECT_EQ(channel.records[0].text.Text(), "err");
}

TEST_F(DiagnosticChannel, ParentGetsRecordsWithTheirPath) {
    Channel parent(tString("top"), tString("toplog"), 4, Channel::kLogEverything);
    Channel middle(tString("mid"), tString("midlog"), 4, 0, &parent, 4);
    Channel kid(tString("kid"), tString("kidlog"), 0, 1, &middle, 1);

    Report(kid, 1, "hit");
    auto lines = Records();
    ASSERT_EQ(lines.size(), 2u) << "the child's write and the parent's second write";
    EXPECT_TRUE(Logged(lines[0], R"(\[ERROR\] \(kidlog\) hit)")) << lines[0];
    EXPECT_TRUE(Logged(lines[1], R"(\[ERROR\] \(toplog:\*:mid::kid\) hit)")) << lines[1];
    ASSERT_EQ(middle.records.size(), 1u);
    EXPECT_EQ(middle.records[0].source.Text(), "kid") << "path one level up";
    ASSERT_EQ(parent.records.size(), 1u);
    EXPECT_EQ(parent.records[0].source.Text(), "mid::kid") << "path two levels up";
    EXPECT_TRUE(kid.records.empty()) << "kid keeps nothing above level 0";

    Report(kid, 2, "minor");
    EXPECT_EQ(Records().size(), 2u) << "level 2 stays in the kid: above its log and parent levels";

    parent.logLevel = 1;
    Report(kid, 1, "once");
    Report(middle, 1, "from mid");
    lines = Records();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_TRUE(Logged(lines[2], R"(\[ERROR\] \(kidlog\) once)")) << "without 100 not again";
    EXPECT_TRUE(Logged(lines[3], R"(\[ERROR\] \(toplog:\*:mid\) from mid)")) << "middle logs nothing";
}
