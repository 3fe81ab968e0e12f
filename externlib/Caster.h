// One conversion rule per bound native type, in one contract:
//
//   Caster<T>::Name()              the type's text in a type string ("Int", "Array[Float]", ...)
//   Caster<T>::kName               the same text as a constant (externlib/TypeText.h), for every
//                                  type whose text does not depend on a registered class
//   Caster<T>::Argument(cell)      (argument rule) holds the native value read from an argument
//                                  cell, and any temporary it needed, for the length of the call;
//                                  Get() gives it
//   Caster<T>::SetResult(r, v)     (result rule) writes the native value into the result cell r
//   Caster<T>::kBorrowed           true when the value refers into the cell it was read from
//                                  (views, pointers): valid for the call only, never a callback's result
//   Caster<T>::Fits(cell)          (optional) whether the argument's value is one the type can
//                                  hold; Misfit(cell, what) then says why not
//
// Arguments are read from the payload only (the host has checked the published type string);
// results go through the host's setters, except arrays, whose carrier cell moves into the
// result. Adding a bound type means adding one specialisation here (the standard containers'
// are in externlib/ContainerCasters.h, records' in externlib/RecordBinding.h, callbacks' in
// externlib/CallbackWrapper.h); a container, a record field or a callback's argument uses the
// same rule of its element type. The rules a signature needs are checked where its row is added
// (externlib/CasterRules.h), one message per misuse.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <typeinfo>
#include <utility>
#include <vector>

#include "evaluator/cell.h"
#include "externlib/ArrayView.h"
#include "externlib/HostCell.h"
#include "externlib/LibraryContext.h"
#include "externlib/NewArray.h"
#include "externlib/TypeText.h"
#include "hostabi/CellSlot.h"
#include "platform/Invariant.h"
#include "platform/Platform.h"
#include "strings/tBaseString.h"
#include "strings/tString.h"

namespace QUON_ExternLib {

using QUON_Evaluator::EvCell;
using zul::zulStdString::tBaseString;
using zul::zulStdString::tString;

// A row whose signature names a class that was never registered as a custom type.
class UnregisteredClass : public std::logic_error {
public:
    explicit UnregisteredClass(const std::type_info& type)
        : std::logic_error("the class '" + zul::platform::DemangledName(type.name()) +
                           "' is not registered: call CustomType<" + zul::platform::DemangledName(type.name()) +
                           ">(row) before adding the rows that use it") {}
};

// A type without a specialisation has neither rule.
template <class T>
struct Caster {};

// The type's text is a constant, known to the compiler.
template <class T>
concept ConstantName = requires { Caster<T>::kName.c_str(); };

namespace detail {

// The payload word of a cell, bit for bit.
inline std::uint64_t Payload(const EvCell* cell) {
    return cell->Word();
}

// An argument read straight from the payload by `Read`; holds nothing else.
template <class T, T (*Read)(const EvCell*)>
struct PayloadArgument {
    explicit PayloadArgument(const EvCell* cell) : value(Read(cell)) {}
    T Get() const { return value; }
    T value;
};

}  // namespace detail

// Integers. A 32-bit argument takes the payload's low 32 bits (no range check: the library's own
// rows rely on it), a signed 64-bit one the whole payload; every other width, and an unsigned
// 64-bit type, takes only an Int it can hold and refuses another with an error naming the
// parameter. A signed result is sign-extended, an unsigned one kept as it is (a uint32_t
// 4294967295 is the Int 4294967295); an unsigned 64-bit result beyond Int's range is an error,
// never a wrap to a negative Int.
template <class T>
inline constexpr bool kRangeChecked = sizeof(T) < 4 || (sizeof(T) == 8 && std::is_unsigned_v<T>);

template <class T>
requires(std::is_integral_v<T> && !std::is_same_v<T, bool> && sizeof(T) <= 8)
struct Caster<T> : NamedBy<"Int"> {
    static T Read(const EvCell* cell) { return static_cast<T>(detail::Payload(cell)); }
    using Argument = detail::PayloadArgument<T, &Read>;
    static void SetResult(EvCell* result, T value) {
        if constexpr (std::is_unsigned_v<T> && sizeof(T) == 8)
            if (value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
                throw std::out_of_range("the unsigned 64-bit integer " + std::to_string(value) +
                                        " does not fit an Int (at most 9223372036854775807)");
        Host().setInt(result, static_cast<std::int64_t>(value));
    }
    // Whether the argument's Int is a T, and what to say when it is not.
    static bool Fits(const EvCell* cell) requires(kRangeChecked<T>) {
        const auto value = static_cast<std::int64_t>(detail::Payload(cell));
        if constexpr (std::is_unsigned_v<T>)
            return value >= 0 && static_cast<std::uint64_t>(value) <= std::numeric_limits<T>::max();
        else
            return value >= std::numeric_limits<T>::min() && value <= std::numeric_limits<T>::max();
    }
    static std::string Misfit(const EvCell* cell, const std::string& what) {
        return what + ": the Int " + std::to_string(static_cast<std::int64_t>(detail::Payload(cell))) +
               " does not fit " + (std::is_signed_v<T> ? "a signed " : "an unsigned ") +
               std::to_string(8 * sizeof(T)) + "-bit integer (" +
               std::to_string(std::numeric_limits<T>::min()) + " to " +
               std::to_string(std::numeric_limits<T>::max()) + ")";
    }
};

// The cell of argument `position` (from 1; 0 for a callback's result) when the native type can
// hold its value; else a std::out_of_range that names the parameter.
template <class T>
EvCell* CheckedArgument(EvCell* cell, [[maybe_unused]] std::size_t position) {
    if constexpr (requires { Caster<T>::Fits(cell); })
        if (!Caster<T>::Fits(cell))
            throw std::out_of_range(Caster<T>::Misfit(
                cell, position == 0 ? "the callback's result" : "parameter " + std::to_string(position)));
    return cell;
}

template <>
struct Caster<double> : NamedBy<"Float"> {
    static double Read(const EvCell* cell) { return std::bit_cast<double>(detail::Payload(cell)); }
    using Argument = detail::PayloadArgument<double, &Read>;
    static void SetResult(EvCell* result, double value) { Host().setFloat(result, value); }
};

// A Float argument rounded to single precision (beyond float's range, to an infinity); a result
// widened to double exactly.
template <>
struct Caster<float> : NamedBy<"Float"> {
    static float Read(const EvCell* cell) { return static_cast<float>(Caster<double>::Read(cell)); }
    using Argument = detail::PayloadArgument<float, &Read>;
    static void SetResult(EvCell* result, float value) { Host().setFloat(result, value); }
};

// Enumerations are Ints of their underlying type's rule, both ways. An author who wants an
// argument checked against the enumerators states the first and the last one:
//
//   template <> struct QUON_ExternLib::EnumRange<Color> {
//       static constexpr Color kFirst = Color::Red;
//       static constexpr Color kLast = Color::Blue;
//   };
//
// and an Int outside them (the whole Int, for any underlying width) is then refused with an
// error naming the parameter. Without it every value of the underlying type passes, as in C++.
template <class E>
struct EnumRange;

template <class E>
concept RangedEnum = std::is_enum_v<E> && requires {
    { EnumRange<E>::kFirst } -> std::convertible_to<E>;
    { EnumRange<E>::kLast } -> std::convertible_to<E>;
};

template <class E>
requires(std::is_enum_v<E> && !std::is_same_v<std::underlying_type_t<E>, bool>)
struct Caster<E> : NamedBy<"Int"> {
    using Underlying = std::underlying_type_t<E>;
    static E Read(const EvCell* cell) { return static_cast<E>(Caster<Underlying>::Read(cell)); }
    using Argument = detail::PayloadArgument<E, &Read>;
    static void SetResult(EvCell* result, E value) {
        Caster<Underlying>::SetResult(result, static_cast<Underlying>(value));
    }
    static bool Fits(const EvCell* cell) requires(RangedEnum<E> || kRangeChecked<Underlying>) {
        if constexpr (kRangeChecked<Underlying>)
            if (!Caster<Underlying>::Fits(cell)) return false;
        if constexpr (RangedEnum<E>) {
            const auto value = static_cast<std::int64_t>(detail::Payload(cell));
            return value >= Bound(EnumRange<E>::kFirst) && value <= Bound(EnumRange<E>::kLast);
        }
        return true;
    }
    static std::string Misfit(const EvCell* cell, const std::string& what) {
        if constexpr (kRangeChecked<Underlying>)
            if (!Caster<Underlying>::Fits(cell)) return Caster<Underlying>::Misfit(cell, what);
        if constexpr (RangedEnum<E>)
            return what + ": the Int " + std::to_string(static_cast<std::int64_t>(detail::Payload(cell))) +
                   " is not a " + zul::platform::DemangledName(typeid(E).name()) + " (" +
                   std::to_string(Bound(EnumRange<E>::kFirst)) + " to " +
                   std::to_string(Bound(EnumRange<E>::kLast)) + ")";
        return what;  // not reached: the value fits
    }

private:
    static constexpr std::int64_t Bound(E value) { return static_cast<std::int64_t>(static_cast<Underlying>(value)); }
    static_assert(!RangedEnum<E> || [] {
        if constexpr (RangedEnum<E>)
            return EnumRange<E>::kFirst <= EnumRange<E>::kLast &&
                   static_cast<std::uint64_t>(static_cast<Underlying>(EnumRange<E>::kLast)) <=
                       static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
        return true;
    }(), "EnumRange<E>: kFirst comes after kLast, or kLast is beyond Int's range");
};

template <>
struct Caster<bool> : NamedBy<"Bool"> {
    static bool Read(const EvCell* cell) { return detail::Payload(cell) != 0; }
    using Argument = detail::PayloadArgument<bool, &Read>;
    static void SetResult(EvCell* result, bool value) { Host().setBool(result, value ? 1 : 0); }
};

// Strings. The payload points at the argument's pooled body.
inline const tBaseString& BodyOf(const EvCell* cell) {
    const auto* body = reinterpret_cast<const tBaseString*>(detail::Payload(cell));
    QUON_INVARIANT(body != nullptr, "a string argument without a string body");
    return *body;
}

// By reference: bound to the argument's own body.
template <>
struct Caster<const tBaseString&> : NamedBy<"String"> {
    static constexpr bool kBorrowed = true;
    struct Argument {
        explicit Argument(const EvCell* cell) : body(BodyOf(cell)) {}
        const tBaseString& Get() const { return body; }
        const tBaseString& body;
    };
};

// By value: a new body of this module holding a copy of the argument's text, released after the
// call into this module's pool (a copy keeping the host body's release operation would move one
// block from this module's string pool to the host's on every call). As a result: its bytes go to
// setString, then the library's body is released.
template <>
struct Caster<tString> : NamedBy<"String"> {
    struct Argument {
        explicit Argument(const EvCell* cell) : copy(tString::Adopt(tBaseString::New(BodyOf(cell)))) {}
        tString Get() { return std::move(copy); }
        tString copy;
    };
    static void SetResult(EvCell* result, tString value) {
        const std::string& text = value.Text();
        Host().setString(result, text.data(), text.size());
    }
};

// The character data of the argument's body, zero-terminated. Not a result: a result's text
// must outlive the call, so return std::string.
template <>
struct Caster<const char*> : NamedBy<"String"> {
    static constexpr bool kBorrowed = true;
    static const char* Read(const EvCell* cell) { return BodyOf(cell).c_str(); }
    using Argument = detail::PayloadArgument<const char*, &Read>;
};

// The argument's text in place, every byte (embedded NULs included).
template <>
struct Caster<std::string_view> : NamedBy<"String"> {
    static constexpr bool kBorrowed = true;
    static std::string_view Read(const EvCell* cell) { return BodyOf(cell); }
    using Argument = detail::PayloadArgument<std::string_view, &Read>;
};

// A body is a std::string: a reference binds to the argument's own body, nothing is copied.
template <>
struct Caster<const std::string&> : Caster<const tBaseString&> {};

// By value: an ordinary copy of the text. As a result: its bytes go to setString.
template <>
struct Caster<std::string> : NamedBy<"String"> {
    struct Argument {
        explicit Argument(const EvCell* cell) : text(BodyOf(cell)) {}
        std::string Get() { return std::move(text); }
        std::string text;
    };
    static void SetResult(EvCell* result, const std::string& value) {
        Host().setString(result, value.data(), value.size());
    }
};

namespace detail {

// A text source (a caster, or NamedBy) whose text is a constant.
template <class Source>
concept ConstantText = requires { Source::kName.c_str(); };

// Writes "Array[" + the element's text + "]".
template <class Source>
struct ArrayWriter {
    template <class Out>
    static constexpr void Write(Out& out) {
        out.append("Array[");
        out.append(Source::Name());
        out.append("]");
    }
};
template <class Source>
using ArrayNamed = WrittenName<ArrayWriter<Source>, ConstantText<Source>>;
// The text of an array of T: a constant when T's is.
template <class T>
using ArrayOfName = ArrayNamed<Caster<T>>;

// What names a view's element: its caster, except for the pooled body of a String element.
template <class E>
struct ViewElementText {
    using Type = Caster<E>;
};
template <>
struct ViewElementText<tBaseString*> {
    using Type = NamedBy<"String">;
};
template <class E>
using ArrayViewName = ArrayNamed<typename ViewElementText<E>::Type>;

}  // namespace detail

// Arrays. An argument is a view of the argument cell (its payload points at the host's array
// object); as a callback's argument, the pushed cell takes its own share of the array. A result
// is a NewArray, whose carrier's image moves into the result cell; a callback's result comes
// back as a NewArray owning the host's result cell.
template <class E>
requires kViewElement<E>
struct Caster<ArrayView<E>> : detail::ArrayViewName<E> {
    static constexpr bool kBorrowed = true;
    static ArrayView<E> Read(const EvCell* cell) { return ArrayView<E>(cell); }
    using Argument = detail::PayloadArgument<ArrayView<E>, &Read>;
    // As a callback's argument: the cell's image, to be written into the pushed slot, which
    // then takes its own share.
    static QUON_Evaluator::CellSlot ShareImage(ArrayView<E> array) {
        return QUON_Evaluator::CellSlot::Of(array.Cell());
    }
};

template <class E>
requires kArrayElement<E>
struct Caster<NewArray<E>> : detail::ArrayViewName<E> {
    static void SetResult(EvCell* result, NewArray<E>&& array) { std::move(array).MoveInto(result); }
    static NewArray<E> FromResult(HostCell&& result) { return NewArray<E>(std::move(result)); }
};

// The types a bound type is made of (a vector's element, a callback's result and parameters, a
// record's fields), for the checks that walk a whole signature once its row is added.
template <class T>
struct PartsOf {
    using Types = std::tuple<>;
};
template <class E>
struct PartsOf<ArrayView<E>> {
    using Types = std::tuple<std::type_identity<E>>;
};

// A class pointer that stands for no native class of its own: arrays and strings have their
// own types (ArrayView, NewArray, std::string, ...).
template <class T>
concept CustomClass =
    std::is_class_v<T> && !kIsArrayView<T> && !kIsArrayObject<T> && !std::is_base_of_v<std::string, T>;

// Registered custom classes travel as objects the host holds: an argument is the object
// getCustom gives for the cell, borrowed for the call. The name is the row's type name, looked
// up by the class's run-time type identity; a class that is not registered has no name, and
// asking for one throws (the row being added names it).
template <CustomClass T>
struct Caster<T*> {
    // The row the host keeps with each object: a copy of the registered row in a static that is
    // never destroyed (its type has no destructor), so an object the host releases after this
    // module's static objects have ended (at exit) still finds its destroy function.
    static const CustomTypeEntry* Entry() {
        const CustomTypeEntry* registered = TheLibraryContext().FindCustomType(typeid(T));
        if (registered == nullptr) return nullptr;
#if defined(QUON_CHECKED_HOST)
        static const CustomTypeEntry permanent = Checked(*registered);
#else
        static const CustomTypeEntry permanent = *registered;
#endif
        static_assert(std::is_trivially_destructible_v<CustomTypeEntry>);
        return &permanent;
    }
    static const char* Name() {
        const CustomTypeEntry* entry = Entry();
        if (entry == nullptr) throw UnregisteredClass(typeid(T));
        return entry->typeName;
    }
    static constexpr bool kBorrowed = true;
    static T* Read(const EvCell* cell) {
        void* object = Host().getCustom(const_cast<EvCell*>(cell));
#if defined(QUON_CHECKED_HOST)
        CheckCustomObject(object, Entry(), "an argument");
#endif
        return static_cast<T*>(object);
    }
    using Argument = detail::PayloadArgument<T*, &Read>;

#if defined(QUON_CHECKED_HOST)
private:
    // The row handed to setCustom checks each object the host gives back before the registered
    // functions see it: one the library made, not destroyed yet, of this type.
    static inline void (*registeredDestroy)(void*) = nullptr;
    static inline zul::InterModuleProxy<std::string>* (*registeredToText)(void*) = nullptr;
    static CustomTypeEntry Checked(CustomTypeEntry entry) {
        registeredDestroy = entry.destroy;
        registeredToText = entry.toText;
        if (entry.destroy != nullptr) entry.destroy = &CheckedDestroy;
        if (entry.toText != nullptr) entry.toText = &CheckedToText;
        return entry;
    }
    static void CheckedDestroy(void* object) {
        CheckCustomObject(object, Entry(), "destroy", true);
        registeredDestroy(object);
    }
    static zul::InterModuleProxy<std::string>* CheckedToText(void* object) {
        CheckCustomObject(object, Entry(), "toText");
        return registeredToText(object);
    }
#endif
};

// A result that gives a new object to the host, which destroys it through the class's row. An
// empty pointer is an error: a value of a custom type always holds an object.
template <CustomClass T>
struct Caster<std::unique_ptr<T>> {
    static const char* Name() { return Caster<T*>::Name(); }
    static void SetResult(EvCell* result, std::unique_ptr<T> object) {
        if (object == nullptr)
            throw std::invalid_argument("the result is an empty std::unique_ptr<" +
                                        zul::platform::DemangledName(typeid(T).name()) +
                                        ">: a value of a custom type holds an object");
#if defined(QUON_CHECKED_HOST)
        RememberCustomObject(object.get(), Caster<T*>::Entry());
#endif
        Host().setCustom(result, object.get(), Caster<T*>::Entry());
        object.release();  // the host's from here on
    }
};

// A const reference binds to a value read by the referred type's rule and held for the call (a
// record, a vector, a callback, ...), so it is borrowed: valid for the call only, never a
// callback's result. A const reference result is copied by the same rule before the call's
// temporaries end.
template <class T>
requires(!std::is_reference_v<T> && requires { typename Caster<T>::Argument; })
struct Caster<const T&> : Caster<T> {
    static constexpr bool kBorrowed = true;
    class Argument {
        using Inner = typename Caster<T>::Argument;

    public:
        explicit Argument(EvCell* cell) : inner(cell) {}
        // (Told the row's index, for a callback's errors.)
        Argument(EvCell* cell, std::uint64_t row) requires std::is_constructible_v<Inner, EvCell*, std::uint64_t>
            : inner(cell, row) {}
        // Once per call, where the argument stays until the call returns.
        const T& Get() { return value.emplace(inner.Get()); }

    private:
        Inner inner;
        std::optional<T> value;
    };
};

}  // namespace QUON_ExternLib

#include "externlib/ContainerCasters.h"
