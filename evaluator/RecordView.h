// Records as the library sees them, once the host's makeRecord has filled a record cell:
//
//   record cell:   [class identity | first attribute ---------------------------+
//                                                                                v
//   record block:  0 host's | 8 names table | ... | 16-bit distance D | attribute 0 | attribute 1 ...
//                  ^                                 (8 bytes before      ^ block + D
//                  +------------------ D bytes -------- attribute 0) -----+
//
// Attribute i is the 16-byte cell at first attribute + 16 * i, in the index order of the
// record's names table. Nothing else of the block belongs to the library.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "evaluator/cell.h"
#include "evaluator/utilRecordNames.h"
#include "platform/HostCheck.h"

namespace QUON_Evaluator {

class RecordView {
public:
    // The view of a record cell (one the host's makeRecord filled).
    explicit RecordView(const EvCell& record) : first(reinterpret_cast<EvCell*>(record.Word())) {
        QUON_HOST_CHECK(first != nullptr, "a record cell without a record block");
    }

    // Bytes from the record block to the first attribute cell.
    std::uint16_t Distance() const {
        std::uint16_t distance;
        std::memcpy(&distance, reinterpret_cast<const char*>(first) - 8, sizeof distance);
        QUON_HOST_CHECK(distance >= 24, "a record block too short to hold its names table and distance (the "
                                        "16-bit distance 8 bytes before the first attribute is " +
                                            std::to_string(distance) + ", at least 24 is needed)");
        return distance;
    }
    const void* Block() const { return reinterpret_cast<const char*>(first) - Distance(); }
    const utilRecordNames& Names() const {
        const utilRecordNames* names;
        std::memcpy(&names, static_cast<const char*>(Block()) + 8, sizeof names);
        QUON_HOST_CHECK(names != nullptr, "a record block without a names table (a null pointer at byte 8)");
        return *names;
    }

    // Attribute cell by index (the caller keeps it within the names table's size).
    EvCell* Attribute(std::int64_t index) const {
        QUON_HOST_CHECK(index >= 0 && static_cast<std::uint64_t>(index) < Names().Size(),
                        "a record attribute index outside its names table");
        return first + index;
    }
    // Attribute cell by name, or null when the record has no such attribute.
    EvCell* Find(const char* name) const {
        const int index = Names().Find(name);
        return index < 0 ? nullptr : Attribute(index);
    }

private:
    EvCell* first;  // attribute 0
};

}  // namespace QUON_Evaluator
