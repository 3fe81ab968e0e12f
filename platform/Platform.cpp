#include "platform/Platform.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace zul::platform {

std::uint32_t CurrentThreadId() {
    static thread_local std::uint32_t cached = static_cast<std::uint32_t>(::syscall(SYS_gettid));
    return cached;
}

std::string ModuleFilePath() {
    // dladdr on a function of this copy of the runtime names the module that holds it.
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&ModuleFilePath), &info) == 0 || info.dli_fname == nullptr)
        return {};
    char resolved[PATH_MAX];
    if (::realpath(info.dli_fname, resolved) != nullptr) return resolved;
    return info.dli_fname;
}

int LastErrorNumber() {
    return errno;
}

std::string SystemErrorMessage(int errorNumber) {
    char buffer[256];
    // GNU strerror_r may return a static text instead of filling the buffer.
    const char* text = ::strerror_r(errorNumber, buffer, sizeof buffer);
    return text != nullptr ? text : "";
}

bool DirectoryExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateDirectories(const std::string& path) {
    if (path.empty()) return false;
    std::string partial;
    partial.reserve(path.size());
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || (path[i] == kPathSeparator && i > 0)) {
            if (!DirectoryExists(partial) && ::mkdir(partial.c_str(), 0777) != 0 && errno != EEXIST)
                return false;
        }
        if (i < path.size()) partial.push_back(path[i]);
    }
    return DirectoryExists(path);
}

std::string ApplicationDataFolder() {
    if (const char* appData = std::getenv("APPDATA"); appData != nullptr && *appData != '\0')
        return appData;
    if (const char* state = std::getenv("XDG_STATE_HOME"); state != nullptr && *state != '\0') return state;
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return std::string(home) + kPathSeparator + ".local" + kPathSeparator + "state";
    return {};
}

}  // namespace zul::platform
