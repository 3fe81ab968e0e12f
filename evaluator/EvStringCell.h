// The string cell: its payload owns one pooled string body (tBaseString), or is null once
// ReleaseData has run. A two-word copy shares the body until CloneData gives the copy its own;
// exactly one of the sharing cells may release it. A null payload reads as the empty text.
#pragma once

#include <string_view>

#include "evaluator/EvValueCell.h"
#include "platform/Invariant.h"
#include "strings/tBaseString.h"

namespace QUON_Evaluator {

class EvStringCell : public EvPrimitiveValueCell {
public:
    using tBaseString = zul::zulStdString::tBaseString;

    // Takes over `body` (may be null).
    explicit EvStringCell(tBaseString* body) : EvPrimitiveValueCell(reinterpret_cast<CellWord>(body)) {}
    // A string cell at `place` holding a new body with a copy of `text`.
    static EvStringCell* MakeAt(void* place, std::string_view text);
    ~EvStringCell() override;

    tBaseString* Body() const {
        QUON_INVARIANT(word % alignof(tBaseString) == 0,
                       "a string cell whose payload is not a string body");
        return reinterpret_cast<tBaseString*>(word);
    }
    // The text, empty for a released cell.
    std::string_view Text() const;
    // The text as a new string handle (a copy of the body, keeping its object pointer).
    tString TextCopy() const;

    void PushEvaluated() override;
    void EvaluateInto(void* place) override;
    EvCell* EvaluateNew() override;

    std::int64_t GetInteger() override;  // "%lld" scan
    double GetFloat() override;          // "%lf" scan
    std::uint64_t GetBool() override;    // exactly "true" or "T"
    std::uint64_t GetDateTime(std::uint64_t& packed) override;
    void GetString(tString& out) override;
    const DataType* GetStaticType() const override;
    bool IsStringCell() const override;
    void ReleaseData() override;
    void Accept(EvCellVisitor& visitor) override;
    // Replaces the payload by a copy of the body; the payload is null while the copy is made,
    // so a failed copy leaves a cell that owns nothing rather than one sharing the source's.
    void CloneData() override;
    std::int64_t Compare(const EvCell& other) const override;  // bytes, then length
    void ToString(tString& out, bool quoted) const override;
    void ToShortString(tString& out, bool quoted) const override;
    void ToQuotedString(tString& out) const override;

private:
    void DropBody();
};

static_assert(CellLayout::IsTwoWordCell<EvStringCell>());

}  // namespace QUON_Evaluator
