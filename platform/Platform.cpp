#include "platform/Platform.h"

#include <cxxabi.h>
#include <dlfcn.h>
#include <pthread.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/Invariant.h"

namespace zul::platform {

namespace {

// The calling thread's kernel id, 0 until first asked for (no thread has id 0). A forked child
// runs on a new thread that would inherit its parent's word: the fork handler clears it.
thread_local std::uint32_t cachedThreadId = 0;

void ForgetThreadIdInChild() {
    cachedThreadId = 0;
}

}  // namespace

std::uint32_t CurrentThreadId() {
    if (cachedThreadId != 0) return cachedThreadId;
    const auto id = static_cast<std::uint32_t>(::syscall(SYS_gettid));
    // The handler is in place before any thread caches its id; without it, nothing is cached.
    static const bool forkHandlerSet = ::pthread_atfork(nullptr, nullptr, &ForgetThreadIdInChild) == 0;
    if (forkHandlerSet) cachedThreadId = id;
    return id;
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

namespace zul::platform {

void InvariantBroken(const char* what, const char* file, int line) noexcept {
    std::fprintf(stderr, "invariant broken: %s (%s:%d)\n", what, file, line);
    std::abort();
}

std::string DemangledName(const char* mangled) {
    int status = 0;
    char* name = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    std::string text = status == 0 && name != nullptr ? name : mangled;
    std::free(name);
    return text;
}

}  // namespace zul::platform
