// The process-wide list of externally registered type names. The name at position n belongs to
// type code 0x400000 + n. The parser looks names up here and the printer prints them.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

#include "strings/tString.h"

namespace QUON_DataTypes {

class ExternalTypeRegistry {
public:
    static ExternalTypeRegistry& Instance();

    // Appends `name` and returns its code; a name already registered keeps its first code.
    std::int32_t Register(std::string_view name);
    // The code of the first registered name equal to `name`.
    std::optional<std::int32_t> Find(std::string_view name) const;
    // The name of `code`; an empty string when no such code was handed out.
    zul::zulStdString::tString NameOf(std::int32_t code) const;
    std::int32_t NextExternalCode() const;
    // How many names are registered, and forgetting those after the first `count` (their codes
    // are handed out again): for a module that registers names only while it checks type texts,
    // so that none of its pooled strings outlive the check. No type of those codes may remain.
    std::size_t Count() const;
    void Truncate(std::size_t count);

private:
    ExternalTypeRegistry() = default;

    mutable std::mutex mutex;                       // guards both fields below
    std::vector<zul::zulStdString::tString> names;  // position n: the name of code 0x400000 + n
    std::int32_t nextExternalCode = 0x400000;       // the code the next registration receives
};

}  // namespace QUON_DataTypes
