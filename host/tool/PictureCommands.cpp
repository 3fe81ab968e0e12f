// `quon-host mandelbrot` and `quon-host julia`: escape counts of the library's
// `mandel_escape_int` and `julia_escape_int` rows, one adapter call per pixel on every core,
// coloured with a palette and written to a PNG file.
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <thread>

#include "host/tool/EscapeRenderer.h"
#include "host/tool/Tool.h"

namespace quon_host {

namespace {

constexpr int kMaxSide = 8192;
constexpr int kMaxIterations = 1'000'000;
constexpr int kMaxThreads = 1024;

struct PictureOptions {
    PlaneView view;
    EscapeSet set;
    std::string palette = "fire";
    std::string output;
    unsigned threads = std::max(1u, std::thread::hardware_concurrency());
    bool native = false;
};

const CLI::Validator kFinite(
    [](const std::string& text) {
        const double value = std::strtod(text.c_str(), nullptr);
        return std::isfinite(value) ? std::string() : "must be a finite number, given " + text;
    },
    "FINITE");

const CLI::Validator kPositive(
    [](const std::string& text) {
        const double value = std::strtod(text.c_str(), nullptr);
        return std::isfinite(value) && value > 0 ? std::string()
                                                 : "must be a positive number, given " + text;
    },
    "POSITIVE");

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

void RenderPicture(Tool& tool, const PictureOptions& options) {
    // Opened first, so that an output that cannot be written fails before the render.
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(options.output.c_str(), "wb"));
    if (file == nullptr)
        throw std::runtime_error("cannot write " + options.output + ": " + std::strerror(errno));
    try {
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
        WritePng(file.get(), image, options.output);
        std::cout << options.output << ": " << image.width << "x" << image.height << ", "
                  << options.set.iterations << " iterations, " << options.threads << " threads"
                  << (options.native ? ", plain C++" : "") << ", rendered in " << elapsed.count() << " s\n";
    } catch (...) {
        file.reset();
        std::remove(options.output.c_str());
        throw;
    }
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
        ->check(kFinite);
    command->add_option("--center-y", options->view.centerY, "Imaginary part of the picture's centre")
        ->capture_default_str()
        ->check(kFinite);
    command
        ->add_option("--zoom", options->view.zoom,
                     "Magnification; at 1 the shorter side of the picture spans 3 units")
        ->capture_default_str()
        ->check(kPositive);
    command->add_option("--iterations", options->set.iterations, "Most steps per point")
        ->capture_default_str()
        ->check(CLI::Range(1, kMaxIterations));
    if (julia) {
        command->add_option("--cx", options->set.cx, "Real part of the constant c")
            ->capture_default_str()
            ->check(kFinite);
        command->add_option("--cy", options->set.cy, "Imaginary part of the constant c")
            ->capture_default_str()
            ->check(kFinite);
    }
    command->add_option("--palette", options->palette, "Colours")
        ->capture_default_str()
        ->check(CLI::IsMember(Palette::Names()));
    command->add_option("--output,-o", options->output, "The PNG file to write")->capture_default_str();
    command->add_option("--threads", options->threads, "Rendering threads (default: one per core)")
        ->check(CLI::Range(1, kMaxThreads));
    // The same arithmetic in plain C++ instead of the row, to measure what the calls cost.
    command->add_flag("--native", options->native)->group("");
    command->callback([&tool, options] { RenderPicture(tool, *options); });
}

}  // namespace

void AddPictureCommands(CLI::App& app, Tool& tool) {
    AddPictureCommand(app, tool, "mandelbrot", false);
    AddPictureCommand(app, tool, "julia", true);
}

}  // namespace quon_host
