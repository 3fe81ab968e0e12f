#include "datatypes/TypeNameTable.h"

#include "datatypes/DataTypeCodes.h"

namespace QUON_DataTypes {

const std::map<std::int32_t, std::string_view>& TypeNameTable() {
    using namespace TypeCode;
    static const std::map<std::int32_t, std::string_view> table{
        {kUndefined, "Undefined"},
        {kBool, "Bool"},
        {kInt, "Int"},
        {kFloat, "Float"},
        {kString, "String"},
        {kLibrary, "Library"},
        {kDateTime, "DateTime"},
        {kDuration, "Duration"},
        {kMimeResource, "MimeResource"},
        {kMetaType, "MetaType"},
        {kXmlTag, "XmlTag"},
        {kDrawing, "Drawing"},
        {kBitmap, "Bitmap"},
        {kNumeric, "Numeric"},
        {kValue, "Value"},
        {kPrime, "Prime"},
        {kPrimeNotInt, "PrimeNotInt"},
        {kPrimeNotFloat, "PrimeNotFloat"},
        {kPrimeNotString, "PrimeNotString"},
    };
    return table;
}

std::string_view TypeName(std::int32_t code) {
    const auto& table = TypeNameTable();
    const auto found = table.find(code);
    return found != table.end() ? found->second : std::string_view();
}

}  // namespace QUON_DataTypes
