// The type-string parser: turns a type string such as "( Array[Int] * Int -> Record[a:Int] )"
// into a type object. It reports failure by a null result and a message kept in the parser;
// it never throws for bad input. Text after the first complete type is not examined.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "datatypes/BaseParser.h"
#include "datatypes/DataType.h"

namespace QUON_DataTypes {

class DataTypeParser : public zul::BaseParser {
public:
    DataTypeParser(const char* text, std::size_t length) noexcept : BaseParser(text, length) {}

    // One type from the text: a new object carrying one reference for the caller, or null.
    DataTypeImp* ParseType() { return Type(0); }

    // True when some step of the parse failed, also where the parse went on or left no message:
    // List, Array and Recursive stand in Undefined for a failed part, and a combined type over a
    // type that is not a variable fails without a message.
    bool PartFailed() const { return partFailed; }
    // The name that named no type when the parse failed with "Unknown type!"; else empty.
    std::string_view UnknownName() const { return unknownName; }
    // The first attribute name that a record type of the text repeated (the parser keeps its first
    // type and drops the later ones); empty when none did. It points into the text.
    std::string_view RepeatedAttribute() const { return repeatedAttribute; }
    // True when the text nests deeper than kMaxNesting: the message the parse ends with may then
    // be an outer production's ("No closing ']'"), as the grammar passes over a failed part.
    bool NestingTooDeep() const { return tooDeep; }
    // Every keyword of the grammar ("Int", "Array", "Record", ...), for suggestions.
    static std::vector<std::string_view> KeywordNames();
    static bool IsKeyword(std::string_view name);

    // Types nested deeper than this fail with "Type nesting too deep!", so that a hostile
    // string cannot exhaust the stack of the parser or of the walks over its result.
    static constexpr std::uint32_t kMaxNesting = 200;
    // Texts with more types than this, every element and every nested type counting one, fail
    // with "Type too large! Too many parts!", so that a text cannot build an unbounded type.
    static constexpr std::uint32_t kMaxParts = 10000;

private:
    DataTypeImp* Type(std::uint32_t depth);
    DataTypeImp* OneType(std::uint32_t depth);
    DataTypeImp* Keyword(std::string_view name, std::uint32_t depth);
    DataTypeImp* BracketedType(std::uint32_t depth);
    DataTypeImp* CombinedType(std::int32_t code, std::uint32_t depth);
    DataTypeImp* SequenceType(bool withString, std::uint32_t depth);
    DataTypeImp* MapType(std::uint32_t depth);
    DataTypeImp* IndexableType(std::uint32_t depth);
    DataTypeImp* FunctionType(std::uint32_t depth);
    DataTypeImp* TupleType(bool extendable, std::uint32_t depth);
    DataTypeImp* RecordType(bool extendable, std::uint32_t depth);
    DataTypeImp* Fail(const char* message);

    std::uint32_t partsLeft = kMaxParts;  // types the text may still hold
    bool partFailed = false;              // a step failed or a production yielded no type
    std::string_view unknownName;         // the last name that named no type
    std::string_view repeatedAttribute;   // the first attribute name repeated in a record type
    bool tooDeep = false;                 // the nesting limit was reached
};

// Parses the NUL-terminated `text`; null when it does not start with a valid type (or is null).
DataTypeImp* ParseDataType(const char* text);

// The shared type Map[String][String], made on first use.
DataTypeImp* SharedVariableSetType();

}  // namespace QUON_DataTypes
