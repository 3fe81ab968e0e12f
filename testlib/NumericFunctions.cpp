#include "testlib/NumericFunctions.h"

#include <cmath>
#include <cstring>
#include <iostream>
#include <string_view>

#include "diagnostics/Exception.h"

namespace QUON_TestLib {

namespace {
// repstr refuses to build a longer text: a negative count arrives as billions of repetitions.
constexpr std::uint64_t kMaxRepeatedBytes = std::uint64_t{1} << 30;
constexpr std::string_view kNullText = "Null";

std::string_view PrintableText(const tBaseString& text) {
    return text.IsNull() ? kNullText : std::string_view(text);
}
}  // namespace

void AppendPrintable(tString& out, const tBaseString& text) {
    out.Append(PrintableText(text));
}

double Test() {
    return 0.42;
}

double Sqrt(double x) {
    return std::sqrt(x);
}

std::int32_t Simple(std::int32_t a, std::int32_t b, std::int32_t c) {
    const std::uint32_t digits =
        (static_cast<std::uint32_t>(a) * 10u + static_cast<std::uint32_t>(b)) * 10u +
        static_cast<std::uint32_t>(c);
    return static_cast<std::int32_t>(digits);
}

std::int64_t Strlen(const tBaseString& text) {
    return static_cast<std::int64_t>(text.size());
}

std::int64_t StrlenPtr(const char* text) {
    return static_cast<std::int64_t>(std::strlen(text));
}

tString Repstr(tString text, std::uint32_t times) {
    if (times < 2 || text.Body() == nullptr) return text;
    const std::string piece(PrintableText(*text.Body()));
    if (piece.empty()) return text;
    const std::uint64_t total = text.size() + std::uint64_t{times - 1} * piece.size();
    if (total > kMaxRepeatedBytes) throw zul::Exception("repstr: the repeated text would exceed 1 GiB");
    text.Body()->reserve(total);
    for (std::uint32_t i = 1; i < times; ++i) text.Append(piece);
    return text;
}

bool Xor(bool a, bool b) {
    return a != b;
}

std::int64_t Maxint(std::int64_t a, std::int64_t b) {
    return a > b ? a : b;
}

tString StringAdd(tString a, const tBaseString& b) {
    AppendPrintable(a, b);
    return a;
}

std::unique_ptr<TestType> Num2test(std::int32_t value) {
    auto object = std::make_unique<TestType>(value);
    std::cerr << "*** Constructed TestType : " << object->value << std::endl;
    return object;
}

std::int32_t Test2num(TestType* object) {
    return static_cast<std::int32_t>(object->value);
}

}  // namespace QUON_TestLib
