// Type texts built by the compiler. A caster whose text does not depend on anything registered
// at run time gives it as a constant,
//
//   struct Caster<double> : NamedBy<"Float"> { ... };
//
// and a composed text (an array's, a record's, a signature's) is written once, by a writer that
// appends its parts (WrittenName): the compiler assembles it when every part is a constant, else
// it is built on first use. A constant text is a zero-terminated array in the library's read-only
// data: nothing is built, allocated or destroyed when the library loads, describes itself or
// unloads.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace QUON_ExternLib {

template <std::size_t N>
struct TypeText {
    char chars[N + 1] = {};  // N characters and the terminating zero

    constexpr TypeText() = default;
    constexpr TypeText(const char (&text)[N + 1]) {
        for (std::size_t i = 0; i < N; ++i) chars[i] = text[i];
    }

    constexpr const char* c_str() const { return chars; }
    static constexpr std::size_t size() { return N; }
};

template <std::size_t M>
TypeText(const char (&)[M]) -> TypeText<M - 1>;

template <std::size_t A, std::size_t B>
constexpr TypeText<A + B> operator+(const TypeText<A>& left, const TypeText<B>& right) {
    TypeText<A + B> out;
    for (std::size_t i = 0; i < A; ++i) out.chars[i] = left.chars[i];
    for (std::size_t i = 0; i < B; ++i) out.chars[A + i] = right.chars[i];
    return out;
}

// A name of the language (a function's, a record attribute's): a letter or "_", then letters,
// digits and "_". For the compiler's checks of bindings and the library object's of its rows.
constexpr bool IsName(std::string_view name) {
    const auto start = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
    if (name.empty() || !start(name[0])) return false;
    for (char c : name)
        if (!start(c) && !(c >= '0' && c <= '9')) return false;
    return true;
}

// A type's text as a constant: kName, and Name() giving it.
template <TypeText Text>
struct NamedBy {
    static constexpr auto kName = Text;
    static constexpr const char* Name() { return kName.c_str(); }
};

namespace detail {

// The first pass of a text the compiler assembles: counts what a writer appends.
struct TextCounter {
    std::size_t size = 0;
    constexpr void append(const char* text) {
        while (*text++ != '\0') ++size;
    }
};

// The second pass: appends into a text of the counted size.
template <std::size_t N>
struct TextBuilder {
    TypeText<N> text;
    std::size_t at = 0;
    constexpr void append(const char* part) {
        while (*part != '\0') text.chars[at++] = *part++;
    }
};

// What `Writer::Write(out)` appends, assembled by the compiler.
template <class Writer>
constexpr auto WrittenText() {
    constexpr std::size_t size = [] {
        TextCounter counter;
        Writer::Write(counter);
        return counter.size;
    }();
    TextBuilder<size> builder;
    Writer::Write(builder);
    return builder.text;
}

}  // namespace detail

// The text `Writer::Write(out)` appends (`out.append(const char*)`, std::string's included): a
// constant when `Constant` (every part it appends is one), else built on first use, when a part
// is known only at run time (a registered class's name); every call then returns the same text.
template <class Writer, bool Constant>
struct WrittenName {
    static const char* Name() {
        static const std::string text = [] {
            std::string out;
            Writer::Write(out);
            return out;
        }();
        return text.c_str();
    }
};
// Each writer keeps a text of its own (not NamedBy's, which is one per distinct text): two
// signatures that print alike still publish two texts.
template <class Writer>
struct WrittenName<Writer, true> {
    static constexpr auto kName = detail::WrittenText<Writer>();
    static constexpr const char* Name() { return kName.c_str(); }
};

}  // namespace QUON_ExternLib
