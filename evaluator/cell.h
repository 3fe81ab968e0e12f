// The cell: one Quon value in exactly two 64-bit words.
//
//   offset 0  class identity: the address of the class's table of virtual operations
//   offset 8  payload word: an integer, a double, a flag, a string body, a packed date-time,
//             or (for the host's cells) a pointer to the host's array, record or object
//
// No cell class adds a field, so a cell is copied by value into any 16-byte slot: a pooled
// cell, an array element, a record attribute, an argument slot, a value-stack entry. The host
// and the library each build their own copy of these classes; what they share is the two
// words and the order of the operations below, so nothing may be added, removed or moved.
//
// The table order is the operation list (1..48). The Itanium C++ ABI gives the virtual
// destructor (operation 30) two slots, complete and deleting, so the table holds 49 entries;
// both modules are compiled with the same ABI, so they agree slot for slot.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "hostabi/CellSlot.h"
#include "strings/tString.h"

namespace QUON_DataTypes {
class DataType;
}

namespace QUON_Evaluator {

class EvCellVisitor;

// The payload word, read and written bit for bit.
using CellWord = std::uint64_t;

class EvCell {
public:
    using tString = zul::zulStdString::tString;
    using DataType = QUON_DataTypes::DataType;

    // A default cell: the root class's identity over a raw payload word.
    explicit EvCell(CellWord payload = 0) : word(payload) {}
    // A C++ copy would take the payload but keep the target's class: cells are copied only as
    // whole images (CopyCellWords, CellSlot).
    EvCell(const EvCell&) = delete;
    EvCell& operator=(const EvCell&) = delete;

    // Evaluation.
    virtual void PushEvaluated();                   // 1: pushes the evaluated value's image
    virtual void EvaluateInto(void* place);         // 2: writes the evaluated value at place
    virtual void EvaluateIntoVariant(void* place);  // 3: forwards to EvaluateInto
    virtual EvCell* EvaluateNew();                  // 4: a new pooled cell holding the value

    // Accessors (by default: evaluate, then ask the result).
    virtual std::int64_t GetInteger();                         // 5
    virtual double GetFloat();                                 // 6
    virtual std::uint64_t GetBool();                           // 7: 0 false, non-zero true
    virtual std::uint64_t GetDateTime(std::uint64_t& packed);  // 8: also returns the word
    virtual void GetString(tString& out);                      // 9

    virtual void PushEvaluatedAlt();                              // 10: forwards to PushEvaluated
    virtual void EvaluateIntoAlt(void* place);                    // 11: forwards to EvaluateInto
    virtual EvCell* EvaluateNewAlt();                             // 12: forwards to EvaluateNew
    virtual std::int64_t GetIntegerAlt();                         // 13: forwards to GetInteger
    virtual double GetFloatAlt();                                 // 14
    virtual std::uint64_t GetBoolAlt();                           // 15
    virtual std::uint64_t GetDateTimeAlt(std::uint64_t& packed);  // 16
    virtual void GetStringAlt(tString& out);                      // 17

    // Collections and delegation, defined by the host's cell kinds.
    virtual std::uintptr_t GetElement(void* arg);                             // 18
    virtual void DelegatedActionA(void* arg);                                 // 19
    virtual void DelegatedActionB(void* arg);                                 // 20
    virtual EvCell* SelfReference();                                          // 21
    virtual std::uintptr_t DelegatedCallA(void* a, std::int32_t n, void* b);  // 22
    virtual bool KindFlagA() const;                                           // 23: false
    virtual std::uintptr_t DelegatedCallB(void* a, std::int32_t n, void* b);  // 24

    // Types.
    virtual const DataType* GetStaticType() const;  // 25: the class's static type handle
    virtual bool IsStringCell() const;              // 26
    virtual bool KindFlagB() const;                 // 27: false
    virtual DataType GetType() const;               // 28: a copy of the static type handle

    virtual std::int32_t CompareRaw(const EvCell& other) const;  // 29: (identity, word) order
    virtual ~EvCell();                                           // 30: complete and deleting
    virtual void ReleaseData();                                  // 31: frees what the payload owns
    virtual void HookA();                                        // 32: nothing
    virtual void Accept(EvCellVisitor& visitor);                 // 33: one visitor entry
    virtual void CopyTo(void* place);                            // 34: two words, then CloneData
    virtual EvCell* SelfReferenceAlt();                          // 35
    virtual bool KindFlagC() const;                              // 36: false
    virtual void* GetAuxiliaryA() const;                         // 37: null
    virtual void CloneData();                                    // 38: a copy owns its own data
    virtual void HookB();                                        // 39: nothing
    virtual std::int64_t Compare(const EvCell& other) const;     // 40: total order

    // Printing.
    virtual void ToString(tString& out, bool quoted) const;       // 41
    virtual void ToShortString(tString& out, bool quoted) const;  // 42
    virtual void ToQuotedString(tString& out) const;              // 43

    virtual bool KindFlagD() const;       // 44: true
    virtual void* GetAuxiliaryB() const;  // 45: null
    virtual bool KindFlagE() const;       // 46: false
    virtual bool KindFlagF() const;       // 47: false
    virtual bool KindFlagG() const;       // 48: false

    // The two words, without calling an operation.
    const void* ClassIdentity() const {
        const void* identity;
        std::memcpy(&identity, static_cast<const void*>(this), sizeof identity);
        return identity;
    }
    CellWord Word() const { return word; }
    bool SameClassAs(const EvCell& other) const { return ClassIdentity() == other.ClassIdentity(); }
    // How cells of different classes order: by the difference of their class identities.
    std::int64_t ClassOrder(const EvCell& other) const {
        return static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(ClassIdentity()) -
                                         reinterpret_cast<std::uintptr_t>(other.ClassIdentity()));
    }

protected:
    CellWord word;  // the payload word; its meaning belongs to the class

    friend struct CellLayout;
};

// Layout checks for every cell class (the payload must stay the second word).
struct CellLayout {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
    template <class Cell>
    static constexpr bool IsTwoWordCell() {
        return sizeof(Cell) == 16 && alignof(Cell) == 8 && offsetof(Cell, word) == 8;
    }
#pragma GCC diagnostic pop
};

static_assert(CellLayout::IsTwoWordCell<EvCell>(), "a cell is two words, the payload second");
static_assert(sizeof(CellSlot) == sizeof(EvCell));

// Copies the two words of `cell` to `place`, as every slot copy does: the one way a cell image
// is copied.
inline void CopyCellWords(void* place, const EvCell& cell) {
    CellSlot::Of(&cell).WriteTo(place);
}

// Releases a pooled cell: ReleaseData, then its 16 bytes go back to the calling thread's pool.
void ReleasePooledCell(EvCell* cell);

}  // namespace QUON_Evaluator
