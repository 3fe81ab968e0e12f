#include "Capture.h"

#include <pthread.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <stdexcept>

namespace smallhost {
namespace {

void FlushAll() {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
}

std::vector<std::string> ReadLines(int fd) {
    std::string text;
    char buffer[4096];
    lseek(fd, 0, SEEK_SET);
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(n));
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();  // a last line without its newline counts too
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

}  // namespace

Capture::Capture() {
    FlushAll();
    for (int i = 0; i < 2; ++i) {
        char name[] = "/tmp/small-host-capture-XXXXXX";
        files[i] = mkstemp(name);
        if (files[i] < 0) throw std::runtime_error(std::string("cannot make a capture file: ") + std::strerror(errno));
        unlink(name);
        saved[i] = dup(1 + i);
        dup2(files[i], 1 + i);
    }
}

Capture::Lines Capture::Finish() {
    FlushAll();
    Lines lines;
    for (int i = 0; i < 2; ++i) {
        if (saved[i] < 0) continue;
        dup2(saved[i], 1 + i);
        close(saved[i]);
        saved[i] = -1;
        (i == 0 ? lines.out : lines.err) = ReadLines(files[i]);
        close(files[i]);
        files[i] = -1;
    }
    return lines;
}

Capture::~Capture() { Finish(); }

void RunOnThread(std::size_t stackBytes, const std::function<void()>& work) {
    struct Job {
        const std::function<void()>* work;
        std::exception_ptr error;
    } job{&work, nullptr};
    auto body = [](void* arg) -> void* {
        auto* j = static_cast<Job*>(arg);
        try {
            (*j->work)();
        } catch (...) {
            j->error = std::current_exception();
        }
        return nullptr;
    };
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, stackBytes);
    pthread_t thread;
    int failed = pthread_create(&thread, &attributes, body, &job);
    pthread_attr_destroy(&attributes);
    if (failed) throw std::runtime_error(std::string("cannot start the case thread: ") + std::strerror(failed));
    pthread_join(thread, nullptr);
    if (job.error) std::rethrow_exception(job.error);
}

}  // namespace smallhost
