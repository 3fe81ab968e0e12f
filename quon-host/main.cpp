// quon-host: the stand-in host as a tool. Loads an extension library the way the interpreter
// does and lists, checks and calls what it publishes. `quon-host --help` lists the subcommands.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <iostream>
#include <new>
#include <optional>
#include <vector>

#include "host/HostEvaluator.h"
#include "host/LibraryBoundary.h"
#include "hostabi/LibraryDescriptor.h"
#include "quon-host/Tool.h"

namespace {

using namespace quon_host;

constexpr const char* kFooter =
    "Exit status: 0 on success, 1 when a call, an expression or a write failed or input was refused, "
    "2 for a usage error. Every message starts with 'quon-host:'.\n"
    "Run 'quon-host help SUBCOMMAND' or 'quon-host SUBCOMMAND --help' for a subcommand's options.";

// A positional word before any subcommand is a library's path when it looks like one (it names a
// file, holds a '/' or ends in ".so"); any other word is a mistyped subcommand.
void CheckLibraryWord(const CLI::App& app, const std::string& word) {
    struct stat info {};
    if (word.empty() || ::stat(word.c_str(), &info) == 0 || word.find('/') != std::string::npos ||
        (word.size() > 3 && word.compare(word.size() - 3, 3, ".so") == 0))
        return;
    throw UsageError("unknown subcommand '" + word + "'" + SubcommandHint(app, word));
}

// What went wrong with the command line, and where to look.
int UsageFailure(const std::string& message) {
    std::cerr << "quon-host: " << message << "\nRun 'quon-host --help' for more information.\n";
    return kExitUsage;
}

// Standard output is flushed before the exit: a write that failed fails the run.
int Finish(int status) {
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "quon-host: error: cannot write to standard output"
                  << (errno != 0 ? std::string(": ") + std::strerror(errno) : std::string()) << "\n";
        return kExitFailure;
    }
    // A library's destroy that threw was reported when the value went: the run did not succeed.
    return status == kExitSuccess && ReleaseFailures() != 0 ? kExitFailure : status;
}

int Run(int argc, char** argv) {
    Tool tool;
    CLI::App app(
        "quon-host: loads a Quon extension library as the interpreter does, lists its descriptor, "
        "checks type strings and calls its functions.",
        "quon-host");
    app.footer(kFooter);
    app.set_version_flag("--version",
                         std::string("quon-host ") + QUON_HOST_VERSION + " (extension interface " +
                             std::to_string(QUON_ExternLib::kInterfaceVersion) + ")",
                         "Print the version of quon-host and of the extension interface it speaks");
    app.add_option("--library", tool.libraryPath, "The extension library (default: the built library)");
    std::string positionalLibrary;
    app.add_option("LIBRARY", positionalLibrary, "The extension library, as a positional path");
    app.parse_complete_callback([&] {
        CheckLibraryWord(app, positionalLibrary);
        if (!positionalLibrary.empty()) tool.libraryPath = positionalLibrary;
    });
    app.fallthrough();  // --library may also follow the subcommand
    app.require_subcommand(0, 1);
    AddListCommand(app, tool);
    AddCallCommands(app, tool);
    AddPictureCommands(app, tool);
    AddLifeCommand(app, tool);
    AddConformCommand(app, tool);
    try {
        // The expression commands take their words as they are, "-1" among them; a "--" after
        // one of them (as a user writes before arguments that look like options) is dropped,
        // rather than handed to the top level as its library.
        std::vector<char*> words(argv, argv + argc);
        const auto command = std::find_if(words.begin() + std::min(1, argc), words.end(), [](const char* word) {
            return std::strcmp(word, "call") == 0 || std::strcmp(word, "eval") == 0;
        });
        if (command != words.end()) {
            const auto dashes =
                std::find_if(command, words.end(), [](const char* word) { return std::strcmp(word, "--") == 0; });
            if (dashes != words.end()) words.erase(dashes);
        }
        app.parse(static_cast<int>(words.size()), words.data());
    } catch (const CLI::ParseError& error) {
        if (error.get_exit_code() != 0) return UsageFailure(error.what());
        app.exit(error);  // --help and --version print to standard output
        return Finish(kExitSuccess);
    } catch (const UsageError& error) {
        return UsageFailure(error.what());
    }
    return Finish(tool.status);
}

}  // namespace

int main(int argc, char** argv) {
    // The host's runtime (its string pool among it) is up before a library loads, so it
    // outlives the library's static objects at exit.
    std::optional<quon_host::EvaluatorScope> evaluator;
    try {
        evaluator.emplace();
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        std::cerr << "quon-host: error: out of memory\n";
    } catch (const std::exception& error) {
        std::cerr << "quon-host: error: " << error.what() << "\n";
    } catch (...) {
        std::cerr << "quon-host: error: an unknown exception\n";
    }
    std::cout.flush();
    return quon_host::kExitFailure;
}
