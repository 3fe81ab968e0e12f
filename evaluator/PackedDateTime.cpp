#include "evaluator/PackedDateTime.h"

#include <cstdio>

namespace QUON_Evaluator {

int PackedDateTime::Year() const {
    const int code = YearCode();
    if (code > 5000) return code - 5000;
    if (code > 0) return code - 5001;  // no year 0 between -1 and 1
    return 0;
}

zul::zulStdString::tString PackedDateTime::Format() const {
    char buffer[64];
    int length;
    if (!HasDate())
        length = std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", Hours(), Minutes(), Seconds());
    else if (!HasTime())
        length = std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", Year(), Month(), Day());
    else
        length = std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d-%02d:%02d:%02d.%03d", Year(), Month(),
                               Day(), Hours(), Minutes(), Seconds(), Milliseconds());
    return zul::zulStdString::tString(buffer, static_cast<std::size_t>(length));
}

int PackedDateTime::Compare(std::uint64_t a, std::uint64_t b) {
    const PackedDateTime x{a}, y{b};
    if (x.DateHalf() != y.DateHalf()) return x.DateHalf() < y.DateHalf() ? -1 : 1;
    constexpr std::uint32_t kComparedTimeBits = (1u << 27) - 1;
    const std::uint32_t tx = x.TimeHalf() & kComparedTimeBits, ty = y.TimeHalf() & kComparedTimeBits;
    return tx < ty ? -1 : tx > ty ? 1 : 0;
}

}  // namespace QUON_Evaluator
