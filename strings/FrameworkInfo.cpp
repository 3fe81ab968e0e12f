#include "strings/FrameworkInfo.h"

#include "QuonVersion.h"
#include "platform/LoadOrder.h"

namespace zul {

FrameworkInfo::FrameworkInfo() : version(build::kMajor, build::kMinor, build::kPatch, build::kBuild) {}

FrameworkInfo& FrameworkInfo::Instance() {
    static FrameworkInfo info;
    return info;
}

void FrameworkInfo::Record(const std::string& key, const std::string& value) {
    std::lock_guard<std::mutex> guard(mutex);
    values[key].insert(value);
    auto [entry, first] = texts.try_emplace(key, value);
    if (!first) entry->second += ", " + value;
}

std::set<std::string> FrameworkInfo::GetValues(const std::string& key) const {
    std::lock_guard<std::mutex> guard(mutex);
    auto found = values.find(key);
    return found != values.end() ? found->second : std::set<std::string>();
}

std::string FrameworkInfo::GetText(const std::string& key) const {
    std::lock_guard<std::mutex> guard(mutex);
    auto found = texts.find(key);
    return found != texts.end() ? found->second : std::string();
}

namespace {
// Announces at load that this module's strings come from the string pool.
struct StringPoolOption {
    StringPoolOption() { FrameworkInfo::Instance().Record("option", "zulStringPool"); }
};
__attribute__((init_priority(QUON_LOAD_ORDER_FRAMEWORK_INFO))) StringPoolOption stringPoolOption;
}  // namespace

}  // namespace zul
