// A container's rule is its element's: an element without an argument rule (the host keeps its
// objects), a Quon function (bound only while its own argument is) and a borrowed text in a result
// (it would end with the call) each stop the build with one message.
// expect: parameter 1 is a container whose element type has no argument rule
// expect: parameter 2 is a container of callbacks
// expect: the result is a container whose element type has no result rule
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "interface/QuonExtension.h"

struct Counter {
    long long value;
};

std::int64_t Take(std::vector<std::unique_ptr<Counter>> counters, const std::vector<std::function<int(int)>>& fs);
std::vector<std::string_view> Split(std::string_view text);

void QUON_ExternLib::DescribeLibrary(LibraryBuilder& library) {
    library.Name("Case", zul::VersionInfo(1, 0, 0, ""));
    library.CustomType<Counter>(CustomTypeEntry{"Counter", nullptr, nullptr, nullptr, 0});
    library.Add<&Take>("take", "...");
    library.Add<&Split>("split", "...");
}
