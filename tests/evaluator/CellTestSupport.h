// Helpers for the cell tests: 16-byte slots, string cells and texts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "evaluator/EvStringCell.h"
#include "evaluator/PackedDateTime.h"
#include "strings/tString.h"

namespace cell_tests {

// Storage for one cell the test writes into.
struct alignas(16) Slot {
    unsigned char bytes[16];
    QUON_Evaluator::EvCell* Cell() { return reinterpret_cast<QUON_Evaluator::EvCell*>(bytes); }
};

// A string cell that releases its body when the test ends.
class StringCell {
public:
    explicit StringCell(std::string_view text) { QUON_Evaluator::EvStringCell::MakeAt(slot.bytes, text); }
    ~StringCell() { Get().ReleaseData(); }
    QUON_Evaluator::EvStringCell& Get() {
        return *reinterpret_cast<QUON_Evaluator::EvStringCell*>(slot.bytes);
    }

private:
    Slot slot;
};

// The text that `write` appends to an empty string.
template <class Write>
std::string Text(Write write) {
    zul::zulStdString::tString out;
    write(out);
    return out.Text();
}
inline std::string Plain(const QUON_Evaluator::EvCell& cell) {
    return Text([&](auto& out) { cell.ToString(out, false); });
}
inline std::string Quoted(const QUON_Evaluator::EvCell& cell) {
    return Text([&](auto& out) { cell.ToQuotedString(out); });
}
inline std::string Value(QUON_Evaluator::EvCell& cell) {
    return Text([&](auto& out) { cell.GetString(out); });
}

// A packed date-time word from its fields.
inline std::uint64_t PackDateTime(std::uint32_t yearCode, std::uint32_t month, std::uint32_t day,
                                  std::uint32_t hours = 0, std::uint32_t minutes = 0,
                                  std::uint32_t seconds = 0, std::uint32_t milliseconds = 0) {
    const std::uint64_t date = day | month << 5 | yearCode << 9;
    const std::uint64_t time = milliseconds | seconds << 10 | minutes << 16 | hours << 22;
    return date | time << 32;
}

}  // namespace cell_tests
