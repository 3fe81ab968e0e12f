// One log type's file. The file is opened, appended to and closed for every record; when it
// cannot be opened the record, with an explanation, waits in the missed queue and is written,
// marked "[MISSED] ", before the next record that reaches the file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>

namespace zul {

class Logger {
public:
    // At most this many missed lines wait in memory; older ones are dropped beyond that.
    static constexpr std::size_t kMaxMissed = 4096;

    Logger(std::string filePath, std::string logType);

    Logger(const Logger&) = delete;
    Logger& operator=(const Logger&) = delete;

    // Writes one record under the process-wide file mutex. An empty levelName or source is
    // left out of the line.
    void Write(const std::string& levelName, const std::string& source, const std::string& text,
               bool timestamp);

    const std::string& FilePath() const { return filePath_; }
    const std::string& LogType() const { return logType_; }

private:
    std::FILE* Open();
    void QueueMissed(std::string line);
    void WritePrefix(std::FILE* file, bool timestamp) const;

    std::string filePath_;            // the file every record tries first; never changes
    std::string logType_;             // the type this logger writes, shown in the header
    bool headerPending_ = true;       // the header goes into the first record that reaches the file
    std::deque<std::string> missed_;  // records and explanations waiting for the file, oldest first
    std::size_t droppedMissed_ = 0;   // missed lines dropped because the queue was full
};

// "[T#" + the thread id as 16 upper-case hexadecimal digits + "] ".
std::string FormatThreadTag(std::uint64_t threadId);

}  // namespace zul
