// `quon-host [list] [LIBRARY]`: the descriptor with every type string parsed again;
// `quon-host type TEXT...`: type strings parsed and described.
#include <iostream>

#include "host/DescriptorPrinter.h"
#include "host/TypeCommand.h"
#include "host/tool/Tool.h"

namespace quon_host {

void AddListCommand(CLI::App& app, Tool& tool) {
    CLI::App* list = app.add_subcommand(
        "list", "Print the library's descriptor and parse every published type string again (the default)");
    list->add_option("library", tool.libraryPath, "The library's path");
    auto run = [&tool] {
        const HostLibrary& library = tool.Library();
        std::cout << "Loaded " << library.Loaded().Path() << "\n";
        if (!PrintDescriptor(std::cout, library.Descriptor())) {
            std::cerr << "quon-host: a published type string does not parse\n";
            tool.status = 1;
        }
    };
    list->callback(run);
    app.callback([&app, run] {
        if (app.get_subcommands().empty()) run();
    });

    static std::vector<std::string> texts;
    CLI::App* type =
        app.add_subcommand("type", "Parse type strings and print their canonical form and predicates");
    type->add_option("text", texts, "Type strings, e.g. '( Array[Int] * Int -> Int )'");
    type->callback([&tool] {
        std::vector<const char*> arguments;
        for (const std::string& text : texts) arguments.push_back(text.c_str());
        tool.status =
            RunTypeCommand(static_cast<int>(arguments.size()), arguments.data(), std::cout, std::cerr);
    });
}

}  // namespace quon_host
