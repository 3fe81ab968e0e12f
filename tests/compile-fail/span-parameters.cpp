// A span is backed by a copy of number payloads made for the call: strings are no span elements, a
// span the function may write to would write nowhere, and a span result would outlive its storage.
// expect: parameter 1 is a std::span of elements that are not numbers
// expect: parameter 2 is a std::span of elements that are not numbers
// expect: parameter 1 is a std::span of elements it may change
// expect: the result is a std::span, which refers to storage that ends with the call
#include <cstdint>
#include <span>
#include <string>

#include "interface/QuonExtension.h"

std::int64_t Count(std::span<const std::string> words, std::span<std::string> more);
std::int64_t Clear(std::span<long long> values);
std::span<const long long> Window(std::int64_t count);

void QUON_ExternLib::DescribeLibrary(LibraryBuilder& library) {
    library.Name("Case", zul::VersionInfo(1, 0, 0, ""));
    library.Add<&Count>("count", "...");
    library.Add<&Clear>("clear", "...");
    library.Add<&Window>("window", "...");
}
