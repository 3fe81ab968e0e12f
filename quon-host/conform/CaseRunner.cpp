#include "quon-host/conform/CaseRunner.h"

#include <pthread.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <stdexcept>
#include <vector>

#include "host/HostEvaluator.h"
#include "hostabi/HostThreadWords.h"
#include "quon-host/expr/ExprEvaluator.h"

namespace quon_host::conform {

namespace {

#if defined(QUON_SANITIZE) || defined(QUON_TSAN)
// A sanitizer's frames are several times larger and its code slower: the deepest recursion case
// needs a larger extension reserve, and every case more time.
constexpr std::size_t kThreadStack = 256u << 20;
constexpr unsigned kCaseSeconds = 60;
#else
constexpr std::size_t kThreadStack = 64u << 20;  // the evaluating thread's stack
constexpr unsigned kCaseSeconds = 10;            // a case that hangs is ended by SIGALRM
// A case that asks for memory without end (a host that hands a function a wrong count, say)
// fails with bad_alloc instead of taking the machine's memory.
constexpr rlim_t kCaseAddressSpace = rlim_t{4} << 30;
#endif
constexpr std::size_t kOrdinaryRoom = 1u << 20;  // the thread's room below the evaluator, before the limit

// The calling thread's evaluator and stack limit, to compare before and after a case.
struct EvaluatorState {
    std::size_t depth;                // cells on the value stack
    std::ptrdiff_t base, limit;       // frame base and limit, from the stack's begin
    std::vector<std::uint8_t> sizes;  // the byte stack of frame sizes
    void* stackLimit;                 // the per-thread stack-limit word

    static EvaluatorState Now() {
        const QUON_Evaluator::Evaluator& e = *CurrentEvaluator();
        return {e.Depth(), e.frameBase - e.stack.begin, e.frameLimit - e.stack.begin, e.frameSizes,
                quonHostThreadWords.stackLimit};
    }
};

// What a case left otherwise than it found it; empty when nothing.
std::string Differences(const EvaluatorState& before, const EvaluatorState& after) {
    std::vector<std::string> found;
    if (after.depth != before.depth)
        found.push_back("the value stack holds " + std::to_string(after.depth) + " cells, not " +
                        std::to_string(before.depth));
    if (after.base != before.base || after.limit != before.limit || after.sizes != before.sizes)
        found.push_back("the call frames are not as they were");
    if (after.stackLimit != before.stackLimit) found.push_back("the stack limit was not restored");
    std::string text;
    for (const std::string& difference : found) text += (text.empty() ? "" : "; ") + difference;
    return text;
}

// One call evaluated in the child, on the thread ChildThread runs.
struct ChildCall {
    const HostLibrary* library;
    const std::string* call;
    std::string result;  // "kind\ntext\nevaluator\n"
};

void* ChildThread(void* argument) {
    ChildCall& work = *static_cast<ChildCall*>(argument);
    const EvaluatorScope scope(kOrdinaryRoom);
    const EvaluatorState before = EvaluatorState::Now();
    std::string kind = "value", text;
    try {
        expr::ExprEvaluator evaluator(*work.library);
        const Value value = evaluator.Evaluate(*work.call);
        text = value.Text();
    } catch (...) {
        kind = "error";
        text = ThrownText();
    }
    const std::string evaluator = Differences(before, EvaluatorState::Now());
    work.result = kind + "\n" + text + "\n" + evaluator + "\n";
    return nullptr;
}

// Runs the call in the (forked) child and ends the child; never returns.
[[noreturn]] void RunChild(const HostLibrary& library, const std::string& call, int out, int err,
                           int result) {
    ::alarm(kCaseSeconds);
#if !defined(QUON_SANITIZE) && !defined(QUON_TSAN)  // their shadow memory is address space too
    const rlimit space{kCaseAddressSpace, kCaseAddressSpace};
    ::setrlimit(RLIMIT_AS, &space);
#endif
    ::dup2(out, STDOUT_FILENO);
    ::dup2(err, STDERR_FILENO);
    ChildCall work{&library, &call, "ended\nthe evaluating thread could not start\n\n"};
    pthread_attr_t attributes;
    pthread_t thread;
    if (pthread_attr_init(&attributes) == 0 && pthread_attr_setstacksize(&attributes, kThreadStack) == 0 &&
        pthread_create(&thread, &attributes, &ChildThread, &work) == 0)
        pthread_join(thread, nullptr);
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    const bool written =
        ::write(result, work.result.data(), work.result.size()) == static_cast<ssize_t>(work.result.size());
    ::_exit(written ? 0 : 3);
}

// The whole content of a temporary file.
std::string Content(std::FILE* file) {
    std::string text;
    char buffer[4096];
    for (off_t at = 0;;) {
        const ssize_t n = ::pread(fileno(file), buffer, sizeof buffer, at);
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
        at += n;
    }
    return text;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

std::string Listed(const std::vector<std::string>& lines) {
    if (lines.empty()) return "      (no lines)\n";
    std::string text;
    for (const std::string& line : lines) text += "      " + line + "\n";
    return text;
}

std::string Compared(const std::string& what, const std::string& expected, const std::string& seen) {
    return "    expected " + what + ": " + expected + "\n    seen     " + seen + "\n";
}

}  // namespace

std::string ThrownText() {
    try {
        throw;
    } catch (const expr::RowError& error) {
        return error.thrown;
    } catch (...) {
        return expr::FailureText();
    }
}

CaseRunner::CaseRunner(const HostLibrary& library, bool verbose, std::ostream& log)
    : library(library), verbose(verbose), log(log), files{} {
    for (std::FILE*& file : files)
        if ((file = std::tmpfile()) == nullptr)
            throw std::runtime_error(std::string("cannot make a temporary file: ") + std::strerror(errno));
}

CaseRunner::~CaseRunner() {
    for (std::FILE* file : files)
        if (file != nullptr) std::fclose(file);
}

CaseRunner::Seen CaseRunner::Isolated(const std::string& call) {
    for (std::FILE* file : files)
        if (::ftruncate(fileno(file), 0) != 0 || ::lseek(fileno(file), 0, SEEK_SET) != 0)
            throw std::runtime_error(std::string("cannot reuse a temporary file: ") + std::strerror(errno));
    std::cout.flush();
    std::cerr.flush();
    log.flush();
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0) throw std::runtime_error(std::string("cannot start a case: ") + std::strerror(errno));
    if (child == 0) RunChild(library, call, fileno(files[0]), fileno(files[1]), fileno(files[2]));
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    Seen seen;
    seen.out = Lines(Content(files[0]));
    seen.err = Lines(Content(files[1]));
    const std::vector<std::string> result = Lines(Content(files[2]));
    if (WIFSIGNALED(status)) {
        seen.kind = "ended";
        seen.text = "the case ended by signal " + std::to_string(WTERMSIG(status)) + " (" +
                    strsignal(WTERMSIG(status)) + ")";
    } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || result.size() < 2) {
        seen.kind = "ended";
        seen.text = "the case exited with status " + std::to_string(WEXITSTATUS(status));
    } else {
        seen.kind = result[0];
        seen.text = result[1];
        if (result.size() > 2) seen.evaluator = result[2];
    }
    return seen;
}

std::string CaseRunner::CheckCall(const Case& c) {
    const Seen seen = Isolated(c.subject);
    std::string problems;
    const std::string expectedKind = c.value ? "value" : "error";
    const std::string& expected = c.value ? *c.value : *c.error;
    if (seen.kind != expectedKind || seen.text != expected)
        problems += Compared(expectedKind, expected, seen.kind + ": " + seen.text);
    if (seen.out != c.out)
        problems += "    expected stdout:\n" + Listed(c.out) + "    seen stdout:\n" + Listed(seen.out);
    if (seen.err != c.err)
        problems += "    expected stderr:\n" + Listed(c.err) + "    seen stderr:\n" + Listed(seen.err);
    if (!seen.evaluator.empty()) problems += "    after the call " + seen.evaluator + "\n";
    return problems;
}

std::string CaseRunner::CheckRow(const Case& c) const {
    const std::size_t blank = c.subject.find(' ');
    const std::string position = c.subject.substr(0, blank);
    const std::string name = blank == std::string::npos ? "" : c.subject.substr(blank + 1);
    if (name.empty() || position.empty() || position.size() > 9 ||
        position.find_first_not_of("0123456789") != std::string::npos)
        return "    row: takes a position (at most 999999999) and a name (row: 13 maxint)\n";
    const std::size_t index = std::stoul(position);
    const auto& rows = library.Rows();
    if (index < 1 || index > rows.size())
        return "    the descriptor has no row " + position + " (it has " + std::to_string(rows.size()) +
               ")\n";
    const HostLibrary::Row& row = rows[index - 1];
    const auto text = [](const char* s) { return s != nullptr ? std::string(s) : std::string("(null)"); };
    std::string problems;
    if (text(row.entry->name) != name) problems += Compared("name", name, text(row.entry->name));
    if (text(row.entry->typeString) != *c.type)
        problems += Compared("type", *c.type, text(row.entry->typeString));
    if (text(row.entry->description) != *c.text)
        problems += Compared("text", *c.text, text(row.entry->description));
    if (!row.error.empty()) problems += "    the row cannot be called: " + row.error + "\n";
    return problems;
}

std::string CaseRunner::CheckLibrary(const Case& c) const {
    const QUON_ExternLib::LibraryDescriptor& d = library.Descriptor();
    std::string problems;
    if (d.libraryName != c.subject) problems += Compared("library", c.subject, d.libraryName);
    if (c.version && d.libraryVersion.fullString != *c.version)
        problems += Compared("version", *c.version, d.libraryVersion.fullString);
    if (c.functions && d.functionCount != *c.functions)
        problems += Compared("functions", std::to_string(*c.functions), std::to_string(d.functionCount));
    std::vector<std::string> types;
    for (std::uint64_t i = 0; i < d.customTypeCount; ++i) types.push_back(d.customTypes[i].typeName);
    if (!c.customTypes.empty() && types != c.customTypes)
        problems += "    expected custom types:\n" + Listed(c.customTypes) + "    seen custom types:\n" +
                    Listed(types);
    return problems;
}

GroupResult CaseRunner::Run(const Group& group, const std::string& name) {
    GroupResult result;
    result.name = name;
    for (const Case& c : group.cases) {
        const std::string problems = c.kind == Case::Kind::kCall  ? CheckCall(c)
                                     : c.kind == Case::Kind::kRow ? CheckRow(c)
                                                                  : CheckLibrary(c);
        ++result.total;
        if (problems.empty())
            ++result.passed;
        else
            result.failures.push_back("  " + c.where + ": " + c.subject + "\n" + problems);
        if (verbose)
            log << (problems.empty() ? "  ok    " : "  FAIL  ") << c.where << ": " << c.subject << "\n";
    }
    return result;
}

}  // namespace quon_host::conform
