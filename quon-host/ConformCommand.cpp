// `quon-host conform`: runs the conformance catalogue (conformance/*.cases, docs/conformance.md)
// against a library and reports, group by group, whether this host carries every kind of value
// right. Groups whose file asks for the library-strings set-up run a second time in a child
// process that loads the library without installing the host's string allocator pair first (the
// set-up has to be chosen before the library is bound, so it cannot share this process's load).
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <sstream>

#include "host/ClosestName.h"
#include "platform/Platform.h"
#include "quon-host/Tool.h"
#include "quon-host/conform/CaseRunner.h"

namespace quon_host {

namespace {

using conform::Group;
using conform::GroupResult;
using conform::Setup;

// The installed catalogue (share/quon/conformance beside the bin folder of this executable), else
// the one in the source tree this quon-host was built from.
std::string DefaultCasesFolder() {
    const std::filesystem::path executable = zul::platform::ModuleFilePath();
    const std::filesystem::path installed =
        executable.parent_path().parent_path() / QUON_CONFORMANCE_INSTALL_DIR;
    std::error_code error;
    if (std::filesystem::is_directory(installed, error)) return installed.string();
    return QUON_CONFORMANCE_DIR;
}

// The group's line, then its failures.
std::string Report(const GroupResult& result) {
    std::ostringstream out;
    out << result.name << ": ";
    if (result.failures.empty())
        out << "passed (" << result.total << (result.total == 1 ? " case)\n" : " cases)\n");
    else
        out << "FAILED (" << result.failures.size() << " of " << result.total << " cases failed)\n";
    for (const std::string& failure : result.failures) out << failure;
    return out.str();
}

struct Totals {
    std::size_t cases = 0, failed = 0;
};

// Runs each group that lists `setup` against `library`, printing to `out`.
Totals RunGroups(const HostLibrary& library, const std::vector<Group>& groups, Setup setup, bool verbose,
                 std::ostream& out) {
    conform::CaseRunner runner(library, verbose, out);
    Totals totals;
    for (const Group& group : groups) {
        if (std::find(group.setups.begin(), group.setups.end(), setup) == group.setups.end()) continue;
        const std::string name =
            setup == Setup::kHostStrings ? group.name : group.name + " (" + conform::SetupName(setup) + ")";
        const GroupResult result = runner.Run(group, name);
        totals.cases += result.total;
        totals.failed += result.failures.size();
        out << Report(result) << std::flush;
    }
    return totals;
}

// Runs the library-strings groups in a child process whose load of the library keeps its own
// string pool; returns the child's report and adds its counts to `totals`.
std::string RunWithLibraryStrings(const std::string& path, const std::vector<Group>& groups, bool verbose,
                                  Totals& totals) {
    std::FILE* report = std::tmpfile();
    if (report == nullptr)
        throw std::runtime_error(std::string("cannot make a temporary file: ") + std::strerror(errno));
    std::cout.flush();
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0) throw std::runtime_error(std::string("cannot start a process: ") + std::strerror(errno));
    if (child == 0) {
        std::ostringstream out;
        Totals counts;
        try {
            const HostLibrary library(path, HostLibrary::Strings::kLibraryPool);
            counts = RunGroups(library, groups, Setup::kLibraryStrings, verbose, out);
        } catch (const std::exception& error) {
            out << "quon-host: error: " << error.what() << "\n";
            counts.failed = 1;
        }
        const std::string text =
            std::to_string(counts.cases) + " " + std::to_string(counts.failed) + "\n" + out.str();
        const bool written =
            ::write(fileno(report), text.data(), text.size()) == static_cast<ssize_t>(text.size());
        ::_exit(written ? 0 : 3);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    std::string text;
    std::rewind(report);
    for (int c; (c = std::fgetc(report)) != EOF;) text += static_cast<char>(c);
    std::fclose(report);
    // The first line holds the child's counts, the rest is its report.
    const std::size_t newline = text.find('\n');
    std::istringstream first(text.substr(0, newline));
    Totals counts;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || newline == std::string::npos ||
        !(first >> counts.cases >> counts.failed)) {
        ++totals.failed;
        return "quon-host: error: the library-strings run ended abnormally\n";
    }
    totals.cases += counts.cases;
    totals.failed += counts.failed;
    return text.substr(newline + 1);
}

}  // namespace

void AddConformCommand(CLI::App& app, Tool& tool) {
    static std::string folder;
    static std::vector<std::string> only;
    static bool verbose = false;
    static bool checked = false;
    CLI::App* command = app.add_subcommand(
        "conform",
        "Run the conformance catalogue against the library: one line per group, exit 1 on any failure");
    tool.AddLibraryOption(command);
    command->add_option("--cases", folder, "The catalogue's folder (default: the installed or built one)");
    command->add_option("--group", only, "Run only this group (the file name without .cases); repeatable");
    command->add_flag("--verbose", verbose, "Print each case as it runs");
    command->add_flag("--checked", checked,
                      "Run against the library's checked build (libXChecked.so beside libX.so), which fails "
                      "with \"host fault: ...\" where the host gets the interface wrong");
    SetUsage(command, "",
             "  quon-host conform\n"
             "  quon-host conform --group strings --verbose\n"
             "  quon-host conform --checked\n"
             "  quon-host conform --library ./libTestExternalLibrary.so --cases ./conformance\n"
             "Each case is a call written as for eval with its expected value or error and the lines it\n"
             "prints; docs/conformance.md describes the groups and the file format.\n");
    command->callback([&tool] {
        if (checked) {
            const std::string release = tool.LibraryFile();
            const std::string path = CheckedLibraryPath(release);
            if (path.empty() || ::access(path.c_str(), R_OK) != 0) {
                std::cerr << "quon-host: error: no checked build of " << release << ": "
                          << (path.empty() ? "its name has no .so" : path + " is not there") << "\n";
                tool.status = kExitFailure;
                return;
            }
            tool.libraryPath = path;
        }
        std::vector<Group> groups;
        try {
            groups = conform::ReadCatalogue(folder.empty() ? DefaultCasesFolder() : folder);
        } catch (const conform::CaseFileError& error) {
            std::cerr << "quon-host: error: " << error.what() << "\n";
            tool.status = kExitFailure;
            return;
        }
        if (!only.empty()) {
            std::vector<std::string_view> names;
            for (const Group& group : groups) names.push_back(group.name);
            for (const std::string& name : only)
                if (std::find(names.begin(), names.end(), name) == names.end()) {
                    const std::string closest = ClosestName(name, names);
                    throw UsageError("no group '" + name + "' in the catalogue" +
                                     (closest.empty() ? "" : "; did you mean '" + closest + "'?"));
                }
            std::erase_if(groups, [](const Group& group) {
                return std::find(only.begin(), only.end(), group.name) == only.end();
            });
        }
        Totals totals;
        std::string libraryStrings;
        const bool second = std::any_of(groups.begin(), groups.end(), [](const Group& group) {
            return std::find(group.setups.begin(), group.setups.end(), Setup::kLibraryStrings) !=
                   group.setups.end();
        });
        // Before this process loads the library: the child must make the first load.
        if (second) {
            const std::string path = tool.LibraryFile();
            libraryStrings = RunWithLibraryStrings(path, groups, verbose, totals);
        }
        const Totals host = RunGroups(tool.Library(), groups, Setup::kHostStrings, verbose, std::cout);
        std::cout << libraryStrings;
        totals.cases += host.cases;
        totals.failed += host.failed;
        std::cout << "conformance: " << totals.cases - totals.failed << " of " << totals.cases
                  << " cases passed\n";
        tool.status = totals.failed == 0 ? kExitSuccess : kExitFailure;
    });
}

}  // namespace quon_host
