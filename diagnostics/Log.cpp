#include "diagnostics/Log.h"

#include <mutex>

#include "diagnostics/LogManager.h"
#include "platform/Platform.h"

namespace zul {

namespace {

// Held for a whole LogWrite; always taken before the manager and file mutexes.
std::mutex& LogCallMutex() {
    static std::mutex mutex;
    return mutex;
}

}  // namespace

const char* LogLevelName(std::uint8_t level) {
    static constexpr const char* kNames[5] = {"---", "ERROR", "DATA", "WARNING", "INFO"};
    return kNames[level % 5];
}

void Log(std::uint8_t level, const std::string& logType, const std::string& text, std::uint8_t flags) {
    LogWrite(logType, LogLevelName(level), text, flags);
}

void LogWrite(const std::string& logType, const std::string& levelName, const std::string& text,
              std::uint8_t flags) {
    std::lock_guard<std::mutex> lock(LogCallMutex());
    LogManager* manager = GetLogManager();
    const bool toDefault = (flags & kLogFlagToDefault) != 0;

    Logger* logger =
        manager->GetLogger(toDefault || logType.empty() ? std::string(kDefaultLogType) : logType);
    if (logger == nullptr) {
        if (toDefault) return;
        // Last resort: the bare text in the default log.
        logger = manager->GetLogger(kDefaultLogType);
        if (logger != nullptr) logger->Write("", "", text, false);
        return;
    }
    logger->Write((flags & kLogFlagLevelName) != 0 ? levelName : std::string(),
                  toDefault ? logType : std::string(), text, (flags & kLogFlagTimestamp) != 0);
}

std::string LastErrorText(const std::string& context) {
    const int number = platform::LastErrorNumber();
    std::string message = platform::SystemErrorMessage(number);
    while (!message.empty() && static_cast<unsigned char>(message.back()) < 32) message.pop_back();
    std::string text = "ERROR: (" + std::to_string(number) + ") " + message;
    if (!context.empty()) text += " [" + context + "]";
    return text;
}

}  // namespace zul
