// A version record as the host reads it: three numbers, a free tweak text and the two
// texts derived from them. The three strings are the standard strings that library and
// host share by layout, so the record is exactly 112 bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zul {

struct VersionInfo {
    std::uint32_t major = 0;   // first number
    std::uint32_t minor = 0;   // second number
    std::uint32_t patch = 0;   // third number
    std::string tweak;         // free text given at construction; may be empty
    std::string publicString;  // "major.minor.patch"
    std::string fullString;    // publicString, then " (tweak)" when tweak is not empty

    VersionInfo() = default;
    // A null tweak counts as empty text.
    VersionInfo(std::uint32_t major, std::uint32_t minor, std::uint32_t patch, const char* tweak)
        : major(major), minor(minor), patch(patch), tweak(tweak != nullptr ? tweak : "") {
        publicString = std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(patch);
        fullString = this->tweak.empty() ? publicString : publicString + " (" + this->tweak + ")";
    }
};

static_assert(sizeof(std::string) == 32, "host and library share the 32-byte small-buffer string");
static_assert(sizeof(VersionInfo) == 112);
static_assert(offsetof(VersionInfo, major) == 0);
static_assert(offsetof(VersionInfo, minor) == 4);
static_assert(offsetof(VersionInfo, patch) == 8);
static_assert(offsetof(VersionInfo, tweak) == 16);
static_assert(offsetof(VersionInfo, publicString) == 48);
static_assert(offsetof(VersionInfo, fullString) == 80);

}  // namespace zul
