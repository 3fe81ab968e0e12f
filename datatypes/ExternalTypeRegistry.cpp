#include "datatypes/ExternalTypeRegistry.h"

#include "datatypes/DataTypeCodes.h"

namespace QUON_DataTypes {

ExternalTypeRegistry& ExternalTypeRegistry::Instance() {
    // Never destroyed: its names are pooled strings, and the string pool may go first at exit.
    static ExternalTypeRegistry* const registry = new ExternalTypeRegistry();
    return *registry;
}

std::int32_t ExternalTypeRegistry::Register(std::string_view name) {
    std::lock_guard lock(mutex);
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i].Text() == name) return TypeCode::kFirstExternal + static_cast<std::int32_t>(i);
    }
    names.emplace_back(name);
    return nextExternalCode++;
}

std::optional<std::int32_t> ExternalTypeRegistry::Find(std::string_view name) const {
    std::lock_guard lock(mutex);
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i].Text() == name) return TypeCode::kFirstExternal + static_cast<std::int32_t>(i);
    }
    return std::nullopt;
}

zul::zulStdString::tString ExternalTypeRegistry::NameOf(std::int32_t code) const {
    std::lock_guard lock(mutex);
    const std::int64_t position = static_cast<std::int64_t>(code) - TypeCode::kFirstExternal;
    if (position < 0 || position >= static_cast<std::int64_t>(names.size())) {
        return zul::zulStdString::tString();
    }
    return names[static_cast<std::size_t>(position)];
}

std::int32_t ExternalTypeRegistry::NextExternalCode() const {
    std::lock_guard lock(mutex);
    return nextExternalCode;
}

std::size_t ExternalTypeRegistry::Count() const {
    std::lock_guard lock(mutex);
    return names.size();
}

void ExternalTypeRegistry::Truncate(std::size_t count) {
    std::lock_guard lock(mutex);
    if (count >= names.size()) return;
    names.resize(count);
    names.shrink_to_fit();
    nextExternalCode = TypeCode::kFirstExternal + static_cast<std::int32_t>(count);
}

}  // namespace QUON_DataTypes
