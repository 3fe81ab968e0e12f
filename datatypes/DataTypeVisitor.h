// Visitors for the depth-limited walk over a type's sub-type slots (DataTypeImp::Traverse).
#pragma once

#include <cstdint>
#include <utility>

namespace QUON_DataTypes {

class DataType;

// What the walk does after visiting a slot. Any other value behaves like kSkip.
using VisitResult = std::uint8_t;
inline constexpr VisitResult kSkip = 0;     // go on with the next sibling, do not descend
inline constexpr VisitResult kDescend = 1;  // walk this sub-type's own sub-types
inline constexpr VisitResult kStop = 255;   // end the whole walk

class DataTypeVisitor {
public:
    virtual VisitResult operator()(DataType* subType) = 0;

protected:
    ~DataTypeVisitor() = default;
};

// Wraps a callable VisitResult(DataType*).
template <class F>
class DataTypeVisitorFunction final : public DataTypeVisitor {
public:
    explicit DataTypeVisitorFunction(F function) : function(std::move(function)) {}
    VisitResult operator()(DataType* subType) override { return function(subType); }

private:
    F function;  // the wrapped callable
};

}  // namespace QUON_DataTypes
