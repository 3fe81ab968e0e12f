// Record types: an ordered map from attribute name to type, plus one sub-type, the extension.
// The extension is Undefined for exact and empty records; for an extendable record it is a
// type variable until bound, often to another record whose attributes then join this one's:
//
//   RecordX{a:Int} ──ext──► RecordX{b:String} ──ext──► '5     (prints RecordX[a:Int, b:String]['5])
#pragma once

#include <cstdint>
#include <string_view>

#include "datatypes/DataTypeComplex.h"

namespace QUON_DataTypes {

// Sub-types: extension. Clones of every record class are of this class.
class DataTypeRecord : public DataTypeComplex {
public:
    // An empty attribute map and the Undefined extension.
    explicit DataTypeRecord(std::int32_t code);
    // Takes over `attributes`; an extendable record starts with a fresh variable as extension,
    // numbered one above the largest variable among the attribute types.
    DataTypeRecord(std::int32_t code, AttributeMap attributes);

    zul::zulStdString::tString ToString() const override;
    DataTypeImp* Clone() const override;
    std::int32_t Compare(const DataTypeImp& other) const override;
    bool IsEssentiallyNonPolymorphic() const override;
    bool Traverse(DataTypeVisitor& visitor, std::uint32_t depth) override;
    bool AllSubTypes(const SubTypePredicate& predicate) const override;

    DataTypeImp* FlattenRecord() const override;
    DataType* FindAttribute(std::string_view name) override;
    DataType* GetRecordExtension() override;
    void CollectAttributes(AttributeMap& collected, DataType& extension) const override;
    void CollectAttributeTexts(AttributeTextMap& texts,
                               zul::zulStdString::tString& extension) const override;
    void CollectAttributeNames(AttributeNameSet& names) const override;

    const AttributeMap& Attributes() const noexcept { return attributes; }
    AttributeMap& Attributes() noexcept { return attributes; }

private:
    DataType& Extension() { return subTypes[0]; }
    const DataType& Extension() const { return subTypes[0]; }

    AttributeMap attributes;  // name -> type, owned; names unique, in byte order
};

class DataTypeExactRecord final : public DataTypeRecord {
public:
    explicit DataTypeExactRecord(AttributeMap attributes);
};

class DataTypeExtendableRecord final : public DataTypeRecord {
public:
    explicit DataTypeExtendableRecord(AttributeMap attributes);
};

class DataTypeEmptyRecord final : public DataTypeRecord {
public:
    DataTypeEmptyRecord();
    zul::zulStdString::tString ToString() const override;
    bool IsEssentiallyNonPolymorphic() const override { return true; }
};

}  // namespace QUON_DataTypes
