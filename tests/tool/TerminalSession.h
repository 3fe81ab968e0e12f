// quon-host on a pseudo-terminal, for what only a terminal shows: line editing, Ctrl-C, prompts.
#pragma once

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

namespace tool_tests {

class TerminalSession {
public:
    // Starts `program` with `arguments` on a new terminal of `columns` columns, with `environment`
    // (NAME=VALUE) added.
    TerminalSession(const std::string& program, const std::vector<std::string>& arguments,
                    const std::vector<std::string>& environment = {}, unsigned short columns = 80) {
        winsize size{};
        size.ws_col = columns;
        size.ws_row = 24;
        child = ::forkpty(&terminal, nullptr, nullptr, &size);
        if (child == 0) {
            for (const std::string& setting : environment) ::putenv(const_cast<char*>(setting.c_str()));
            std::vector<char*> argv{const_cast<char*>(program.c_str())};
            for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
            argv.push_back(nullptr);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
    }
    ~TerminalSession() {
        if (child > 0 && status < 0) {
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
        }
        if (terminal >= 0) ::close(terminal);
    }

    void Type(const std::string& keys) { [[maybe_unused]] auto n = ::write(terminal, keys.data(), keys.size()); }
    // Types `keys` once the program has the terminal in its line editor's raw mode (up to 30 s).
    // A line editor shows its prompt before it leaves the terminal's line mode, and there a key
    // such as Ctrl-D is taken by the terminal itself, never reaching the editor.
    void TypeWhenEditing(const std::string& keys) {
        termios mode{};
        for (int i = 0; i < 3000 && ::tcgetattr(terminal, &mode) == 0 && (mode.c_lflag & ICANON) != 0; ++i)
            ::usleep(10000);
        Type(keys);
    }

    // Reads until the output since the last wait holds `text` (true), or 30 s pass (false; a
    // loaded machine may be slow). What was read is kept in Seen().
    bool WaitFor(const std::string& text) {
        seen.clear();
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (seen.find(text) == std::string::npos) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            if (left.count() <= 0) return false;
            pollfd ready{terminal, POLLIN, 0};
            if (::poll(&ready, 1, static_cast<int>(left.count())) <= 0) return false;
            char buffer[4096];
            const ssize_t n = ::read(terminal, buffer, sizeof buffer);
            if (n <= 0) return false;
            seen.append(buffer, static_cast<std::size_t>(n));
        }
        return true;
    }
    const std::string& Seen() const { return seen; }

    // The exit status once the program has ended (waits up to 30 s; -1 if it has not). What it
    // writes meanwhile is read, as a terminal would, and kept in Seen().
    int Status() {
        seen.clear();
        for (int i = 0; i < 3000 && status < 0; ++i) {
            int raw = 0;
            if (::waitpid(child, &raw, WNOHANG) == child) {
                status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
                break;
            }
            pollfd ready{terminal, POLLIN, 0};
            if (::poll(&ready, 1, 10) > 0) {
                char buffer[4096];
                const ssize_t n = ::read(terminal, buffer, sizeof buffer);
                if (n > 0) seen.append(buffer, static_cast<std::size_t>(n));
                else ::usleep(10000);  // the terminal is closed: the program is ending
            }
        }
        return status;
    }
    void Kill() {
        ::kill(child, SIGKILL);
        Status();
    }

private:
    int terminal = -1;
    pid_t child = -1;
    int status = -1;
    std::string seen;
};

}  // namespace tool_tests
