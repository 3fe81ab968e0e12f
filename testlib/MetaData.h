// The library's meta-data as records: fixed values through three ways of declaring a record (a
// structure with an assembled record type, a record nested in a record, a literal record type),
// and the live descriptor's name, version and build.
#pragma once

#include <cstdint>
#include <string>
#include <tuple>

#include "externlib/RecordBinding.h"

namespace QUON_TestLib {

// Behind "__libData__" and inside "__libData2__".
struct LibraryInformation {
    std::int32_t tweak;
    std::int32_t patch;
    std::int32_t minor;
    std::int32_t major;
    std::string publicText;
    std::string fullText;
    std::string name;
};

// Behind "__libData2__".
struct NestedInformation {
    std::string value;
    LibraryInformation another;
};

// Behind "__libData3__": the same values under a literal record type with its own names order.
struct LiteralLibraryInformation {
    std::string name;
    std::string full;
    std::int32_t major;
    std::int32_t minor;
    std::int32_t patch;
    std::string publicText;
    std::int32_t tweak;
};

// Behind "_libData_": read from the descriptor.
struct BuildInformation {
    std::string name;
    std::string verStrFull;
    std::string verStrPublic;
    std::int64_t verMajor;
    std::int64_t verMinor;
    std::int64_t verPatch;
    std::string verTweak;
    std::string build;  // build configuration, a blank, bits per pointer, "b"
};

LibraryInformation LibData();
NestedInformation LibData2();
LiteralLibraryInformation LibData3();
BuildInformation LibDataLive();

}  // namespace QUON_TestLib

namespace QUON_ExternLib {

template <>
struct RecordBinding<QUON_TestLib::LibraryInformation> {
    using S = QUON_TestLib::LibraryInformation;
    static constexpr auto kFields = std::make_tuple(
        RecordField("libName", &S::name), RecordField("libVersionFull", &S::fullText),
        RecordField("libVersionPublic", &S::publicText), RecordField("libVersionMajor", &S::major),
        RecordField("libVersionMinor", &S::minor), RecordField("libVersionPatch", &S::patch),
        RecordField("libVersionTweak", &S::tweak));
    static constexpr const char* kTypeText = nullptr;
};

template <>
struct RecordBinding<QUON_TestLib::NestedInformation> {
    using S = QUON_TestLib::NestedInformation;
    static constexpr auto kFields =
        std::make_tuple(RecordField("recAnother", &S::another), RecordField("recValue", &S::value));
    static constexpr const char* kTypeText = nullptr;
};

template <>
struct RecordBinding<QUON_TestLib::LiteralLibraryInformation> {
    using S = QUON_TestLib::LiteralLibraryInformation;
    static constexpr auto kFields = std::make_tuple(
        RecordField("libName", &S::name), RecordField("libVersionFull", &S::full),
        RecordField("libVersionMajor", &S::major), RecordField("libVersionMinor", &S::minor),
        RecordField("libVersionPatch", &S::patch), RecordField("libVersionPublic", &S::publicText),
        RecordField("libVersionTweak", &S::tweak));
    static constexpr const char* kTypeText =
        "Record[ libName:String, libVersionFull : String, libVersionMajor : Int, libVersionMinor : Int, "
        "libVersionPatch : Int, libVersionPublic : String, libVersionTweak : Int ]";
};

template <>
struct RecordBinding<QUON_TestLib::BuildInformation> {
    using S = QUON_TestLib::BuildInformation;
    static constexpr auto kFields = std::make_tuple(
        RecordField("name", &S::name), RecordField("verStrFull", &S::verStrFull),
        RecordField("verStrPublic", &S::verStrPublic), RecordField("verMajor", &S::verMajor),
        RecordField("verMinor", &S::verMinor), RecordField("verPatch", &S::verPatch),
        RecordField("verTweak", &S::verTweak), RecordField("build", &S::build));
    static constexpr const char* kTypeText =
        "Record[ build: String, name:String, verStrFull : String, verMajor : Int, verMinor : Int, "
        "verPatch : Int, verStrPublic : String, verTweak : String ]";
};

}  // namespace QUON_ExternLib
