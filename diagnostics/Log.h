// The logging entry points: one record goes to the file of its log type, or to the
// "Default" log with the type shown as the record's source. File problems never reach
// the caller; records that cannot be written wait in memory (see Logger).
#pragma once

#include <cstdint>
#include <string>

namespace zul {

// Levels are taken modulo 5; a lower number is more severe.
inline constexpr std::uint8_t kLogLevelNone = 0;     // "---"
inline constexpr std::uint8_t kLogLevelError = 1;    // "ERROR"
inline constexpr std::uint8_t kLogLevelData = 2;     // "DATA"
inline constexpr std::uint8_t kLogLevelWarning = 3;  // "WARNING"
inline constexpr std::uint8_t kLogLevelInfo = 4;     // "INFO"

// Record flags, combined bitwise.
inline constexpr std::uint8_t kLogFlagLevelName = 1;  // write the level name
inline constexpr std::uint8_t kLogFlagToDefault = 2;  // write into "Default", the type as source
inline constexpr std::uint8_t kLogFlagTimestamp = 4;  // write the local date and time

// The fallback log type, also used for an empty type.
inline constexpr const char* kDefaultLogType = "Default";

// Name of a level, the level taken modulo 5.
const char* LogLevelName(std::uint8_t level);

// Writes one record of the given level.
void Log(std::uint8_t level, const std::string& logType, const std::string& text, std::uint8_t flags);

// Writes one record with an already named level; holds the log-call mutex throughout.
void LogWrite(const std::string& logType, const std::string& levelName, const std::string& text,
              std::uint8_t flags);

// "ERROR: (<errno>) <system text>", plus " [<context>]" when context is not empty.
std::string LastErrorText(const std::string& context);

}  // namespace zul
