// The conformance catalogue: plain text files (conformance/*.cases), one group per file, named
// after the file. A file is a header comment, optional file settings, then cases:
//
//   # Scalars: what a host must do right for these cases to pass.   (# starts a comment line)
//   setups: host-strings library-strings     (which string allocator set-ups run the group)
//
//   call: simple(4294967297, 2, -3)          a call, written as the eval expression language does
//   value: 117                               the value, printed as an eval literal, or
//   error: Empty array element requested! [err 2022]   the library's message with its tag
//   stdout: 0 : 5                            each line the call prints on standard output, in order
//   stderr: *** Constructed TestType : 7     each line on standard error (none: it prints nothing)
//
//   row: 13 maxint                           the descriptor's row 13 is maxint,
//   type: ( Int * Int -> Int )               publishes exactly this type string, which parses,
//   text: maxint desc...                     and this description
//
//   library: TestExternalLibrary             the descriptor names the library so,
//   version: 0.6.5 (abc)                     with this full version text,
//   functions: 45                            this many rows
//   custom-type: TestType                    and these custom types, in order
//
// A key is the word before a line's first ':'; its value is the rest of the line after one blank.
// A case runs from its first key (call, row or library) to the next one; blank lines are ignored.
#pragma once

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace quon_host::conform {

class CaseFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;  // "file:line: what is wrong"
};

struct Case {
    enum class Kind { kCall, kRow, kLibrary };
    Kind kind = Kind::kCall;
    std::string where;    // "scalars.cases:12", for reports
    std::string subject;  // the call's expression, "13 maxint" for a row, the library's name

    std::optional<std::string> value;       // call: the printed value expected
    std::optional<std::string> error;       // call: the error text expected
    std::vector<std::string> out, err;      // call: the lines expected on stdout and stderr
    std::optional<std::string> type, text;  // row: type string and description
    std::optional<std::string> version;     // library: full version text
    std::optional<std::size_t> functions;   // library: row count
    std::vector<std::string> customTypes;   // library: custom type names, in order
};

enum class Setup { kHostStrings, kLibraryStrings };

struct Group {
    std::string name;           // the file's name without ".cases"
    std::vector<Setup> setups;  // host-strings unless the file says otherwise
    std::vector<Case> cases;
};

// Reads one file; throws CaseFileError for a file that cannot be read or breaks the format.
Group ReadGroup(const std::string& path);
// Reads every *.cases file of `folder`, in name order; throws CaseFileError when there is none.
std::vector<Group> ReadCatalogue(const std::string& folder);

const char* SetupName(Setup setup);  // "host-strings", "library-strings"

}  // namespace quon_host::conform
