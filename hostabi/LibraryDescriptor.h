// The binary structures the host reads from the library: the descriptor, its function
// rows and its custom-type rows. Every size and offset below is part of the host contract.
#pragma once

#include <cstddef>
#include <cstdint>

#include "hostabi/ParentContext.h"
#include "strings/VersionInfo.h"

namespace zul {
template <class T>
class InterModuleProxy;
}

namespace QUON_ExternLib {

// The version of the interface between host and library that a descriptor's interfaceVersion names.
constexpr std::uint64_t kInterfaceVersion = 400;

// The host calls an adapter with the result cell and the argument frame.
using AdapterFn = void (*)(QUON_Evaluator::EvCell* result, QUON_Evaluator::EvCell* frame);

// One published function.
struct FunctionEntry {
    const char* name;         // the name Quon programs call
    AdapterFn adapter;        // the native entry point
    const char* typeString;   // the Quon type signature as text
    const char* description;  // one-line description
};

static_assert(sizeof(FunctionEntry) == 32);
static_assert(offsetof(FunctionEntry, name) == 0);
static_assert(offsetof(FunctionEntry, adapter) == 8);
static_assert(offsetof(FunctionEntry, typeString) == 16);
static_assert(offsetof(FunctionEntry, description) == 24);

// One custom external type; the same 40 bytes are kept in the library's type registry.
struct CustomTypeEntry {
    const char* typeName;                                         // the Quon name used in type strings
    void* reserved1;                                              // null in this library
    void (*destroy)(void* object);                                // deletes a native object
    zul::InterModuleProxy<std::string>* (*toText)(void* object);  // the object's text; receiver destroys it
    std::uint64_t reserved2;                                      // zero in this library
};

static_assert(sizeof(CustomTypeEntry) == 40);
static_assert(offsetof(CustomTypeEntry, typeName) == 0);
static_assert(offsetof(CustomTypeEntry, reserved1) == 8);
static_assert(offsetof(CustomTypeEntry, destroy) == 16);
static_assert(offsetof(CustomTypeEntry, toText) == 24);
static_assert(offsetof(CustomTypeEntry, reserved2) == 32);

// What LibraryData returns.
struct LibraryDescriptor {
    std::uint64_t interfaceVersion = 0;
    const char* libraryName = nullptr;
    std::uint64_t customTypeCount = 0;
    const CustomTypeEntry* customTypes = nullptr;
    std::uint64_t functionCount = 0;
    const FunctionEntry* functions = nullptr;
    std::uint64_t pointerSize = 0;
    const char* buildConfiguration = nullptr;
    zul::VersionInfo libraryVersion;
    zul::VersionInfo frameworkVersion;
    zul::VersionInfo frameworkMinVersion;
};

static_assert(sizeof(LibraryDescriptor) == 0x190);
static_assert(offsetof(LibraryDescriptor, interfaceVersion) == 0x000);
static_assert(offsetof(LibraryDescriptor, libraryName) == 0x008);
static_assert(offsetof(LibraryDescriptor, customTypeCount) == 0x010);
static_assert(offsetof(LibraryDescriptor, customTypes) == 0x018);
static_assert(offsetof(LibraryDescriptor, functionCount) == 0x020);
static_assert(offsetof(LibraryDescriptor, functions) == 0x028);
static_assert(offsetof(LibraryDescriptor, pointerSize) == 0x030);
static_assert(offsetof(LibraryDescriptor, buildConfiguration) == 0x038);
static_assert(offsetof(LibraryDescriptor, libraryVersion) == 0x040);
static_assert(offsetof(LibraryDescriptor, frameworkVersion) == 0x0B0);
static_assert(offsetof(LibraryDescriptor, frameworkMinVersion) == 0x120);

// What a library built with framework build 26072 or later publishes beside its descriptor, at
// kBesideOffset bytes from the descriptor's start in the same object: the rows' parameter names.
// The descriptor's layout is unchanged; a host finds the block through BesideOf, which reads it
// only for a library whose framework version says it has one.
struct PublishedBeside {
    std::uint64_t magic;                // kBesideMagic
    std::uint64_t rowCount;             // the descriptor's functionCount
    const char* const* parameterNames;  // per row: the names, ", " between them; null: none given
};

static_assert(sizeof(PublishedBeside) == 24);
inline constexpr std::size_t kBesideOffset = 0x1D0;
inline constexpr std::uint64_t kBesideMagic = 0x0131656469736542;  // "Beside\x31\x01"
inline constexpr std::uint32_t kBesideBuild = 26072;

// The block beside `descriptor`, or null: the framework version must be 0.6.12 with a build of at
// least kBesideBuild, or later than 0.6, and the block must carry the magic and the row count.
inline const PublishedBeside* BesideOf(const LibraryDescriptor& descriptor) {
    const zul::VersionInfo& version = descriptor.frameworkVersion;
    std::uint64_t build = 0;
    for (char c : version.tweak) {
        if (c < '0' || c > '9' || build > 1000000000) return nullptr;
        build = build * 10 + static_cast<std::uint64_t>(c - '0');
    }
    const bool later = version.major > 0 || version.minor > 6 || (version.minor == 6 && version.patch > 12);
    const bool since = version.major == 0 && version.minor == 6 && version.patch == 12 && build >= kBesideBuild;
    if (!later && !since) return nullptr;
    const auto* beside = reinterpret_cast<const PublishedBeside*>(reinterpret_cast<const char*>(&descriptor) +
                                                                  kBesideOffset);
    return beside->magic == kBesideMagic && beside->rowCount == descriptor.functionCount ? beside : nullptr;
}

}  // namespace QUON_ExternLib

// The entry points, exported under these plain names.
extern "C" {
using BindToParentContextFn = void (*)(ParentContext* context);
using LibraryDataFn = QUON_ExternLib::LibraryDescriptor* (*)();
using ReleaseLibraryFn = void (*)();
}
