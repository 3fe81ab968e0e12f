#include "evaluator/CellConversions.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace QUON_Evaluator {

using zul::zulStdString::tString;

std::int64_t FloatToInteger(double value) {
    // 2^63 is exact as a double; every double in [-2^63, 2^63) truncates into range.
    constexpr double kLimit = 9223372036854775808.0;
    if (value >= -kLimit && value < kLimit) return static_cast<std::int64_t>(value);
    return std::numeric_limits<std::int64_t>::min();  // out of range or NaN
}

std::uint64_t FloatToBool(double value) {
    return static_cast<std::uint64_t>(FloatToInteger(value));
}

std::int64_t ScanInteger(const char* text) {
    // strtoll reads exactly what "%lld" reads, but saturates instead of overflowing.
    if (text == nullptr) return 0;
    char* end = nullptr;
    const long long value = std::strtoll(text, &end, 10);
    return end == text ? 0 : value;
}

double ScanFloat(const char* text) {
    if (text == nullptr) return 0.0;
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    return end == text ? 0.0 : value;
}

std::uint64_t TextToBool(std::string_view text) {
    return text == "true" || text == "T" ? 1 : 0;
}

tString IntegerText(std::int64_t value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return tString(buffer, static_cast<std::size_t>(result.ptr - buffer));
}

tString FloatText(double value, bool forcePoint) {
    char buffer[40];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer - 1, value);
    std::size_t length = static_cast<std::size_t>(result.ptr - buffer);
    if (forcePoint && std::memchr(buffer, '.', length) == nullptr) buffer[length++] = '.';
    return tString(buffer, length);
}

}  // namespace QUON_Evaluator
