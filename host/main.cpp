// quon-host: the stand-in host as a tool. Loads an extension library the way the interpreter
// does and lists, checks and calls what it publishes. `quon-host --help` lists the subcommands.
#include <exception>
#include <iostream>

#include "host/HostEvaluator.h"
#include "host/tool/Tool.h"

int main(int argc, char** argv) {
    // The host's runtime (its string pool among it) is up before a library loads, so it
    // outlives the library's static objects at exit.
    quon_host::EvaluatorScope evaluator;
    quon_host::Tool tool;
    CLI::App app(
        "quon-host: loads a Quon extension library as the interpreter does, lists its descriptor, "
        "checks type strings and calls its functions.",
        "quon-host");
    app.add_option("--library", tool.libraryPath, "The extension library (default: the built library)");
    app.add_option("LIBRARY", tool.libraryPath, "The extension library, as a positional path");
    app.fallthrough();  // --library may also follow the subcommand
    app.require_subcommand(0, 1);
    quon_host::AddListCommand(app, tool);
    quon_host::AddCallCommands(app, tool);
    quon_host::AddPictureCommands(app, tool);
    quon_host::AddLifeCommand(app, tool);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return app.exit(error);
    } catch (const std::exception& error) {
        std::cerr << "quon-host: " << error.what() << "\n";
        return 1;
    }
    return tool.status;
}
