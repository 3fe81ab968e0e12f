#include "datatypes/DataTypeParser.h"

#include <array>
#include <cstring>
#include <iterator>
#include <memory>
#include <new>
#include <vector>

#include "datatypes/DataTypeCodes.h"
#include "datatypes/DataTypeCollection.h"
#include "datatypes/DataTypeCombinedPrime.h"
#include "datatypes/DataTypeFunction.h"
#include "datatypes/DataTypeRecord.h"
#include "datatypes/DataTypeRecursiveReference.h"
#include "datatypes/DataTypeSimple.h"
#include "datatypes/DataTypeTuple.h"
#include "datatypes/ExternalTypeRegistry.h"
#include "datatypes/TypeNameTable.h"

namespace QUON_DataTypes {

namespace {

struct ReleaseType {
    void operator()(DataTypeImp* type) const { type->Release(); }
};
// A production's result while the parse goes on: released on every failure path.
using Owned = std::unique_ptr<DataTypeImp, ReleaseType>;

// Moves an owned result into a handle (Undefined when null).
DataType Handle(Owned type) {
    return DataType(type.release());
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The variable index of P when it is a variable, else 0.
std::uint32_t VariableIndex(const DataTypeImp& type) {
    return type.TypeCode() < 0 ? 0u - static_cast<std::uint32_t>(type.TypeCode()) : 0u;
}

// What a keyword stands for: a prime or combined code, or one of the type constructors.
enum class Construct {
    kPrime,
    kCombined,
    kVariableSet,
    kRecursive,
    kList,
    kArray,
    kSequence,
    kSequenceStr,
    kMap,
    kIndexable,
    kTuple,
    kTupleX,
    kRecord,
    kRecordX
};

struct Keyword {
    std::string_view name;
    Construct construct;
    std::int32_t code;  // the prime or combined type's code
};

// The keywords besides the names of kNamedPrimeTypes.
constexpr Keyword kConstructorKeywords[] = {
    {"Integer", Construct::kPrime, TypeCode::kInt},  // another name for Int
    {"VariableSet", Construct::kVariableSet, 0},
    {"Recursive", Construct::kRecursive, 0},
    {"List", Construct::kList, 0},
    {"Array", Construct::kArray, 0},
    {"Sequence", Construct::kSequence, 0},
    {"SequenceStr", Construct::kSequenceStr, 0},
    {"Map", Construct::kMap, 0},
    {"Indexable", Construct::kIndexable, 0},
    {"Tuple", Construct::kTuple, 0},
    {"TupleX", Construct::kTupleX, 0},
    {"Record", Construct::kRecord, 0},
    {"RecordX", Construct::kRecordX, 0},
};

constexpr std::size_t kKeywordCount = std::size(kNamedPrimeTypes) + std::size(kConstructorKeywords);

// Every keyword, grouped by first byte (the lookup depends on it); within a group the prime
// types come first, in the order of kNamedPrimeTypes.
constexpr std::array<Keyword, kKeywordCount> kKeywords = [] {
    std::array<Keyword, kKeywordCount> all{};
    std::size_t n = 0;
    for (const NamedPrimeType& type : kNamedPrimeTypes) {
        const bool combined = (type.code & ~0xF) == TypeCode::kCombinedPrime;
        all[n++] = {type.name, combined ? Construct::kCombined : Construct::kPrime, type.code};
    }
    for (const Keyword& keyword : kConstructorKeywords) all[n++] = keyword;
    std::array<Keyword, kKeywordCount> grouped{};
    n = 0;
    for (int first = 0; first < 128; ++first) {
        for (const Keyword& keyword : all) {
            if (keyword.name[0] == first) grouped[n++] = keyword;
        }
    }
    return grouped;
}();

// For each first byte, the range of kKeywords starting with it.
struct KeywordRange {
    std::uint8_t begin = 0, end = 0;
};
constexpr std::array<KeywordRange, 128> kKeywordsByFirstByte = [] {
    std::array<KeywordRange, 128> ranges{};
    for (std::uint8_t i = 0; i < std::size(kKeywords); ++i) {
        KeywordRange& range = ranges[static_cast<unsigned char>(kKeywords[i].name[0])];
        if (range.end == 0) range.begin = i;
        range.end = static_cast<std::uint8_t>(i + 1);
    }
    return ranges;
}();

// Keywords are a few bytes long: a byte loop beats a call to memcmp.
bool SameBytes(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i]) return false;
    }
    return true;
}

// Case-sensitive.
const Keyword* FindKeyword(std::string_view name) {
    const auto first = static_cast<unsigned char>(name[0]);
    if (first >= kKeywordsByFirstByte.size()) return nullptr;
    const KeywordRange range = kKeywordsByFirstByte[first];
    for (std::uint8_t i = range.begin; i < range.end; ++i) {
        if (SameBytes(kKeywords[i].name, name)) return &kKeywords[i];
    }
    return nullptr;
}

}  // namespace

bool DataTypeParser::IsKeyword(std::string_view name) {
    return !name.empty() && FindKeyword(name) != nullptr;
}

std::vector<std::string_view> DataTypeParser::KeywordNames() {
    std::vector<std::string_view> names;
    for (const auto& keyword : kKeywords) names.push_back(keyword.name);
    return names;
}

DataTypeImp* SharedVariableSetType() {
    // Ends with the module's static objects (those made before it end after it), so its element
    // handles leave nothing on the heap when the module unloads.
    static DataTypeMap instance(DataType(Shared(SharedPrimeType(TypeCode::kString))),
                                DataType(Shared(SharedPrimeType(TypeCode::kString))));
    return &instance;
}

DataTypeImp* DataTypeParser::Fail(const char* message) {
    SetError(message);
    partFailed = true;
    return nullptr;
}

DataTypeImp* DataTypeParser::Type(std::uint32_t depth) {
    DataTypeImp* type = OneType(depth);
    if (type == nullptr) partFailed = true;
    return type;
}

DataTypeImp* DataTypeParser::OneType(std::uint32_t depth) {
    const bool read = Advance();
    SkipBlanks();
    if (depth >= kMaxNesting) {
        tooDeep = true;
        return Fail("Type nesting too deep!");
    }
    if (partsLeft == 0) return Fail("Type too large! Too many parts!");
    --partsLeft;
    // At the text end the current character is a byte already passed over; reading a
    // function from it again would never end.
    if (!HasCurrent() || (!read && CurrentIs('('))) return Fail("Unknown type!");
    const char c = Current();
    if (c == '\'') {
        if (!Advance() || !IsDigit(Current())) return Fail("Invald polymorphic type!");
        std::uint32_t k = 0;
        do {
            k = k * 10u + static_cast<std::uint32_t>(Current() - '0');
        } while (Advance() && IsDigit(Current()));
        return CreateTypeVariable(k);
    }
    if (c == '(') return FunctionType(depth);
    if (IsLetter(c)) return Keyword(ReadIdentifier(), depth);
    return Fail("Unknown type!");
}

DataTypeImp* DataTypeParser::Keyword(std::string_view name, std::uint32_t depth) {
    const auto* keyword = name.empty() ? nullptr : FindKeyword(name);
    if (keyword == nullptr) {
        if (const auto code = ExternalTypeRegistry::Instance().Find(name)) {
            return new (std::nothrow) DataTypeExternal(*code);
        }
        unknownName = name;
        return Fail("Unknown type!");
    }
    switch (keyword->construct) {
        case Construct::kPrime:
            return Shared(SharedPrimeType(keyword->code));
        case Construct::kCombined:
            return CombinedType(keyword->code, depth);
        case Construct::kVariableSet:
            return Shared(SharedVariableSetType());
        case Construct::kRecursive:
            return new (std::nothrow) DataTypeRecursiveReference(DataType(BracketedType(depth)));
        case Construct::kList:
            return new (std::nothrow) DataTypeList(DataType(BracketedType(depth)));
        case Construct::kArray:
            return new (std::nothrow) DataTypeArray(DataType(BracketedType(depth)));
        case Construct::kSequence:
            return SequenceType(false, depth);
        case Construct::kSequenceStr:
            return SequenceType(true, depth);
        case Construct::kMap:
            return MapType(depth);
        case Construct::kIndexable:
            return IndexableType(depth);
        case Construct::kTuple:
            return TupleType(false, depth);
        case Construct::kTupleX:
            return TupleType(true, depth);
        case Construct::kRecord:
            return RecordType(false, depth);
        case Construct::kRecordX:
            return RecordType(true, depth);
    }
    return Fail("Unknown type!");
}

DataTypeImp* DataTypeParser::BracketedType(std::uint32_t depth) {
    if (!Expect('[')) return Fail("Invalid type! No open '['!");
    Owned type(Type(depth + 1));
    if (!type) return nullptr;
    if (!Expect(']')) return Fail("Invalid type! No closing ']'!");
    AdvancePast();
    return type.release();
}

DataTypeImp* DataTypeParser::CombinedType(std::int32_t code, std::uint32_t depth) {
    Owned instance(BracketedType(depth));
    if (!instance) return nullptr;
    if (instance->TypeCode() >= 0) return nullptr;  // not a variable: no message
    return CreateCombinedPrimeType(code, VariableIndex(*instance));
}

DataTypeImp* DataTypeParser::SequenceType(bool withString, std::uint32_t depth) {
    Owned instance(BracketedType(depth));
    if (!instance) return nullptr;
    Owned element(BracketedType(depth));
    if (!element) return nullptr;
    const std::uint32_t k = VariableIndex(*instance);
    return withString ? CreateSequenceStrType(k, Handle(std::move(element)))
                      : CreateSequenceType(k, Handle(std::move(element)));
}

DataTypeImp* DataTypeParser::MapType(std::uint32_t depth) {
    Owned key(BracketedType(depth));
    if (!key) return nullptr;
    Owned value(BracketedType(depth));
    if (!value) return nullptr;
    return new (std::nothrow) DataTypeMap(Handle(std::move(key)), Handle(std::move(value)));
}

DataTypeImp* DataTypeParser::IndexableType(std::uint32_t depth) {
    Owned instance(BracketedType(depth));
    if (!instance) return nullptr;
    Owned key(BracketedType(depth));
    if (!key) return nullptr;
    Owned element(BracketedType(depth));
    if (!element) return nullptr;
    return CreateIndexableType(VariableIndex(*instance), Handle(std::move(key)),
                               Handle(std::move(element)));
}

DataTypeImp* DataTypeParser::FunctionType(std::uint32_t depth) {
    // The result slot is bound once the result is parsed; until then it holds Undefined.
    std::vector<DataType> resultAndArguments;
    resultAndArguments.reserve(4);
    resultAndArguments.emplace_back();
    Owned function(new (std::nothrow) DataTypeFunction(std::move(resultAndArguments)));
    if (!function) return nullptr;
    auto& slots = static_cast<DataTypeFunction&>(*function).SubTypes();
    Advance();
    for (std::uint32_t n = 0;; ++n) {
        if (HasCurrent()) SkipBlanks();
        if (CurrentIs('-')) {
            if (!Advance() || Current() != '>') return Fail("Invalid functional type! Missing '->'!");
            Owned result(Type(depth + 1));
            if (!result) return Fail("Invalid functional type result!");
            function->GetFunctionSubType(0) = result.release();
            if (!Expect(')')) return Fail("Invalid functional type! No closing ')'!");
            AdvancePast();
            return function.release();
        }
        if (n == 0) {
            if (!AtEnd()) MoveBack();
        } else if (!CurrentIs('*')) {
            return Fail("Invalid functional type! Missing '*'!");
        }
        Owned argument(Type(depth + 1));
        if (!argument) return Fail("Invalid functional type argument!");
        slots.emplace_back(argument.release());
    }
}

DataTypeImp* DataTypeParser::TupleType(bool extendable, std::uint32_t depth) {
    if (!Expect('[')) return Fail("Invalid type! No open '['!");
    std::vector<DataType> elements;
    for (;;) {
        Owned element(Type(depth + 1));
        if (!element) return nullptr;
        elements.emplace_back(element.release());
        SkipBlanks();
        if (CurrentIs(',')) continue;
        if (!Expect(']')) return Fail("Invalid type! No closing ']'!");
        AdvancePast();
        break;
    }
    if (!ErrorMessage().empty()) return nullptr;
    // The chain is built around the parsed elements and extension: the same type as a tuple of
    // fresh variables with each slot bound in turn, without a walk along the chain per binding.
    Owned extension;
    if (extendable) {
        extension.reset(BracketedType(depth));
        if (!extension || !ErrorMessage().empty()) return nullptr;
    }
    return CreateTupleChain(extendable ? TypeCode::kTupleX : TypeCode::kTuple, std::move(elements),
                            Handle(std::move(extension)));
}

DataTypeImp* DataTypeParser::RecordType(bool extendable, std::uint32_t depth) {
    if (!Expect('[')) return Fail("Invalid record type! No open '['!");
    AttributeMap attributes;
    Advance();
    SkipBlanks();
    if (!CurrentIs(']')) {
        for (;;) {
            SkipBlanks();
            if (!HasCurrent() || !(IsLetter(Current()) || Current() == '_')) {
                return Fail("Invalid record attribute name!");
            }
            const std::string_view name = ReadIdentifier();
            if (!Expect(':')) return Fail("Invalid record attribute type!");
            Owned type(Type(depth + 1));
            if (!type) return nullptr;
            if (!attributes.try_emplace(zul::zulStdString::tString(name), Handle(std::move(type))).second &&
                repeatedAttribute.empty())
                repeatedAttribute = name;
            SkipBlanks();
            if (CurrentIs(',')) {
                Advance();
                continue;
            }
            if (!Expect(']')) return Fail("Invalid record attribute list!");
            break;
        }
    }
    if (!extendable) {
        AdvancePast();
        if (attributes.empty()) return new (std::nothrow) DataTypeEmptyRecord();
        return new (std::nothrow) DataTypeExactRecord(std::move(attributes));
    }
    Advance();
    SkipBlanks();
    if (!CurrentIs('[')) return Fail("Invalid record type! No open '['!");
    Owned record(new (std::nothrow) DataTypeExtendableRecord(std::move(attributes)));
    if (!record) return nullptr;
    DataType* extension = record->GetRecordExtension();
    if (extension == nullptr) return Fail("Invalid record type!");
    Owned type(Type(depth + 1));
    if (!type) return nullptr;
    *extension = type.release();
    SkipBlanks();
    if (!CurrentIs(']')) return Fail("Invalid record type! No closed ']'!");
    AdvancePast();
    return record.release();
}

DataTypeImp* ParseDataType(const char* text) {
    if (text == nullptr) return nullptr;
    DataTypeParser parser(text, std::strlen(text));
    return parser.ParseType();
}

}  // namespace QUON_DataTypes
