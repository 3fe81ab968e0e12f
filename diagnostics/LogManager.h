// The registry of loggers, one per log type, rooted in one log folder. The process-wide
// manager lives in the application-data folder under "Quon/log"; it can forward to another
// manager (a host that wants every module to log into one set of files sets the forward).
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "diagnostics/Logger.h"

namespace zul {

class LogManager {
public:
    // A manager on the given folder, which is created with all missing parents. An empty
    // folder makes a manager that creates no loggers.
    explicit LogManager(std::string logDirectory);
    ~LogManager();

    LogManager(const LogManager&) = delete;
    LogManager& operator=(const LogManager&) = delete;

    // This module's own manager, created on first use in the application-data folder.
    static LogManager& Local();

    // The logger of a type (empty means "Default"), created on first request; null when none
    // can be made.
    Logger* GetLogger(const std::string& type);

    const std::string& LogDirectory() const { return logDirectory_; }

    // While set, GetLogManager returns the target instead of this manager.
    void SetForwardTarget(LogManager* target) { forward_.store(target); }
    LogManager* ForwardTarget() const { return forward_.load(); }

private:
    std::string FileBase(const std::string& type);

    std::string logDirectory_;                                // folder of every file of this manager
    std::map<std::string, std::string> fileBases_;            // log type -> folder + file-name prefix
    std::map<std::string, std::unique_ptr<Logger>> loggers_;  // log type -> its logger (owned)
    std::mutex mutex_;                                        // guards both maps
    std::atomic<LogManager*> forward_{nullptr};               // manager to use instead, if set
};

// The forwarding target of the local manager if set, else the local manager.
LogManager* GetLogManager();

}  // namespace zul
