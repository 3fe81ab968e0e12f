// quon-host: the stand-in host. Loads the extension library, installs the host's own
// pooled-string allocator in it, binds the host's operation table and prints the descriptor,
// parsing every published type string again; exits non-zero when one does not parse.
//
//   quon-host [LIBRARY]
//   quon-host type 'TEXT'...    parse and print type strings (see TypeCommand.h)
#include <cstring>
#include <exception>
#include <iostream>

#include "host/DescriptorPrinter.h"
#include "host/HostContext.h"
#include "host/HostEvaluator.h"
#include "host/LibraryLoader.h"
#include "host/TypeCommand.h"
#include "strings/tBaseString.h"

int main(int argc, char** argv) {
    using zul::zulStdString::tBaseString;
    if (argc > 1 && std::strcmp(argv[1], "type") == 0) {
        return quon_host::RunTypeCommand(argc - 2, argv + 2, std::cout, std::cerr);
    }
    try {
        // The host's runtime (its string pool among it) is up before the library loads, so
        // it outlives the library's static objects at exit.
        quon_host::EvaluatorScope evaluator;
        const std::string path = argc > 1 ? argv[1] : quon_host::DefaultLibraryPath();
        quon_host::LoadedLibrary library(path);

        // String bodies made by the library now come from the host's own pool.
        library.Strings().setZulStringAllocAPI(reinterpret_cast<void*>(&tBaseString::allocFnImp),
                                               reinterpret_cast<void*>(&tBaseString::freeFnImp));
        library.Bind(quon_host::HostContext());
        const auto* descriptor = library.Data();

        std::cout << "Loaded " << library.Path() << "\n";
        const bool allParsed = quon_host::PrintDescriptor(std::cout, *descriptor);
        library.Release();
        if (!allParsed) std::cerr << "quon-host: a published type string does not parse\n";
        return allParsed ? 0 : 1;
    } catch (const std::exception& error) {
        std::cerr << "quon-host: " << error.what() << "\n";
        return 1;
    }
}
