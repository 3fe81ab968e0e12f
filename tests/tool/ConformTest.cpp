// quon-host conform: the conformance catalogue passes for the sound host and fails for each fault
// planted in the test build of the host (quon-host-faulty, host/HostFaults.h), in the groups whose
// mechanism the fault breaks.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Invariant.h"
#include "tests/tool/ToolRun.h"

namespace {

using tool_tests::RunTool;
using tool_tests::ToolRun;

// quon-host-faulty conform with QUON_HOST_FAULT set to `fault` (empty: none).
ToolRun RunFaulty(const std::string& fault, const std::vector<std::string>& arguments = {"conform"}) {
    return RunTool(arguments, "", "", "QUON_HOST_FAULT=" + tool_tests::ShellQuoted(fault),
                   QUON_FAULTY_HOST_PATH);
}

// The groups a run reports as FAILED ("callbacks: FAILED (...)").
std::set<std::string> FailedGroups(const std::string& out) {
    std::set<std::string> groups;
    for (std::size_t start = 0, end; (end = out.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = out.substr(start, end - start);
        const std::size_t mark = line.find(": FAILED (");
        if (mark != std::string::npos && line[0] != ' ') groups.insert(line.substr(0, mark));
    }
    return groups;
}

TEST(Conformance, TheSoundHostPassesEveryGroup) {
    const ToolRun run = RunTool({"conform"});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(FailedGroups(run.out), std::set<std::string>{});
    for (const char* group : {"scalars", "strings", "strings (library-strings)", "arrays", "records",
                              "custom", "callbacks", "recursion", "hazards", "metadata", "descriptor"})
        EXPECT_NE(("\n" + run.out).find("\n" + std::string(group) + ": passed ("), std::string::npos)
            << group;

    const ToolRun faultless = RunFaulty("");
    EXPECT_EQ(faultless.status, 0) << "the test build without a fault is the sound host\n" << faultless.out;
}

// One planted fault of tests/tool/host-faults.txt: the groups it fails against each build of the
// library, and the host fault the checked build names.
struct PlantedFault {
    std::string name;
    std::set<std::string> release, checked;
    std::string message;  // empty: none
};

std::vector<PlantedFault> ReadPlantedFaults() {
    const auto trim = [](std::string text) {
        text.erase(0, text.find_first_not_of(' '));
        text.erase(text.find_last_not_of(' ') + 1);
        return text;
    };
    const auto groups = [&](const std::string& list) {
        std::set<std::string> names;
        std::stringstream items(list);
        for (std::string item; std::getline(items, item, ',');)
            if (trim(item) != "-") names.insert(trim(item));
        return names;
    };
    std::vector<PlantedFault> faults;
    std::ifstream file(QUON_TESTS_SOURCE_DIR "/tool/host-faults.txt");
    for (std::string line; std::getline(file, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> fields;
        std::stringstream parts(line);
        for (std::string field; std::getline(parts, field, '|');) fields.push_back(trim(field));
        if (fields.size() != 4) ADD_FAILURE() << "host-faults.txt: four fields: " << line;
        if (fields.size() != 4) continue;
        faults.push_back({fields[0], groups(fields[1]), groups(fields[2]), fields[3] == "-" ? "" : fields[3]});
    }
    return faults;
}

TEST(Conformance, EachPlantedHostFaultFailsTheGroupsOfItsMechanism) {
#if defined(QUON_TSAN)
    GTEST_SKIP() << "thousands of child hosts under ThreadSanitizer; the faults are not about threads";
#endif
    const std::vector<PlantedFault> faults = ReadPlantedFaults();
    ASSERT_EQ(faults.size(), 17u) << "tests/tool/host-faults.txt";
    for (const PlantedFault& fault : faults) {
#if QUON_CHECK_INVARIANTS
        // A debug or sanitizer build of the library checks its host as invariants: the faults the
        // release library passes over stop it there.
        if (fault.release.empty()) continue;
#endif
        const ToolRun run = RunFaulty(fault.name);
        EXPECT_EQ(run.status, fault.release.empty() ? 0 : 1) << fault.name;
        EXPECT_EQ(FailedGroups(run.out), fault.release) << fault.name << "\n" << run.out.substr(0, 4000);
        EXPECT_EQ(run.out.find("host fault:"), std::string::npos) << fault.name << ": the release library checks nothing";
    }
}

TEST(Conformance, TheCheckedLibraryNamesWhatTheHostDidWrong) {
#if !defined(QUON_CHECKED_LIBRARY_PATH)
    GTEST_SKIP() << "no checked build of the library in sanitizer builds";
#else
    const ToolRun sound = RunTool({"conform", "--checked"});
    EXPECT_EQ(sound.status, 0) << sound.out << sound.err;
    EXPECT_NE(sound.out.find("conformance: 217 of 217 cases passed"), std::string::npos) << sound.out;

    for (const PlantedFault& fault : ReadPlantedFaults()) {
        const ToolRun run = RunFaulty(fault.name, {"conform", "--checked"});
        EXPECT_EQ(run.status, 1) << fault.name;
        EXPECT_EQ(FailedGroups(run.out), fault.checked) << fault.name << "\n" << run.out.substr(0, 4000);
        if (!fault.message.empty()) {
            EXPECT_NE(run.out.find("host fault: " + fault.message), std::string::npos)
                << fault.name << "\n" << run.out.substr(0, 4000);
        }
    }

    // A library with no checked build beside it is refused, naming the file looked for.
    const ToolRun missing = RunTool({"conform", "--checked", "--library", "/nonexistent/libX.so"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("no checked build of /nonexistent/libX.so: /nonexistent/libXChecked.so is not there"),
              std::string::npos)
        << missing.err;
#endif
}

TEST(Conformance, TheNormalHostHoldsNoPlantedFault) {
    const auto holds = [](const char* path, const std::string& text) {
        std::ostringstream bytes;
        bytes << std::ifstream(path, std::ios::binary).rdbuf();
        return bytes.str().find(text) != std::string::npos;
    };
    EXPECT_TRUE(holds(QUON_FAULTY_HOST_PATH, "QUON_HOST_FAULT"));
    EXPECT_FALSE(holds(QUON_HOST_PATH, "QUON_HOST_FAULT"));
    EXPECT_FALSE(holds(QUON_HOST_PATH, "record-names-copied"));
}

TEST(Conformance, GroupsCasesAndCatalogueFilesAreChecked) {
    const ToolRun one = RunTool({"conform", "--group", "records", "--verbose"});
    EXPECT_EQ(one.status, 0) << one.err;
    EXPECT_NE(one.out.find("  ok    records.cases:"), std::string::npos) << one.out;
    EXPECT_EQ(one.out.find("scalars"), std::string::npos) << "one group only";

    const ToolRun unknown = RunTool({"conform", "--group", "record"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("no group 'record' in the catalogue; did you mean 'records'?"),
              std::string::npos)
        << unknown.err;

    // A case that fails reports what it expected and what it saw; a malformed file names its line.
    const std::string folder = ::testing::TempDir() + "quon-conform-" + std::to_string(::getpid());
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/mine.cases") << "# mine\ncall: maxint(1, 2)\nvalue: 1\nstdout: a line\n";
    const ToolRun failing = RunTool({"conform", "--cases", folder});
    EXPECT_EQ(failing.status, 1);
    EXPECT_NE(failing.out.find(
                  "mine: FAILED (1 of 1 cases failed)\n  mine.cases:2: maxint(1, 2)\n"
                  "    expected value: 1\n    seen     value: 2\n    expected stdout:\n      a line\n"
                  "    seen stdout:\n      (no lines)\n"),
              std::string::npos)
        << failing.out;
    std::ofstream(folder + "/mine.cases") << "call: maxint(1, 2)\nvalue: 2\nerror: x\n";
    const ToolRun malformed = RunTool({"conform", "--cases", folder});
    EXPECT_EQ(malformed.status, 1);
    EXPECT_EQ(malformed.err, "quon-host: error: mine.cases:1: a call needs one value: or error: line\n");
    // Nothing tested is no success: a file without cases, a folder named like a file of cases, a
    // count too large to read.
    const std::vector<std::pair<std::string, std::string>> empty = {
        {"# only a comment\n", "mine.cases: no cases"},
        {"library: TestExternalLibrary\nfunctions: 99999999999999999999999\n",
         "mine.cases:2: functions: takes a count (at most 999999999)"}};
    for (const auto& [text, message] : empty) {
        std::ofstream(folder + "/mine.cases") << text;
        const ToolRun run = RunTool({"conform", "--cases", folder});
        EXPECT_EQ(run.status, 1) << text;
        EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
    }
    std::filesystem::remove(folder + "/mine.cases");
    std::filesystem::create_directories(folder + "/mine.cases");
    const ToolRun folderCase = RunTool({"conform", "--cases", folder});
    EXPECT_EQ(folderCase.status, 1);
    EXPECT_NE(folderCase.err.find("mine.cases: not a file of cases"), std::string::npos) << folderCase.err;
    std::filesystem::remove_all(folder);
}

}  // namespace
