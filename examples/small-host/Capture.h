// Output capture and the case thread: what surrounds each call.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace smallhost {

// Points file descriptors 1 and 2 at temporary files from construction until Finish(), which
// puts them back and returns the lines written to each.
class Capture {
public:
    Capture();
    ~Capture();
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;

    struct Lines {
        std::vector<std::string> out, err;
    };
    Lines Finish();

private:
    int saved[2] = {-1, -1};
    int files[2] = {-1, -1};
};

// Runs `work` on a new thread with a stack of `stackBytes` and waits for it; an exception it
// throws is thrown again here.
void RunOnThread(std::size_t stackBytes, const std::function<void()>& work);

}  // namespace smallhost
