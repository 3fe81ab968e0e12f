#include "quon-host/Tool.h"

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <map>

#include "host/ClosestName.h"

namespace quon_host {

namespace {

// CLI11's usage line with the words a subcommand takes unparsed (call, eval, repl read their own).
class UsageFormatter : public CLI::Formatter {
public:
    std::map<const CLI::App*, std::string> positionals;

    std::string make_usage(const CLI::App* app, std::string name) const override {
        std::string usage = CLI::Formatter::make_usage(app, std::move(name));
        if (const auto found = positionals.find(app); found != positionals.end())
            usage.insert(usage.find_last_not_of('\n') + 1, " " + found->second);
        return usage;
    }
};

std::shared_ptr<UsageFormatter> TheFormatter() {
    static const auto formatter = std::make_shared<UsageFormatter>();
    return formatter;
}

// The whole text as a number, or NaN when it is not one.
double ParseNumber(const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    return text.empty() || end != text.c_str() + text.size() ? std::nan("") : value;
}

}  // namespace

const HostLibrary& Tool::Library() {
    if (library == nullptr)
        library = std::make_unique<HostLibrary>(libraryPath.empty() ? DefaultLibraryPath() : libraryPath,
                                                HostLibrary::Strings::kHostPool);
    return *library;
}

void Tool::AddLibraryOption(CLI::App* command) {
    command->add_option("--library", libraryPath, "The extension library (default: the built library)");
}

void SetUsage(CLI::App* command, const std::string& positionals, const std::string& examples) {
    if (!positionals.empty()) {
        TheFormatter()->positionals[command] = positionals;
        command->formatter(TheFormatter());
    }
    if (!examples.empty()) command->footer("Examples:\n" + examples);
}

CLI::Validator NumberIn(double min, double max) {
    return CLI::Validator(
        [min, max](const std::string& text) {
            const double value = ParseNumber(text);
            if (std::isnan(value)) return "not a number: " + text;
            if (value < min || value > max)
                return text + " is not in the range " + CLI::detail::to_string(min) + " to " +
                       CLI::detail::to_string(max);
            return std::string();
        },
        "NUMBER in [" + CLI::detail::to_string(min) + " - " + CLI::detail::to_string(max) + "]");
}

CLI::Validator UnsignedWord() {
    return CLI::Validator(
        [](const std::string& text) {
            const bool digits = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
            if (!digits) return text + " is not a whole number from 0 to 18446744073709551615";
            // Longer than the largest, or as long and above it (compared as text).
            const std::string largest = "18446744073709551615";
            const std::string trimmed = text.substr(std::min(text.find_first_not_of('0'), text.size() - 1));
            if (trimmed.size() > largest.size() || (trimmed.size() == largest.size() && trimmed > largest))
                return text + " does not fit 64 bits (the largest seed is 18446744073709551615)";
            return std::string();
        },
        "UINT64");
}

CLI::Validator FiniteNumber() {
    return CLI::Validator(
        [](const std::string& text) {
            const double value = ParseNumber(text);
            if (std::isnan(value)) return "not a number: " + text;
            return std::isfinite(value) ? std::string() : "not a finite number: " + text;
        },
        "NUMBER");
}

CLI::Validator PositiveNumber() {
    return CLI::Validator(
        [](const std::string& text) {
            const double value = ParseNumber(text);
            if (std::isnan(value)) return "not a number: " + text;
            return std::isfinite(value) && value > 0 ? std::string() : "not a positive number: " + text;
        },
        "NUMBER > 0");
}

std::string SubcommandHint(const CLI::App& app, const std::string& word) {
    std::vector<std::string_view> names;
    for (const CLI::App* command : app.get_subcommands({})) names.push_back(command->get_name());
    const std::string closest = ClosestName(word, names);
    return closest.empty() ? "" : "; did you mean '" + closest + "'?";
}

bool StandardOutputIsTerminal() {
    return ::isatty(STDOUT_FILENO) == 1;
}

bool StandardInputIsTerminal() {
    return ::isatty(STDIN_FILENO) == 1;
}

}  // namespace quon_host
