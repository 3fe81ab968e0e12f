#include "interface/TypeTextCheck.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

#include "datatypes/DataType.h"
#include "datatypes/DataTypeParser.h"
#include "datatypes/DataTypeRecord.h"
#include "datatypes/DataTypeSimple.h"
#include "externlib/TypeText.h"

namespace QUON_ExternLib {

namespace {

using QUON_DataTypes::DataType;
using QUON_DataTypes::DataTypeImp;

// The whole text as one type, or why not (the type is null then).
DataType ParseWhole(const char* text, std::string& problem) {
    QUON_DataTypes::DataTypeParser parser(text, std::strlen(text));
    DataType type(parser.ParseType());
    if (type->TypeCode() == QUON_DataTypes::TypeCode::kUndefined || parser.PartFailed()) {
        const std::string_view unknown = parser.UnknownName();
        problem = unknown.empty() ? std::string(parser.ErrorMessage().Text())
                                  : "no type is named '" + std::string(unknown) + "'";
        if (problem.empty()) problem = "it is not a type";
        return DataType();
    }
    const char* rest = text + parser.ReadLength();
    while (*rest != '\0' && static_cast<unsigned char>(*rest) <= ' ') ++rest;
    if (*rest != '\0') problem = "text follows the type: '" + std::string(rest) + "'";
    if (!parser.RepeatedAttribute().empty())
        problem = "a record names '" + std::string(parser.RepeatedAttribute()) + "' twice";
    return type;
}

// True when `literal` is `derived`, or `derived` with types in place of its variables; `bound`
// keeps the printed type each variable stands for.
bool Refines(const DataTypeImp& literal, const DataTypeImp& derived,
             std::map<std::int32_t, std::string>& bound) {
    if (dynamic_cast<const QUON_DataTypes::DataTypePurePolymorphic*>(&derived) != nullptr) {
        const std::string text(literal.ToString().Text());
        const auto [where, added] = bound.emplace(derived.TypeCode(), text);
        return added || where->second == text;
    }
    if (literal.TypeCode() != derived.TypeCode()) return false;
    const auto* literalRecord = dynamic_cast<const QUON_DataTypes::DataTypeRecord*>(&literal);
    const auto* derivedRecord = dynamic_cast<const QUON_DataTypes::DataTypeRecord*>(&derived);
    if (literalRecord != nullptr && derivedRecord != nullptr &&
        !std::equal(literalRecord->Attributes().begin(), literalRecord->Attributes().end(),
                    derivedRecord->Attributes().begin(), derivedRecord->Attributes().end(),
                    [](const auto& a, const auto& b) { return a.first.Text() == b.first.Text(); }))
        return false;
    std::vector<DataType*> literalParts, derivedParts;
    literal.GetSubTypes(literalParts);
    derived.GetSubTypes(derivedParts);
    if (literalParts.size() != derivedParts.size()) return false;
    for (std::size_t i = 0; i < literalParts.size(); ++i)
        if (!Refines(**literalParts[i], **derivedParts[i], bound)) return false;
    return true;
}

}  // namespace

// What runs at every load, for every name and literal text: plain loops over the bytes, nothing
// allocated, and no function of the standard library instantiated for it (each distinct function
// is one more place of the file a load touches; interface/load-order.ld keeps these together).
namespace spelling {

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsWordByte(char c) {
    return IsLetter(c) || (c >= '0' && c <= '9') || c == '_';
}
bool AllWordBytes(std::string_view text) {
    for (char c : text)
        if (!IsWordByte(c)) return false;
    return true;
}

// The next token of a type text from `at` (a word, or one other byte), blanks skipped; empty at
// the end.
std::string_view NextToken(const char*& at) {
    while (*at != '\0' && static_cast<unsigned char>(*at) <= ' ') ++at;
    const char* start = at;
    if (*at == '\0') return {};
    if (IsWordByte(*at))
        while (IsWordByte(*at)) ++at;
    else if (at[0] == '-' && at[1] == '>')
        at += 2;
    else
        ++at;
    return {start, static_cast<std::size_t>(at - start)};
}

bool IsEnd(std::string_view token) {
    return token.empty() || token == "," || token == "]" || token == ")";
}

bool SameWord(std::string_view a, std::string_view b) {
    return a == b || ((a == "Int" || a == "Integer") && (b == "Int" || b == "Integer"));
}

// The texts are the same but for blanks, which matter only between two word bytes: the usual
// case, compared byte by byte.
bool SameButBlanks(const char* a, const char* b) {
    const char* const startA = a;
    for (;;) {
        while (*a == *b) {
            if (*a == '\0') return true;
            ++a, ++b;
        }
        // Where they differ, a run of blanks on either side (or both) is passed over.
        const char* const runA = a;
        const char* const runB = b;
        while (*a != '\0' && static_cast<unsigned char>(*a) <= ' ') ++a;
        while (*b != '\0' && static_cast<unsigned char>(*b) <= ' ') ++b;
        if ((a == runA && b == runB) || *a != *b) return false;
        // Blanks on one side only, between two word bytes, split a word there ("Int eger").
        const char before = runA > startA ? runA[-1] : ' ';
        if ((a == runA) != (b == runB) && IsWordByte(before) && IsWordByte(*a)) return false;
    }
}

// Moves `at` to the end of its item: the "," or closer that no bracket of the item opened.
bool SkipItem(const char*& at, std::uint32_t depth) {
    if (depth > 200) return false;
    for (;;) {
        const char* next = at;
        const std::string_view token = NextToken(next);
        if (IsEnd(token)) return true;
        at = next;
        if (token != "[" && token != "(") continue;
        do
            if (!SkipItem(at, depth + 1)) return false;
        while (NextToken(at) == ",");
    }
}

// Compares the texts from `a` and `b` up to the "," or closer that no bracket of theirs opened (an
// item), and moves both there: true when the two items are one type spelled alike, in spacing,
// "Integer" for "Int" and the order of record attributes.
bool AlikeItems(const char*& a, const char*& b, std::uint32_t depth = 0) {
    if (depth > 200) return false;
    std::string_view previous;
    for (;;) {
        const char* nextA = a;
        const char* nextB = b;
        const std::string_view x = NextToken(nextA), y = NextToken(nextB);
        if (IsEnd(x) || IsEnd(y)) return IsEnd(x) && IsEnd(y);
        a = nextA, b = nextB;
        if (!SameWord(x, y)) return false;
        if (x == "[" && (previous == "Record" || previous == "RecordX")) {
            // The attributes, in any order: each of a's matches b's of the same name.
            struct Attribute {
                std::string_view name;
                const char* at;  // the item's start
                bool matched;
            } attributes[64];
            std::size_t count = 0;
            for (;;) {
                if (count == 64) return false;
                const char* name = b;
                attributes[count++] = {NextToken(name), b, false};
                if (!SkipItem(b, depth + 1)) return false;
                const std::string_view end = NextToken(b);
                if (end == "]") break;
                if (end != ",") return false;
            }
            for (std::size_t matched = 0;;) {
                const char* name = a;
                const std::string_view attribute = NextToken(name);
                std::size_t i = 0;
                while (i < count && (attributes[i].matched || attributes[i].name != attribute)) ++i;
                if (i == count) return false;
                const char* itemB = attributes[i].at;
                if (!AlikeItems(a, itemB, depth + 1)) return false;
                attributes[i].matched = true;
                ++matched;
                const std::string_view end = NextToken(a);
                if (end == "]") {
                    if (matched != count) return false;
                    break;
                }
                if (end != ",") return false;
            }
        } else if (x == "[" || x == "(") {
            // Items up to the closer, in order.
            for (;;) {
                if (!AlikeItems(a, b, depth + 1)) return false;
                const std::string_view endA = NextToken(a), endB = NextToken(b);
                if (endA != endB) return false;
                if (endA != ",") break;
            }
        }
        previous = x;
    }
}

}  // namespace spelling

using namespace spelling;

bool IsFunctionName(std::string_view name) {
    return IsName(name);
}

std::string CustomTypeNameProblem(std::string_view name) {
    if (name.empty()) return "a custom type has no name";
    if (!IsLetter(name[0]) || !AllWordBytes(name))
        return "'" + std::string(name) + "' is not a type name: a letter, then letters, digits and '_'";
    if (name == "Undefined" || QUON_DataTypes::DataTypeParser::IsKeyword(name))
        return "'" + std::string(name) + "' is a type of the language itself";
    return "";
}

bool SpelledAlike(const char* literal, const char* derived) {
    if (SameButBlanks(literal, derived)) return true;
    if (!AlikeItems(literal, derived)) return false;
    return NextToken(literal).empty() && NextToken(derived).empty();
}

std::string LiteralTypeProblem(const char* literal, const char* derived, const char* derivedFrom) {
    std::string problem;
    const DataType literalType = ParseWhole(literal, problem);
    if (!problem.empty())
        return "its literal type '" + std::string(literal) + "' does not parse: " + problem;
    const DataType derivedType = ParseWhole(derived, problem);
    if (!problem.empty())
        return "the type of " + std::string(derivedFrom) + ", '" + derived +
               "', does not parse: " + problem;
    std::map<std::int32_t, std::string> bound;
    if (Refines(*literalType, *derivedType, bound)) return "";
    return "its literal type '" + std::string(literal) + "' says another type than " + derivedFrom + ", '" +
           derived + "'";
}

}  // namespace QUON_ExternLib
