// quon-host mandelbrot, julia and life through the built tool: pictures decoded back with libpng,
// renders ended by a signal, Life frames of a glider, and the refusals of bad options and board
// files (more of life in LifeCommandTest.cpp).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <png.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/tool/TerminalSession.h"
#include "tests/tool/ToolRun.h"

namespace {

using tool_tests::RunTool;
using tool_tests::TerminalSession;

struct Picture {
    png_uint_32 width = 0, height = 0;
    std::vector<png_byte> rgb;
};

// The PNG at `path` as 8-bit RGB; an empty picture when it does not decode.
Picture Decode(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    Picture picture;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) return picture;
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) == 0) return picture;
    picture = {image.width, image.height, std::move(pixels)};
    return picture;
}

bool Exists(const std::string& path) {
    return std::ifstream(path).good();
}

TEST(PictureCommands, RenderValidPngsOfTheRequestedSize) {
    const std::string rows = testing::TempDir() + "quon-rows.png";
    const std::string plain = testing::TempDir() + "quon-plain.png";
    const std::vector<std::string> options = {"--width",      "97", "--height",  "41",
                                              "--iterations", "60", "--threads", "3"};
    auto render = [&](const char* set, const std::string& path, bool native) {
        std::vector<std::string> arguments = {set, "-o", path};
        arguments.insert(arguments.end(), options.begin(), options.end());
        if (native) arguments.push_back("--native");
        const auto run = RunTool(arguments);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.out.find("97x41, 60 iterations, 3 threads"), std::string::npos) << run.out;
        return Decode(path);
    };
    for (const char* set : {"mandelbrot", "julia"}) {
        const Picture picture = render(set, rows, false);
        EXPECT_EQ(picture.width, 97u);
        EXPECT_EQ(picture.height, 41u);
        ASSERT_EQ(picture.rgb.size(), 97u * 41u * 3u);
        std::set<std::vector<png_byte>> colours;
        for (std::size_t i = 0; i < picture.rgb.size(); i += 3)
            colours.insert({picture.rgb.begin() + i, picture.rgb.begin() + i + 3});
        EXPECT_GE(colours.size(), 5u) << set << ": points escape at many different steps";
        // The library's row and the same arithmetic in plain C++ colour every pixel alike.
        EXPECT_EQ(picture.rgb, render(set, plain, true).rgb) << set;
    }
    std::remove(rows.c_str());
    std::remove(plain.c_str());
}

TEST(PictureCommands, RefuseBadOptionsWithoutLeavingAFile) {
    const std::string path = testing::TempDir() + "quon-refused.png";
    const std::vector<std::vector<std::string>> refused = {
        {"--width", "0"},      {"--height", "9000"},   {"--iterations", "0"}, {"--zoom", "-1"},
        {"--center-x", "nan"}, {"--palette", "plaid"}, {"--threads", "0"},    {"--width", "12abc"}};
    for (const auto& bad : refused) {
        std::vector<std::string> arguments = {"mandelbrot", "-o", path};
        arguments.insert(arguments.end(), bad.begin(), bad.end());
        const auto run = RunTool(arguments);
        EXPECT_NE(run.status, 0) << bad[0] << " " << bad[1];
        EXPECT_NE(run.err.find(bad[0]), std::string::npos) << run.err;
        EXPECT_FALSE(Exists(path)) << bad[0];
    }
    const auto unwritable =
        RunTool({"julia", "--width", "8", "--height", "8", "-o", "/nonexistent/dir/j.png"});
    EXPECT_NE(unwritable.status, 0);
    EXPECT_NE(unwritable.err.find("cannot write /nonexistent/dir/j.png"), std::string::npos)
        << unwritable.err;
}

// A render stopped by a signal takes its hidden temporary file with it.
TEST(PictureCommands, ARenderEndedByASignalLeavesNoTemporaryFile) {
    const std::string folder = testing::TempDir() + "quon-signalled-" + std::to_string(::getpid());
    std::filesystem::create_directories(folder);
    const std::string target = folder + "/deep.png";
    for (const int signal : {SIGTERM, SIGINT}) {
        const pid_t child = ::fork();
        if (child == 0) {
            // A test run in the background has Ctrl-C ignored, which the tool leaves as it is.
            ::signal(SIGINT, SIG_DFL);
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, STDOUT_FILENO);
            ::dup2(null, STDERR_FILENO);
            // Every point of this view is in the set: at a million steps each, the render goes on for
            // hours.
            ::execl(QUON_HOST_PATH, QUON_HOST_PATH, "mandelbrot", "--width", "8192", "--height", "8192",
                    "--iterations", "1000000", "--center-x", "-0.2", "--zoom", "100", "--threads", "1",
                    "-o", target.c_str(), nullptr);
            ::_exit(127);
        }
        ASSERT_GT(child, 0);
        bool started = false;  // the temporary file is there
        for (int wait = 0; wait < 3000 && !started; ++wait) {
            started = !std::filesystem::is_empty(folder);
            if (!started) ::usleep(10'000);
        }
        ::kill(child, signal);
        int raw = 0;
        ::waitpid(child, &raw, 0);
        EXPECT_TRUE(started);
        EXPECT_TRUE(WIFSIGNALED(raw) && WTERMSIG(raw) == signal) << "ended by its signal: " << raw;
        for (const auto& left : std::filesystem::directory_iterator(folder))
            ADD_FAILURE() << left.path() << " is left";
    }
    std::filesystem::remove_all(folder);
}

// On a narrow terminal the progress bar is redrawn on one line that fits it, and erased at the end.
TEST(PictureCommands, TheProgressBarKeepsToOneLineOfTheTerminal) {
    const std::string path = testing::TempDir() + "quon-progress.png";
    // Every point of this view is in the set: long enough for the bar to be drawn a few times.
    TerminalSession terminal(QUON_HOST_PATH,
                             {"mandelbrot", "--width", "300", "--height", "200", "--iterations", "20000",
                              "--center-x", "-0.2", "--zoom", "100", "--threads", "2", "-o", path},
                             {}, 30);
    ASSERT_EQ(terminal.Status(), 0) << terminal.Seen();
    const std::string& seen = terminal.Seen();
    const std::size_t last = seen.rfind("rendering");
    ASSERT_NE(last, std::string::npos) << seen;
    EXPECT_LT(last, seen.find('\n')) << "no line ends before the summary: " << seen;
    EXPECT_NE(seen.find("\r\x1b[K" + path + ": 300x200"), std::string::npos) << "erased before the summary";
    std::size_t at = 0;
    for (std::size_t next; (next = seen.find('\r', at)) != std::string::npos && next < last; at = next + 1) {
        std::string drawn = seen.substr(next + 1, seen.find('\r', next + 1) - next - 1);
        if (const std::size_t erase = drawn.find("\x1b[K"); erase != std::string::npos) drawn.resize(erase);
        EXPECT_LE(drawn.size(), 29u) << "fits 30 columns: " << drawn;
    }
    std::filesystem::remove(path);
}

// A PNG is not written to a terminal; a zoom deeper than doubles resolve is rendered with a warning.
TEST(PictureCommands, WarnOrRefuseWhatCannotBeSeen) {
    TerminalSession terminal(QUON_HOST_PATH, {"julia", "--width", "8", "--height", "8", "-o", "-"});
    EXPECT_EQ(terminal.Status(), 2);
    EXPECT_NE(terminal.Seen().find(
                  "quon-host: -o -: standard output is a terminal, and a PNG is not written to one"),
              std::string::npos)
        << terminal.Seen();
    EXPECT_EQ(terminal.Seen().find("PNG\r"), std::string::npos) << "no PNG bytes";

    const std::string path = testing::TempDir() + "quon-deep.png";
    auto zoomed = [&](const char* zoom) {
        return RunTool({"mandelbrot", "--width", "32", "--height", "24", "--iterations", "50", "--center-x",
                        "-0.745", "--zoom", zoom, "-o", path});
    };
    const auto deep = zoomed("1e15");
    EXPECT_EQ(deep.status, 0);
    EXPECT_EQ(
        deep.err.rfind(
            "quon-host: warning: at --zoom 1e+15 the pixels are 1.25e-16 apart, too close for doubles "
            "near 0.745 (1.11e-16 apart)",
            0),
        0u)
        << deep.err;
    EXPECT_EQ(Decode(path).width, 32u);
    EXPECT_EQ(zoomed("1e13").err, "") << "pixels 1e-14 apart are resolved";
    std::remove(path.c_str());
}

TEST(LifeCommand, PrintsTheFramesOfAGliderAndOfABoardFile) {
    // The library's rule counts the cell itself in its block: a live cell stays with 2 or 3 in
    // the block, so the glider settles into a still life after one step.
    const auto glider =
        RunTool({"life", "--pattern", "glider", "--width", "6", "--height", "5", "--frames", "3"});
    EXPECT_EQ(glider.status, 0) << glider.err;
    const std::string first = "......\n..X...\n...X..\n.XXX..\n......\n\n";
    const std::string settled = "......\n..X...\n.X....\n.X.X..\n..X...\n\n";
    EXPECT_EQ(glider.out, first + settled + settled);

    const std::string path = testing::TempDir() + "quon-board.txt";
    std::ofstream(path) << ".....\n..X..\n..X..\n..X..\n.....\n";  // a vertical line on 5 x 5
    const auto line = RunTool({"life", "--board", path, "--frames", "2"});
    EXPECT_EQ(line.status, 0) << line.err;
    EXPECT_EQ(line.out, ".....\n..X..\n..X..\n..X..\n.....\n\n.....\n..X..\n.XXX.\n..X..\n.....\n\n");
    std::remove(path.c_str());
}

// The frames of `life` as boards of rows.
std::vector<std::vector<std::string>> Frames(const std::string& out) {
    std::vector<std::vector<std::string>> frames(1);
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        if (line.empty())
            frames.emplace_back();
        else
            frames.back().push_back(line);
    }
    frames.pop_back();
    return frames;
}

// The named patterns do what they are named for under the library's rule: the wave moves 2
// columns right and 1 row up every 4 steps (and comes back on the torus), each oscillator
// returns after its period and not before.
TEST(LifeCommand, NamedPatternsMoveOrOscillate) {
    const auto wave =
        RunTool({"life", "--pattern", "wave", "--width", "20", "--height", "12", "--frames", "49"});
    ASSERT_EQ(wave.status, 0) << wave.err;
    const auto frames = Frames(wave.out);
    ASSERT_EQ(frames.size(), 49u);
    auto shifted = frames[0];  // frame 0 moved 1 row up and 2 columns right
    std::rotate(shifted.begin(), shifted.begin() + 1, shifted.end());
    for (std::string& row : shifted) std::rotate(row.rbegin(), row.rbegin() + 2, row.rend());
    EXPECT_EQ(frames[4], shifted) << "the wave moved";
    EXPECT_NE(frames[4], frames[0]);
    EXPECT_EQ(frames[48], frames[0]) << "and came round the torus";

    for (const auto& [name, period] : std::vector<std::pair<std::string, int>>{
             {"flipper", 2}, {"comb", 3}, {"spinner", 4}, {"pingpong", 14}}) {
        const auto run = RunTool({"life", "--pattern", name, "--width", "12", "--height", "9", "--frames",
                                  std::to_string(2 * period + 1)});
        const auto boards = Frames(run.out);
        ASSERT_EQ(boards.size(), static_cast<std::size_t>(2 * period + 1)) << name << run.err;
        for (int step = 1; step < period; ++step)
            EXPECT_NE(boards[step], boards[0]) << name << " at " << step;
        EXPECT_EQ(boards[period], boards[0]) << name;
        EXPECT_EQ(boards[2 * period], boards[0]) << name;
    }
    EXPECT_EQ(RunTool({"life", "--pattern", "wave", "--width", "21", "--frames", "1"}).status, 1)
        << "the wave's board is a whole number of tiles wide";
}

TEST(LifeCommand, RefusesBadBoardsAndOptions) {
    const std::string path = testing::TempDir() + "quon-bad-board.txt";
    const std::vector<std::pair<std::string, std::string>> boards = {
        {"", "no rows"},
        {".X\nX\n", ":2: 1 cells, but line 1 has 2"},
        {".X\nXo\n", ":2: column 2: expected '.' or 'X', found 'o'"},
        {".X\r\n.X.\r\n", ":2: 3 cells, but line 1 has 2"},  // CRLF line ends are read
        {std::string(1001, '.') + "\n", "at most 1000 rows and columns"},
    };
    for (const auto& [text, message] : boards) {
        std::ofstream(path, std::ios::binary) << text;
        const auto run = RunTool({"life", "--board", path, "--frames", "1"});
        EXPECT_EQ(run.status, 1) << message;
        EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
    }
    std::remove(path.c_str());
    EXPECT_NE(RunTool({"life", "--board", "/nonexistent/board"}).err.find("No such file or directory"),
              std::string::npos)
        << "the system's reason";
    EXPECT_NE(
        RunTool({"life", "--pattern", "glider", "--width", "2", "--frames", "1"}).err.find("at least 5x5"),
        std::string::npos);
    EXPECT_NE(RunTool({"life", "--board", path, "--seed", "5"}).status, 0) << "--board excludes --seed";
    EXPECT_NE(RunTool({"life", "--frames", "0"}).status, 0);
}

}  // namespace
