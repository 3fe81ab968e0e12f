// The loaded extension library as the catalogue runner sees it: its descriptor, and calls of
// expressions that reach its rows.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace smallhost {

class Host {
public:
    struct Options {
        std::string libraryPath;
        bool installStringPair = true;  // false: the library keeps its own string pool
    };
    struct Row {
        std::string name, type, text;
    };
    struct Library {
        std::string name, version;
        std::vector<std::string> customTypes;
        std::vector<Row> rows;
    };
    // How a call ended: its printed value or the exception's text, and what the evaluator's state
    // showed afterwards when it was not back where it started.
    struct Outcome {
        bool threw = false;
        std::string text;
        std::vector<std::string> problems;
    };

    // Loads and binds the library and reads its descriptor; throws std::runtime_error on failure.
    explicit Host(const Options& options);
    // Releases what the host holds of the library, then ReleaseLibrary and dlclose.
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    const Library& Descriptor() const;
    bool TypeParses(const std::string& text, std::string* why) const;
    // Evaluates the expression on a case thread of its own with a fresh evaluator, prints the value
    // and drops it before returning.
    Outcome RunCall(const std::string& expression);

    struct Impl;

private:
    std::unique_ptr<Impl> impl;
};

}  // namespace smallhost
