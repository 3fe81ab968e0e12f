#include "datatypes/TypeNameTable.h"

namespace QUON_DataTypes {

const std::map<std::int32_t, std::string_view>& TypeNameTable() {
    static const std::map<std::int32_t, std::string_view> table = [] {
        std::map<std::int32_t, std::string_view> names{{TypeCode::kUndefined, "Undefined"}};
        for (const NamedPrimeType& type : kNamedPrimeTypes) names.emplace(type.code, type.name);
        return names;
    }();
    return table;
}

std::string_view TypeName(std::int32_t code) {
    const auto& table = TypeNameTable();
    const auto found = table.find(code);
    return found != table.end() ? found->second : std::string_view();
}

}  // namespace QUON_DataTypes
