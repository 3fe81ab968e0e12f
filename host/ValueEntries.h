// The operation table's value entries (0 to 8 but 2): the cells of host/HostValues.h as the
// library asks for them.
#pragma once

#include <cstdint>
#include <memory>

#include "host/HostValues.h"

namespace quon_host {

// Each setter and makeRecord writes a new cell into the 16 bytes at `cell` without looking at what
// was there.
void SetInt(EvCell* cell, std::int64_t value);
void SetFloat(EvCell* cell, double value);
void SetBool(EvCell* cell, std::uint64_t value);
void SetString(EvCell* cell, const char* bytes, std::uint64_t length);
void SetCustom(EvCell* cell, void* object, const QUON_ExternLib::CustomTypeEntry* entry);
// The object of a cell filled by SetCustom; null for any other cell.
void* GetCustom(EvCell* cell);
// A record with one attribute cell per name of the table (a null handle gives no attributes).
void MakeRecord(EvCell* cell, const std::shared_ptr<utilRecordNames>* names);
// A cell from the calling thread's cell pool 1 holding a new array of `count` element cells. A
// count that is negative as a signed number throws zul::Exception ("Negative array size! ...").
EvCell* MakeArray(std::uint64_t count);

}  // namespace quon_host
