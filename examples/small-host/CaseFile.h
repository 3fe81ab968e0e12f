// The catalogue's files: one group per DIR/NAME.cases, a list of cases of `key: value` lines.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace smallhost {

struct Case {
    int line = 0;         // where the case starts
    std::string kind;     // "call", "row" or "library"
    std::string subject;  // the expression, "13 maxint" or the library's name
    std::vector<std::pair<std::string, std::string>> keys;  // the case's other lines, in order

    // Every value given for `key`, in order.
    std::vector<std::string> All(const std::string& key) const;
    bool Has(const std::string& key) const { return !All(key).empty(); }
};

struct Group {
    std::string name;
    std::string path;
    std::vector<std::string> setups{"host-strings"};
    std::vector<Case> cases;
};

struct MalformedFile : std::runtime_error {
    using std::runtime_error::runtime_error;
};

Group ReadGroup(const std::string& path);
// Every DIR/*.cases, in name order.
std::vector<Group> ReadCatalogue(const std::string& dir);

}  // namespace smallhost
