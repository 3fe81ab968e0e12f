// The quon-host program: one CLI11 app with a subcommand per task. Each Add...Command function
// registers its subcommands; a subcommand's callback does the work and stores the exit status.
#pragma once

#include <CLI/CLI.hpp>
#include <memory>
#include <string>

#include "host/HostLibrary.h"

namespace quon_host {

// What the subcommands share: the library's path (--library, the built library by default),
// the library once loaded, and the exit status.
class Tool {
public:
    std::string libraryPath;
    int status = 0;

    // The library, loaded on first use with the host's own string allocator installed in it.
    const HostLibrary& Library();

private:
    std::unique_ptr<HostLibrary> library;
};

void AddListCommand(CLI::App& app, Tool& tool);      // list (also without a subcommand), type
void AddCallCommands(CLI::App& app, Tool& tool);     // call, eval, repl
void AddPictureCommands(CLI::App& app, Tool& tool);  // mandelbrot, julia
void AddLifeCommand(CLI::App& app, Tool& tool);      // life

}  // namespace quon_host
