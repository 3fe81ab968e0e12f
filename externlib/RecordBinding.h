// Native structures exchanged as Quon records. A structure is declared once, as an ordered list
// of (attribute name, field) pairs, by specialising RecordBinding:
//
//   template <> struct RecordBinding<IntPair> {
//       static constexpr auto kFields = std::make_tuple(RecordField("intAttr1", &IntPair::intAttr1),
//                                                       RecordField("intAttr2", &IntPair::intAttr2));
//       static constexpr const char* kTypeText = "Record[ intAttr1: Int, intAttr2: Int ]";  // or nullptr
//   };
//
// The list names every field of an aggregate once, each under its own name (checked when the
// binding is used); a binding that leaves fields out on purpose says so with
// `static constexpr bool kLeavesFieldsOut = true;` (they are then zero when a record is read).
// A literal type text must say what the fields say (checked when the descriptor is built).
//
// Everything else comes from that list: the shared names table (the k-th name gets index k), the
// type text (the literal one, or "Record[ name: Type, ... ]" assembled from the fields' casters),
// reading a record argument (by attribute name, an absent attribute reads as 0) and building a
// record result (makeRecord, then each field into its attribute cell; a nested record is built
// into its attribute cell the same way). A std::vector of a bound structure is an array of such
// records, one read from or built in each element cell (externlib/ContainerCasters.h), and an
// ArrayView of one reads each element as the structure when it is asked for.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <tuple>
#include <type_traits>
#include <typeinfo>
#include <vector>

#include "evaluator/RecordView.h"
#include "evaluator/utilRecordNames.h"
#include "externlib/CasterRules.h"
#include "externlib/TypeText.h"
#include "platform/HostCheck.h"
#include "platform/Invariant.h"

namespace QUON_ExternLib {

template <class Struct>
struct RecordBinding;

// One attribute of a record binding: its name and the structure's field that holds it.
template <class Struct, class Field>
struct RecordField {
    static_assert(kFieldRule<Field>,
                  "this record field's type has no rule: a field is an integer type, an enum, double, "
                  "float, bool, std::string, tString, a structure with a RecordBinding, or a std::vector "
                  "or std::array of these (nothing borrowed)");
    using Type = Field;
    constexpr RecordField(const char* name, Field Struct::*member) : name(name), member(member) {}
    const char* name;
    Field Struct::*member;
};

// (BoundRecord, a structure with a binding, is declared with the array views that read records.)

namespace detail {

template <class FieldRef>
using RecordFieldType = typename std::remove_cvref_t<FieldRef>::Type;

constexpr bool SameText(const char* a, const char* b) {
    while (*a != '\0' && *a == *b) ++a, ++b;
    return *a == *b;
}

template <class Struct>
constexpr bool AllAttributeNames() {
    return std::apply([](const auto&... field) { return ((field.name != nullptr && IsName(field.name)) && ...); },
                      RecordBinding<Struct>::kFields);
}

// No name is listed twice, and no field (fields of one type compare as member pointers).
template <class Struct>
constexpr bool NoneTwice() {
    constexpr auto& fields = RecordBinding<Struct>::kFields;
    constexpr std::size_t count = std::tuple_size_v<std::remove_cvref_t<decltype(fields)>>;
    bool distinct = true;
    [&]<std::size_t... I>(std::index_sequence<I...>) {
        auto compareWithLater = [&]<std::size_t A>(std::integral_constant<std::size_t, A>) {
            [&]<std::size_t... J>(std::index_sequence<J...>) {
                [[maybe_unused]] auto compare = [&](const auto& a, const auto& b) {
                    if (SameText(a.name, b.name)) distinct = false;
                    if constexpr (std::is_same_v<decltype(a.member), decltype(b.member)>)
                        if (a.member == b.member) distinct = false;
                };
                (compare(std::get<A>(fields), std::get<A + 1 + J>(fields)), ...);
            }
            (std::make_index_sequence<count - 1 - A>());
        };
        (compareWithLater(std::integral_constant<std::size_t, I>()), ...);
    }
    (std::make_index_sequence<count>());
    return distinct;
}

// Converts to any field's type: how many of them initialise the aggregate is its field count.
struct AnyField {
    template <class T>
    constexpr operator T() const;
};

template <class Struct, class... Fields>
constexpr std::size_t AggregateFieldCount() {
    if constexpr (requires { Struct{Fields{}..., AnyField{}}; })
        return AggregateFieldCount<Struct, Fields..., AnyField>();
    else
        return sizeof...(Fields);
}

template <class Struct>
constexpr bool LeavesFieldsOut() {
    if constexpr (requires { RecordBinding<Struct>::kLeavesFieldsOut; })
        return RecordBinding<Struct>::kLeavesFieldsOut;
    else
        return false;
}

// Every field of an aggregate is listed (a class with constructors cannot be counted).
template <class Struct>
constexpr bool ListsEveryField() {
    if constexpr (std::is_aggregate_v<Struct> && !LeavesFieldsOut<Struct>())
        return AggregateFieldCount<Struct>() ==
               std::tuple_size_v<std::remove_cvref_t<decltype(RecordBinding<Struct>::kFields)>>;
    else
        return true;
}

// "Record[ name: Type, ... ]" from the fields' casters, whatever literal the binding gives.
template <class Struct>
struct FieldsWriter {
    template <class Out>
    static constexpr void Write(Out& out) {
        out.append("Record[ ");
        bool first = true;
        std::apply(
            [&](const auto&... field) {
                ((out.append(first ? "" : ", "), first = false, out.append(field.name), out.append(": "),
                  out.append(Caster<RecordFieldType<decltype(field)>>::Name())),
                 ...);
            },
            RecordBinding<Struct>::kFields);
        out.append(" ]");
    }
};

// Writes the record's type text: the binding's literal one, else the fields'.
template <class Struct>
struct RecordWriter {
    template <class Out>
    static constexpr void Write(Out& out) {
        if constexpr (RecordBinding<Struct>::kTypeText != nullptr)
            out.append(RecordBinding<Struct>::kTypeText);
        else
            FieldsWriter<Struct>::Write(out);
    }
};

// Every field's text is a constant (none names a registered class).
template <class Struct>
constexpr bool ConstantFieldNames() {
    return std::apply(
        [](const auto&... field) { return (ConstantName<RecordFieldType<decltype(field)>> && ...); },
        RecordBinding<Struct>::kFields);
}

// A constant when the literal is given or every field's text is one; else built on first use.
template <class Struct>
constexpr bool ConstantRecordName() {
    if constexpr (RecordBinding<Struct>::kTypeText != nullptr)
        return true;
    else
        return ConstantFieldNames<Struct>();
}

template <class Struct>
using RecordName = WrittenName<RecordWriter<Struct>, ConstantRecordName<Struct>()>;

}  // namespace detail

template <BoundRecord Struct>
struct Caster<Struct> : detail::RecordName<Struct> {
    static constexpr auto& kFields = RecordBinding<Struct>::kFields;
    static_assert(detail::AllAttributeNames<Struct>(),
                  "a RecordBinding names an attribute with a name that is not one: a letter or '_', then "
                  "letters, digits and '_'");
    static_assert(detail::NoneTwice<Struct>(),
                  "a RecordBinding lists one attribute name or one field twice");
    static_assert(detail::ListsEveryField<Struct>(),
                  "a RecordBinding leaves out a field of the structure: list every field, or say "
                  "static constexpr bool kLeavesFieldsOut = true; in the binding");

    // The binding's names table, made on first use and kept until unload.
    static const QUON_Evaluator::utilRecordNames::Handle& Names() {
        static const QUON_Evaluator::utilRecordNames::Handle names = [] {
            auto handle = QUON_Evaluator::utilRecordNames::Make();
            std::apply(
                [&](const auto&... field) {
                    (QUON_Evaluator::utilRecordNames::AddName(handle, field.name), ...);
                },
                kFields);
            // Results address attribute k as field k: every name is a new one (NoneTwice, above).
            return handle;
        }();
        return names;
    }

    // A record argument, read attribute by attribute through the record's own names table.
    static Struct Read(const EvCell* cell) {
        const QUON_Evaluator::RecordView record(*cell);
        Struct value{};
        std::apply(
            [&](const auto&... field) {
                ((value.*field.member = ReadAttribute<FieldType<decltype(field)>>(record, field.name)),
                 ...);
            },
            kFields);
        return value;
    }
    using Argument = detail::PayloadArgument<Struct, &Read>;

    // A record result: makeRecord with the binding's table, then field k into attribute k.
    static void SetResult(EvCell* result, const Struct& value) {
        Host().makeRecord(result, &Names());
        const QUON_Evaluator::RecordView record(*result);
        QUON_HOST_CHECK(&record.Names() == Names().get(),
                        "makeRecord did not keep the names table it was given: a record keeps the library's "
                        "table as it is, shared, never copied or re-indexed");
        std::size_t index = 0;
        std::apply(
            [&](const auto&... field) {
                (Caster<FieldType<decltype(field)>>::SetResult(record.Attribute(index++),
                                                               value.*field.member),
                 ...);
            },
            kFields);
    }

private:
    template <class FieldRef>
    using FieldType =
        std::remove_cvref_t<decltype(std::declval<Struct&>().*(std::declval<FieldRef>().member))>;

    template <class Field>
    static Field ReadAttribute(const QUON_Evaluator::RecordView& record, const char* name) {
        const EvCell* attribute = record.Find(name);
        return attribute != nullptr ? typename Caster<Field>::Argument(attribute).Get() : Field{};
    }
};

// An array of records whose length the function states rather than a vector holds: the count
// goes to the host's makeArray as it is (the host decides what a negative count means), and
// element i (for i below a positive count) is the structure make(i).
template <class Struct>
struct RecordArray {
    std::int64_t count;
    std::function<Struct(std::int64_t)> make;
};

template <class Struct>
requires requires {
    RecordBinding<Struct>::kFields;
}
struct Caster<RecordArray<Struct>> : detail::ArrayOfName<Struct> {
    static void SetResult(EvCell* result, const RecordArray<Struct>& values) {
        NewArray<EvCell*> array(values.count);
        for (std::int64_t i = 0; i < values.count; ++i)
            Caster<Struct>::SetResult(array.Element(i), values.make(i));
        std::move(array).MoveInto(result);
    }
};

template <BoundRecord Struct>
struct PartsOf<Struct> {
    using Types = decltype(std::apply(
        [](const auto&... field) {
            return std::tuple<std::type_identity<detail::RecordFieldType<decltype(field)>>...>();
        },
        RecordBinding<Struct>::kFields));
};
template <class Struct>
struct PartsOf<RecordArray<Struct>> {
    using Types = std::tuple<std::type_identity<Struct>>;
};

// Calls check(structure's type, literal text, a function giving the text of its fields) for
// every record binding with a literal type text that T is, or is made of.
template <class T, class Check>
void ForEachRecordLiteral(const Check& check) {
    using Plain = std::remove_cvref_t<T>;
    if constexpr (BoundRecord<Plain>) {
        if constexpr (RecordBinding<Plain>::kTypeText != nullptr)
            check(typeid(Plain), RecordBinding<Plain>::kTypeText, [] {
                return WrittenName<detail::FieldsWriter<Plain>,
                                   detail::ConstantFieldNames<Plain>()>::Name();
            });
    }
    std::apply([&](auto... parts) { (ForEachRecordLiteral<typename decltype(parts)::type>(check), ...); },
               typename PartsOf<Plain>::Types{});
}

}  // namespace QUON_ExternLib
