// `quon-host call NAME ARG...`, `eval EXPR...` and `repl`: the library's functions called from
// the shell with values written in the host's expression language (quon-host/expr/). Results print
// as literals of that language, so they can be pasted back in; errors go to standard error as
// "quon-host: error: ..." and the next expression still runs.
#include <editline/readline.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "quon-host/Tool.h"
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

// Evaluates one expression and prints its value; true when it succeeded.
bool EvaluateAndPrint(expr::ExprEvaluator& evaluator, std::string_view text) {
    return Reported([&] {
        const Value value = evaluator.Evaluate(text);
        std::cout << value.Text() << std::endl;
    });
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

// Reads the lines of standard input: edited with history at a terminal, plain from a pipe.
class LineReader {
public:
    LineReader() : terminal(StandardInputIsTerminal()) {
        if (!terminal) return;
        historyPath = HistoryPath();
        stifle_history(1000);
        if (!historyPath.empty()) read_history(historyPath.c_str());
    }
    ~LineReader() {
        if (terminal && !historyPath.empty() && write_history(historyPath.c_str()) != 0)
            std::cerr << "quon-host: cannot save the history in " << historyPath << "\n";
    }

    bool Terminal() const { return terminal; }

    // The next line; false at the end of the input.
    bool Read(const char* prompt, std::string& line) {
        if (!terminal) {
            // The end of the input, or a failed read (a closed descriptor, a folder): errno tells.
            // A line beyond the longest expression ends the input: it may never end (/dev/zero).
            errno = 0;
            const expr::LineRead read = expr::ReadLine(std::cin, line, expr::kMaxLength);
            if (read == expr::LineRead::kLine) return true;
            readError = read == expr::LineRead::kTooLong ? "a line longer than " + std::to_string(expr::kMaxLength) +
                                                                " characters, which no expression is"
                        : errno != 0                   ? std::string(std::strerror(errno))
                                                       : "";
            return false;
        }
        char* read = readline(prompt);
        if (read == nullptr) return false;
        line = read;
        std::free(read);
        return true;
    }
    void Remember(const std::string& entry) {
        if (terminal) add_history(entry.c_str());
    }

    // Why reading stopped other than at the end of the input ("" when it did not).
    const std::string& ReadError() const { return readError; }

private:
    bool terminal;
    std::string historyPath;
    std::string readError;
};

constexpr const char* kReplHelp =
    "Type an expression and press Enter to see its value; it goes on over several lines while a\n"
    "bracket is open. Examples: maxint(3, 4)   getArraySum([1, 2, 3])   testArr([1, 2], a -> a)\n"
    "  :list   the library's functions with their types\n"
    "  :help   this text\n"
    "  :quit   leave (so does end of input, Ctrl-D)\n"
    "  # ...   a comment\n";

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
            std::cout << result.Text() << std::endl;
        });
        tool.status = done ? kExitSuccess : kExitFailure;
    });

    CLI::App* eval = AddExpressionCommand(
        app, tool, "eval", "Evaluate expressions and print each value on a line", "EXPR...",
        "  quon-host eval 'maxint(3, 4)' \"stringAdd('a', 'b')\" 'map([1, 2], x -> x * 10)'\n"
        "Expressions: literals (42, -1.5, nan, 'text', \"text\", [1, 2], {a: 1}), function calls\n"
        "(maxint(3, 4)), lambdas (x -> x * x, (a, b) -> a + b), + - * / % on Ints or Floats, comparisons,\n"
        "map(array, f), len(a), a[i] and # comments. Exits with 1 when any expression fails.\n");
    eval->callback([&tool, eval] {
        if (eval->remaining().empty()) throw UsageError("eval needs an expression");
        expr::ExprEvaluator evaluator(tool.Library());
        for (const std::string& text : eval->remaining())
            if (!EvaluateAndPrint(evaluator, text)) tool.status = kExitFailure;
    });

    CLI::App* repl = AddExpressionCommand(
        app, tool, "repl", "Read expressions line by line (as for eval) and print each value", "",
        "  quon-host repl\n  printf 'maxint(3, 4)\\n' | quon-host repl\n"
        "An expression goes on over the next lines while a bracket is open; a line that fails prints its\n"
        "error and the next one still runs. At a terminal lines are edited and kept in a history under\n"
        "the XDG state folder; :help, :list and :quit work there. Exits with 1 when any expression "
        "failed.\n");
    repl->callback([&tool] {
        const HostLibrary& library = tool.Library();
        expr::ExprEvaluator evaluator(library);
        LineReader reader;
        if (reader.Terminal()) {
            const auto& version = library.Descriptor().libraryVersion;
            std::cout << library.Descriptor().libraryName << " " << version.major << "." << version.minor
                      << "." << version.patch << " (" << library.Rows().size()
                      << " functions). Type :help for help, :quit to leave.\n";
        }
        std::string entry;
        expr::EntryBrackets brackets;
        bool dropping = false;
        for (std::string line; reader.Read(entry.empty() ? "quon> " : "....> ", line);) {
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
            const std::size_t first = entry.find_first_not_of(" \t\r\n");
            if (first == std::string::npos || entry[first] == '#') {
                entry.clear();
                continue;
            }
            reader.Remember(entry);
            const std::string command = entry.substr(first, entry.find_last_not_of(" \t\r\n") + 1 - first);
            entry.clear();
            if (command == ":quit" || command == ":q") break;
            if (command == ":help") {
                std::cout << kReplHelp;
            } else if (command == ":list") {
                ListFunctions(library);
            } else if (command[0] == ':') {
                std::cerr << "quon-host: error: unknown command " << command << "; try :help\n";
                tool.status = kExitFailure;
            } else if (!EvaluateAndPrint(evaluator, command)) {
                tool.status = kExitFailure;
            }
        }
        if (!entry.empty() && !EvaluateAndPrint(evaluator, entry)) tool.status = kExitFailure;
        if (const std::string error = reader.ReadError(); !error.empty()) {
            std::cerr << "quon-host: error: cannot read standard input: " << error << "\n";
            tool.status = kExitFailure;
        }
    });
}

}  // namespace quon_host
