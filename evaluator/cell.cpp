// The root cell's operations: the defaults every class inherits unless it overrides them.
// A root cell has no value: it evaluates to an invalid cell, and its accessors evaluate it and
// ask the result, so they end in the invalid cell's report.
#include "evaluator/cell.h"

#include <new>

#include "diagnostics/EvException.h"
#include "diagnostics/Exception.h"
#include "evaluator/CellPrinting.h"
#include "evaluator/EvCellVisitor.h"
#include "evaluator/EvInvalidCell.h"
#include "evaluator/ValueStack.h"
#include "memory/ThreadCellPools.h"

namespace QUON_Evaluator {

namespace {

// A pooled cell made by evaluation, released (and given back to the pool) on every way out.
class EvaluatedCell {
public:
    explicit EvaluatedCell(EvCell& source) : cell(source.EvaluateNew()) {}
    ~EvaluatedCell() { ReleasePooledCell(cell); }
    EvaluatedCell(const EvaluatedCell&) = delete;
    EvaluatedCell& operator=(const EvaluatedCell&) = delete;

    EvCell* operator->() const { return cell; }
    EvCell& operator*() const { return *cell; }

private:
    EvCell* cell;
};

// Evaluates `source` and asks the result. A result of the source's own class made no progress
// (asking it would evaluate again without end), so that is an evaluation error.
template <class Ask>
auto AskEvaluated(EvCell& source, Ask ask) {
    EvaluatedCell result(source);
    if (result->SameClassAs(source)) throw EvException(1, -1);
    return ask(*result);
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

std::int64_t EvCell::GetInteger() {
    return AskEvaluated(*this, [](EvCell& r) { return r.GetInteger(); });
}

double EvCell::GetFloat() {
    return AskEvaluated(*this, [](EvCell& r) { return r.GetFloat(); });
}

std::uint64_t EvCell::GetBool() {
    return AskEvaluated(*this, [](EvCell& r) { return r.GetBool(); });
}

std::uint64_t EvCell::GetDateTime(std::uint64_t& packed) {
    return AskEvaluated(*this, [&packed](EvCell& r) { return r.GetDateTime(packed); });
}

void EvCell::GetString(tString& out) {
    AskEvaluated(*this, [&out](EvCell& r) { r.GetString(out); });
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
    return GetInteger();
}

double EvCell::GetFloatAlt() {
    return GetFloat();
}

std::uint64_t EvCell::GetBoolAlt() {
    return GetBool();
}

std::uint64_t EvCell::GetDateTimeAlt(std::uint64_t& packed) {
    return GetDateTime(packed);
}

void EvCell::GetStringAlt(tString& out) {
    GetString(out);
}

std::uintptr_t EvCell::GetElement(void* arg) {
    EvaluatedCell result(*this);
    if (result->SameClassAs(*this)) throw EvException(21, 1);  // not a collection, and no progress
    const std::uintptr_t element = result->GetElement(arg);
    result->HookB();
    return element;
}

void EvCell::DelegatedActionA(void* arg) {
    EvaluatedCell(*this)->DelegatedActionA(arg);
}

void EvCell::DelegatedActionB(void* arg) {
    EvaluatedCell(*this)->DelegatedActionB(arg);
}

EvCell* EvCell::SelfReference() {
    return this;
}

std::uintptr_t EvCell::DelegatedCallA(void* a, std::int32_t n, void* b) {
    return EvaluatedCell(*this)->DelegatedCallA(a, n, b);
}

bool EvCell::KindFlagA() const {
    return false;
}

std::uintptr_t EvCell::DelegatedCallB(void* a, std::int32_t n, void* b) {
    return EvaluatedCell(*this)->DelegatedCallB(a, n, b);
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
