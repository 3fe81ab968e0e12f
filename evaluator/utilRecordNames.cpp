#include "evaluator/utilRecordNames.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "platform/Invariant.h"

namespace QUON_Evaluator {

using zul::zulStdString::tString;

bool utilRecordNames::NameOrder::operator()(const tString& a, const tString& b) const {
    const std::size_t common = std::min(a.size(), b.size());
    if (common != 0)
        if (const int bytes = std::memcmp(a.c_str(), b.c_str(), common); bytes != 0) return bytes < 0;
    return a.size() < b.size();
}

utilRecordNames::Handle utilRecordNames::Make() {
    return std::make_shared<utilRecordNames>();
}

utilRecordNames::Handle utilRecordNames::FromNames(std::initializer_list<const char*> list) {
    Handle handle = Make();
    for (const char* name : list)
        AddName(handle, name != nullptr ? std::string_view(name) : std::string_view());
    return handle;
}

std::int16_t utilRecordNames::AddName(Handle& handle, std::string_view name) {
    QUON_INVARIANT(handle != nullptr, "a name added through an empty names handle");
    tString key(name);
    if (const auto found = handle->names.find(key); found != handle->names.end() && found->second >= 0)
        return found->second;
    if (handle->names.size() > static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max()))
        throw std::length_error("a record has at most 32768 attributes");
    if (handle.use_count() > 1) handle = std::make_shared<utilRecordNames>(*handle);  // copy on write
    const auto index = static_cast<std::int16_t>(handle->names.size());
    handle->names.emplace(std::move(key), index);
    return index;
}

int utilRecordNames::Find(const char* name) const {
    const tString key(name);  // a temporary pooled string; null gives the empty name
    const auto found = names.find(key);
    // A negative index marks an absent attribute; any other lies within the table.
    QUON_INVARIANT(
        found == names.end() || found->second < 0 || static_cast<std::size_t>(found->second) < names.size(),
        "a names table entry whose index lies past the table");
    return found != names.end() ? found->second : -1;
}

}  // namespace QUON_Evaluator
