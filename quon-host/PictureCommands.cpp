// `quon-host mandelbrot` and `quon-host julia`: escape counts of the library's
// `mandel_escape_int` and `julia_escape_int` rows, one adapter call per pixel on every core,
// coloured with a palette and written to a PNG file.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <thread>

#include "quon-host/OutputFile.h"
#include "quon-host/Tool.h"
#include "quon-host/picture/EscapeRenderer.h"

namespace quon_host {

namespace {

constexpr int kMaxSide = 8192;
constexpr int kMaxIterations = 1'000'000;
// Rows are handed out one at a time to threads that each keep an evaluator: past the cores, more
// threads only take turns on them and cost memory, and a thread per row of a small picture is
// already far more than helps.
constexpr unsigned kMaxThreads = 256;

struct PictureOptions {
    PlaneView view;
    EscapeSet set;
    std::string palette = "fire";
    std::string output;
    unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, kMaxThreads);
    bool native = false;
};

// "1 thread", "2 threads".
std::string Count(unsigned n, const char* noun) {
    return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}

// Milliseconds with three significant digits: "0.512 ms", "31.8 ms", "318 ms", "3180 ms".
std::string Milliseconds(double seconds) {
    const double ms = seconds * 1000;
    char text[32];
    std::snprintf(text, sizeof text,
                  ms >= 100  ? "%.0f ms"
                  : ms >= 10 ? "%.1f ms"
                  : ms >= 1  ? "%.2f ms"
                             : "%.3f ms",
                  ms);
    return text;
}

// Near a coordinate of magnitude m, doubles lie up to m * 2.2e-16 apart: pixels closer than about
// 1e-15 * m (a few of those steps) fall on the same or unevenly spaced points, and the picture
// turns to blocks and stripes.
void WarnWhenPixelsOutrunDoubles(const PlaneView& view) {
    const double pixel = view.PixelSize();
    const double largest = std::max({std::abs(view.X(0)), std::abs(view.X(view.width - 1)),
                                     std::abs(view.Y(0)), std::abs(view.Y(view.height - 1))});
    if (!(pixel < 1e-15 * largest)) return;
    char text[320];
    std::snprintf(
        text, sizeof text,
        "quon-host: warning: at --zoom %g the pixels are %.3g apart, too close for doubles near %.3g "
        "(%.3g apart): neighbouring pixels fall on the same or uneven points and the picture turns "
        "blocky; here a zoom up to about %.3g keeps them apart\n",
        view.zoom, pixel, largest, std::nextafter(largest, INFINITY) - largest,
        view.zoom * pixel / (1e-15 * largest));
    std::cerr << text;
}

void RenderPicture(Tool& tool, const PictureOptions& options) {
    if (options.output == "-" && StandardOutputIsTerminal())
        throw UsageError(
            "-o -: standard output is a terminal, and a PNG is not written to one; redirect it "
            "(> picture.png) or name a file with -o");
    WarnWhenPixelsOutrunDoubles(options.view);
    // Made first, so that an output that cannot be written fails before the render; the target
    // itself is replaced only once the picture is complete.
    OutputFile output(options.output);
    const HostLibrary& library = tool.Library();
    const HostLibrary::Row& row = EscapeRow(library, options.set);
    RenderJob job{options.view, Palette::Named(options.palette).Table(options.set.iterations),
                  options.threads, isatty(STDERR_FILENO) == 1};
    CounterFactory counters = [&]() -> std::unique_ptr<EscapeCounter> {
        if (options.native) return std::make_unique<NativeEscapeCounter>(options.set);
        return std::make_unique<RowEscapeCounter>(row, options.set);
    };
    const auto start = std::chrono::steady_clock::now();
    const RgbImage image = Render(job, counters);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    WritePng(output.File(), image, options.output);
    output.Commit();
    // The PNG may be what standard output carries: the summary then goes to standard error.
    (output.IsStandardOutput() ? std::cerr : std::cout)
        << (output.IsStandardOutput() ? "standard output" : options.output) << ": " << image.width << "x"
        << image.height << ", " << options.set.iterations << " iterations, "
        << Count(options.threads, "thread") << (options.native ? ", plain C++" : "") << ", rendered in "
        << Milliseconds(elapsed.count()) << "\n";
}

// The output's name: "-" or one that ends in ".png".
CLI::Validator PngName() {
    return CLI::Validator(
        [](const std::string& name) {
            const bool png = name.size() > 4 && name.compare(name.size() - 4, 4, ".png") == 0;
            return name == "-" || png
                       ? std::string()
                       : "the output must end in .png (or be - for standard output): " + name;
        },
        "FILE.png|-");
}

void AddPictureCommand(CLI::App& app, Tool& tool, const char* name, bool julia) {
    auto options = std::make_shared<PictureOptions>();
    options->view.width = 1920;
    options->view.height = 1080;
    options->view.centerX = julia ? 0.0 : -0.75;
    options->set.julia = julia;
    options->set.cx = -0.8;
    options->set.cy = 0.156;
    options->output = std::string(name) + ".png";

    CLI::App* command =
        app.add_subcommand(name, julia ? "Render a Julia set of julia_escape_int to a PNG file"
                                       : "Render the Mandelbrot set of mandel_escape_int to a PNG file");
    command->add_option("--width", options->view.width, "Picture width in pixels")
        ->capture_default_str()
        ->check(CLI::Range(1, kMaxSide));
    command->add_option("--height", options->view.height, "Picture height in pixels")
        ->capture_default_str()
        ->check(CLI::Range(1, kMaxSide));
    command->add_option("--center-x", options->view.centerX, "Real part of the picture's centre")
        ->capture_default_str()
        ->check(FiniteNumber());
    command->add_option("--center-y", options->view.centerY, "Imaginary part of the picture's centre")
        ->capture_default_str()
        ->check(FiniteNumber());
    command
        ->add_option("--zoom", options->view.zoom,
                     "Magnification; at 1 the shorter side of the picture spans 3 units")
        ->capture_default_str()
        ->check(PositiveNumber());
    command->add_option("--iterations", options->set.iterations, "Most steps per point")
        ->capture_default_str()
        ->check(CLI::Range(1, kMaxIterations));
    if (julia) {
        command->add_option("--cx", options->set.cx, "Real part of the constant c")
            ->capture_default_str()
            ->check(FiniteNumber());
        command->add_option("--cy", options->set.cy, "Imaginary part of the constant c")
            ->capture_default_str()
            ->check(FiniteNumber());
    }
    command->add_option("--palette", options->palette, "Colours")
        ->capture_default_str()
        ->check(CLI::IsMember(Palette::Names()));
    command->add_option("--output,-o", options->output, "The PNG file to write; - for standard output")
        ->capture_default_str()
        ->check(PngName());
    command
        ->add_option("--threads", options->threads,
                     "Rendering threads, at most " + std::to_string(kMaxThreads) +
                         " (default: one per core); threads beyond the cores only take turns on them")
        ->check(CLI::Range(1u, kMaxThreads));
    command->add_flag("--native", options->native,
                      "Count in plain C++ instead of calling the library, to compare what the calls cost");
    tool.AddLibraryOption(command);
    SetUsage(command, "",
             julia
                 ? "  quon-host julia --cx -0.4 --cy 0.6 --palette ocean -o julia.png\n"
                 : "  quon-host mandelbrot -o mandelbrot.png\n"
                   "  quon-host mandelbrot --center-x -0.745 --center-y 0.113 --zoom 200 -o detail.png\n");
    command->callback([&tool, options] { RenderPicture(tool, *options); });
}

}  // namespace

void AddPictureCommands(CLI::App& app, Tool& tool) {
    AddPictureCommand(app, tool, "mandelbrot", false);
    AddPictureCommand(app, tool, "julia", true);
}

}  // namespace quon_host
