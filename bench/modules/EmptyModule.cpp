// The baseline of the load benchmark: the smallest C++ extension module. It has the two entry
// points a host calls at load and a static string, so that it needs the C++ standard library as
// every C++ module does, and nothing of the runtime.
#include <string>

#define EMPTY_MODULE_ENTRY extern "C" __attribute__((visibility("default")))

namespace {
// Longer than the short-string buffer, so loading it allocates as a module's statics do.
const std::string moduleName = "an empty extension module for the load benchmark";
}  // namespace

EMPTY_MODULE_ENTRY void BindToParentContext(void*) {}

EMPTY_MODULE_ENTRY const void* LibraryData() {
    return &moduleName;
}
