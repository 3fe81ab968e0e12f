#include "CaseFile.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace smallhost {

std::vector<std::string> Case::All(const std::string& key) const {
    std::vector<std::string> values;
    for (const auto& [k, v] : keys)
        if (k == key) values.push_back(v);
    return values;
}

Group ReadGroup(const std::string& path) {
    static const std::set<std::string> kCallKeys{"value", "error", "stdout", "stderr"};
    static const std::set<std::string> kRowKeys{"type", "text"};
    static const std::set<std::string> kLibraryKeys{"version", "functions", "custom-type"};

    std::ifstream in(path, std::ios::binary);
    if (!in) throw MalformedFile(path + ": cannot be read");
    Group group;
    group.path = path;
    group.name = std::filesystem::path(path).stem().string();
    bool sawSetups = false;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        auto fail = [&](const std::string& what) {
            throw MalformedFile(path + ":" + std::to_string(number) + ": " + what);
        };
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        std::size_t colon = line.find(':');
        if (colon == std::string::npos || colon == 0) fail("not a 'key: value' line");
        std::string key = line.substr(0, colon);
        std::string value = line.substr(colon + 1);
        if (!value.empty()) {
            if (value[0] != ' ') fail("no blank after '" + key + ":'");
            value.erase(0, 1);
        }
        if (key == "setups") {
            if (sawSetups || !group.cases.empty()) fail("'setups:' must come once, before the first case");
            sawSetups = true;
            std::istringstream words(value);
            group.setups.clear();
            for (std::string word; words >> word;) {
                if (word != "host-strings" && word != "library-strings") fail("unknown set-up '" + word + "'");
                group.setups.push_back(word);
            }
        } else if (key == "call" || key == "row" || key == "library") {
            Case next;
            next.line = number;
            next.kind = key;
            next.subject = value;
            if (key == "row") {
                std::istringstream words(value);
                int index = 0;
                std::string name, rest;
                if (!(words >> index >> name) || index < 1 || (words >> rest)) fail("'row:' takes a position and a name");
            }
            group.cases.push_back(std::move(next));
        } else {
            if (group.cases.empty()) fail("'" + key + ":' before the first case");
            Case& current = group.cases.back();
            const auto& allowed =
                current.kind == "call" ? kCallKeys : current.kind == "row" ? kRowKeys : kLibraryKeys;
            if (!allowed.count(key)) fail("'" + key + ":' does not belong to a '" + current.kind + ":' case");
            if (key != "stdout" && key != "stderr" && key != "custom-type" && current.Has(key))
                fail("'" + key + ":' given twice");
            current.keys.emplace_back(key, value);
        }
    }
    for (const Case& c : group.cases)
        if (c.kind == "call" && c.Has("value") == c.Has("error"))
            throw MalformedFile(path + ":" + std::to_string(c.line) + ": a call case needs 'value:' or 'error:'");
    return group;
}

std::vector<Group> ReadCatalogue(const std::string& dir) {
    std::vector<std::string> paths;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(dir, error))
        if (entry.path().extension() == ".cases") paths.push_back(entry.path().string());
    if (error) throw MalformedFile(dir + ": " + error.message());
    std::sort(paths.begin(), paths.end());
    std::vector<Group> groups;
    for (const auto& path : paths) groups.push_back(ReadGroup(path));
    return groups;
}

}  // namespace smallhost
