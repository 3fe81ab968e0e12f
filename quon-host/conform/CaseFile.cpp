#include "quon-host/conform/CaseFile.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "quon-host/expr/LineInput.h"

namespace quon_host::conform {

// No case needs a longer line; a longer one is not a file of cases.
constexpr std::size_t kMaxLineLength = 1 << 20;

namespace {

// Builds the cases of one file line by line.
class Reader {
public:
    explicit Reader(const std::string& path) : file(std::filesystem::path(path).filename().string()) {
        group.name = std::filesystem::path(path).stem().string();
        group.setups = {Setup::kHostStrings};
    }

    void Line(std::size_t number, std::string line) {
        here = number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find_first_not_of(" \t") == std::string::npos || line[0] == '#') return;
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos) Fail("a line without a key (key: value)");
        const std::string key = line.substr(0, colon);
        std::string value = line.substr(colon + 1);
        if (!value.empty() && value[0] == ' ') value.erase(0, 1);
        Key(key, value);
    }

    Group Finish() {
        if (current) Close();
        // A file without a case tests nothing: passing it would report success for nothing.
        if (group.cases.empty())
            throw CaseFileError(file + ": no cases (a case starts with a call:, row: or library: line)");
        return std::move(group);
    }

private:
    std::string file;
    std::size_t here = 0;
    Group group;
    std::optional<Case> current;

    [[noreturn]] void Fail(const std::string& what) const {
        throw CaseFileError(file + ":" + std::to_string(here) + ": " + what);
    }

    void Open(Case::Kind kind, const std::string& subject) {
        if (current) Close();
        if (subject.empty()) Fail("a case without a subject");
        current = Case{};
        current->kind = kind;
        current->where = file + ":" + std::to_string(here);
        current->subject = subject;
    }

    // Checks that the case just read says what it expects.
    void Close() {
        const Case& c = *current;
        const bool complete = c.kind == Case::Kind::kCall  ? c.value.has_value() != c.error.has_value()
                              : c.kind == Case::Kind::kRow ? c.type && c.text
                                                           : true;
        if (!complete) {
            here = std::stoul(c.where.substr(c.where.rfind(':') + 1));
            Fail(c.kind == Case::Kind::kCall ? "a call needs one value: or error: line"
                                             : "a row needs its type: and text: lines");
        }
        group.cases.push_back(std::move(*current));
        current.reset();
    }

    // Sets an expectation once.
    template <class T>
    void Once(std::optional<T>& field, const T& value, const std::string& key) {
        if (field) Fail("a second " + key + ": line in one case");
        field = value;
    }

    void Key(const std::string& key, const std::string& value) {
        if (key == "call") return Open(Case::Kind::kCall, value);
        if (key == "row") return Open(Case::Kind::kRow, value);
        if (key == "library") return Open(Case::Kind::kLibrary, value);
        if (key == "setups") return Setups(value);
        if (!current) Fail("'" + key + "' before the first call:, row: or library: line");
        Case& c = *current;
        const auto only = [&](Case::Kind kind) {
            if (c.kind != kind) Fail("'" + key + "' does not belong to this kind of case");
        };
        if (key == "value" || key == "error" || key == "stdout" || key == "stderr") only(Case::Kind::kCall);
        if (key == "type" || key == "text") only(Case::Kind::kRow);
        if (key == "version" || key == "functions" || key == "custom-type") only(Case::Kind::kLibrary);

        if (key == "value") return Once(c.value, value, key);
        if (key == "error") return Once(c.error, value, key);
        if (key == "stdout") return c.out.push_back(value);
        if (key == "stderr") return c.err.push_back(value);
        if (key == "type") return Once(c.type, value, key);
        if (key == "text") return Once(c.text, value, key);
        if (key == "version") return Once(c.version, value, key);
        if (key == "custom-type") return c.customTypes.push_back(value);
        if (key == "functions") {
            if (value.empty() || value.size() > 9 || value.find_first_not_of("0123456789") != std::string::npos)
                Fail("functions: takes a count (at most 999999999)");
            return Once(c.functions, static_cast<std::size_t>(std::stoull(value)), key);
        }
        Fail("unknown key '" + key + "'");
    }

    void Setups(const std::string& value) {
        if (current || !group.cases.empty()) Fail("setups: belongs before the first case");
        group.setups.clear();
        std::size_t start = 0;
        while ((start = value.find_first_not_of(' ', start)) != std::string::npos) {
            const std::size_t end = std::min(value.find(' ', start), value.size());
            const std::string word = value.substr(start, end - start);
            if (word == SetupName(Setup::kHostStrings))
                group.setups.push_back(Setup::kHostStrings);
            else if (word == SetupName(Setup::kLibraryStrings))
                group.setups.push_back(Setup::kLibraryStrings);
            else
                Fail("unknown set-up '" + word + "' (host-strings, library-strings)");
            start = end;
        }
        if (group.setups.empty()) Fail("setups: names no set-up");
    }
};

}  // namespace

const char* SetupName(Setup setup) {
    return setup == Setup::kHostStrings ? "host-strings" : "library-strings";
}

Group ReadGroup(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw CaseFileError(path + ": cannot read the file");
    Reader reader(path);
    std::string line;
    for (std::size_t number = 1;; ++number) {
        const expr::LineRead read = expr::ReadLine(in, line, kMaxLineLength);
        if (read == expr::LineRead::kEnd) break;
        if (read == expr::LineRead::kTooLong)
            throw CaseFileError(path + ":" + std::to_string(number) + ": a line longer than " +
                                std::to_string(kMaxLineLength) + " bytes");
        reader.Line(number, line);
    }
    return reader.Finish();
}

std::vector<Group> ReadCatalogue(const std::string& folder) {
    std::vector<std::string> paths;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        if (entry.path().extension() == ".cases") {
            if (!entry.is_regular_file()) throw CaseFileError(entry.path().string() + ": not a file of cases");
            paths.push_back(entry.path().string());
        }
    if (error) throw CaseFileError(folder + ": cannot read the folder: " + error.message());
    if (paths.empty()) throw CaseFileError(folder + ": no .cases files");
    std::sort(paths.begin(), paths.end());
    std::vector<Group> groups;
    for (const std::string& path : paths) groups.push_back(ReadGroup(path));
    return groups;
}

}  // namespace quon_host::conform
