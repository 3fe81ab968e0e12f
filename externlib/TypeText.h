// Type texts built by the compiler: a caster whose text does not depend on anything registered
// at run time gives it as a constant,
//
//   static constexpr TypeText kName = TypeText("Array[") + Caster<E>::kName + TypeText("]");
//
// and a signature whose types all have constant texts is a constant too. Such a text is a
// zero-terminated array in the library's read-only data: nothing is built, allocated or
// destroyed when the library loads, describes itself or unloads.
#pragma once

#include <cstddef>

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

// The length of a zero-terminated text known at compile time (a field name, a literal).
constexpr std::size_t TextLength(const char* text) {
    std::size_t length = 0;
    while (text[length] != '\0') ++length;
    return length;
}

// Appends a zero-terminated text at `at` of a TypeText under construction; returns the new end.
template <std::size_t N>
constexpr std::size_t AppendText(TypeText<N>& out, std::size_t at, const char* text) {
    for (std::size_t i = 0; text[i] != '\0'; ++i) out.chars[at++] = text[i];
    return at;
}

}  // namespace QUON_ExternLib
