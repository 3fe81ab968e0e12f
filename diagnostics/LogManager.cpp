#include "diagnostics/LogManager.h"

#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <ctime>
#include <memory>
#include <random>
#include <utility>

#include "diagnostics/Log.h"
#include "platform/Platform.h"

namespace zul {

namespace {

// Room left in a 255-byte file name after "Quon [", "]", the time, the digits and "_x.log".
constexpr std::size_t kMaxTypeInFileName = 200;

// Six decimal digits for a new file name. The generator is process-wide, seeded with the
// standard default, and has its own mutex. Being seeded alike, every process (and each copy
// of the runtime in one process) draws the same sequence: GetLogger claims a name before use.
std::string RandomDigits() {
    static std::mutex mutex;
    // On the heap: its 5 KB of state would otherwise lie in the module's zero-filled data, among
    // the statics that loading touches, and cost a page fault at every load.
    static const std::unique_ptr<std::mt19937> generator = std::make_unique<std::mt19937>();  // seed 5489
    float r;
    {
        std::lock_guard<std::mutex> lock(mutex);
        r = std::uniform_real_distribution<float>(0.0f, 1.0f)(*generator);
    }
    long value = static_cast<long>(std::floor(static_cast<double>(r) * 1000000.0));
    if (value > 999999) value = 999999;  // float rounding may reach 1.0
    char digits[24];
    std::snprintf(digits, sizeof digits, "%ld", value + 1000000);
    return digits + 1;  // the leading "1" only keeps the zeros
}

// Draws of new digits before a name in use is taken anyway.
constexpr int kMaxNameDraws = 100;

enum class Claim { Taken, InUse, Failed };

// Claims a name (without ".log") for this writer by creating its ".log" file, empty, only if
// no file of that name exists: of several writers that drew the same name, exactly one
// succeeds. A name whose "_x.log" fallback exists belongs to another writer too.
Claim ClaimName(const std::string& name) {
    const std::string path = name + ".log";
    std::FILE* file = std::fopen(path.c_str(), "wx");
    if (file == nullptr) return platform::LastErrorNumber() == EEXIST ? Claim::InUse : Claim::Failed;
    std::fclose(file);
    struct stat status {};
    if (::stat((name + "_x.log").c_str(), &status) == 0) {
        std::remove(path.c_str());
        return Claim::InUse;
    }
    return Claim::Taken;
}

void SlashesToBackslashes(std::string& text) {
    for (char& c : text)
        if (c == '/') c = '\\';
}

std::string DefaultLogDirectory() {
    std::string root = platform::ApplicationDataFolder();
    if (root.empty()) return {};
    return root + platform::kPathSeparator + "Quon" + platform::kPathSeparator + "log";
}

}  // namespace

LogManager::LogManager(std::string logDirectory) : logDirectory_(std::move(logDirectory)) {
    if (!logDirectory_.empty()) platform::CreateDirectories(logDirectory_);
}

LogManager::~LogManager() {
    std::lock_guard<std::mutex> lock(mutex_);
    loggers_.clear();
}

LogManager& LogManager::Local() {
    static LogManager manager(DefaultLogDirectory());
    return manager;
}

std::string LogManager::FileBase(const std::string& type) {
    auto cached = fileBases_.find(type);
    if (cached != fileBases_.end()) return cached->second;

    // The type becomes part of one file name: with every "/" turned into "\\" it can name no
    // other folder, and ".." inside "Quon [...]" is no path component of its own.
    // A long type is cut so that the whole name stays within the file system's name limit.
    std::string shown = type.substr(0, kMaxTypeInFileName);
    std::string prefix = type == kDefaultLogType ? std::string("Quon -") : "Quon [" + shown + "]";
    SlashesToBackslashes(prefix);
    std::string base =
        logDirectory_.empty() ? std::string() : logDirectory_ + platform::kPathSeparator + prefix;
    fileBases_.emplace(type, base);
    return base;
}

Logger* LogManager::GetLogger(const std::string& requested) {
    const std::string type = requested.empty() ? std::string(kDefaultLogType) : requested;
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = loggers_.find(type);
    if (found != loggers_.end()) return found->second.get();

    std::string path = FileBase(type);
    if (path.empty()) return nullptr;

    std::time_t now = std::time(nullptr);
    std::tm t{};
    ::localtime_r(&now, &t);
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, " %4d-%02d-%02d-%02d%02d%02d-", t.tm_year + 1900, t.tm_mon + 1,
                  t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    path += stamp;
    // Another process, or the other runtime copy in this one, draws the same digits and may
    // start in the same second: draw again until a name is claimed, so that each writer stays
    // the one writer of its file. A folder that takes no file leaves the name unclaimed; the
    // first record then reports why.
    std::string name = path + RandomDigits();
    for (int attempt = 0; attempt < kMaxNameDraws; ++attempt) {
        Claim claim = ClaimName(name);
        if (claim == Claim::Failed && platform::CreateDirectories(logDirectory_)) claim = ClaimName(name);
        if (claim != Claim::InUse) break;
        name = path + RandomDigits();
    }

    auto logger = std::make_unique<Logger>(name + ".log", type);
    Logger* result = logger.get();
    loggers_.emplace(type, std::move(logger));
    return result;
}

LogManager* GetLogManager() {
    LogManager& local = LogManager::Local();
    LogManager* forward = local.ForwardTarget();
    return forward != nullptr ? forward : &local;
}

}  // namespace zul
