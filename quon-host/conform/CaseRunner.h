// Runs the catalogue's cases against one loaded library, as this host carries its values.
//
// Each call case runs in a child process of its own (fork), so a host fault that crashes, leaks
// or corrupts the evaluator spoils that case alone. The child points standard output and error
// (fd 1 and 2, which the library's C++ streams write to) at temporary files, evaluates the call on
// a thread with a 64 MiB stack whose evaluator gives 1 MiB of ordinary room (so recursiveSum
// crosses the stack limit once and finishes on the extension), prints the value, drops it (a
// custom object's destruction line belongs to its case) and reports whether the evaluator's value
// stack, frames and stack limit are back where they started. Row and library cases read the
// descriptor in this process.
#pragma once

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "host/HostLibrary.h"
#include "quon-host/conform/CaseFile.h"

namespace quon_host::conform {

struct GroupResult {
    std::string name;                   // "strings", or "strings (library-strings)"
    std::size_t passed = 0, total = 0;  // cases
    std::vector<std::string> failures;  // one report per failed case, lines ending in '\n'
};

class CaseRunner {
public:
    // `verbose` writes one line per case to `log` as it runs.
    CaseRunner(const HostLibrary& library, bool verbose, std::ostream& log);
    ~CaseRunner();
    CaseRunner(const CaseRunner&) = delete;
    CaseRunner& operator=(const CaseRunner&) = delete;

    GroupResult Run(const Group& group, const std::string& name);

private:
    // What one call did.
    struct Seen {
        std::string kind;                   // "value", "error", or "ended" for a child that died
        std::string text;                   // the value, the error, or how the child ended
        std::vector<std::string> out, err;  // the lines it printed
        std::string evaluator;              // what it left wrong in the evaluator; empty when nothing
    };

    const HostLibrary& library;
    bool verbose;
    std::ostream& log;
    std::FILE* files[3];  // the child's stdout, stderr and result

    Seen Isolated(const std::string& call);
    std::string CheckCall(const Case& c);
    std::string CheckRow(const Case& c) const;
    std::string CheckLibrary(const Case& c) const;
};

// The exception in flight as a host-neutral text: what the library (or a callback) threw, as its
// what() says; the host's own message for a call the host refused. Call only inside a catch block.
std::string ThrownText();

}  // namespace quon_host::conform
