// `quon-host life`: a Life board stepped by the library's `lifeNextStep` and drawn by its
// `lifeTableToString`, both called with host values; animated in the terminal, or printed frame
// after frame with --frames.
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

#include "quon-host/Tool.h"
#include "quon-host/life/LifeBoard.h"

namespace quon_host {

namespace {

struct LifeOptions {
    std::string pattern = "wave";
    std::string boardFile;
    int width = 40, height = 20;
    std::uint64_t seed = std::random_device()();
    double density = 0.3;
    int steps = 100;
    int delay = 100;  // milliseconds between frames
    int frames = 0;   // 0: animate
};

LifeBoard StartBoard(const LifeOptions& options) {
    if (!options.boardFile.empty()) {
        if (std::filesystem::is_directory(options.boardFile))
            throw std::runtime_error("cannot read " + options.boardFile + ": it is a folder, not a board file");
        errno = 0;
        std::ifstream in(options.boardFile);
        if (!in)
            throw std::runtime_error("cannot read " + options.boardFile + ": " +
                                     (errno != 0 ? std::strerror(errno) : "cannot open it"));
        return ReadBoard(in, options.boardFile);
    }
    if (options.pattern == "soup")
        return SoupBoard(options.width, options.height, options.seed, options.density);
    return PatternBoard(options.pattern, options.width, options.height);
}

std::vector<std::string> PatternAndSoupNames() {
    std::vector<std::string> names = PatternNames();
    names.push_back("soup");
    return names;
}

void RunLife(Tool& tool, const LifeOptions& options) {
    const LifeBoard start = StartBoard(options);
    const HostLibrary& library = tool.Library();
    const Value width = Value::Int(static_cast<std::int64_t>(start[0].size()));
    const Value height = Value::Int(static_cast<std::int64_t>(start.size()));
    Value board = BoardValue(start);
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
    // On a terminal the screen is cleared once and each frame drawn over the last from the home
    // position; elsewhere the frames follow one another as plain text.
    const bool terminal = StandardOutputIsTerminal();
    if (terminal) std::cout << "\x1b[2J";
    for (int frame = 0; frame <= options.steps; ++frame) {
        if (frame > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(options.delay));
            step();
        }
        std::cout << (terminal ? "\x1b[H" : "") << draw() << "step " << frame << " of " << options.steps
                  << "\n"
                  << (terminal ? "" : "\n") << std::flush;
        written();
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
    CLI::Option* board = life->add_option("--board", options->boardFile,
                                          "A board file: lines of '.' (dead) and 'X' (alive), all as long")
                             ->excludes(pattern);
    life->add_option("--width", options->width, "Board width for a pattern")
        ->capture_default_str()
        ->check(CLI::Range(1, kMaxBoardSide))
        ->excludes(board);
    life->add_option("--height", options->height, "Board height for a pattern")
        ->capture_default_str()
        ->check(CLI::Range(1, kMaxBoardSide))
        ->excludes(board);
    life->add_option("--seed", options->seed, "Seed of the soup's generator (default: a random one)")
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
             "  quon-host life --pattern soup --width 60 --height 25 --steps 200\n"
             "  quon-host life --board docs/patterns/pingpong.txt --frames 3\n");
    life->callback([&tool, options] { RunLife(tool, *options); });
}

}  // namespace quon_host
