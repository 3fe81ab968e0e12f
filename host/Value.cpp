#include "host/Value.h"

#include <algorithm>
#include <array>
#include <new>
#include <stdexcept>

#include "evaluator/CellClassTable.h"
#include "evaluator/EvInvalidCell.h"
#include "evaluator/EvStringCell.h"
#include "evaluator/PrimitiveCells.h"
#include "evaluator/RecordView.h"
#include "evaluator/fArrayOfPrimitiveValues.h"
#include "host/HostContext.h"
#include "host/HostValues.h"
#include "memory/ThreadCellPools.h"

namespace quon_host {

using QUON_Evaluator::EvCell;

namespace {

using ArrayView = QUON_Evaluator::fArrayOfPrimitiveValues<EvCell*>;

// The host makes its own values through the entries it hands the library, so that an entry gets
// one behaviour everywhere (the faulty test build's wrong entries included).
const ParentContext& Entries() {
    return *HostContext();
}

template <class T>
const T* As(const EvCell& cell) {
    return dynamic_cast<const T*>(&cell);
}

}  // namespace

Value::Value() {
    QUON_Evaluator::EvInvalidCell::MakeAt(slot.bytes);
}

Value::Value(const Value& other) {
    other.Cell().CopyTo(slot.bytes);
}

Value::Value(Value&& other) noexcept {
    QUON_Evaluator::CopyCellWords(slot.bytes, other.Cell());
    QUON_Evaluator::EvInvalidCell::MakeAt(other.slot.bytes);
}

Value& Value::operator=(Value other) noexcept {
    Cell().ReleaseData();
    QUON_Evaluator::CopyCellWords(slot.bytes, other.Cell());
    QUON_Evaluator::EvInvalidCell::MakeAt(other.slot.bytes);
    return *this;
}

Value::~Value() {
    Cell().ReleaseData();
}

EvCell& Value::Cell() const {
    return *std::launder(reinterpret_cast<EvCell*>(const_cast<unsigned char*>(slot.bytes)));
}

void Value::MoveInto(void* place) {
    QUON_Evaluator::CopyCellWords(place, Cell());
    QUON_Evaluator::EvInvalidCell::MakeAt(slot.bytes);
}

Value Value::Int(std::int64_t value) {
    Value v;
    Entries().setInt(&v.Cell(), value);
    return v;
}

Value Value::Float(double value) {
    Value v;
    Entries().setFloat(&v.Cell(), value);
    return v;
}

Value Value::Bool(bool value) {
    Value v;
    Entries().setBool(&v.Cell(), value ? 1 : 0);
    return v;
}

Value Value::String(std::string_view bytes) {
    Value v;
    Entries().setString(&v.Cell(), bytes.data(), bytes.size());
    return v;
}

Value Value::Array(const std::vector<Value>& elements) {
    Value v;
    EvCell* carrier = Entries().makeArray(elements.size());
    const HostArrayObject* object = static_cast<const HostArrayCell*>(carrier)->Object();
    QUON_Evaluator::CopyCellWords(&v.Cell(), *carrier);  // the value owns the array from here on
    QUON_Evaluator::FreeCell(carrier);
    for (std::size_t i = 0; i < elements.size(); ++i) elements[i].Cell().CopyTo(object->Cells() + i);
    return v;
}

Value Value::Record(const std::vector<std::pair<std::string, Value>>& attributes) {
    auto names = QUON_Evaluator::utilRecordNames::Make();
    std::vector<std::int16_t> indices;
    for (const auto& attribute : attributes)
        indices.push_back(QUON_Evaluator::utilRecordNames::AddName(names, attribute.first));
    Value v;
    Entries().makeRecord(&v.Cell(), &names);
    const QUON_Evaluator::RecordView record(v.Cell());
    for (std::size_t i = 0; i < attributes.size(); ++i) {
        EvCell* place = record.Attribute(indices[i]);
        place->ReleaseData();  // a repeated name keeps its last value
        attributes[i].second.Cell().CopyTo(place);
    }
    return v;
}

Value Value::Share(const EvCell& cell) {
    Value v;
    const_cast<EvCell&>(cell).CopyTo(v.slot.bytes);
    return v;
}

Value Value::Adopt(const EvCell& cell) {
    Value v;
    QUON_Evaluator::CopyCellWords(v.slot.bytes, cell);
    return v;
}

namespace {

// The kind of every cell class this host and the runtime make, by class identity: one compare
// each, where a failing dynamic_cast walks the class chain comparing type names.
struct KindByIdentity {
    const void* identity;
    Value::Kind kind;
};

const std::array<KindByIdentity, 8>& KnownKinds() {
    using QUON_Evaluator::CellClass;
    static const std::array<KindByIdentity, 8> known = [] {
        const auto& classes = QUON_Evaluator::CellClasses();
        static const HostArrayCell array(nullptr);
        static const HostRecordCell record(nullptr);
        static const HostCustomCell custom(nullptr);
        static const HostFunctionCell function(nullptr);
        return std::array<KindByIdentity, 8>{{
            {classes.Identity(CellClass::kInteger), Value::Kind::Int},
            {array.ClassIdentity(), Value::Kind::Array},
            {classes.Identity(CellClass::kFloat), Value::Kind::Float},
            {classes.Identity(CellClass::kString), Value::Kind::String},
            {classes.Identity(CellClass::kBool), Value::Kind::Bool},
            {record.ClassIdentity(), Value::Kind::Record},
            {function.ClassIdentity(), Value::Kind::Function},
            {custom.ClassIdentity(), Value::Kind::Custom},
        }};
    }();
    return known;
}

}  // namespace

Value::Kind Value::KindOf(const EvCell& cell) {
    // The classes this host knows by their identity first; dynamic_cast for any subclass (the
    // library's own cells).
    for (const KindByIdentity& known : KnownKinds())
        if (cell.ClassIdentity() == known.identity) return known.kind;
    if (As<QUON_Evaluator::EvIntegerCell>(cell)) return Kind::Int;
    if (As<QUON_Evaluator::EvFloatCell>(cell)) return Kind::Float;
    if (As<QUON_Evaluator::EvBoolCell>(cell)) return Kind::Bool;
    if (As<QUON_Evaluator::EvStringCell>(cell)) return Kind::String;
    if (As<HostArrayCell>(cell)) return Kind::Array;
    if (As<HostRecordCell>(cell)) return Kind::Record;
    if (As<HostCustomCell>(cell)) return Kind::Custom;
    if (As<HostFunctionCell>(cell)) return Kind::Function;
    return Kind::None;
}

std::int64_t Value::AsInt() const {
    return static_cast<std::int64_t>(Cell().Word());
}

double Value::AsFloat() const {
    return Cell().GetFloat();
}

std::string Value::AsString() const {
    const auto* string = As<QUON_Evaluator::EvStringCell>(Cell());
    return string != nullptr ? std::string(string->Text()) : std::string();
}

std::vector<Value> Value::Elements() const {
    std::vector<Value> elements;
    if (const auto* array = As<HostArrayCell>(Cell()); array != nullptr && array->Object() != nullptr)
        for (const EvCell& element : ArrayView::Of(&Cell())->Cells()) elements.push_back(Share(element));
    return elements;
}

std::size_t Value::Count() const {
    const auto* array = As<HostArrayCell>(Cell());
    if (array == nullptr || array->Object() == nullptr) return 0;
    return static_cast<std::size_t>(ArrayView::Of(&Cell())->Count());
}

Value Value::Element(std::size_t index) const {
    return Share(ArrayView::Of(&Cell())->Cells().first[index]);
}

std::vector<std::pair<std::string, Value>> Value::Attributes() const {
    std::vector<std::pair<std::string, Value>> attributes;
    const auto* record = As<HostRecordCell>(Cell());
    if (record == nullptr || record->Word() == 0) return attributes;
    const QUON_Evaluator::RecordView view(Cell());
    attributes.resize(view.Names().Size());
    for (const auto& [name, index] : view.Names().Names())
        attributes[index] = {name.Text(), Share(*view.Attribute(index))};
    return attributes;
}

const char* Value::CustomTypeName() const {
    const auto* custom = As<HostCustomCell>(Cell());
    if (custom == nullptr || custom->Holder() == nullptr || custom->Holder()->entry == nullptr)
        return nullptr;
    return custom->Holder()->entry->typeName;
}

std::string Value::Text() const {
    zul::zulStdString::tString text;
    Cell().ToString(text, true);
    return text.Text();
}

std::string Value::TypeText() const {
    switch (GetKind()) {
        case Kind::Int:
            return "Int";
        case Kind::Float:
            return "Float";
        case Kind::Bool:
            return "Bool";
        case Kind::String:
            return "String";
        case Kind::Array: {  // the element types in order of appearance: "Array[Int | Float]"
            std::vector<std::string> types;
            for (const Value& element : Elements())
                if (std::string type = element.TypeText();
                    std::find(types.begin(), types.end(), type) == types.end())
                    types.push_back(std::move(type));
            std::string text;
            for (const std::string& type : types) text += (text.empty() ? "" : " | ") + type;
            return types.empty() ? "an empty Array" : "Array[" + text + "]";
        }
        case Kind::Record: {
            std::string text = "Record[ ";
            bool first = true;
            for (const auto& [name, value] : Attributes()) {
                text += (first ? "" : ", ") + name + ": " + value.TypeText();
                first = false;
            }
            return text + " ]";
        }
        case Kind::Custom: {
            const char* name = CustomTypeName();
            return name != nullptr ? name : "a custom object";
        }
        case Kind::Function: {
            const std::size_t arity = static_cast<const HostFunctionCell&>(Cell()).Object()->arity;
            return "a function of " + std::to_string(arity) + (arity == 1 ? " argument" : " arguments");
        }
        case Kind::None:
            break;
    }
    return "no value";
}

}  // namespace quon_host
