// Names of the prime and named combined prime types, by code. Built once, kept for the process.
#pragma once

#include <cstdint>
#include <map>
#include <string_view>

namespace QUON_DataTypes {

const std::map<std::int32_t, std::string_view>& TypeNameTable();

// The name of `code`, or an empty view when the table has no entry for it.
std::string_view TypeName(std::int32_t code);

}  // namespace QUON_DataTypes
