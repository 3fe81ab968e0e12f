// A value as the stand-in host holds it: one cell it owns (an Int, Float, Bool or String cell,
// or one of the host's array, record, custom-object or function cells). Copies share what the
// cell refers to (CopyTo); the last owner releases it. Values are what the host passes to a
// library row and what it gets back.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "evaluator/cell.h"

namespace quon_host {

class Value {
public:
    Value();  // no value yet: an invalid cell
    Value(const Value& other);
    Value(Value&& other) noexcept;
    Value& operator=(Value other) noexcept;
    ~Value();

    static Value Int(std::int64_t value);
    static Value Float(double value);
    static Value Bool(bool value);
    static Value String(std::string_view bytes);
    static Value Array(const std::vector<Value>& elements);
    static Value Record(const std::vector<std::pair<std::string, Value>>& attributes);
    // What a Quon function does over host values (host/HostFunction.h makes function values).
    using Body = std::function<Value(std::span<const Value> arguments)>;
    // A new owner of another share of `cell`'s value (two words, then CloneData).
    static Value Share(const QUON_Evaluator::EvCell& cell);
    // Takes over `cell`'s image and what it owns (no CloneData); `cell` must not be released again.
    static Value Adopt(const QUON_Evaluator::EvCell& cell);

    QUON_Evaluator::EvCell& Cell() const;
    // Writes this value's image into `place` and gives up ownership (the value is left empty).
    void MoveInto(void* place);

    enum class Kind { None, Int, Float, Bool, String, Array, Record, Custom, Function };
    Kind GetKind() const { return KindOf(Cell()); }
    // The kind of value any host cell holds.
    static Kind KindOf(const QUON_Evaluator::EvCell& cell);
    std::int64_t AsInt() const;  // the payload of an Int (or a Bool's word)
    double AsFloat() const;
    std::string AsString() const;            // the bytes of a String
    std::vector<Value> Elements() const;     // shares of an array's elements
    std::size_t Count() const;               // an array's element count (0 for any other value)
    Value Element(std::size_t index) const;  // a share of element `index`, which is below Count()
    std::vector<std::pair<std::string, Value>> Attributes() const;  // shares of a record's attributes
    const char* CustomTypeName() const;  // the row's type name of a custom object, or null

    // The cells' own quoted printing: 'text' for strings, [a, b] and {name: value} for arrays and
    // records, so that a printed value reads as the literal that makes it.
    std::string Text() const;
    // The value's type for messages: "Int", "Array[String]", "Array[Int | Float]", "Record[ a: Int ]".
    std::string TypeText() const;

private:
    struct alignas(16) Slot {
        unsigned char bytes[16];
    };
    Slot slot;
};

}  // namespace quon_host
