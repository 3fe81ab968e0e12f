// Runs the built quon-host as a user would, through the shell, and gathers what it printed.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace tool_tests {

struct ToolRun {
    int status = -1;  // the exit status, or -1 when the process did not exit normally
    std::string out;
    std::string err;
};

inline std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// quon-host (or `program`) with `arguments`, standard input from `input`; `redirect` is shell text
// that sends its standard output elsewhere (">/dev/full"), with the environment settings
// `environment` before it.
inline ToolRun RunTool(const std::vector<std::string>& arguments, const std::string& input = "",
                       const std::string& redirect = "", const std::string& environment = "",
                       const std::string& program = QUON_HOST_PATH) {
    const std::string base = ::testing::TempDir() + "quon-tool-" + std::to_string(::getpid());
    const std::string inPath = base + ".in", errPath = base + ".err";
    std::ofstream(inPath, std::ios::binary) << input;
    std::string command = environment + " " + ShellQuoted(program);
    for (const std::string& argument : arguments) command += " " + ShellQuoted(argument);
    command += " <" + ShellQuoted(inPath) + " 2>" + ShellQuoted(errPath) + " " + redirect;
    ToolRun run;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            run.out.append(buffer, n);
        const int raw = ::pclose(pipe);
        if (WIFEXITED(raw)) run.status = WEXITSTATUS(raw);
    }
    std::stringstream err;
    err << std::ifstream(errPath, std::ios::binary).rdbuf();
    run.err = err.str();
    std::remove(inPath.c_str());
    std::remove(errPath.c_str());
    return run;
}

}  // namespace tool_tests
