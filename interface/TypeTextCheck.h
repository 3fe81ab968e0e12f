// The checks a row's texts pass before the library publishes them: names a Quon program can
// write, and literal type texts that say what the native signature says.
#pragma once

#include <string>
#include <string_view>

namespace QUON_ExternLib {

// A function name: a letter or "_", then letters, digits and "_".
bool IsFunctionName(std::string_view name);

// Why `name` cannot name a custom type ("" when it can): a type name is a letter, then letters,
// digits and "_", and is none of the type language's own words.
std::string CustomTypeNameProblem(std::string_view name);

// Why the literal type text cannot stand for the derived one ("" when it can). It can when both
// parse to the same type, whatever their spacing and the order of record attributes, or where
// the derived text holds a type variable (a caster that takes any value), with a type in its
// place (the same type wherever the same variable stands). The custom type names must be known
// to this module's type registry. `derivedFrom` names where the derived text comes from.
std::string LiteralTypeProblem(const char* literal, const char* derived, const char* derivedFrom);

// True when the two texts differ in spacing, "Integer" for "Int" and the order of record
// attributes alone: the same type, without parsing either (most literals are such).
bool SpelledAlike(const char* literal, const char* derived);

}  // namespace QUON_ExternLib
