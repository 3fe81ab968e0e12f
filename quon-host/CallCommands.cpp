// `quon-host call NAME ARG...`, `eval EXPR...` and `repl`: the library's functions called from
// the shell with values written in the host's expression language (quon-host/expr/). Results print
// as literals of that language, so they can be pasted back in; errors go to standard error as
// "quon-host: error: ..." and the next expression still runs.
#include <editline/readline.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <fstream>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "quon-host/DescriptorPrinter.h"
#include "quon-host/Tool.h"
#include "quon-host/expr/ExprError.h"
#include "quon-host/expr/ExprEvaluator.h"
#include "quon-host/expr/Lexer.h"
#include "quon-host/expr/LineInput.h"
#include "quon-host/expr/Parser.h"

namespace quon_host {

namespace {

// Runs `work` and prints its error, if any; true when it succeeded. A library exception prints
// its catalogue message with its tag (" [err 2022]"), as its what() gives them.
template <class Work>
bool Reported(Work&& work) {
    try {
        work();
        return true;
    } catch (const std::exception&) {
        std::cerr << "quon-host: error: " << expr::FailureText() << "\n";
    }
    std::cout.flush();
    return false;
}

// A value as printed: a literal that reads back, or with `raw` a String's own bytes.
std::string Printed(const Value& value, bool raw) {
    return raw && value.GetKind() == Value::Kind::String ? value.AsString() : value.Text();
}

// Evaluates one expression and prints its value; true when it succeeded. A text that is only a
// comment (or blank) prints nothing and succeeds.
bool EvaluateAndPrint(expr::ExprEvaluator& evaluator, std::string_view text, bool raw = false) {
    if (expr::OnlyComment(text)) return true;
    return Reported([&] {
        const Value value = evaluator.Evaluate(text);
        std::cout << Printed(value, raw) << std::endl;
    });
}

// The same for an entry of several lines: an error at a position names its line and column and
// shows the line with a caret under the column.
bool EvaluateEntry(expr::ExprEvaluator& evaluator, const std::string& entry) {
    if (entry.find('\n') == std::string::npos) return EvaluateAndPrint(evaluator, entry);
    try {
        std::cout << evaluator.Evaluate(entry).Text() << std::endl;
        return true;
    } catch (const expr::ExprError& error) {
        if (error.column == 0 || error.column > entry.size() + 1) throw;
        const std::size_t at = error.column - 1;
        const std::size_t start = at == 0 ? 0 : entry.rfind('\n', at - 1) + 1;  // npos + 1 is 0
        const std::size_t end = std::min(entry.find('\n', start), entry.size());
        const std::size_t line = 1 + static_cast<std::size_t>(std::count(entry.begin(), entry.begin() + start, '\n'));
        std::cerr << "quon-host: error: " << error.bare << " at line " << line << ", column " << at - start + 1
                  << "\n  " << entry.substr(start, end - start) << "\n  " << std::string(at - start, ' ') << "^\n";
    } catch (const std::exception&) {
        std::cerr << "quon-host: error: " << expr::FailureText() << "\n";
    }
    std::cout.flush();
    return false;
}

// The repl's history file: quon-host/history under the XDG state folder ($XDG_STATE_HOME, else
// ~/.local/state), its folders made as needed; empty when there is no home to put it in.
std::string HistoryPath() {
    std::string folder;
    if (const char* state = std::getenv("XDG_STATE_HOME"); state != nullptr && *state == '/')
        folder = state;
    else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        folder = std::string(home) + "/.local/state";
    else
        return "";
    folder += "/quon-host";
    for (std::size_t slash = 1; slash != std::string::npos; slash = folder.find('/', slash + 1))
        ::mkdir(folder.substr(0, slash).c_str(), 0700);
    ::mkdir(folder.c_str(), 0700);
    return folder + "/history";
}

// Ctrl-C at the terminal: the handler only sets words; the loop and the evaluator read them.
volatile std::sig_atomic_t theSigint = 0;

void OnSigint(int) {
    theSigint = 1;
    expr::theInterrupt.store(true, std::memory_order_relaxed);
}

// The signal mask to wait for a key with: SIGINT is blocked while the line editor runs and let in
// only while it waits (ppoll), so a Ctrl-C that comes before the wait begins is not lost.
sigset_t theKeyWaitMask;

// The line editor's key reader: EOF (the line ends) once Ctrl-C has come.
int ReadKey(FILE*) {
    for (;;) {
        if (theSigint != 0) return EOF;
        pollfd ready{STDIN_FILENO, POLLIN, 0};
        const int waited = ::ppoll(&ready, 1, nullptr, &theKeyWaitMask);
        if (waited < 0) {
            if (errno == EINTR) continue;
            return EOF;
        }
        unsigned char key = 0;
        const ssize_t n = ::read(STDIN_FILENO, &key, 1);
        if (n == 1) return key;
        if (n < 0 && errno == EINTR) continue;
        return EOF;
    }
}

const HostLibrary* theCompletedLibrary = nullptr;

// Tab completion: the library's functions, map and len, and the repl's own commands.
char* CompletionCandidate(const char* text, int state) {
    static std::vector<std::string> candidates;
    static std::size_t next = 0;
    if (state == 0) {
        candidates.clear();
        next = 0;
        std::vector<std::string> names{"map", "len", ":help", ":list", ":type", ":doc", ":quit"};
        if (theCompletedLibrary != nullptr)
            for (const HostLibrary::Row& row : theCompletedLibrary->Rows()) names.emplace_back(row.entry->name);
        for (std::string& name : names)
            if (name.rfind(text, 0) == 0) candidates.push_back(std::move(name));
    }
    return next < candidates.size() ? strdup(candidates[next++].c_str()) : nullptr;
}

char** Complete(const char* text, int, int) {
    return rl_completion_matches(text, &CompletionCandidate);
}

// Reads the lines of a script, of standard input from a pipe, or at a terminal edited with a
// history that keeps each entry as it is entered. At a terminal Ctrl-C drops the entry being
// typed (and interrupts an evaluation at its next step).
class LineReader {
public:
    LineReader(const HostLibrary& library, std::istream& input, bool script)
        : terminal(!script && StandardInputIsTerminal()), input(input) {
        if (!terminal) return;
        // The key reader is set before the editor's first call, which installs it.
        rl_getc_function = &ReadKey;
        historyPath = HistoryPath();
        stifle_history(1000);
        if (!historyPath.empty()) read_history(historyPath.c_str());
        theCompletedLibrary = &library;
        rl_attempted_completion_function = &Complete;
        rl_basic_word_break_characters = " \t\n()[]{},+-*/%<>=!";
        // libedit's own handlers would end the process; this one drops the entry instead.
        rl_catch_signals = 0;
        sigprocmask(SIG_SETMASK, nullptr, &theKeyWaitMask);
        sigdelset(&theKeyWaitMask, SIGINT);
        struct sigaction action {};
        action.sa_handler = &OnSigint;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0;  // no restart: a read at the prompt returns
        sigaction(SIGINT, &action, &previousSigint);
    }
    ~LineReader() {
        if (!terminal) return;
        sigaction(SIGINT, &previousSigint, nullptr);
        theCompletedLibrary = nullptr;
    }

    bool Terminal() const { return terminal; }

    enum class Got { kLine, kInterrupt, kEnd };
    // The next line; kInterrupt when Ctrl-C ended the line being typed.
    Got Read(const char* prompt, std::string& line) {
        if (!terminal) {
            // The end of the input, or a failed read (a closed descriptor, a folder): errno tells.
            // A line beyond the longest expression ends the input: it may never end (/dev/zero).
            errno = 0;
            const expr::LineRead read = expr::ReadLine(input, line, expr::kMaxLength);
            if (read == expr::LineRead::kLine) return Got::kLine;
            readError = read == expr::LineRead::kTooLong ? "a line longer than " + std::to_string(expr::kMaxLength) +
                                                                " characters, which no expression is"
                        : errno != 0                   ? std::string(std::strerror(errno))
                                                       : "";
            return Got::kEnd;
        }
        sigset_t interrupt;
        sigemptyset(&interrupt);
        sigaddset(&interrupt, SIGINT);
        sigprocmask(SIG_BLOCK, &interrupt, nullptr);
        theSigint = 0;  // a Ctrl-C from here on ends this line, even one before the editor waits
        char* read = readline(prompt);
        sigprocmask(SIG_UNBLOCK, &interrupt, nullptr);  // an evaluation may be interrupted
        const bool interrupted = theSigint != 0;
        theSigint = 0;
        if (interrupted && read != nullptr) {  // whatever the editor gave back is dropped
            std::free(read);
            read = nullptr;
        }
        expr::theInterrupt.store(false, std::memory_order_relaxed);
        if (read == nullptr) {
            std::cout << "\n";  // the shell's prompt, or the next one, starts on a line of its own
            return interrupted ? Got::kInterrupt : Got::kEnd;
        }
        line = read;
        std::free(read);
        return Got::kLine;
    }
    // Keeps the entry in the history, saved at once: a session that ends any way keeps it.
    void Remember(const std::string& entry) {
        if (!terminal) return;
        add_history(entry.c_str());
        if (!historyPath.empty() && write_history(historyPath.c_str()) != 0 && !historyWarned) {
            std::cerr << "quon-host: cannot save the history in " << historyPath << "\n";
            historyWarned = true;
        }
    }

    // Why reading stopped other than at the end of the input ("" when it did not).
    const std::string& ReadError() const { return readError; }

private:
    bool terminal;
    std::istream& input;
    std::string historyPath;
    std::string readError;
    bool historyWarned = false;
    struct sigaction previousSigint {};
};

constexpr const char* kReplHelp =
    "Type an expression and press Enter to see its value; it goes on over several lines while a\n"
    "bracket is open. Examples: maxint(3, 4)   getArraySum([1, 2, 3])   testArr([1, 2], a -> a)\n"
    "\n"
    "Expressions:\n"
    "  42  -7  1.5  nan  inf       Ints (64-bit) and Floats\n"
    "  true  false                 Bools\n"
    "  'text'  \"text\"  'it\\'s'    Strings; \\n \\t \\\\ \\' and \\ooo (three octal digits) escapes\n"
    "  [1, 2, 3]  {a: 1, b: 'x'}   arrays and records\n"
    "  maxint(3, 4)                a call of the library's function (Tab completes names)\n"
    "  x -> x * x  (a, b) -> a + b a function, for the functions that take one\n"
    "  + - * / %  == != < <= > >=  arithmetic on Ints or Floats, comparisons\n"
    "  map(a, f)  len(a)  a[i]     the usual list operations\n"
    "Values print as literals that can be pasted back in, except a custom object's text (Test-7).\n"
    "\n"
    "Commands:\n"
    "  :list         the library's functions with their types\n"
    "  :type EXPR    the type of a value (or of a function of the library)\n"
    "  :doc NAME     a function's types, parameter names and description\n"
    "  :help         this text (also: help)\n"
    "  :quit         leave (also: quit, exit, Ctrl-D); Ctrl-C drops the entry being typed or stops\n"
    "                an evaluation at its next step (a running native call finishes first)\n"
    "  # ...         a comment\n";

void ListFunctions(const HostLibrary& library) {
    for (const HostLibrary::Row& row : library.Rows())
        std::cout << row.entry->name << " : " << row.entry->typeString << "\n";
}

// A subcommand whose arguments are expressions, taken as given: CLI11 would split "[1, 2]" into
// two values and read "-x" as an option, so the words are left unparsed (remaining()) rather than
// bound to a positional option.
CLI::App* AddExpressionCommand(CLI::App& app, Tool& tool, const std::string& name,
                               const std::string& description, const std::string& positionals,
                               const std::string& examples) {
    CLI::App* command = app.add_subcommand(name, description);
    command->fallthrough(false);
    command->allow_extras();
    tool.AddLibraryOption(command);
    SetUsage(command, positionals, examples);
    return command;
}

}  // namespace

void AddCallCommands(CLI::App& app, Tool& tool) {
    CLI::App* call = AddExpressionCommand(
        app, tool, "call",
        "Call the library's function NAME with one expression per argument and print its result",
        "NAME ARG...",
        "  quon-host call maxint 3 4\n"
        "  quon-host call getArraySum '[1, 2, 3]'\n"
        "  quon-host call test1a 'x -> x * x'\n");
    static bool rawCall = false;
    call->add_flag("--raw", rawCall, "Print a String result's bytes as they are, not as a quoted literal");
    call->callback([&tool, call] {
        const std::vector<std::string> words = call->remaining();
        if (words.empty()) throw UsageError("call needs the name of a function");
        expr::ExprEvaluator evaluator(tool.Library());
        std::vector<Value> values;
        for (std::size_t i = 1; i < words.size(); ++i)
            if (!Reported([&] { values.push_back(evaluator.Evaluate(words[i])); })) {
                std::cerr << "quon-host: in argument " << i << " of " << words[0] << "\n";
                tool.status = kExitFailure;
                return;
            }
        const bool done = Reported([&] {
            const HostLibrary::Row* row = tool.Library().Find(words[0]);
            const Value result = row != nullptr ? expr::CallFunction(tool.Library(), *row, values)
                                                : tool.Library().Call(words[0], values);  // the refusal
            std::cout << Printed(result, rawCall) << std::endl;
        });
        tool.status = done ? kExitSuccess : kExitFailure;
    });

    CLI::App* eval = AddExpressionCommand(
        app, tool, "eval", "Evaluate expressions and print each value on a line", "EXPR...",
        "  quon-host eval 'maxint(3, 4)' \"stringAdd('a', 'b')\" 'map([1, 2], x -> x * 10)'\n"
        "Expressions: literals (42, -1.5, nan, 'text', \"text\", [1, 2], {a: 1}), function calls\n"
        "(maxint(3, 4)), lambdas (x -> x * x, (a, b) -> a + b), + - * / % on Ints or Floats, comparisons,\n"
        "map(array, f), len(a), a[i] and # comments. Exits with 1 when any expression fails.\n"
        "Values print as literals that paste back in (a custom object's text does not); with --raw a\n"
        "String prints as its bytes, like jq -r.\n");
    static bool rawEval = false;
    eval->add_flag("--raw", rawEval, "Print a String value's bytes as they are, not as a quoted literal");
    eval->callback([&tool, eval] {
        if (eval->remaining().empty()) throw UsageError("eval needs an expression");
        expr::ExprEvaluator evaluator(tool.Library());
        for (const std::string& text : eval->remaining())
            if (!EvaluateAndPrint(evaluator, text, rawEval)) tool.status = kExitFailure;
    });

    CLI::App* repl = AddExpressionCommand(
        app, tool, "repl", "Read expressions line by line (as for eval) and print each value", "[FILE]",
        "  quon-host repl\n  quon-host repl session.quon          # a script: its lines as entries\n"
        "  printf 'maxint(3, 4)\\n' | quon-host repl\n"
        "An expression goes on over the next lines while a bracket is open; a line that fails prints its\n"
        "error and the next one still runs. At a terminal lines are edited (Tab completes names) and each\n"
        "entry is kept at once in a history under the XDG state folder; :help shows the expression\n"
        "language and the commands (:list, :type, :doc, :quit); Ctrl-C drops the entry being typed.\n"
        "Exits with 1 when any expression failed.\n");
    repl->callback([&tool, repl] {
        const std::vector<std::string> words = repl->remaining();
        if (words.size() > 1) throw UsageError("repl takes at most one script file");
        std::ifstream script;
        if (!words.empty()) {
            script.open(words[0]);
            if (!script) {
                std::cerr << "quon-host: error: cannot read " << words[0] << ": " << std::strerror(errno) << "\n";
                tool.status = kExitFailure;
                return;
            }
        }
        const HostLibrary& library = tool.Library();
        expr::ExprEvaluator evaluator(library);
        LineReader reader(library, words.empty() ? std::cin : script, !words.empty());
        if (reader.Terminal()) {
            const auto& version = library.Descriptor().libraryVersion;
            std::cout << library.Descriptor().libraryName << " " << version.major << "." << version.minor
                      << "." << version.patch << " (" << library.Rows().size()
                      << " functions). Type :help for help, :quit to leave.\n";
        }
        const auto evaluate = [&](const std::string& text) {
            const bool done = EvaluateEntry(evaluator, text);
            expr::theInterrupt.store(false, std::memory_order_relaxed);  // one Ctrl-C stops one entry
            if (!done) tool.status = kExitFailure;
        };
        std::string entry;
        expr::EntryBrackets brackets;
        bool dropping = false;
        for (std::string line;;) {
            const LineReader::Got got = reader.Read(entry.empty() ? "quon> " : "....> ", line);
            if (got == LineReader::Got::kEnd) break;
            if (got == LineReader::Got::kInterrupt) {
                // The entry is dropped; at an empty prompt, a word on how to leave.
                if (entry.empty() && !dropping) std::cout << "(:quit or Ctrl-D leaves)\n";
                entry.clear();
                brackets = expr::EntryBrackets();
                dropping = false;
                continue;
            }
            // An entry beyond the longest expression is dropped up to the line that closes it.
            if (dropping) {
                dropping = brackets.Unfinished(line);
                continue;
            }
            entry += entry.empty() ? line : "\n" + line;
            const bool unfinished = brackets.Unfinished(line);
            if (entry.size() > expr::kMaxLength) {
                std::cerr << "quon-host: error: an entry longer than " << expr::kMaxLength
                          << " characters; it is dropped\n";
                tool.status = kExitFailure;
                entry.clear();
                dropping = unfinished;
                continue;
            }
            if (unfinished) continue;
            if (expr::OnlyComment(entry)) {
                entry.clear();
                continue;
            }
            reader.Remember(entry);
            const std::size_t first = entry.find_first_not_of(" \t\r\n");
            const std::string command = entry.substr(first, entry.find_last_not_of(" \t\r\n") + 1 - first);
            entry.clear();
            // The bare words a newcomer tries first, unless the library has a function of that name.
            const bool word = library.Find(command) == nullptr;
            if (command == ":quit" || command == ":q" || (word && (command == "quit" || command == "exit"))) break;
            if (command == ":help" || (word && command == "help")) {
                std::cout << kReplHelp;
            } else if (command == ":list") {
                ListFunctions(library);
            } else if (command.rfind(":doc", 0) == 0 && (command.size() == 4 || command[4] == ' ')) {
                const std::string name = command.size() > 4 ? command.substr(command.find_first_not_of(' ', 4)) : "";
                const HostLibrary::Row* row = name.empty() ? nullptr : library.Find(name);
                if (row != nullptr) {
                    PrintFunction(std::cout, *row);
                } else {
                    const std::string closest = library.ClosestName(name);
                    std::cerr << "quon-host: error: " << (name.empty() ? std::string(":doc needs a function's name")
                                                                       : "no function '" + name + "'")
                              << (closest.empty() || name.empty() ? "" : "; did you mean '" + closest + "'?") << "\n";
                    tool.status = kExitFailure;
                }
            } else if (command.rfind(":type", 0) == 0 && (command.size() == 5 || command[5] == ' ')) {
                const std::string text = command.size() > 5 ? command.substr(5) : "";
                const std::size_t at = text.find_first_not_of(' ');
                const HostLibrary::Row* row = at == std::string::npos ? nullptr : library.Find(text.substr(at));
                if (row != nullptr) {
                    std::cout << (row->error.empty() ? row->type.ToString().Text() : std::string(row->entry->typeString))
                              << "\n";
                } else if (at == std::string::npos) {
                    std::cerr << "quon-host: error: :type needs an expression\n";
                    tool.status = kExitFailure;
                } else if (!Reported([&] { std::cout << evaluator.Evaluate(text).TypeText() << std::endl; })) {
                    tool.status = kExitFailure;
                }
            } else if (command[0] == ':') {
                std::cerr << "quon-host: error: unknown command " << command << "; try :help\n";
                tool.status = kExitFailure;
            } else {
                evaluate(command);
            }
        }
        if (!entry.empty() && !expr::OnlyComment(entry)) evaluate(entry);
        if (const std::string error = reader.ReadError(); !error.empty()) {
            std::cerr << "quon-host: error: cannot read " << (words.empty() ? "standard input" : words[0]) << ": "
                      << error << "\n";
            tool.status = kExitFailure;
        }
    });
}

}  // namespace quon_host
