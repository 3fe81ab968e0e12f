// The type model's root: `DataTypeImp`, the reference-counted base of every type object, and
// `DataType`, the one-pointer handle through which every type object is held.
//
//   DataType ──► DataTypeImp { vptr, refCount (atomic), typeCode } ──► subclass fields
//
// A handle is never empty: where it would be, it holds the shared Undefined instance. A type
// that contains type variables is cloned for every new owner, because its variables may later
// be bound by assigning into its sub-type slots; a type without variables is shared.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string_view>
#include <vector>

#include "datatypes/DataTypeVisitor.h"
#include "strings/tString.h"

namespace QUON_DataTypes {

class DataTypeImp;

class DataType {
public:
    DataType() noexcept;                               // the shared Undefined instance
    explicit DataType(DataTypeImp* adopted) noexcept;  // adopts the creator's reference; null: Undefined
    DataType(const DataType& other);                   // clones a polymorphic type, shares the others
    DataType(DataType&& other) noexcept;               // `other` is left holding Undefined
    ~DataType();

    // Assignments bind a slot: each refuses a value that contains the slot itself (a cycle),
    // leaving Undefined and throwing std::runtime_error "Recursive data type detected!".
    DataType& operator=(const DataType& other);
    DataType& operator=(DataType&& other);
    DataType& operator=(DataTypeImp* adopted);  // a newly created type object (or null)

    // Gives up the held object with its reference and leaves Undefined, as a move does. Moves
    // and Take leave the process-wide shared handles intact: from them the object is copied.
    DataTypeImp* Take() noexcept;

    DataTypeImp* Get() const noexcept { return imp; }
    DataTypeImp* operator->() const noexcept { return imp; }
    DataTypeImp& operator*() const noexcept { return *imp; }

    // The printed form; a new pooled string owned by the caller.
    zul::zulStdString::tString ToString() const;

    // Widens [min, max] to cover the indices of all type variables; min 0 means "none found yet".
    void FindMinMaxPolyTypesContinue(std::uint32_t& min, std::uint32_t& max) const;

private:
    // True when `handle` is one of the slots reachable from this handle's type.
    bool Check_IfReferencesType(const DataType& handle) const;
    // Stores `adopted` (already counted), releasing the old value, then runs the cycle check.
    void Bind(DataTypeImp* adopted);

    DataTypeImp* imp;  // one counted reference; never null
};

static_assert(sizeof(DataType) == 8, "a type handle is one pointer");

// Attribute names order by their bytes (a shorter name first when one is a prefix).
struct AttributeNameLess {
    using is_transparent = void;
    static std::string_view View(const zul::zulStdString::tString& name) { return name.Text(); }
    static std::string_view View(std::string_view name) { return name; }
    template <class A, class B>
    bool operator()(const A& a, const B& b) const {
        return View(a) < View(b);
    }
};

using AttributeMap = std::map<zul::zulStdString::tString, DataType, AttributeNameLess>;
using AttributeTextMap =
    std::map<zul::zulStdString::tString, zul::zulStdString::tString, AttributeNameLess>;
using AttributeNameSet = std::set<zul::zulStdString::tString, AttributeNameLess>;
using SubTypePredicate = std::function<bool(const DataType&)>;

// The abstract base of all type objects. The virtual operations keep this table order.
class DataTypeImp {
public:
    DataTypeImp(const DataTypeImp&) = delete;
    DataTypeImp& operator=(const DataTypeImp&) = delete;

    virtual zul::zulStdString::tString ToString() const = 0;                              // 1
    virtual bool IsFullyDefined() const = 0;                                              // 2
    virtual bool IsPolymorphic() const = 0;                                               // 3
    virtual std::uint32_t GetPolyConstraint() const;                                      // 4
    virtual bool IsEssentiallyNonPolymorphic() const = 0;                                 // 5
    virtual bool IsExternal() const;                                                      // 6
    virtual std::int32_t Compare(const DataTypeImp& other) const;                         // 7
    virtual bool HasSubTypes() const = 0;                                                 // 8
    virtual DataType& GetElementType();                                                   // 9
    virtual DataType& GetKeyType();                                                       // 10
    virtual DataType& GetInstanceType();                                                  // 11
    virtual DataType& GetReferencedType();                                                // 12
    virtual std::uint32_t GetArgumentCount() const;                                       // 13
    virtual DataType& GetFunctionSubType(std::uint32_t i);                                // 14
    virtual std::int32_t GetTupleSize() const;                                            // 15
    virtual DataType& GetTupleElement(std::uint32_t i);                                   // 16
    virtual DataType& GetTupleRest(std::uint32_t i);                                      // 17
    virtual DataType& GetTupleExtension();                                                // 18
    virtual DataTypeImp* FlattenRecord() const;                                           // 19
    virtual DataType* FindAttribute(std::string_view name);                               // 20
    virtual DataType* GetRecordExtension();                                               // 21
    virtual void CollectAttributes(AttributeMap& attributes, DataType& extension) const;  // 22
    virtual void CollectAttributeTexts(AttributeTextMap& texts,
                                       zul::zulStdString::tString& extension) const;  // 23
    virtual void CollectAttributeNames(AttributeNameSet& names) const;                // 24
    virtual void* GetAuxiliaryPointer() const;                                        // 25
    virtual DataType& GetAuxiliaryType();                                             // 26
    virtual bool Traverse(DataTypeVisitor& visitor, std::uint32_t depth);             // 27
    virtual bool AllSubTypes(const SubTypePredicate& predicate) const;                // 28
    virtual DataTypeImp* Clone() const = 0;                                           // 29
    virtual ~DataTypeImp() = default;                                                 // 30

    // Appends a pointer to each direct sub-type handle, in walk order.
    void GetSubTypes(std::vector<DataType*>& subTypes) const;

    std::int32_t TypeCode() const noexcept { return typeCode; }
    std::uint32_t ReferenceCount() const noexcept { return refCount.load(std::memory_order_relaxed); }
    void AddReference() noexcept { refCount.fetch_add(1, std::memory_order_relaxed); }
    // True when the caller holds the only reference: no other thread can reach the object.
    bool IsSolelyOwned() const noexcept { return refCount.load(std::memory_order_acquire) == 1; }
    // Drops one reference; the last one destroys the object.
    void Release() noexcept;

protected:
    explicit DataTypeImp(std::int32_t code) noexcept : typeCode(code) {}
    // The default structural comparison: code, then sub-types pairwise.
    std::int32_t CompareDefault(const DataTypeImp& other) const;

private:
    std::atomic<std::uint32_t> refCount{1};  // references held by handles; 1 on creation
    std::int32_t typeCode;                   // the type code (see DataTypeCodes.h)
};

static_assert(sizeof(DataTypeImp) == 16, "vptr, reference count, type code");

// Process-wide handles: accessors return the Undefined one for what a class lacks, and lists,
// arrays and sequences return theirs as their key type (Int). Callers read them; assigning to
// one throws std::logic_error and moving out of one copies, so a careless binding or move
// cannot change every type's answer.
enum class SharedHandle { kUndefined, kListKey, kArrayKey, kSequenceKey, kSequenceStrKey };
DataType& GetSharedHandle(SharedHandle which);
DataType& UndefinedHandle();

}  // namespace QUON_DataTypes
