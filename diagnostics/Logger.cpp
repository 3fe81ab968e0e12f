#include "diagnostics/Logger.h"

#include <ctime>
#include <mutex>
#include <utility>

#include "diagnostics/Log.h"
#include "platform/Platform.h"

namespace zul {

namespace {

// Held while one record is written; always taken last, after the log-call and manager mutexes.
std::mutex& FileMutex() {
    static std::mutex mutex;
    return mutex;
}

std::tm LocalNow() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return local;
}

}  // namespace

std::string FormatThreadTag(std::uint64_t threadId) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string tag = "[T#";
    for (int shift = 60; shift >= 0; shift -= 4) tag.push_back(kDigits[(threadId >> shift) & 0xF]);
    tag += "] ";
    return tag;
}

Logger::Logger(std::string filePath, std::string logType)
    : filePath_(std::move(filePath)), logType_(std::move(logType)) {}

void Logger::QueueMissed(std::string line) {
    // A file that never opens must not make the queue grow without bound.
    if (missed_.size() >= kMaxMissed) {
        missed_.pop_front();
        ++droppedMissed_;
    }
    missed_.push_back(std::move(line));
}

std::FILE* Logger::Open() {
    if (std::FILE* file = std::fopen(filePath_.c_str(), "a")) return file;

    // The folder may have vanished or never been made: create it and try again.
    std::size_t slash = filePath_.rfind(platform::kPathSeparator);
    if (slash != std::string::npos) {
        std::string directory = filePath_.substr(0, slash);
        if (!directory.empty() && !platform::DirectoryExists(directory) &&
            platform::CreateDirectories(directory)) {
            if (std::FILE* file = std::fopen(filePath_.c_str(), "a")) return file;
        }
    }

    // Something else holds the name: fall back to a sibling "_x.log" file.
    std::string fallback = filePath_;
    if (fallback.size() >= 4) fallback.resize(fallback.size() - 4);
    fallback += "_x.log";
    if (std::FILE* file = std::fopen(fallback.c_str(), "a")) return file;

    std::string reason = LastErrorText("");  // before anything else can touch errno
    QueueMissed("Can not open log file (" + filePath_ + ") : " + reason);
    return nullptr;
}

void Logger::WritePrefix(std::FILE* file, bool timestamp) const {
    if (timestamp) {
        std::tm t = LocalNow();
        std::fprintf(file, "[%4d-%02d-%02d %02d:%02d:%02d.%03d] ", t.tm_year + 1900, t.tm_mon + 1,
                     t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, 0);
    }
    std::fputs(FormatThreadTag(platform::CurrentThreadId()).c_str(), file);
}

void Logger::Write(const std::string& levelName, const std::string& source, const std::string& text,
                   bool timestamp) {
    std::lock_guard<std::mutex> lock(FileMutex());

    std::FILE* file = Open();
    if (file == nullptr) {
        QueueMissed("Error: Cannot open log file!");
        std::string line;
        if (!levelName.empty()) line += "[" + levelName + "] ";
        if (!source.empty()) line += "(" + source + ") ";
        line += text + "\n";
        QueueMissed(std::move(line));
        return;
    }

    if (droppedMissed_ != 0) {
        WritePrefix(file, timestamp);
        std::fprintf(file, "[MISSED] %zu older records were dropped\n", droppedMissed_);
        droppedMissed_ = 0;
    }
    for (const std::string& record : missed_) {
        WritePrefix(file, timestamp);
        std::fprintf(file, "[MISSED] %s\n", record.c_str());
    }
    missed_.clear();

    if (headerPending_) {
        std::fprintf(file,
                     "Module:   %.1000s\nLog type: %s\nLog file: %s\n"
                     "-------------------------------------------------\n",
                     platform::ModuleFilePath().c_str(), logType_.c_str(), filePath_.c_str());
        headerPending_ = false;
    }

    WritePrefix(file, timestamp);
    if (!levelName.empty()) std::fprintf(file, "[%s] ", levelName.c_str());
    if (!source.empty()) std::fprintf(file, "(%s) ", source.c_str());
    std::fprintf(file, "%s\n", text.c_str());
    std::fclose(file);
}

}  // namespace zul
