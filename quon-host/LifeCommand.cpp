// `quon-host life`: a Life board (a named pattern, a soup, a board file or an installed pattern's
// file) stepped by the library's `lifeNextStep` and drawn by its `lifeTableToString`, both called
// with host values; animated in the terminal, or printed frame after frame with --frames.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <random>
#include <stdexcept>
#include <thread>
#include <vector>

#include "platform/Platform.h"
#include "quon-host/Tool.h"
#include "quon-host/life/BoardFile.h"

namespace quon_host {

namespace {

struct LifeOptions {
    std::string pattern = "wave";
    std::string boardFile;
    int width = 40, height = 20;
    std::uint64_t seed = 0;
    double density = 0.3;
    int steps = 100;
    int delay = 100;  // milliseconds between frames
    int frames = 0;   // 0: animate
    bool seedGiven = false, widthGiven = false, heightGiven = false;
};

// The first board, and what the user is told about it on standard error (after "quon-host: ").
struct Start {
    LifeBoard board;
    std::vector<std::string> notes;
};

// The installed patterns' folder (share/quon-host/patterns beside the bin folder of this
// executable), else the source tree's docs/patterns that this quon-host was built from.
std::filesystem::path PatternFolder() {
    const std::filesystem::path executable = zul::platform::ModuleFilePath();
    const std::filesystem::path installed =
        executable.parent_path().parent_path() / QUON_PATTERNS_INSTALL_DIR;
    std::error_code error;
    if (std::filesystem::is_directory(installed, error)) return installed;
    return QUON_PATTERNS_DIR;
}

// The names --board takes for the installed patterns: their files' names without the extension.
std::vector<std::string> InstalledPatternNames() {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(PatternFolder(), error))
        if (entry.is_regular_file(error)) names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string Listed(const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& name : names) list += (list.empty() ? "" : ", ") + name;
    return list;
}

// The file of the installed pattern `word` names, with or without its extension; "" for none.
std::string InstalledPattern(const std::string& word) {
    if (word.empty() || word.find('/') != std::string::npos) return "";
    const std::filesystem::path folder = PatternFolder();
    std::error_code error;
    for (const char* extension : {"", ".txt", ".cells", ".rle"}) {
        const std::filesystem::path path = folder / (word + extension);
        if (std::filesystem::is_regular_file(path, error)) return path.string();
    }
    return "";
}

Start FileBoard(const LifeOptions& options) {
    std::string path = options.boardFile;
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        if (std::string pattern = InstalledPattern(path); !pattern.empty()) path = pattern;
    if (std::filesystem::is_directory(path, error))
        throw std::runtime_error("cannot read " + path + ": it is a folder, not a board file");
    errno = 0;
    std::ifstream in(path);
    if (!in) {
        const int reason = errno;
        std::string message =
            "cannot read " + path + ": " + (reason != 0 ? std::strerror(reason) : "cannot open it");
        if (reason == ENOENT && path.find('/') == std::string::npos)
            message += "; nor is it an installed pattern (" + Listed(InstalledPatternNames()) + ")";
        throw std::runtime_error(message);
    }
    BoardFile file = ReadBoardFile(in, path);
    Start start{std::move(file.board), {}};
    if (!file.rule.empty() && !SameRule(file.rule, kLibraryRule))
        start.notes.push_back("note: " + path + " is written for the rule " + file.rule +
                              "; the board is stepped with the library's rule, " + kLibraryRule);
    if (options.widthGiven || options.heightGiven) {
        const int width = options.widthGiven ? options.width : static_cast<int>(start.board[0].size());
        const int height = options.heightGiven ? options.height : static_cast<int>(start.board.size());
        try {
            start.board = Centered(start.board, width, height);
        } catch (const std::runtime_error& failure) {
            throw std::runtime_error(path + ": " + failure.what() + " (--width, --height)");
        }
    }
    return start;
}

Start StartBoard(const LifeOptions& options) {
    if (!options.boardFile.empty()) return FileBoard(options);
    if (options.pattern != "soup")
        return {PatternBoard(options.pattern, options.width, options.height), {}};
    const std::uint64_t seed = options.seedGiven ? options.seed : std::random_device()();
    Start start{SoupBoard(options.width, options.height, seed, options.density), {}};
    if (!options.seedGiven)
        start.notes.push_back("soup seed " + std::to_string(seed) + " (--seed " + std::to_string(seed) +
                              " repeats it)");
    return start;
}

std::vector<std::string> PatternAndSoupNames() {
    std::vector<std::string> names = PatternNames();
    names.push_back("soup");
    return names;
}

void Say(const std::vector<std::string>& notes) {
    for (const std::string& note : notes) std::cerr << "quon-host: " << note << "\n";
    std::cerr.flush();
}

std::string StepLine(int frame, int steps) {
    return "step " + std::to_string(frame) + " of " + std::to_string(steps);
}

// An animation is drawn over itself from the top of the screen: a board taller or wider than the
// terminal would scroll instead. The frame's rows, its step line, the line the cursor ends on and
// the notes written under the first frame must fit.
void CheckTheTerminalHolds(const Start& start, bool notesUnder, const LifeOptions& options) {
    const std::optional<TerminalSize> terminal = TerminalSizeOf(STDOUT_FILENO);
    if (!terminal) return;
    const int width = static_cast<int>(start.board[0].size()),
              height = static_cast<int>(start.board.size());
    const int columns =
        std::max<int>(width, static_cast<int>(StepLine(options.steps, options.steps).size()));
    int rows = height + 2;
    if (notesUnder)
        for (const std::string& note : start.notes) {
            const int length = static_cast<int>(("quon-host: " + note).size());
            rows += (length + terminal->columns - 1) / terminal->columns;
        }
    if (columns <= terminal->columns && rows <= terminal->rows) return;
    throw std::runtime_error("a " + std::to_string(width) + "x" + std::to_string(height) +
                             " board does not fit this terminal of " + std::to_string(terminal->columns) +
                             "x" + std::to_string(terminal->rows) + " (its frames take " +
                             std::to_string(columns) + " columns and " + std::to_string(rows) + " rows); " +
                             (options.boardFile.empty() ? "animate a smaller one with --width and --height"
                                                        : "enlarge the terminal") +
                             ", or print frames with --frames N");
}

void RunLife(Tool& tool, const LifeOptions& options) {
    const Start start = StartBoard(options);
    // On a terminal the screen is cleared once and each frame drawn over the last from the home
    // position; elsewhere, and with --frames, the frames follow one another as plain text.
    const bool animated = options.frames == 0 && StandardOutputIsTerminal();
    // Notes written before an animation would be cleared away with the screen: they go under the
    // first frame instead.
    const bool notesUnder = animated && ::isatty(STDERR_FILENO) == 1;
    if (animated) CheckTheTerminalHolds(start, notesUnder, options);
    if (!notesUnder) Say(start.notes);

    const HostLibrary& library = tool.Library();
    const Value width = Value::Int(static_cast<std::int64_t>(start.board[0].size()));
    const Value height = Value::Int(static_cast<std::int64_t>(start.board.size()));
    Value board = BoardValue(start.board);
    auto draw = [&] { return library.Call("lifeTableToString", {board}).AsString(); };
    auto step = [&] { board = library.Call("lifeNextStep", {board, width, height}); };

    // Output that cannot be written ends the run at once, not after every remaining step.
    const auto written = [] {
        if (!std::cout) throw std::runtime_error("cannot write to standard output");
    };
    if (options.frames > 0) {
        for (int frame = 0; frame < options.frames; ++frame) {
            if (frame > 0) step();
            std::cout << draw() << "\n" << std::flush;
            written();
        }
        return;
    }
    if (animated) std::cout << "\x1b[2J";
    for (int frame = 0; frame <= options.steps; ++frame) {
        if (frame > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(options.delay));
            step();
        }
        std::cout << (animated ? "\x1b[H" : "") << draw() << StepLine(frame, options.steps) << "\n"
                  << (animated ? "" : "\n") << std::flush;
        written();
        if (frame == 0 && notesUnder) Say(start.notes);
    }
}

}  // namespace

void AddLifeCommand(CLI::App& app, Tool& tool) {
    auto options = std::make_shared<LifeOptions>();
    CLI::App* life = app.add_subcommand(
        "life", "Animate a Life board on a torus, stepped and drawn by the library's life functions");
    CLI::Option* pattern =
        life->add_option("--pattern", options->pattern,
                         "The starting board: wave moves, flipper, comb, spinner and pingpong "
                         "oscillate (periods 2, 3, 4, 14), the classic glider settles, soup is random")
            ->capture_default_str()
            ->check(CLI::IsMember(PatternAndSoupNames()));
    CLI::Option* board =
        life->add_option(
                "--board", options->boardFile,
                "A board file, or an installed pattern's name (" + Listed(InstalledPatternNames()) +
                    "): lines of '.' (dead) and 'X' (alive), all as long; plaintext (.cells: '.' and "
                    "'O', '!' comment lines); or RLE (.rle: a header 'x = W, y = H' and runs such as "
                    "bo$2bo$3o!). The form is told by the extension, else by the first line")
            ->excludes(pattern);
    CLI::Option* width =
        life->add_option(
                "--width", options->width,
                "Board width; with --board, the width of a larger board to put the file's in the middle "
                "of (default: the file's)")
            ->capture_default_str()
            ->check(CLI::Range(1, kMaxBoardSide));
    CLI::Option* height = life->add_option("--height", options->height,
                                           "Board height; with --board, as --width (default: the file's)")
                              ->capture_default_str()
                              ->check(CLI::Range(1, kMaxBoardSide));
    CLI::Option* seed =
        life->add_option(
                "--seed", options->seed,
                "Seed of the soup's generator (default: a random one, printed so that it can be given "
                "again)")
            ->check(UnsignedWord())
            ->excludes(board);
    life->add_option("--density", options->density, "Share of live cells in the soup")
        ->capture_default_str()
        ->check(NumberIn(0.0, 1.0))
        ->excludes(board);
    CLI::Option* steps = life->add_option("--steps", options->steps, "Steps to animate")
                             ->capture_default_str()
                             ->check(CLI::Range(0, 1'000'000));
    CLI::Option* delay = life->add_option("--delay", options->delay, "Milliseconds between frames")
                             ->capture_default_str()
                             ->check(CLI::Range(0, 60'000));
    life->add_option("--frames", options->frames,
                     "Print this many frames (the start and the steps after it), each followed by an empty "
                     "line, without animating")
        ->check(CLI::Range(1, 1'000'000))
        ->excludes(steps)
        ->excludes(delay);
    tool.AddLibraryOption(life);
    SetUsage(life, "",
             "  quon-host life                          # the wave, moving across a 40x20 torus\n"
             "  quon-host life --pattern soup --width 60 --height 20 --steps 200\n"
             "  quon-host life --pattern soup --seed 42 --frames 3   # the same soup each time\n"
             "  quon-host life --board fuse --frames 3              # an installed pattern, by name\n"
             "  quon-host life --board glider.rle --width 30 --height 15   # in the middle of 30x15\n");
    life->callback([&tool, options, seed, width, height] {
        options->seedGiven = seed->count() > 0;
        options->widthGiven = width->count() > 0;
        options->heightGiven = height->count() > 0;
        RunLife(tool, *options);
    });
}

}  // namespace quon_host
