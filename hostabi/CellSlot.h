// The two words of a cell held as a value: a slot of the host's value stack, or a cell's image
// taken before anything can move or overwrite the cell (a push onto the value stack, a write into
// the slot it came from) and written whole afterwards.
#pragma once

#include <cstring>

namespace QUON_Evaluator {

struct CellSlot {
    void* words[2];  // class identity, payload

    static CellSlot Of(const void* cell) {
        CellSlot image;
        std::memcpy(&image, cell, sizeof image);
        return image;
    }
    void WriteTo(void* place) const { std::memcpy(place, this, sizeof *this); }
};

static_assert(sizeof(CellSlot) == 16);

}  // namespace QUON_Evaluator
