#include "evaluator/EvStringCell.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "evaluator/CellConversions.h"
#include "evaluator/CellPrinting.h"
#include "evaluator/EvCellVisitor.h"

namespace QUON_Evaluator {

namespace {

using zul::zulStdString::tBaseString;

tBaseString* NewBody(std::string_view text) {
    tBaseString* body = tBaseString::New(text);
    if (body == nullptr) throw std::bad_alloc();
    return body;
}

}  // namespace

EvStringCell* EvStringCell::MakeAt(void* place, std::string_view text) {
    return ::new (place) EvStringCell(NewBody(text));
}

EvStringCell::~EvStringCell() {
    DropBody();
}

void EvStringCell::DropBody() {
    tBaseString* body = Body();
    word = 0;
    if (body == nullptr) return;
#if defined(QUON_CHECKED_HOST)
    body->CheckReleasable();
#endif
    body->Release();
}

std::string_view EvStringCell::Text() const {
    const tBaseString* body = Body();
    return body != nullptr ? std::string_view(*body) : std::string_view();
}

EvCell::tString EvStringCell::TextCopy() const {
    const tBaseString* body = Body();
    if (body == nullptr) return tString();
    tBaseString* copy = tBaseString::Copy(*body);
    if (copy == nullptr) throw std::bad_alloc();
    return tString::Adopt(copy);
}

void EvStringCell::PushEvaluated() {
    EvValueCell::PushEvaluated();
}

void EvStringCell::EvaluateInto(void* place) {
    EvValueCell::EvaluateInto(place);
}

EvCell* EvStringCell::EvaluateNew() {
    return EvValueCell::EvaluateNew();
}

std::int64_t EvStringCell::GetInteger() {
    const tBaseString* body = Body();
    return body != nullptr ? ScanInteger(body->c_str()) : 0;
}

double EvStringCell::GetFloat() {
    const tBaseString* body = Body();
    return body != nullptr ? ScanFloat(body->c_str()) : 0.0;
}

std::uint64_t EvStringCell::GetBool() {
    return TextToBool(Text());
}

std::uint64_t EvStringCell::GetDateTime(std::uint64_t& packed) {
    return packed = word;
}

void EvStringCell::GetString(tString& out) {
    out = TextCopy();
}

bool EvStringCell::IsStringCell() const {
    return true;
}

void EvStringCell::ReleaseData() {
    DropBody();
}

void EvStringCell::Accept(EvCellVisitor& visitor) {
    visitor.VisitString(*this);
}

void EvStringCell::CloneData() {
    const tBaseString* source = Body();
    word = 0;
    if (source == nullptr) return;
    tBaseString* copy = tBaseString::Copy(*source);
    if (copy == nullptr) throw std::bad_alloc();
    word = reinterpret_cast<CellWord>(copy);
}

std::int64_t EvStringCell::Compare(const EvCell& other) const {
    if (!SameClassAs(other)) return ClassOrder(other);
    const std::string_view a = Text(), b = static_cast<const EvStringCell&>(other).Text();
    const std::size_t common = std::min(a.size(), b.size());
    if (common != 0)
        if (const int bytes = std::memcmp(a.data(), b.data(), common); bytes != 0) return bytes;
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

void EvStringCell::ToString(tString& out, bool quoted) const {
    out = quoted ? QuoteText(TextCopy(), '\'') : TextCopy();
}

void EvStringCell::ToShortString(tString& out, bool quoted) const {
    out = ShortText(TextCopy(), quoted);
}

void EvStringCell::ToQuotedString(tString& out) const {
    out = QuoteText(TextCopy(), '\'');
}

}  // namespace QUON_Evaluator
