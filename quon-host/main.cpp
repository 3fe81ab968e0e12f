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
#include <regex>
#include <sstream>
#include <string_view>
#include <vector>

#include "host/ClosestName.h"
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

// The subcommand the command line named, or null.
const CLI::App* NamedSubcommand(const CLI::App& app) {
    const std::vector<const CLI::App*> named = app.get_subcommands([](const CLI::App*) { return true; });
    for (const CLI::App* command : named)
        if (command->count() > 0) return command;
    return nullptr;
}

// "a, b, c" of the words between braces in CLI11's "X not in {a,b,c}".
std::vector<std::string> Members(const std::string& list) {
    std::vector<std::string> members;
    std::stringstream items(list);
    for (std::string item; std::getline(items, item, ',');) members.push_back(item);
    return members;
}

// CLI11's messages in the tool's words, with a "did you mean" where a near name exists.
std::string InToolWords(const std::string& message, const CLI::App* command) {
    std::smatch match;
    static const std::regex extras("The following arguments? (?:was|were) not expected: (\\S+).*");
    static const std::regex member("(--?[\\w-]+): (.*) not in \\{(.*)\\}");
    static const std::regex range("(--?[\\w-]+): Value (.*) not in range (.*) to (.*)");
    if (std::regex_match(message, match, extras)) {
        const std::string word = match[1];
        const std::string where = command != nullptr ? " for " + command->get_name() : "";
        if (word.empty() || word[0] != '-') return "unexpected word '" + word + "'" + where;
        std::vector<std::string> names;
        if (command != nullptr)
            for (const CLI::Option* option : command->get_options())
                for (const std::string& name : option->get_lnames()) names.push_back("--" + name);
        const std::string closest = ClosestName(word, std::vector<std::string_view>(names.begin(), names.end()));
        return "unknown option '" + word + "'" + where + (closest.empty() ? "" : "; did you mean '" + closest + "'?");
    }
    if (std::regex_match(message, match, member)) {
        const std::vector<std::string> members = Members(match[3]);
        std::string list;
        for (const std::string& item : members) list += (list.empty() ? "" : ", ") + item;
        const std::string closest =
            ClosestName(match[2].str(), std::vector<std::string_view>(members.begin(), members.end()));
        return match[1].str() + ": '" + match[2].str() + "' is not one of " + list +
               (closest.empty() ? "" : "; did you mean '" + closest + "'?");
    }
    if (std::regex_match(message, match, range))
        return match[1].str() + ": " + match[2].str() + " is not a number from " + match[3].str() + " to " +
               match[4].str();
    return message;
}

// What went wrong with the command line, and where to look: the subcommand's help when one was named.
int UsageFailure(const std::string& message, const CLI::App* command) {
    const std::string help = command != nullptr ? "quon-host " + command->get_name() + " --help" : "quon-host --help";
    std::cerr << "quon-host: " << InToolWords(message, command) << "\nRun '" << help
              << "' for more information.\n";
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
    app.formatter(ToolFormatter());  // before the subcommands, which take it over
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
        if (error.get_exit_code() != 0) return UsageFailure(error.what(), NamedSubcommand(app));
        app.exit(error);  // --help and --version print to standard output
        return Finish(kExitSuccess);
    } catch (const UsageError& error) {
        return UsageFailure(error.what(), NamedSubcommand(app));
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
