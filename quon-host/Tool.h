// The quon-host program: one CLI11 app with a subcommand per task. Each Add...Command function
// registers its subcommands; a subcommand's callback does the work and stores the exit status, or
// throws: UsageError for a command line that makes no sense (exit 2), any other exception for a
// failure (exit 1). Every message starts with "quon-host:".
#pragma once

#include <CLI/CLI.hpp>
#include <memory>
#include <stdexcept>
#include <string>

#include "quon-host/expr/Terminal.h"

#include "host/HostLibrary.h"

namespace quon_host {

// Exit statuses of quon-host.
constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;  // a failed call or expression, refused input, a failed write
constexpr int kExitUsage = 2;    // a command line that makes no sense

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What the subcommands share: the library's path (--library, the built library by default),
// the library once loaded, and the exit status.
class Tool {
public:
    std::string libraryPath;
    int status = kExitSuccess;

    // The library, loaded on first use with the host's own string allocator installed in it.
    const HostLibrary& Library();
    // The file Library() loads: libraryPath (a bare file name that names a file here as ./NAME,
    // not one the dynamic linker looks for on its path), or the default library.
    std::string LibraryFile() const;
    // Gives `command` its own --library option, so that its help shows it.
    void AddLibraryOption(CLI::App* command);

private:
    std::unique_ptr<HostLibrary> library;
};

// The words a subcommand takes after its options, shown in its usage line ("NAME ARG..."), and
// examples shown below its help.
// The formatter of the tool's help: usage lines with unparsed words, texts wrapped to the terminal.
std::shared_ptr<CLI::Formatter> ToolFormatter();

void SetUsage(CLI::App* command, const std::string& positionals, const std::string& examples);

// A number from `min` to `max`: "not a number" for a text that is none (NaN among them).
CLI::Validator NumberIn(double min, double max);
// A whole number from 0 to 2^64 - 1, in decimal digits (no sign).
CLI::Validator UnsignedWord();
// A finite number; a positive finite number.
CLI::Validator FiniteNumber();
CLI::Validator PositiveNumber();

// "; did you mean 'list'?" for a word that names no subcommand of `app`, or "" when none is close.
std::string SubcommandHint(const CLI::App& app, const std::string& word);

bool StandardOutputIsTerminal();
bool StandardInputIsTerminal();

void AddListCommand(CLI::App& app, Tool& tool);      // list (also without a subcommand), type, help
void AddCallCommands(CLI::App& app, Tool& tool);     // call, eval, repl
void AddPictureCommands(CLI::App& app, Tool& tool);  // mandelbrot, julia
void AddLifeCommand(CLI::App& app, Tool& tool);      // life
void AddConformCommand(CLI::App& app, Tool& tool);   // conform

}  // namespace quon_host
