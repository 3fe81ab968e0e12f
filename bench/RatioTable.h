// The benchmarks' ratio table: every figure of the project's benchmarks is a ratio of a subject
// benchmark against a baseline benchmark measured in the same run.
//
// A benchmark file declares its rows next to its BENCHMARK registrations:
//
//   BENCHMARK(BM_Malloc16Pair);
//   BENCHMARK(BM_CellPoolPair);
//   const bool rows = quon_bench::DeclareRatios({
//       {"cell pool alloc+free vs malloc(16)+free", "BM_CellPoolPair", "BM_Malloc16Pair",
//        quon_bench::Sense::Faster, 3},
//   });
//
// and each benchmark states the work of one iteration, so that the table can check that a subject
// and its baseline did the same work:
//
//   quon_bench::RecordWork(state, kPairsPerCall);            // operations per iteration
//   quon_bench::RecordWork(state, kPairsPerCall, checksum);  // and a checksum of what it produced
//
// The shared main (BenchMain.cpp) runs every benchmark with interleaved repetitions, keeps every
// repetition's CPU time per operation whatever the console shows, and prints the table at the
// end: per row the ratio of the two benchmarks' medians, the spread of the per-repetition
// ratios (repetition i of the subject against repetition i of the baseline, which interleaving
// runs in the same round), and the target.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quon_bench {

// How a row's ratio reads: "Nx faster" (baseline time / subject time) or "Nx the time"
// (subject time / baseline time).
enum class Sense { Faster, TimeOf };

struct RatioRow {
    std::string label;     // what is compared, as the table shows it
    std::string subject;   // benchmark name as registered, e.g. "BM_CellPoolPair"
    std::string baseline;  // benchmark name of the baseline
    Sense sense;           // how the ratio is shown and the target read
    double target = 0;     // at least this much faster, or at most this many times the time; 0: none
};

// Adds rows to the table, in this order after the rows declared before; returns true so that a
// file can declare its rows in a namespace-scope initialiser.
bool DeclareRatios(std::initializer_list<RatioRow> rows);

// The target as the table prints it: ">= 3x faster", "<= 2x the time", or "-" without one.
std::string TargetText(const RatioRow& row);

// States the work of one iteration of the running benchmark: `operations` (the time per
// operation is the iteration's time divided by it) and, where the benchmark produces values, a
// checksum of one iteration's results, the same for every iteration. Both show in the console as
// the counters "ops" and "result" (the checksum folded to 52 bits, which a double holds exactly).
void RecordWork(benchmark::State& state, std::int64_t operations);
void RecordWork(benchmark::State& state, std::int64_t operations, std::uint64_t checksum);

// One repetition of one benchmark, as the reporter saw it.
struct Repetition {
    std::int64_t index = 0;  // repetition index
    double nanosecondsPerOperation = 0;
    double operations = 1;           // per iteration, as recorded (1 when the benchmark recorded none)
    std::optional<double> checksum;  // as recorded
    std::string error;               // the benchmark's SkipWithError message, if it skipped
};

// Every repetition of every benchmark run, by benchmark name.
using RepetitionLog = std::map<std::string, std::vector<Repetition>>;

// Forwards runs to another reporter (the console, or the output file's reporter) and keeps every
// repetition in a log. With `aggregatesOnly` it forwards only the aggregates of a benchmark that
// has them, as --benchmark_report_aggregates_only would, but still logs every repetition.
class RecordingReporter : public benchmark::BenchmarkReporter {
public:
    RecordingReporter(benchmark::BenchmarkReporter& inner, bool aggregatesOnly, RepetitionLog* log)
        : inner(inner), aggregatesOnly(aggregatesOnly), log(log) {}

    bool ReportContext(const Context& context) override;
    void ReportRuns(const std::vector<Run>& runs) override;
    void Finalize() override { inner.Finalize(); }

private:
    benchmark::BenchmarkReporter& inner;
    bool aggregatesOnly;
    RepetitionLog* log;  // null: forward only
};

// Prints the declared rows whose benchmarks ran. Returns false when a subject and its baseline
// did different work (operations or checksum), true otherwise.
bool PrintRatioTable(const RepetitionLog& log, std::FILE* out);

}  // namespace quon_bench
