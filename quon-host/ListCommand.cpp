// `quon-host [list] [LIBRARY]`: the descriptor with every type string parsed again;
// `quon-host type TEXT...`: type strings parsed and described; `quon-host help [SUBCOMMAND]`.
#include <sys/stat.h>

#include <iostream>

#include "quon-host/DescriptorPrinter.h"
#include "quon-host/Tool.h"
#include "quon-host/TypeCommand.h"

namespace quon_host {

void AddListCommand(CLI::App& app, Tool& tool) {
    CLI::App* list = app.add_subcommand(
        "list", "Print the library's descriptor and parse every published type string again (the default)");
    static std::string word;
    list->add_option("LIBRARY|NAME", word,
                     "The library's path (a word that names a file, holds a '/' or ends in .so), or the name of "
                     "one function to show");
    tool.AddLibraryOption(list);
    static bool json = false;
    list->add_flag("--json", json,
                   "Print the descriptor as JSON, with each function's parameter and result types");
    SetUsage(list, "",
             "  quon-host list\n  quon-host list maxint                 # one function: its types and description\n"
             "  quon-host list ./libHelloExtension.so --json\n");
    auto run = [&tool] {
        struct stat info {};
        const bool libraryWord = ::stat(word.c_str(), &info) == 0 || word.find('/') != std::string::npos ||
                                 (word.size() > 3 && word.compare(word.size() - 3, 3, ".so") == 0);
        if (!word.empty() && libraryWord) tool.libraryPath = word;
        const HostLibrary& library = tool.Library();
        if (!word.empty() && !libraryWord) {
            const HostLibrary::Row* row = library.Find(word);
            if (row == nullptr) {
                const std::string closest = library.ClosestName(word);
                std::cerr << "quon-host: error: no function '" << word << "' in " << library.Loaded().Path()
                          << (closest.empty() ? "" : "; did you mean '" + closest + "'?") << "\n";
                tool.status = kExitFailure;
            } else if (!PrintFunction(std::cout, *row)) {
                tool.status = kExitFailure;
            }
            return;
        }
        if (!json) std::cout << "Loaded " << library.Loaded().Path() << "\n";
        if (!(json ? PrintDescriptorJson(std::cout, library) : PrintDescriptor(std::cout, library))) {
            std::cerr << "quon-host: error: a row cannot be called: its type string is missing, does not parse or "
                         "is not a function type\n";
            tool.status = kExitFailure;
        }
    };
    list->callback(run);
    app.callback([&app, run] {
        if (app.get_subcommands().empty()) run();
    });

    static std::vector<std::string> texts;
    CLI::App* type =
        app.add_subcommand("type", "Parse type strings and print their canonical form and predicates");
    type->add_option("TEXT", texts, "Type strings, e.g. '( Array[Int] * Int -> Int )'")->required();
    SetUsage(
        type, "",
        "  quon-host type '( Array[Int] * Int -> Int )' 'Record[b: Int, a: String]'\n"
        "A text is refused (exit 1) when it is not a type, names an unknown type, holds text after the\n"
        "type or is a record type that repeats an attribute name.\n");
    type->callback([&tool] { tool.status = RunTypeCommand(texts, std::cout, std::cerr); });

    static std::string topic;
    CLI::App* help = app.add_subcommand("help", "Print this help, or a subcommand's");
    help->add_option("SUBCOMMAND", topic, "The subcommand to explain");
    help->callback([&app] {
        const auto helpOf = [](const CLI::App* command, const std::string& name) {
            return command->get_formatter()->make_help(command, name, CLI::AppFormatMode::Normal);
        };
        if (topic.empty()) {
            std::cout << helpOf(&app, "quon-host");
            return;
        }
        for (const CLI::App* command : app.get_subcommands({}))
            if (command->get_name() == topic) {
                std::cout << helpOf(command, "quon-host " + topic);
                return;
            }
        throw UsageError("no subcommand '" + topic + "'" + SubcommandHint(app, topic));
    });
}

}  // namespace quon_host
