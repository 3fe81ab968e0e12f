#include "quon-host/Tool.h"

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>

#include "host/ClosestName.h"

namespace quon_host {

namespace {

// The terminal's width for help texts: standard output's, else $COLUMNS, else 80.
std::size_t HelpWidth() {
    if (const auto terminal = TerminalSizeOf(STDOUT_FILENO); terminal && terminal->columns >= 20)
        return static_cast<std::size_t>(terminal->columns);
    if (const char* columns = std::getenv("COLUMNS"); columns != nullptr && std::atoi(columns) >= 20)
        return static_cast<std::size_t>(std::atoi(columns));
    return 80;
}

// The text's paragraphs wrapped at word ends to `width` columns; lines that start with a blank
// (examples, tables) are kept as they are.
std::string Wrapped(const std::string& text, std::size_t width) {
    std::string out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line[0] == ' ') {
            out += line;
        } else {
            while (line.size() > width) {
                std::size_t cut = line.rfind(' ', width);
                if (cut == std::string::npos || cut == 0) cut = line.find(' ', width);
                if (cut == std::string::npos) break;
                out += line.substr(0, cut) + "\n";
                line.erase(0, line.find_first_not_of(' ', cut));
            }
            out += line;
        }
        if (end < text.size()) out += "\n";
        start = end + 1;
    }
    return out;
}

// CLI11's help with the words a subcommand takes unparsed (call, eval, repl read their own) in its
// usage line, and every text wrapped at word ends to the terminal's width.
class UsageFormatter : public CLI::Formatter {
public:
    std::map<const CLI::App*, std::string> positionals;

    std::string make_usage(const CLI::App* app, std::string name) const override {
        std::string usage = CLI::Formatter::make_usage(app, std::move(name));
        if (const auto found = positionals.find(app); found != positionals.end())
            usage.insert(usage.find_last_not_of('\n') + 1, " " + found->second);
        return usage;
    }
    std::string make_option_desc(const CLI::Option* option) const override {
        return Wrapped(CLI::Formatter::make_option_desc(option), DescriptionWidth());
    }
    std::string make_subcommand(const CLI::App* command) const override {
        std::stringstream out;
        CLI::detail::format_help(out, command->get_display_name(true),
                                 Wrapped(command->get_description(), DescriptionWidth()), column_width_);
        return out.str();
    }
    std::string make_description(const CLI::App* app) const override {
        return Wrapped(CLI::Formatter::make_description(app), HelpWidth() - 1);
    }
    std::string make_footer(const CLI::App* app) const override {
        return Wrapped(CLI::Formatter::make_footer(app), HelpWidth() - 1);
    }

private:
    std::size_t DescriptionWidth() const {
        const std::size_t width = HelpWidth();
        return width > column_width_ + 20 ? width - column_width_ - 1 : 20;
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
    if (library == nullptr) library = std::make_unique<HostLibrary>(LibraryFile(), HostLibrary::Strings::kHostPool);
    return *library;
}

std::string Tool::LibraryFile() const {
    if (libraryPath.empty()) return DefaultLibraryPath();
    if (libraryPath.find('/') == std::string::npos && ::access(libraryPath.c_str(), F_OK) == 0)
        return "./" + libraryPath;
    return libraryPath;
}

void Tool::AddLibraryOption(CLI::App* command) {
    command->add_option("--library", libraryPath, "The extension library (default: the built library)");
}

std::shared_ptr<CLI::Formatter> ToolFormatter() {
    return TheFormatter();
}

void SetUsage(CLI::App* command, const std::string& positionals, const std::string& examples) {
    if (!positionals.empty()) TheFormatter()->positionals[command] = positionals;
    command->formatter(TheFormatter());
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
