// Test bodies that must run in a process of their own: in a forked child that ends with _exit (no
// leak check over its unfinished state), judged by how it ended.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

namespace test_support {

// Runs `body` in a forked child; returns its wait status.
inline int InChild(const std::function<void()>& body) {
    const pid_t child = fork();
    if (child == 0) {
        body();
        _exit(0);
    }
    int status = -1;
    waitpid(child, &status, 0);
    return status;
}

// "exit N" or "signal N", for messages and comparisons.
inline std::string Ending(int status) {
    return WIFEXITED(status) ? "exit " + std::to_string(WEXITSTATUS(status))
                             : "signal " + std::to_string(WTERMSIG(status));
}

}  // namespace test_support
