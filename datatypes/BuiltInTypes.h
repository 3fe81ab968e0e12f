// The built-in type constants: the prime types and a few generic collection types, made while
// the module loads; the signatures of the elementary operators and tables of generic function,
// function-application and tuple types by arity, made on first use.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>

#include "datatypes/DataType.h"

namespace QUON_DataTypes {

extern DataType UndefinedType;
extern DataType IntType;
extern DataType FloatType;
extern DataType BoolType;
extern DataType StringType;
extern DataType DateTimeType;
extern DataType DurationType;
extern DataType LibraryType;
extern DataType MimeResourceType;
extern DataType MetaTypeType;
extern DataType XmlTagType;
extern DataType DrawingType;
extern DataType BitmapType;

extern DataType FreeVariableType;       // '1
extern DataType ListOfVariableType;     // List['1]
extern DataType ArrayOfVariableType;    // Array['1]
extern DataType MapOfVariablesType;     // Map['1]['2]
extern DataType RecursiveVariableType;  // Recursive['1]
extern DataType VariableSetType;        // Map[String][String]

// A table of type constants built on its first lookup rather than while the module loads:
// nothing needs them at load, and building them then made loading the library several times
// dearer. Entry i (from `first` on) is make(base + i); entries below `first` hold Undefined.
// Lookups are thread-safe; the entries are released at unload like every other constant.
template <std::size_t N>
class TypeTable {
public:
    using Factory = DataTypeImp* (*)(std::uint32_t k);

    constexpr TypeTable(Factory make, std::uint32_t base, std::uint32_t first = 0)
        : make(make), base(base), first(first) {}
    TypeTable(const TypeTable&) = delete;
    TypeTable& operator=(const TypeTable&) = delete;

    const DataType& operator[](std::size_t i) const { return Entries()[i]; }
    static constexpr std::size_t size() { return N; }

private:
    const std::array<DataType, N>& Entries() const {
        if (!built.load(std::memory_order_acquire)) [[unlikely]]
            Build();
        return *entries;
    }

    void Build() const {
        std::lock_guard<std::mutex> guard(building);
        if (built.load(std::memory_order_relaxed)) return;
        std::array<DataType, N> table;
        for (std::uint32_t i = first; i < N; ++i) table[i] = make(base + i);
        entries.emplace(std::move(table));
        built.store(true, std::memory_order_release);
    }

    Factory make;                                            // builds entry i from base + i
    std::uint32_t base;                                      // see make
    std::uint32_t first;                                     // first entry made
    mutable std::atomic<bool> built{false};                  // entries are ready to read
    mutable std::mutex building;                             // one builder at a time
    mutable std::optional<std::array<DataType, N>> entries;  // empty until the first lookup
};

// The constants parsed from type strings, in the order of ParsedTypeTexts.
inline constexpr std::size_t kParsedTypeCount = 38;
extern const std::array<const char*, kParsedTypeCount> ParsedTypeTexts;
// Operators with zero, one and two operands of one type, indexed by the operand count.
extern TypeTable<3> BoolOperatorTypes;
extern TypeTable<3> IntOperatorTypes;
extern TypeTable<3> FloatOperatorTypes;
extern TypeTable<3> StringOperatorTypes;
extern TypeTable<3> DateTimeOperatorTypes;
extern TypeTable<3> DurationOperatorTypes;
// Conversions between Bool, Float, Int and String, in the order ParsedTypeTexts lists them.
extern TypeTable<12> ConversionTypes;
// ( '1 -> '1 ), ( List['1] -> List['1] ), ( List['1] -> '1 ), ( Numeric['1] -> Numeric['1] ),
// ( Numeric['1] * Numeric['1] -> Numeric['1] ), ( Value['1] * Value['1] -> Bool ),
// ( Value['1] * Value['1] -> Value['1] )
extern TypeTable<7> PolymorphicOperatorTypes;
extern DataType ListOfVariableSetType;  // List[Map[String][String]]
// The constant parsed from ParsedTypeTexts[i].
const DataType& ParsedTypeConstant(std::size_t i);

// Tables by arity n = 0 ... 16.
inline constexpr std::size_t kArityTableSize = 17;
using ArityTypeTable = TypeTable<kArityTableSize>;

extern ArityTypeTable FunctionTypes;             // ('2 * ... -> '1)
extern ArityTypeTable FunctionApplicationTypes;  // applications of those
extern ArityTypeTable TupleTypes;                // Tuple['1, ... 'n]; 0: Undefined
extern ArityTypeTable TupleXTypes;               // TupleX['1, ... 'n]['(n+1)]; 0: Undefined

}  // namespace QUON_DataTypes
