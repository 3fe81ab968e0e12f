#include "diagnostics/DiagnosticChannel.h"

#include <string>

#include "diagnostics/Log.h"
#include "platform/Invariant.h"

namespace zul {

using zulStdString::tString;

namespace {

// Trailing blanks and control characters go; carriage returns go; continuation lines are
// indented by four spaces under the first.
std::string LogText(const std::string& text) {
    std::size_t end = text.size();
    while (end > 0 && static_cast<unsigned char>(text[end - 1]) < 33) --end;
    std::string out;
    out.reserve(end + 8);
    for (std::size_t i = 0; i < end; ++i) {
        if (text[i] == '\r') continue;
        out.push_back(text[i]);
        if (text[i] == '\n') out += "    ";
    }
    return out;
}

}  // namespace

DiagnosticChannel::DiagnosticChannel(const tString& name, const tString& logName, std::uint8_t keepLevel,
                                     std::uint8_t logLevel, DiagnosticChannel* parent,
                                     std::uint8_t parentLevel, std::uint8_t errorFlags)
    : name(name),
      logName(logName),
      keepLevel(keepLevel),
      logLevel(logLevel),
      errorFlags(errorFlags),
      parent(parent),
      parentLevel(parentLevel) {}

void DiagnosticChannel::ReportError(const tString& text) {
    std::lock_guard<std::recursive_mutex> lock(mutex);
    lastError = text;
    Report(kLogLevelError, errorFlags, lastError, tString(), false);
}

void DiagnosticChannel::Report(std::uint8_t level, std::uint8_t flags, const tString& text,
                               const tString& source, bool alreadyLogged) {
    std::lock_guard<std::recursive_mutex> lock(mutex);
    DiagnosticRecord record{level, flags, text, source};
    if (level <= keepLevel) records.push_back(record);
    if (logLevel == kLogEverything || (!alreadyLogged && level <= logLevel)) {
        WriteToLog(record);
        alreadyLogged = true;
    }
    if (parent != nullptr && level <= parentLevel) {
        QUON_INVARIANT(parent != this, "a diagnostic channel that is its own parent");
        tString path = source.empty() ? name : tString(name).Append("::").Append(source);
        parent->Report(level, flags, text, path, alreadyLogged);
    }
}

void DiagnosticChannel::WriteToLog(const DiagnosticRecord& record) {
    if (record.level > logLevel) return;
    std::string type = logName.Text();
    if (!record.source.empty()) type += ":*:" + record.source.Text();
    const std::string text = LogText(record.text.Text());
    std::lock_guard<std::recursive_mutex> lock(mutex);
    Log(record.level, type, text, kLogFlagLevelName | kLogFlagToDefault | kLogFlagTimestamp);
}

}  // namespace zul
