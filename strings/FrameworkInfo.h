// The module-wide record of the support framework: its version and the options recorded
// while the module loads (for example "option" -> "zulStringPool").
#pragma once

#include <map>
#include <mutex>
#include <set>
#include <string>

#include "strings/VersionInfo.h"

namespace zul {

class FrameworkInfo {
public:
    // The record, made on first use with the framework's version ("0.6.12 (26072)" for 0.6.12.26072).
    static FrameworkInfo& Instance();

    // Adds `value` to the values of `key` and to its joined text ("a, b, c", in the order added).
    void Record(const std::string& key, const std::string& value);

    const VersionInfo& GetVersion() const { return version; }
    std::set<std::string> GetValues(const std::string& key) const;  // empty if never recorded
    std::string GetText(const std::string& key) const;              // empty if never recorded

    FrameworkInfo(const FrameworkInfo&) = delete;
    FrameworkInfo& operator=(const FrameworkInfo&) = delete;

private:
    FrameworkInfo();

    VersionInfo version;                                  // the framework's version
    std::map<std::string, std::set<std::string>> values;  // key -> every value recorded under it
    std::map<std::string, std::string> texts;             // key -> its values joined with ", "
    std::string firstText;                                // reserved text, starts empty
    std::string secondText;                               // reserved text, starts empty
    mutable std::mutex mutex;                             // guards values and texts
};

}  // namespace zul
