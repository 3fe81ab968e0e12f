// Throughput on two threads against one, per row family: the same number of calls through the
// loaded library, made by one worker thread, or split evenly between two. Every call is the
// host's (CallFrame::Call on a frame the worker prepared), and a result the call makes is
// released, as the host releases it. Each row reads "Nx faster": the wall time of the one-thread
// run over that of the two-thread run, so 2x is perfect scaling on two free cores. A plain loop
// that calls nothing shows beside them what the machine's two cores give in the same run.
#include <benchmark/benchmark.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "bench/RatioTable.h"
#include "bench/RowCall.h"
#include "host/HostContext.h"
#include "host/HostEvaluator.h"
#include "strings/tBaseString.h"

namespace {

using quon_bench::RowCall;

constexpr int kWorkers = 2;

// A worker's prepared call of one row; Run makes `calls` calls and returns their checksum.
class Family {
public:
    virtual ~Family() = default;
    virtual std::uint64_t Run(std::int64_t calls) = 0;
};

// Two worker threads kept for the whole run, each with its own evaluator and its own prepared
// calls, made on the worker (a family's first run) so that every pool it touches is the worker's.
class Workers {
public:
    using MakeFamily = std::function<std::unique_ptr<Family>()>;

    static Workers& Get() {
        static Workers workers;
        return workers;
    }

    // Splits `calls` evenly between the first `active` workers, runs them and waits; returns the
    // wall time in seconds and adds the results' checksum to `checksum`. Throws what a worker threw.
    double Run(int familyId, const MakeFamily& make, int active, std::int64_t calls,
               std::uint64_t& checksum) {
        std::unique_lock<std::mutex> lock(mutex);
        job = Job{familyId, &make, calls / active, active};
        done = 0;
        failure = nullptr;
        sum = 0;
        const auto start = std::chrono::steady_clock::now();
        ++generation;
        wake.notify_all();
        finished.wait(lock, [&] { return done == active; });
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (failure) std::rethrow_exception(failure);
        checksum += sum;
        return seconds;
    }

private:
    struct Job {
        int family = 0;
        const MakeFamily* make = nullptr;
        std::int64_t calls = 0;
        int active = 0;
    };

    Workers() {
        for (int i = 0; i < kWorkers; ++i) threads.emplace_back([this, i] { Loop(i); });
    }

    ~Workers() {
        {
            std::lock_guard<std::mutex> lock(mutex);
            stopping = true;
            ++generation;
        }
        wake.notify_all();
        for (std::thread& thread : threads) thread.join();
    }

    void Loop(int index) {
        quon_host::EvaluatorScope evaluator;
        std::vector<std::unique_ptr<Family>> families;
        std::uint64_t seen = 0;
        for (;;) {
            Job mine;
            {
                std::unique_lock<std::mutex> lock(mutex);
                wake.wait(lock, [&] { return generation != seen; });
                seen = generation;
                if (stopping) return;
                mine = job;
            }
            if (index >= mine.active) continue;
            std::uint64_t result = 0;
            std::exception_ptr error;
            try {
                if (families.size() <= static_cast<std::size_t>(mine.family))
                    families.resize(mine.family + 1);
                if (families[mine.family] == nullptr) families[mine.family] = (*mine.make)();
                result = families[mine.family]->Run(mine.calls);
            } catch (...) {
                error = std::current_exception();
            }
            std::lock_guard<std::mutex> lock(mutex);
            sum += result;
            if (error) failure = error;
            if (++done == mine.active) finished.notify_one();
        }
    }

    std::mutex mutex;
    std::condition_variable wake, finished;
    std::uint64_t generation = 0;
    bool stopping = false;
    Job job;
    int done = 0;
    std::uint64_t sum = 0;
    std::exception_ptr failure;
    std::vector<std::thread> threads;
};

ParentContext* Host() {
    return quon_host::HostContext();
}

using Measure = std::uint64_t (*)(const quon_bench::EvCell* result);

// The checksum of a result that owns nothing: its word.
std::uint64_t ResultWord(const quon_bench::EvCell* result) {
    return result->Word();
}

// Calls of one row; the checksum adds what `measure` reads off each result. A result that owns
// something (`release`) is released after each call, as the host releases it.
class RowCalls : public Family {
public:
    RowCalls(RowCall* call, Measure measure = &ResultWord, bool release = false)
        : call(call), measure(measure), release(release) {}
    std::uint64_t Run(std::int64_t calls) override {
        std::uint64_t sum = 0;
        for (std::int64_t i = 0; i < calls; ++i) {
            call->ThroughHost();
            sum += measure(call->Result());
            if (release) call->ResultSlot().Release();
        }
        return sum;
    }

private:
    std::unique_ptr<RowCall> call;
    Measure measure;
    bool release;
};

struct RowFamily {
    std::int64_t calls;  // per iteration, split between the workers: some 40 ms of work on one
                         // thread, so that waking the workers is lost in it
    Workers::MakeFamily make;
};

// No library at all: a dependent chain of arithmetic, what the machine's two cores give.
class PlainLoop : public Family {
public:
    std::uint64_t Run(std::int64_t calls) override {
        std::uint64_t x = 1;
        for (std::int64_t i = 0; i < calls * 64; ++i) x = x * 6364136223846793005u + 1442695040888963407u;
        benchmark::DoNotOptimize(x);
        return static_cast<std::uint64_t>(calls);
    }
};

// In the order of the QUON_SCALING registrations below: the plain loop, maxint,
// mandel_escape_int, getArraySum, stringAdd, createStructArray, lifeNextStep.
const std::vector<RowFamily>& Families() {
    static const std::vector<RowFamily> families = {
        {600000, [] { return std::make_unique<PlainLoop>(); }},
        {3000000,
         [] {
             auto* call = new RowCall("maxint", 2);
             Host()->setInt(call->Argument(0), 7);
             Host()->setInt(call->Argument(1), 42);
             return std::make_unique<RowCalls>(call);
         }},
        {300000,
         [] {
             auto* call = new RowCall("mandel_escape_int", 3);
             Host()->setFloat(call->Argument(0), -0.75);
             Host()->setFloat(call->Argument(1), 0.1);
             Host()->setInt(call->Argument(2), 1000);
             return std::make_unique<RowCalls>(call);
         }},
        {70000,
         [] {
             auto* call = new RowCall("getArraySum", 1);
             std::vector<std::int64_t> values(1000);
             for (std::size_t i = 0; i < values.size(); ++i)
                 values[i] = static_cast<std::int64_t>(i * 7 % 1001);
             quon_bench::SetIntArray(call->Argument(0), values.data(), values.size());
             return std::make_unique<RowCalls>(call);
         }},
        {500000,
         [] {
             auto* call = new RowCall("stringAdd", 2);
             Host()->setString(call->Argument(0), "left", 4);
             Host()->setString(call->Argument(1), "right", 5);
             return std::make_unique<RowCalls>(
                 call,
                 [](const quon_bench::EvCell* result) {
                     // A string cell's payload is its body.
                     return static_cast<std::uint64_t>(
                         reinterpret_cast<const zul::zulStdString::tBaseString*>(result->Word())->size());
                 },
                 true);
         }},
        {100000,
         [] {
             auto* call = new RowCall("createStructArray", 1);
             Host()->setInt(call->Argument(0), 8);
             return std::make_unique<RowCalls>(
                 call,
                 [](const quon_bench::EvCell* result) {
                     return static_cast<std::uint64_t>(quon_bench::CountOf(result));
                 },
                 true);
         }},
        {1500,
         [] {
             auto* call = new RowCall("lifeNextStep", 3);
             std::vector<std::int32_t> board(64 * 64);
             for (std::size_t i = 0; i < board.size(); ++i) board[i] = (i * 2654435761u >> 7) % 3 == 0;
             quon_bench::SetBoard(call->Argument(0), board.data(), 64, 64);
             Host()->setInt(call->Argument(1), 64);
             Host()->setInt(call->Argument(2), 64);
             return std::make_unique<RowCalls>(
                 call,
                 [](const quon_bench::EvCell* result) {
                     return static_cast<std::uint64_t>(quon_bench::LiveCells(result));
                 },
                 true);
         }},
    };
    return families;
}

void BM_Scaling(benchmark::State& state, int family, int threads) {
    quon_bench::RunOrSkip(state, [&] {
        const RowFamily& chosen = Families()[family];
        std::uint64_t checksum = 0;
        for (auto _ : state) {
            std::uint64_t sum = 0;
            state.SetIterationTime(Workers::Get().Run(family, chosen.make, threads, chosen.calls, sum));
            checksum = sum;
        }
        quon_bench::RecordWork(state, chosen.calls, checksum);
    });
}

#define QUON_SCALING(ID, INDEX)                                                                      \
    BENCHMARK_CAPTURE(BM_Scaling, ID##_1, INDEX, 1)->UseManualTime()->Unit(benchmark::kMillisecond); \
    BENCHMARK_CAPTURE(BM_Scaling, ID##_2, INDEX, 2)->UseManualTime()->Unit(benchmark::kMillisecond)

QUON_SCALING(plain, 0);
QUON_SCALING(maxint, 1);
QUON_SCALING(mandel, 2);
QUON_SCALING(arraySum, 3);
QUON_SCALING(stringAdd, 4);
QUON_SCALING(structArray, 5);
QUON_SCALING(life, 6);

#define QUON_SCALING_ROW(ID, LABEL)                                                      \
    quon_bench::RatioRow {                                                               \
        LABEL " on two threads vs one (throughput)", "BM_Scaling/" #ID "_2/manual_time", \
            "BM_Scaling/" #ID "_1/manual_time", quon_bench::Sense::Faster, 1.8           \
    }

const bool rows = quon_bench::DeclareRatios({
    {"plain loop on two threads vs one: the machine's own", "BM_Scaling/plain_2/manual_time",
     "BM_Scaling/plain_1/manual_time", quon_bench::Sense::Faster, 0},
    QUON_SCALING_ROW(maxint, "maxint"),
    QUON_SCALING_ROW(mandel, "mandel_escape_int"),
    QUON_SCALING_ROW(arraySum, "getArraySum"),
    QUON_SCALING_ROW(stringAdd, "stringAdd"),
    QUON_SCALING_ROW(structArray, "createStructArray"),
    QUON_SCALING_ROW(life, "lifeNextStep 64x64"),
});

}  // namespace
