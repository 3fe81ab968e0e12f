#include "evaluator/PrimitiveCells.h"

#include <cmath>

#include "evaluator/CellConversions.h"
#include "evaluator/EvCellVisitor.h"
#include "evaluator/PackedDateTime.h"

namespace QUON_Evaluator {

namespace {

template <class T>
std::int64_t ThreeWay(T a, T b) {
    return a < b ? -1 : a > b ? 1 : 0;
}

zul::zulStdString::tString BoolText(std::uint64_t value) {
    return zul::zulStdString::tString(value != 0 ? "true" : "false");
}

}  // namespace

// Integer.
std::int64_t EvIntegerCell::GetInteger() {
    return Value();
}
double EvIntegerCell::GetFloat() {
    return static_cast<double>(Value());
}
std::uint64_t EvIntegerCell::GetBool() {
    return word;
}
std::uint64_t EvIntegerCell::GetDateTime(std::uint64_t& packed) {
    return packed = word;
}
void EvIntegerCell::GetString(tString& out) {
    out = IntegerText(Value());
}
void EvIntegerCell::Accept(EvCellVisitor& visitor) {
    visitor.VisitInteger(*this);
}
std::int64_t EvIntegerCell::Compare(const EvCell& other) const {
    if (!SameClassAs(other)) return ClassOrder(other);
    return ThreeWay(Value(), static_cast<const EvIntegerCell&>(other).Value());
}
void EvIntegerCell::ToString(tString& out, bool) const {
    out = IntegerText(Value());
}

// Float.
std::int64_t EvFloatCell::GetInteger() {
    return FloatToInteger(Value());
}
double EvFloatCell::GetFloat() {
    return Value();
}
std::uint64_t EvFloatCell::GetBool() {
    return FloatToBool(Value());
}
std::uint64_t EvFloatCell::GetDateTime(std::uint64_t& packed) {
    return packed = word;
}
void EvFloatCell::GetString(tString& out) {
    out = FloatText(Value(), false);
}
void EvFloatCell::Accept(EvCellVisitor& visitor) {
    visitor.VisitFloat(*this);
}
std::int64_t EvFloatCell::Compare(const EvCell& other) const {
    if (!SameClassAs(other)) return ClassOrder(other);
    const double a = Value(), b = static_cast<const EvFloatCell&>(other).Value();
    const bool aNaN = std::isnan(a), bNaN = std::isnan(b);
    if (aNaN || bNaN) return ThreeWay(aNaN, bNaN);
    return ThreeWay(a, b);
}
void EvFloatCell::ToString(tString& out, bool) const {
    out = FloatText(Value(), true);
}

// Bool.
std::int64_t EvBoolCell::GetInteger() {
    return static_cast<std::int64_t>(word);
}
double EvBoolCell::GetFloat() {
    return static_cast<double>(word);
}
std::uint64_t EvBoolCell::GetBool() {
    return word;
}
std::uint64_t EvBoolCell::GetDateTime(std::uint64_t& packed) {
    return packed = word;
}
void EvBoolCell::GetString(tString& out) {
    out = BoolText(word);
}
void EvBoolCell::Accept(EvCellVisitor& visitor) {
    visitor.VisitBool(*this);
}
void EvBoolCell::ToString(tString& out, bool) const {
    out = BoolText(word);
}

// Date-time.
std::int64_t EvDateTimeCell::GetInteger() {
    return static_cast<std::int64_t>(word);
}
double EvDateTimeCell::GetFloat() {
    return static_cast<double>(static_cast<std::int64_t>(word));
}
std::uint64_t EvDateTimeCell::GetBool() {
    return word;
}
std::uint64_t EvDateTimeCell::GetDateTime(std::uint64_t& packed) {
    return packed = word;
}
void EvDateTimeCell::GetString(tString& out) {
    out = PackedDateTime{word}.Format();
}
void EvDateTimeCell::Accept(EvCellVisitor& visitor) {
    visitor.VisitDateTime(*this);
}
std::int64_t EvDateTimeCell::Compare(const EvCell& other) const {
    if (!SameClassAs(other)) return ClassOrder(other);
    return PackedDateTime::Compare(word, static_cast<const EvDateTimeCell&>(other).word);
}
void EvDateTimeCell::ToString(tString& out, bool) const {
    out = PackedDateTime{word}.Format();
}

}  // namespace QUON_Evaluator
