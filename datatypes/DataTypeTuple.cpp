#include "datatypes/DataTypeTuple.h"

#include <new>

#include "datatypes/DataTypeCodes.h"
#include "datatypes/DataTypeSimple.h"

namespace QUON_DataTypes {

using zul::zulStdString::tString;

namespace {

// The tail ends the chain: Undefined for a closed tuple, a variable for an open extension.
bool EndsChain(const DataType& tail) {
    return tail->TypeCode() <= 0;
}

// Only DataTypeTuple objects carry the tuple codes.
DataTypeTuple* AsTuple(DataTypeImp* type) {
    const std::int32_t code = type->TypeCode();
    return code == TypeCode::kTuple || code == TypeCode::kTupleX ? static_cast<DataTypeTuple*>(type)
                                                                 : nullptr;
}

DataTypeImp* CreateVariableChain(std::int32_t code, std::uint32_t n, std::uint32_t f) {
    if (n < 1) return nullptr;
    std::vector<DataType> elements;
    elements.reserve(n);
    for (std::uint32_t i = 0; i < n; ++i) elements.emplace_back(CreateTypeVariable(f + i));
    DataType end(code == TypeCode::kTupleX ? CreateTypeVariable(f + n) : nullptr);
    return CreateTupleChain(code, std::move(elements), std::move(end));
}

}  // namespace

DataTypeTuple::DataTypeTuple(std::int32_t code, DataType head, DataType tail)
    : DataTypeComplex(code, MoveSubTypes(head, tail)) {}

DataTypeTuple::~DataTypeTuple() {
    // Each following node that this one alone holds is unlinked before it goes, so that it dies
    // with an Undefined tail instead of destroying the rest of the chain from its destructor.
    DataTypeImp* rest = Tail().Take();
    while (AsTuple(rest) != nullptr && rest->IsSolelyOwned()) {
        DataTypeImp* after = AsTuple(rest)->Tail().Take();
        rest->Release();
        rest = after;
    }
    rest->Release();
}

DataTypeTuple* DataTypeTuple::Next() const {
    return AsTuple(Tail().Get());
}

DataTypeTuple* DataTypeTuple::Continuation() const {
    DataTypeTuple* next = Next();
    if (next == nullptr) return nullptr;
    const DataType& after = next->Tail();
    return EndsChain(after) || AsTuple(after.Get()) != nullptr ? next : nullptr;
}

DataTypeImp* DataTypeTuple::Clone() const {
    // A clone copies head and tail, and copying a polymorphic tail clones it in turn. The nodes
    // from the first whose rest of the chain holds no variable on are shared, not cloned.
    std::vector<const DataTypeTuple*> nodes{this};
    while (const DataTypeTuple* next = nodes.back()->Next()) nodes.push_back(next);
    std::size_t cloned = nodes.size();
    bool polymorphic = nodes.back()->Tail()->IsPolymorphic();
    for (std::size_t k = nodes.size() - 1; k >= 1 && !polymorphic; --k) {
        polymorphic = nodes[k]->Head()->IsPolymorphic();
        if (!polymorphic) cloned = k;
    }
    DataTypeImp* rest = cloned < nodes.size() ? Shared(const_cast<DataTypeTuple*>(nodes[cloned]))
                                              : DataType(nodes.back()->Tail()).Take();
    for (std::size_t k = cloned; k-- > 0;) {
        DataType head(nodes[k]->Head());
        DataType tail(rest);
        rest = new (std::nothrow) DataTypeTuple(nodes[k]->TypeCode(), std::move(head), std::move(tail));
        if (rest == nullptr) return nullptr;
    }
    return rest;
}

std::int32_t DataTypeTuple::GetTupleSize() const {
    std::int32_t size = 1;
    for (const DataTypeTuple* node = this; !EndsChain(node->Tail()); ++size) {
        node = node->Next();
        // A tail of any other class reports -1 for itself, so its node counts none.
        if (node == nullptr) return size - 1;
    }
    return size;
}

DataType& DataTypeTuple::GetTupleElement(std::uint32_t i) {
    DataTypeTuple* node = this;
    for (; i > 0; --i) {
        node = EndsChain(node->Tail()) ? nullptr : node->Next();
        if (node == nullptr) return UndefinedHandle();
    }
    return node->Head();
}

DataType& DataTypeTuple::GetTupleRest(std::uint32_t i) {
    if (i == 0) return UndefinedHandle();
    DataTypeTuple* node = this;
    for (; i > 1; --i) {
        node = EndsChain(node->Tail()) ? nullptr : node->Next();
        if (node == nullptr) return UndefinedHandle();
    }
    return node->Tail();
}

DataType& DataTypeTuple::GetTupleExtension() {
    for (DataTypeTuple* node = this; node->TypeCode() == TypeCode::kTupleX;) {
        if (node->Tail()->TypeCode() < 0) return node->Tail();
        node = node->Next();
        if (node == nullptr) break;
    }
    return UndefinedHandle();
}

bool DataTypeTuple::AllSubTypes(const SubTypePredicate& predicate) const {
    const DataTypeTuple* node = this;
    for (;;) {
        if (!predicate(node->Head())) return false;
        const DataTypeTuple* next = node->Continuation();
        if (next == nullptr) break;
        node = next;
    }
    if (node->Tail()->TypeCode() == TypeCode::kUndefined) return true;
    return predicate(node->Tail());
}

bool DataTypeTuple::Traverse(DataTypeVisitor& visitor, std::uint32_t depth) {
    DataTypeTuple* node = this;
    for (;;) {
        if (!TraverseStep(node->Head(), visitor, depth)) return false;
        DataTypeTuple* next = node->Continuation();
        if (next == nullptr) break;
        node = next;
    }
    if (node->Tail()->TypeCode() == TypeCode::kUndefined) return true;
    return TraverseStep(node->Tail(), visitor, depth);
}

bool DataTypeTuple::IsEssentiallyNonPolymorphic() const {
    const std::int32_t n = GetTupleSize();
    const DataTypeTuple* node = this;
    for (std::int32_t i = 0; i < n; ++i, node = node->Next()) {
        if (!node->Head()->IsEssentiallyNonPolymorphic()) return false;
    }
    return true;
}

tString DataTypeTuple::ToString() const {
    // The elements are the heads of the first GetTupleSize nodes.
    const std::int32_t n = GetTupleSize();
    tString list;
    const DataTypeTuple* node = this;
    for (std::int32_t i = 0; i < n; ++i, node = node->Next()) {
        if (i > 0) list.Append(", ");
        list.Append(node->Head()->ToString());
    }
    const DataTypeImp* extension = UndefinedHandle().Get();
    if (TypeCode() == TypeCode::kTupleX) {
        extension = Tail()->TypeCode() < 0 ? Tail().Get() : Tail()->GetTupleExtension().Get();
    }
    if (extension->TypeCode() < 0) {
        return std::move(
            tString("TupleX[").Append(list).Append("][").Append(extension->ToString()).Append("]"));
    }
    return std::move(tString("Tuple[").Append(list).Append("]"));
}

DataTypeImp* CreateTupleChain(std::int32_t code, std::vector<DataType> elements, DataType end) {
    if (elements.empty()) return nullptr;
    DataTypeImp* rest = end.Take();
    for (std::size_t i = elements.size(); i-- > 0;) {
        DataType tail(rest);
        rest = new (std::nothrow) DataTypeTuple(code, std::move(elements[i]), std::move(tail));
        if (rest == nullptr) return nullptr;
    }
    return rest;
}

DataTypeImp* CreateTupleType(std::uint32_t n, std::uint32_t f) {
    return CreateVariableChain(TypeCode::kTuple, n, f);
}

DataTypeImp* CreateTupleXType(std::uint32_t n, std::uint32_t f) {
    return CreateVariableChain(TypeCode::kTupleX, n, f);
}

}  // namespace QUON_DataTypes
