// The root cell's operations: the defaults every class inherits unless it overrides them.
// A root cell has no value: it evaluates to an invalid cell. Its accessors evaluate it and read
// the result's payload word, so a host cell kind that evaluates to a value needs no accessors.
#include "evaluator/cell.h"

#include <bit>
#include <new>

#include "diagnostics/EvException.h"
#include "diagnostics/Exception.h"
#include "evaluator/CellPrinting.h"
#include "evaluator/EvCellVisitor.h"
#include "evaluator/EvInvalidCell.h"
#include "evaluator/PooledCell.h"
#include "evaluator/ValueStack.h"
#include "memory/ThreadCellPools.h"

namespace QUON_Evaluator {

namespace {

// Evaluates `source` (with EvaluateNew, or EvaluateNewAlt for the Alt accessors) and hands the
// result to `read`; the result goes back to the pool on every way out. A result of the source's
// own class made no progress: that is an evaluation error, not a value.
template <bool Alt, class Read>
auto ReadEvaluated(EvCell& source, Read read) {
    PooledCell result = Alt ? PooledCell::EvaluateAlt(source) : PooledCell::Evaluate(source);
    if (result->SameClassAs(source)) throw EvException(ErrorCode::kCellEvaluated);
    return read(*result);
}

// The default numeric accessors: the evaluated result's payload word, read as T.
template <bool Alt, class T>
T ReadEvaluatedWord(EvCell& source) {
    return ReadEvaluated<Alt>(source, [](EvCell& r) { return std::bit_cast<T>(r.Word()); });
}

}  // namespace

Evaluator& CurrentEvaluator() {
    Evaluator* evaluator = HostCurrentEvaluator();
    if (evaluator == nullptr) [[unlikely]]
        throw zul::Exception("No evaluator is installed on this thread");
    return *evaluator;
}

void ReleasePooledCell(EvCell* cell) {
    cell->ReleaseData();
    FreeCell(cell);
}

EvCell::~EvCell() = default;

void EvCell::PushEvaluated() {
    EvInvalidCell::MakeAt(PushValueSlot());
}

void EvCell::EvaluateInto(void* place) {
    EvInvalidCell::MakeAt(place);
}

void EvCell::EvaluateIntoVariant(void* place) {
    EvaluateInto(place);
}

EvCell* EvCell::EvaluateNew() {
    return EvInvalidCell::MakeAt(AllocateCell());
}

// The default accessors read the evaluated result's payload word as their own type; only
// GetString asks the result. The result's data is released with it either way, so a result
// that owns data (a string) leaks nothing.
std::int64_t EvCell::GetInteger() {
    return ReadEvaluatedWord<false, std::int64_t>(*this);
}

double EvCell::GetFloat() {
    return ReadEvaluatedWord<false, double>(*this);
}

std::uint64_t EvCell::GetBool() {
    return ReadEvaluatedWord<false, std::uint64_t>(*this);
}

std::uint64_t EvCell::GetDateTime(std::uint64_t& packed) {
    return packed = ReadEvaluatedWord<false, std::uint64_t>(*this);
}

void EvCell::GetString(tString& out) {
    ReadEvaluated<false>(*this, [&out](EvCell& r) { r.GetString(out); });
}

void EvCell::PushEvaluatedAlt() {
    PushEvaluated();
}

void EvCell::EvaluateIntoAlt(void* place) {
    EvaluateInto(place);
}

EvCell* EvCell::EvaluateNewAlt() {
    return EvaluateNew();
}

std::int64_t EvCell::GetIntegerAlt() {
    return ReadEvaluatedWord<true, std::int64_t>(*this);
}

double EvCell::GetFloatAlt() {
    return ReadEvaluatedWord<true, double>(*this);
}

std::uint64_t EvCell::GetBoolAlt() {
    return ReadEvaluatedWord<true, std::uint64_t>(*this);
}

std::uint64_t EvCell::GetDateTimeAlt(std::uint64_t& packed) {
    return packed = ReadEvaluatedWord<true, std::uint64_t>(*this);
}

void EvCell::GetStringAlt(tString& out) {
    ReadEvaluated<true>(*this, [&out](EvCell& r) { r.GetString(out); });
}

std::uintptr_t EvCell::GetElement(void* arg) {
    PooledCell result = PooledCell::Evaluate(*this);
    if (result->SameClassAs(*this)) throw EvException(ErrorCode::kNotACollection, kSubcodeNoProgress);
    const std::uintptr_t element = result->GetElement(arg);
    result->HookB();
    return element;
}

void EvCell::DelegatedActionA(void* arg) {
    PooledCell::Evaluate(*this)->DelegatedActionA(arg);
}

void EvCell::DelegatedActionB(void* arg) {
    PooledCell::Evaluate(*this)->DelegatedActionB(arg);
}

EvCell* EvCell::SelfReference() {
    return this;
}

std::uintptr_t EvCell::DelegatedCallA(void* a, std::int32_t n, void* b) {
    return PooledCell::Evaluate(*this)->DelegatedCallA(a, n, b);
}

bool EvCell::KindFlagA() const {
    return false;
}

std::uintptr_t EvCell::DelegatedCallB(void* a, std::int32_t n, void* b) {
    return PooledCell::Evaluate(*this)->DelegatedCallB(a, n, b);
}

bool EvCell::IsStringCell() const {
    return false;
}

bool EvCell::KindFlagB() const {
    return false;
}

std::int32_t EvCell::CompareRaw(const EvCell& other) const {
    const auto a = reinterpret_cast<std::uintptr_t>(ClassIdentity());
    const auto b = reinterpret_cast<std::uintptr_t>(other.ClassIdentity());
    if (a != b) return a < b ? -1 : 1;
    return word < other.word ? -1 : word > other.word ? 1 : 0;
}

void EvCell::ReleaseData() {}

void EvCell::HookA() {}

void EvCell::Accept(EvCellVisitor& visitor) {
    visitor.VisitCell(*this);
}

void EvCell::CopyTo(void* place) {
    CopyCellWords(place, *this);
    std::launder(static_cast<EvCell*>(place))->CloneData();
}

EvCell* EvCell::SelfReferenceAlt() {
    return this;
}

bool EvCell::KindFlagC() const {
    return false;
}

void* EvCell::GetAuxiliaryA() const {
    return nullptr;
}

void EvCell::CloneData() {}

void EvCell::HookB() {}

std::int64_t EvCell::Compare(const EvCell& other) const {
    if (!SameClassAs(other)) return ClassOrder(other);  // different classes are never equal
    return word < other.word ? -1 : word > other.word ? 1 : 0;
}

void EvCell::ToString(tString& out, bool) const {
    out = GenericCellText(ClassIdentity(), static_cast<std::int64_t>(word));
}

void EvCell::ToShortString(tString& out, bool quoted) const {
    ToString(out, quoted);
}

void EvCell::ToQuotedString(tString& out) const {
    ToString(out, true);
}

bool EvCell::KindFlagD() const {
    return true;
}

void* EvCell::GetAuxiliaryB() const {
    return nullptr;
}

bool EvCell::KindFlagE() const {
    return false;
}

bool EvCell::KindFlagF() const {
    return false;
}

bool EvCell::KindFlagG() const {
    return false;
}

}  // namespace QUON_Evaluator
