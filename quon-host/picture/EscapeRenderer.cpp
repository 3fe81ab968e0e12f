#include "quon-host/picture/EscapeRenderer.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <iostream>
#include <mutex>
#include <optional>
#include <thread>

#include "host/HostEvaluator.h"
#include "quon-host/picture/ProgressBar.h"

namespace quon_host {

RgbImage Render(const RenderJob& job, const CounterFactory& makeCounter) {
    const PlaneView& view = job.view;
    RgbImage image(view.width, view.height);
    const auto lastCount = static_cast<std::int64_t>(job.colours.size()) - 1;

    std::atomic<int> nextRow{0};
    std::atomic<int> rowsDone{0};
    std::atomic<bool> failed{false};
    std::mutex lock;  // guards the two below
    std::condition_variable threadEnded;
    unsigned threadsEnded = 0;
    std::exception_ptr failure;

    auto work = [&] {
        try {
            const EvaluatorScope evaluator;  // every thread that calls adapters has its own
            const std::unique_ptr<EscapeCounter> counter = makeCounter();
            for (int row = nextRow++; row < view.height && !failed; row = nextRow++) {
                const double y = view.Y(row);
                std::uint8_t* out = image.Row(row);
                for (int column = 0; column < view.width; ++column) {
                    const std::int64_t count = counter->Count(view.X(column), y);
                    const Rgb colour = job.colours[count < 0 || count > lastCount ? 0 : count];
                    *out++ = colour.r;
                    *out++ = colour.g;
                    *out++ = colour.b;
                }
                ++rowsDone;
            }
        } catch (...) {
            failed = true;
            const std::lock_guard<std::mutex> guard(lock);
            if (failure == nullptr) failure = std::current_exception();
        }
        const std::lock_guard<std::mutex> guard(lock);
        ++threadsEnded;
        threadEnded.notify_one();
    };

    std::vector<std::thread> threads;
    try {
        for (unsigned t = 0; t < job.threads; ++t) threads.emplace_back(work);
    } catch (...) {  // no more threads to be had: stop the ones started
        failed = true;
        for (std::thread& thread : threads) thread.join();
        throw;
    }
    {
        std::optional<ProgressBar> bar;
        if (job.progress) bar.emplace(std::cerr, STDERR_FILENO, "rendering", view.height);
        std::unique_lock<std::mutex> guard(lock);
        while (threadsEnded < job.threads) {
            threadEnded.wait_for(guard, std::chrono::milliseconds(100));
            if (bar) bar->Show(rowsDone);
        }
        if (bar) bar->Clear();
    }
    for (std::thread& thread : threads) thread.join();
    if (failure != nullptr) std::rethrow_exception(failure);
    return image;
}

}  // namespace quon_host
