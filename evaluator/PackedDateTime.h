// The packed date-time word of a date-time cell, read as two 32-bit halves, low half first.
//
//   date half (low):  bits 0-4 day, 5-8 month, 9-22 year code, 23 counts only as presence,
//                     24-31 no field (compared, never printed)
//   time half (high): bits 0-9 milliseconds, 10-15 seconds, 16-21 minutes, 22-26 hours,
//                     27-31 no field (neither printed nor compared)
//
// Year code: above 5000 the year is code - 5000; 1..5000 are the years before year 1
// (code 5000 is year -1); code 0 prints as year 0. A date is absent when the low 24 bits of
// the date half are zero, a time when the whole time half is zero.
#pragma once

#include <cstdint>

#include "strings/tString.h"

namespace QUON_Evaluator {

struct PackedDateTime {
    std::uint64_t word;  // the packed word

    std::uint32_t DateHalf() const { return static_cast<std::uint32_t>(word); }
    std::uint32_t TimeHalf() const { return static_cast<std::uint32_t>(word >> 32); }

    bool HasDate() const { return (DateHalf() & 0xFFFFFFu) != 0; }
    bool HasTime() const { return TimeHalf() != 0; }

    int Day() const { return static_cast<int>(DateHalf() & 0x1F); }
    int Month() const { return static_cast<int>((DateHalf() >> 5) & 0xF); }
    int YearCode() const { return static_cast<int>((DateHalf() >> 9) & 0x3FFF); }
    int Year() const;

    int Milliseconds() const { return static_cast<int>(TimeHalf() & 0x3FF); }
    int Seconds() const { return static_cast<int>((TimeHalf() >> 10) & 0x3F); }
    int Minutes() const { return static_cast<int>((TimeHalf() >> 16) & 0x3F); }
    int Hours() const { return static_cast<int>((TimeHalf() >> 22) & 0x1F); }

    // "hh:mm:ss" without a date, "yyyy-mm-dd" without a time, else "yyyy-mm-dd-hh:mm:ss.mmm".
    zul::zulStdString::tString Format() const;

    // Date halves as unsigned numbers, then the low 27 bits of the time halves: -1, 0, 1.
    static int Compare(std::uint64_t a, std::uint64_t b);
};

}  // namespace QUON_Evaluator
