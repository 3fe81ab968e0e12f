// small-host: loads an extension library and runs the conformance catalogue against it.
//
//   small-host --library PATH --cases DIR [--library-strings] [--group NAME]... [--verbose]
//
// Exit status: 0 when every case passed, 1 when one failed (or the catalogue or the library could
// not be read), 2 for a usage error.

#include <algorithm>
#include <cstring>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "CaseFile.h"
#include "Capture.h"
#include "Host.h"

namespace {

using namespace smallhost;

const char kUsage[] =
    "usage: small-host --library PATH --cases DIR [--library-strings] [--group NAME]... [--verbose]\n"
    "  --library PATH     the extension library to load\n"
    "  --cases DIR        the catalogue: every DIR/*.cases\n"
    "  --library-strings  do not install the host's string allocator pair; run the groups of that set-up\n"
    "  --group NAME       run only this group (may be repeated)\n"
    "  --verbose          print each case as it runs\n";

int UsageError(const std::string& message) {
    std::cerr << "small-host: " << message << "\n" << kUsage;
    return 2;
}

std::size_t EditDistance(const std::string& a, const std::string& b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// What one case got wrong: pairs of expected and seen, one per differing item.
struct Failure {
    const Case* c;
    std::vector<std::string> lines;
};

void Differ(Failure& f, const std::string& what, const std::string& expected, const std::string& seen) {
    if (expected != seen) f.lines.push_back(what + ": expected " + expected + ", seen " + seen);
}

std::string Lines(const std::vector<std::string>& lines) {
    if (lines.empty()) return " no line";
    std::string out = ":";
    for (const auto& line : lines) out += "\n        | " + line;
    return out;
}

void RunCallCase(Host& host, const Case& c, Failure& f) {
    Host::Outcome outcome;
    Capture::Lines lines;
    {
        Capture capture;  // from before the call until its value has been printed and dropped
        outcome = host.RunCall(c.subject);
        lines = capture.Finish();
    }
    std::string expected = c.Has("value") ? "value " + c.All("value")[0] : "error " + c.All("error")[0];
    Differ(f, "result", expected, (outcome.threw ? "error " : "value ") + outcome.text);
    if (lines.out != c.All("stdout")) f.lines.push_back("stdout: expected" + Lines(c.All("stdout")) + "\n      seen" + Lines(lines.out));
    if (lines.err != c.All("stderr")) f.lines.push_back("stderr: expected" + Lines(c.All("stderr")) + "\n      seen" + Lines(lines.err));
    for (const auto& problem : outcome.problems) f.lines.push_back(problem);
}

void RunRowCase(const Host& host, const Case& c, Failure& f) {
    std::istringstream words(c.subject);
    std::size_t index = 0;
    std::string name;
    words >> index >> name;
    const auto& rows = host.Descriptor().rows;
    if (index > rows.size()) {
        f.lines.push_back("the descriptor has " + std::to_string(rows.size()) + " rows");
        return;
    }
    const Host::Row& row = rows[index - 1];
    Differ(f, "name", name, row.name);
    for (const auto& type : c.All("type")) Differ(f, "type", "'" + type + "'", "'" + row.type + "'");
    for (const auto& text : c.All("text")) Differ(f, "text", "'" + text + "'", "'" + row.text + "'");
    std::string why;
    if (!host.TypeParses(row.type, &why)) f.lines.push_back("the type string does not parse: " + why);
}

void RunLibraryCase(const Host& host, const Case& c, Failure& f) {
    const Host::Library& library = host.Descriptor();
    Differ(f, "library", c.subject, library.name);
    for (const auto& version : c.All("version")) Differ(f, "version", version, library.version);
    for (const auto& count : c.All("functions")) Differ(f, "functions", count, std::to_string(library.rows.size()));
    if (c.Has("custom-type")) {
        std::string expected, seen;
        for (const auto& name : c.All("custom-type")) expected += (expected.empty() ? "" : " ") + name;
        for (const auto& name : library.customTypes) seen += (seen.empty() ? "" : " ") + name;
        Differ(f, "custom types", expected, seen);
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::string libraryPath, casesDir;
    bool libraryStrings = false, verbose = false;
    std::vector<std::string> onlyGroups;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto operand = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        } else if (arg == "--library" || arg == "--cases" || arg == "--group") {
            const char* value = operand();
            if (!value) return UsageError(arg + " needs a value");
            (arg == "--library" ? libraryPath : arg == "--cases" ? casesDir : onlyGroups.emplace_back()) = value;
        } else if (arg == "--library-strings") {
            libraryStrings = true;
        } else if (arg == "--verbose") {
            verbose = true;
        } else {
            return UsageError("unknown argument '" + arg + "'");
        }
    }
    if (libraryPath.empty()) return UsageError("--library is required");
    if (casesDir.empty()) return UsageError("--cases is required");

    std::vector<Group> groups;
    try {
        groups = ReadCatalogue(casesDir);
    } catch (const std::exception& e) {
        std::cerr << "small-host: " << e.what() << "\n";
        return 1;
    }
    if (groups.empty()) {
        std::cerr << "small-host: " << casesDir << " holds no .cases file\n";
        return 1;
    }
    for (const auto& wanted : onlyGroups) {
        auto same = [&](const Group& g) { return g.name == wanted; };
        if (std::any_of(groups.begin(), groups.end(), same)) continue;
        const Group* best = &groups[0];
        for (const auto& g : groups)
            if (EditDistance(g.name, wanted) < EditDistance(best->name, wanted)) best = &g;
        return UsageError("no group is named '" + wanted + "'; did you mean '" + best->name + "'?");
    }

    const std::string setup = libraryStrings ? "library-strings" : "host-strings";
    int passed = 0, failed = 0;
    try {
        Host host({libraryPath, !libraryStrings});
        for (const Group& group : groups) {
            if (!onlyGroups.empty() && std::find(onlyGroups.begin(), onlyGroups.end(), group.name) == onlyGroups.end())
                continue;
            if (std::find(group.setups.begin(), group.setups.end(), setup) == group.setups.end()) {
                if (!onlyGroups.empty()) std::cout << group.name << ": not run in the " << setup << " set-up\n";
                continue;
            }
            std::vector<Failure> failures;
            for (const Case& c : group.cases) {
                if (verbose) std::cout << "  " << group.name << ":" << c.line << ": " << c.kind << ": " << c.subject << std::endl;
                Failure f{&c, {}};
                if (c.kind == "call")
                    RunCallCase(host, c, f);
                else if (c.kind == "row")
                    RunRowCase(host, c, f);
                else
                    RunLibraryCase(host, c, f);
                if (!f.lines.empty()) failures.push_back(std::move(f));
            }
            std::size_t count = group.cases.size();
            failed += static_cast<int>(failures.size());
            passed += static_cast<int>(count - failures.size());
            if (failures.empty())
                std::cout << group.name << ": passed (" << count << " cases)\n";
            else
                std::cout << group.name << ": FAILED (" << failures.size() << " of " << count << " cases failed)\n";
            for (const Failure& f : failures) {
                std::cout << "  " << group.path << ":" << f.c->line << ": " << f.c->kind << ": " << f.c->subject << "\n";
                for (const auto& line : f.lines) std::cout << "    " << line << "\n";
            }
            std::cout.flush();
        }
    } catch (const std::exception& e) {
        std::cerr << "small-host: " << e.what() << "\n";
        return 1;
    }
    std::cout << "total: " << passed << " passed, " << failed << " failed\n";
    return failed == 0 ? 0 : 1;
}
