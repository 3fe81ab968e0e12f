// `quon-host call NAME ARG...`, `eval EXPR...` and `repl`: the library's rows called from the
// shell with values written in the host's expression language (host/expr/). Results print as
// literals of that language, so they can be pasted back in; errors go to standard error as
// "quon-host: error: ..." and the next expression still runs.
#include <editline/readline.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "host/expr/ExprEvaluator.h"
#include "host/tool/Tool.h"

namespace quon_host {

namespace {

// Runs `work` and prints its error, if any; true when it succeeded. A library exception prints
// its catalogue message with its tag (" [err 2022]"), as its what() gives them.
template <class Work>
bool Reported(Work&& work) {
    try {
        work();
        return true;
    } catch (const std::bad_array_new_length&) {
        std::cerr << "quon-host: error: an array of that size cannot be made\n";
    } catch (const std::bad_alloc&) {
        std::cerr << "quon-host: error: out of memory\n";
    } catch (const std::bad_function_call&) {
        std::cerr << "quon-host: error: a function without a body was called\n";
    } catch (const std::exception& error) {  // ExprError, CallError, zul::Exception, ...
        std::cerr << "quon-host: error: " << error.what() << "\n";
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

// The next line of standard input, edited with history at a terminal; false at the end.
bool ReadLine(bool terminal, std::string& line) {
    if (!terminal) return static_cast<bool>(std::getline(std::cin, line));
    char* read = readline("quon> ");
    if (read == nullptr) return false;
    line = read;
    std::free(read);
    if (line.find_first_not_of(" \t") != std::string::npos) add_history(line.c_str());
    return true;
}

// A subcommand whose arguments are expressions, taken as given: CLI11 would split "[1, 2]" into
// two values and read "-x" as an option, so the words are left unparsed (remaining()) rather than
// bound to a positional option. It takes --library itself, as it does not fall through.
CLI::App* AddExpressionCommand(CLI::App& app, Tool& tool, const std::string& name,
                               const std::string& description) {
    CLI::App* command = app.add_subcommand(name, description);
    command->fallthrough(false);
    command->allow_extras();
    command->add_option("--library", tool.libraryPath,
                        "The extension library (default: the built library)");
    return command;
}

}  // namespace

void AddCallCommands(CLI::App& app, Tool& tool) {
    CLI::App* call = AddExpressionCommand(
        app, tool, "call",
        "call NAME ARG...: call the row NAME with one expression per argument and print its result, e.g. "
        "call maxint 3 4, call getArraySum '[1, 2, 3]', call test1a 'x -> x * x'.");
    call->callback([&tool, call] {
        const std::vector<std::string> words = call->remaining();
        if (words.empty()) {
            std::cerr << "quon-host: error: call needs the name of a row\n";
            tool.status = 1;
            return;
        }
        expr::ExprEvaluator evaluator(tool.Library());
        std::vector<Value> values;
        for (std::size_t i = 1; i < words.size(); ++i)
            if (!Reported([&] { values.push_back(evaluator.Evaluate(words[i])); })) {
                std::cerr << "quon-host: in argument " << i << " of " << words[0] << "\n";
                tool.status = 1;
                return;
            }
        const bool done = Reported([&] {
            const Value result = tool.Library().Call(words[0], values);
            std::cout << result.Text() << std::endl;
        });
        tool.status = done ? 0 : 1;
    });

    CLI::App* eval = AddExpressionCommand(
        app, tool, "eval",
        "eval EXPR...: evaluate expressions and print each value on a line: literals (42, -1.5, nan, "
        "'text', [1, 2], {a: 1}), row calls (maxint(3, 4)), lambdas (x -> x * x, (a, b) -> a + b), "
        "+ - * / % on Ints or Floats, comparisons, map(array, f), len(a) and a[i]. Exits with 1 "
        "when any expression fails.");
    eval->callback([&tool, eval] {
        if (eval->remaining().empty()) {
            std::cerr << "quon-host: error: eval needs an expression\n";
            tool.status = 1;
            return;
        }
        expr::ExprEvaluator evaluator(tool.Library());
        for (const std::string& text : eval->remaining())
            if (!EvaluateAndPrint(evaluator, text)) tool.status = 1;
    });

    CLI::App* repl = AddExpressionCommand(
        app, tool, "repl",
        "repl: read expressions line by line from standard input (as for eval) and print each value; "
        "a line that fails prints its error and the next one still runs. Exits with 1 when any line "
        "failed, else 0.");
    repl->callback([&tool] {
        const bool terminal = ::isatty(STDIN_FILENO) != 0;
        expr::ExprEvaluator evaluator(tool.Library());
        for (std::string line; ReadLine(terminal, line);) {
            if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
            if (!EvaluateAndPrint(evaluator, line)) tool.status = 1;
        }
    });
}

}  // namespace quon_host
