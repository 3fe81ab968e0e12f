// quon_bench: runs every benchmark, then prints the ratio table (RatioTable.h).
//
// Unless the command line or the BENCHMARK_* environment sets them, each benchmark runs 9
// repetitions, interleaved at random with the other benchmarks' repetitions, so that a subject
// and its baseline are measured in the same stretches of time. The aggregates-only flags shape
// what the console and the output file show; the table always uses every repetition.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bench/RatioTable.h"

namespace {

constexpr const char* kDefaultRepetitions = "--benchmark_repetitions=9";
constexpr const char* kDefaultInterleaving = "--benchmark_enable_random_interleaving=true";

// The value of `--name=value` (or "" for a bare `--name`) if `argument` sets flag `name`.
std::optional<std::string> FlagIn(std::string_view argument, std::string_view name) {
    if (!argument.starts_with("--")) return std::nullopt;
    argument.remove_prefix(2);
    if (!argument.starts_with(name)) return std::nullopt;
    argument.remove_prefix(name.size());
    if (argument.empty()) return std::string();
    if (argument.front() != '=') return std::nullopt;
    return std::string(argument.substr(1));
}

// The BENCHMARK_NAME variable, which Google Benchmark reads as the flag's default.
std::optional<std::string> FlagInEnvironment(std::string_view name) {
    std::string variable(name);
    for (char& c : variable) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const char* value = std::getenv(variable.c_str());
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

// A boolean flag's value read as Google Benchmark reads it.
bool Truthy(const std::string& value) {
    if (value.empty()) return true;
    std::string lower;
    for (char c : value) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower.size() == 1)
        return std::isalnum(static_cast<unsigned char>(lower[0])) && lower != "0" && lower != "f" &&
               lower != "n";
    return lower != "false" && lower != "no" && lower != "off";
}

// The command line handed to Google Benchmark: the defaults added, the aggregates-only flags
// taken over by the harness (and passed on as false, which also overrides the environment).
class Arguments {
public:
    Arguments(int argc, char** argv) {
        std::optional<std::string> reportAggregates = FlagInEnvironment("benchmark_report_aggregates_only");
        std::optional<std::string> displayAggregates =
            FlagInEnvironment("benchmark_display_aggregates_only");
        outputFile = FlagInEnvironment("benchmark_out").value_or("");
        outputFormat = FlagInEnvironment("benchmark_out_format").value_or("json");
        displayFormat = FlagInEnvironment("benchmark_format").value_or("console");
        bool repetitionsGiven = FlagInEnvironment("benchmark_repetitions").has_value();
        bool interleavingGiven = FlagInEnvironment("benchmark_enable_random_interleaving").has_value();
        for (int i = 0; i < argc; ++i) {
            const std::string_view argument = argv[i];
            if (auto value = FlagIn(argument, "benchmark_report_aggregates_only")) {
                reportAggregates = value;
                continue;
            }
            if (auto value = FlagIn(argument, "benchmark_display_aggregates_only")) {
                displayAggregates = value;
                continue;
            }
            if (auto value = FlagIn(argument, "benchmark_out")) outputFile = *value;
            if (auto value = FlagIn(argument, "benchmark_out_format")) outputFormat = *value;
            if (auto value = FlagIn(argument, "benchmark_format")) displayFormat = *value;
            repetitionsGiven = repetitionsGiven || FlagIn(argument, "benchmark_repetitions");
            interleavingGiven =
                interleavingGiven || FlagIn(argument, "benchmark_enable_random_interleaving");
            texts.emplace_back(argument);
        }
        if (!repetitionsGiven) texts.emplace_back(kDefaultRepetitions);
        if (!interleavingGiven) texts.emplace_back(kDefaultInterleaving);
        texts.emplace_back("--benchmark_report_aggregates_only=false");
        texts.emplace_back("--benchmark_display_aggregates_only=false");
        fileAggregatesOnly = reportAggregates && Truthy(*reportAggregates);
        displayAggregatesOnly = fileAggregatesOnly || (displayAggregates && Truthy(*displayAggregates));

        for (std::string& text : texts) pointers.push_back(text.data());
        pointers.push_back(nullptr);
        count = static_cast<int>(texts.size());
    }

    int* Count() { return &count; }
    char** Vector() { return pointers.data(); }

    bool displayAggregatesOnly = false;  // the console shows only aggregates where there are some
    bool fileAggregatesOnly = false;     // so does the output file
    std::string outputFile;              // --benchmark_out, empty without one
    std::string outputFormat;            // --benchmark_out_format
    std::string displayFormat;           // --benchmark_format

private:
    std::vector<std::string> texts;
    std::vector<char*> pointers;
    int count = 0;
};

// The reporter Google Benchmark itself would write the output file with.
std::unique_ptr<benchmark::BenchmarkReporter> FileReporter(const std::string& format) {
    if (format == "console")
        return std::make_unique<benchmark::ConsoleReporter>(benchmark::ConsoleReporter::OO_None);
    if (format == "csv") {
        BENCHMARK_DISABLE_DEPRECATED_WARNING
        return std::make_unique<benchmark::CSVReporter>();
        BENCHMARK_RESTORE_DEPRECATED_WARNING
    }
    return std::make_unique<benchmark::JSONReporter>();
}

void PrintHelp() {
    benchmark::PrintDefaultHelp();
    std::fprintf(stdout,
                 "\nUnless given, quon_bench adds %s and\n%s. It ends with the ratio table, computed"
                 " from every\nrepetition whatever the aggregates-only flags show.\n",
                 kDefaultRepetitions, kDefaultInterleaving);
}

}  // namespace

int main(int argc, char** argv) {
    // A steady heap: glibc would give the top of the heap back to the system whenever a large
    // result is freed (a 1024 x 1024 board is 16 MB of cells) and fault it in again on the next
    // allocation, so a benchmark's time would depend on what ran before it. With trimming off and
    // no allocation served by mmap, freed memory stays in the heap for the next repetition.
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    mallopt(M_MMAP_THRESHOLD, 32 << 20);  // the largest threshold glibc takes
    Arguments arguments(argc, argv);
    benchmark::Initialize(arguments.Count(), arguments.Vector(), PrintHelp);
    if (benchmark::ReportUnrecognizedArguments(*arguments.Count(), arguments.Vector())) return 1;

    quon_bench::RepetitionLog log;
    const std::unique_ptr<benchmark::BenchmarkReporter> console(benchmark::CreateDefaultDisplayReporter());
    quon_bench::RecordingReporter display(*console, arguments.displayAggregatesOnly, &log);
    if (arguments.fileAggregatesOnly && !arguments.outputFile.empty()) {
        const std::unique_ptr<benchmark::BenchmarkReporter> format = FileReporter(arguments.outputFormat);
        quon_bench::RecordingReporter file(*format, true, nullptr);
        benchmark::RunSpecifiedBenchmarks(&display, &file);
    } else {
        benchmark::RunSpecifiedBenchmarks(&display);
    }
    benchmark::Shutdown();

    // Machine-readable console output stays parseable: the table then goes to the error stream.
    return quon_bench::PrintRatioTable(log, arguments.displayFormat == "console" ? stdout : stderr) ? 0 : 1;
}
