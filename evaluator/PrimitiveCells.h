// The cells whose value is the payload word itself: integers, floats, booleans, date-times.
//
//   EvIntegerCell   signed 64-bit integer
//   EvFloatCell     IEEE-754 double, bit for bit
//   EvBoolCell      0 is false, any other word true (this runtime writes 0 and 1)
//   EvDateTimeCell  packed date-time word (evaluator/PackedDateTime.h)
//
// All three printed forms (plain, quoted, short) of these cells are the plain text.
#pragma once

#include <bit>
#include <cstdint>

#include "evaluator/EvValueCell.h"

namespace QUON_Evaluator {

class EvIntegerCell : public EvPrimitiveValueCell {
public:
    explicit EvIntegerCell(std::int64_t value) : EvPrimitiveValueCell(static_cast<CellWord>(value)) {}
    std::int64_t Value() const { return static_cast<std::int64_t>(word); }

    std::int64_t GetInteger() override;
    double GetFloat() override;
    std::uint64_t GetBool() override;
    std::uint64_t GetDateTime(std::uint64_t& packed) override;
    void GetString(tString& out) override;
    const DataType* GetStaticType() const override;
    void Accept(EvCellVisitor& visitor) override;
    std::int64_t Compare(const EvCell& other) const override;
    void ToString(tString& out, bool quoted) const override;
};

class EvFloatCell : public EvPrimitiveValueCell {
public:
    explicit EvFloatCell(double value) : EvPrimitiveValueCell(std::bit_cast<CellWord>(value)) {}
    double Value() const { return std::bit_cast<double>(word); }

    std::int64_t GetInteger() override;
    double GetFloat() override;
    std::uint64_t GetBool() override;
    std::uint64_t GetDateTime(std::uint64_t& packed) override;
    void GetString(tString& out) override;
    const DataType* GetStaticType() const override;
    void Accept(EvCellVisitor& visitor) override;
    // NaN orders after every number and equal to NaN, so sorting sees a strict weak order.
    std::int64_t Compare(const EvCell& other) const override;
    void ToString(tString& out, bool quoted) const override;
};

class EvBoolCell : public EvPrimitiveValueCell {
public:
    explicit EvBoolCell(std::uint64_t value) : EvPrimitiveValueCell(value) {}
    std::uint64_t Value() const { return word; }

    std::int64_t GetInteger() override;
    double GetFloat() override;
    std::uint64_t GetBool() override;
    std::uint64_t GetDateTime(std::uint64_t& packed) override;
    void GetString(tString& out) override;
    const DataType* GetStaticType() const override;
    void Accept(EvCellVisitor& visitor) override;
    void ToString(tString& out, bool quoted) const override;
};

class EvDateTimeCell : public EvPrimitiveValueCell {
public:
    explicit EvDateTimeCell(std::uint64_t packed) : EvPrimitiveValueCell(packed) {}
    std::uint64_t Value() const { return word; }

    std::int64_t GetInteger() override;
    double GetFloat() override;
    std::uint64_t GetBool() override;
    std::uint64_t GetDateTime(std::uint64_t& packed) override;
    void GetString(tString& out) override;
    const DataType* GetStaticType() const override;
    void Accept(EvCellVisitor& visitor) override;
    std::int64_t Compare(const EvCell& other) const override;
    void ToString(tString& out, bool quoted) const override;
};

static_assert(CellLayout::IsTwoWordCell<EvIntegerCell>());
static_assert(CellLayout::IsTwoWordCell<EvFloatCell>());
static_assert(CellLayout::IsTwoWordCell<EvBoolCell>());
static_assert(CellLayout::IsTwoWordCell<EvDateTimeCell>());

}  // namespace QUON_Evaluator
