#include "bench/RatioTable.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace quon_bench {

namespace {

constexpr const char* kOperationsCounter = "ops";   // operations per iteration
constexpr const char* kChecksumCounter = "result";  // checksum of one iteration's results

std::vector<RatioRow>& Rows() {
    static std::vector<RatioRow> rows;
    return rows;
}

// The value at fraction `q` (0..1) of sorted `values`, interpolating between neighbours.
double Quantile(std::vector<double> values, double q) {
    std::sort(values.begin(), values.end());
    const double position = q * static_cast<double>(values.size() - 1);
    const std::size_t below = static_cast<std::size_t>(position);
    if (below + 1 >= values.size()) return values.back();
    const double fraction = position - static_cast<double>(below);
    return values[below] + fraction * (values[below + 1] - values[below]);
}

// The row's ratio from a subject time and a baseline time, in the row's sense.
double Ratio(const RatioRow& row, double subject, double baseline) {
    return row.sense == Sense::Faster ? baseline / subject : subject / baseline;
}

bool MeetsTarget(const RatioRow& row, double ratio) {
    return row.sense == Sense::Faster ? ratio >= row.target : ratio <= row.target;
}

std::string Duration(double nanoseconds) {
    char text[32];
    if (nanoseconds < 1e3)
        std::snprintf(text, sizeof text, "%.2f ns", nanoseconds);
    else if (nanoseconds < 1e6)
        std::snprintf(text, sizeof text, "%.2f us", nanoseconds / 1e3);
    else
        std::snprintf(text, sizeof text, "%.2f ms", nanoseconds / 1e6);
    return text;
}

std::string Range(double low, double high) {
    char text[40];
    std::snprintf(text, sizeof text, "%.2f..%.2f", low, high);
    return text;
}

bool SameValue(double a, double b) {
    return std::fabs(a - b) <= 1e-9 * std::max(std::fabs(a), std::fabs(b));
}

// Whether every repetition of both benchmarks did the same work. Sets `verdict` to the table's
// text for it.
bool SameWork(const std::vector<Repetition>& subject, const std::vector<Repetition>& baseline,
              std::string& verdict) {
    const Repetition& reference = baseline.front();
    bool checksumMissing = false;
    for (const auto* side : {&subject, &baseline}) {
        for (const Repetition& repetition : *side) {
            if (!SameValue(repetition.operations, reference.operations)) {
                verdict = "OPS DIFFER";
                return false;
            }
            if (repetition.checksum.has_value() != reference.checksum.has_value()) checksumMissing = true;
            if (repetition.checksum && reference.checksum &&
                !SameValue(*repetition.checksum, *reference.checksum)) {
                verdict = "RESULTS DIFFER";
                return false;
            }
        }
    }
    if (checksumMissing) {
        verdict = "ONE CHECKSUM";
        return false;
    }
    verdict = reference.checksum ? "same result" : "same ops";
    return true;
}

// The first skip message among a benchmark's repetitions, or empty.
std::string SkipMessage(const std::vector<Repetition>& repetitions) {
    for (const Repetition& repetition : repetitions)
        if (!repetition.error.empty()) return repetition.error;
    return {};
}

std::vector<double> Times(const std::vector<Repetition>& repetitions) {
    std::vector<double> times;
    for (const Repetition& repetition : repetitions) times.push_back(repetition.nanosecondsPerOperation);
    return times;
}

// Per-repetition ratios, pairing equal repetition indexes.
std::vector<double> PairedRatios(const RatioRow& row, const std::vector<Repetition>& subject,
                                 const std::vector<Repetition>& baseline) {
    std::vector<double> ratios;
    for (const Repetition& s : subject)
        for (const Repetition& b : baseline)
            if (s.index == b.index)
                ratios.push_back(Ratio(row, s.nanosecondsPerOperation, b.nanosecondsPerOperation));
    return ratios;
}

}  // namespace

bool DeclareRatios(std::initializer_list<RatioRow> rows) {
    Rows().insert(Rows().end(), rows.begin(), rows.end());
    return true;
}

std::string TargetText(const RatioRow& row) {
    if (row.target <= 0) return "-";
    char text[40];
    std::snprintf(text, sizeof text, row.sense == Sense::Faster ? ">= %gx faster" : "<= %gx the time",
                  row.target);
    return text;
}

void RecordWork(benchmark::State& state, std::int64_t operations) {
    state.counters[kOperationsCounter] = static_cast<double>(operations);
}

void RecordWork(benchmark::State& state, std::int64_t operations, std::uint64_t checksum) {
    RecordWork(state, operations);
    constexpr std::uint64_t kLow52 = (std::uint64_t{1} << 52) - 1;
    state.counters[kChecksumCounter] = static_cast<double>((checksum ^ (checksum >> 52)) & kLow52);
}

bool RecordingReporter::ReportContext(const Context& context) {
    // The run hands its streams (the console's, or the output file's) to this reporter only.
    inner.SetOutputStream(&GetOutputStream());
    inner.SetErrorStream(&GetErrorStream());
    return inner.ReportContext(context);
}

void RecordingReporter::ReportRuns(const std::vector<Run>& runs) {
    std::size_t measured = 0;
    for (const Run& run : runs) {
        if (run.run_type != Run::RT_Iteration) continue;
        if (!run.error_occurred) ++measured;
        if (log == nullptr) continue;
        Repetition repetition;
        repetition.index = run.repetition_index;
        repetition.error = run.error_occurred ? run.error_message : std::string();
        if (!run.error_occurred && run.iterations > 0) {
            const auto operations = run.counters.find(kOperationsCounter);
            if (operations != run.counters.end() && operations->second.value > 0)
                repetition.operations = operations->second.value;
            // Benchmarks that time their own worker threads report wall time.
            const bool wallTime = !run.run_name.time_type.empty();
            const double seconds = (wallTime ? run.GetAdjustedRealTime() : run.GetAdjustedCPUTime()) /
                                   benchmark::GetTimeUnitMultiplier(run.time_unit);
            repetition.nanosecondsPerOperation = seconds * 1e9 / repetition.operations;
            const auto checksum = run.counters.find(kChecksumCounter);
            if (checksum != run.counters.end()) repetition.checksum = checksum->second.value;
        }
        (*log)[run.run_name.str()].push_back(repetition);
    }
    // The library computes aggregates from two or more measured repetitions; only then are there
    // aggregates to show instead of the repetitions.
    if (aggregatesOnly && measured >= 2) return;
    inner.ReportRuns(runs);
}

bool PrintRatioTable(const RepetitionLog& log, std::FILE* out) {
    bool allSameWork = true;
    bool headerPrinted = false;
    for (const RatioRow& row : Rows()) {
        const auto subject = log.find(row.subject), baseline = log.find(row.baseline);
        if (subject == log.end() || baseline == log.end()) continue;  // filtered out
        if (!headerPrinted) {
            std::fprintf(out,
                         "\nRatios of CPU time per operation (wall time where a benchmark times its own threads)."
                         " ratio: of the medians of %zu repetitions;"
                         " IQR, min..max: of the\nper-repetition ratios, repetition i of the subject"
                         " against repetition i of the baseline.\n\n",
                         subject->second.size());
            std::fprintf(out, "%-50s %10s %10s %16s %12s %12s %16s %-7s %s\n", "row", "subject", "baseline",
                         "ratio", "IQR", "min..max", "target", "", "work");
            headerPrinted = true;
        }
        std::string skipped = SkipMessage(subject->second);
        if (skipped.empty()) skipped = SkipMessage(baseline->second);
        if (!skipped.empty()) {
            std::fprintf(out, "%-50s skipped: %s\n", row.label.c_str(), skipped.c_str());
            continue;
        }
        std::string work;
        allSameWork = SameWork(subject->second, baseline->second, work) && allSameWork;
        const double subjectTime = Quantile(Times(subject->second), 0.5);
        const double baselineTime = Quantile(Times(baseline->second), 0.5);
        const double ratio = Ratio(row, subjectTime, baselineTime);
        const std::vector<double> ratios = PairedRatios(row, subject->second, baseline->second);
        char ratioText[32];
        std::snprintf(ratioText, sizeof ratioText,
                      row.sense == Sense::Faster ? "%.2fx faster" : "%.2fx the time", ratio);
        const char* verdict = row.target <= 0 ? "" : MeetsTarget(row, ratio) ? "meets" : "MISSES";
        std::fprintf(out, "%-50s %10s %10s %16s %12s %12s %16s %-7s %s\n", row.label.c_str(),
                     Duration(subjectTime).c_str(), Duration(baselineTime).c_str(), ratioText,
                     ratios.empty() ? "-" : Range(Quantile(ratios, 0.25), Quantile(ratios, 0.75)).c_str(),
                     ratios.empty() ? "-" : Range(Quantile(ratios, 0), Quantile(ratios, 1)).c_str(),
                     TargetText(row).c_str(), verdict, work.c_str());
    }
    if (!allSameWork)
        std::fprintf(
            out, "\nA subject and its baseline did different work: their ratio compares unlike things.\n");
    return allSameWork;
}

}  // namespace quon_bench
