// The few operating-system services the runtime needs, behind one small POSIX layer:
// thread ids, the path of the calling module, the last system error, directories, the
// application-data folder and readable type names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zul::platform {

// Path separator of this platform, used wherever the runtime joins path pieces.
inline constexpr char kPathSeparator = '/';

// Bytes of a cache line. An object one thread writes all the time and others never touch is
// aligned to it, so that two threads' objects never share a line.
inline constexpr std::size_t kCacheLineSize = 64;

// Kernel id of the calling thread, truncated to 32 bits as pools and log lines record it.
std::uint32_t CurrentThreadId();

// Full path of the module (shared library or executable) that holds this copy of the runtime.
std::string ModuleFilePath();

// Number of the system's last error on this thread (errno).
int LastErrorNumber();

// The system's own message for an error number, in the default language.
std::string SystemErrorMessage(int errorNumber);

bool DirectoryExists(const std::string& path);

// Creates the directory with all missing parents; true when it exists afterwards.
bool CreateDirectories(const std::string& path);

// The per-user application-data folder: $APPDATA when set, else $XDG_STATE_HOME,
// else $HOME/.local/state. Empty when none of them can be found.
std::string ApplicationDataFolder();

// A C++ type's readable name ("hello::Counter") from its mangled one; the mangled name when it
// cannot be demangled.
std::string DemangledName(const char* mangled);

}  // namespace zul::platform
