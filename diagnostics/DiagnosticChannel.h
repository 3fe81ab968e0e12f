// A diagnostic channel collects the problems reported during evaluation: it keeps the records
// up to one level, writes those up to another to the log, and passes those up to a third to
// its parent channel. The host creates and owns the channels; the library reports into them,
// so the field layout below is shared with the host and must not change.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "strings/tString.h"

namespace zul {

// One reported problem. Copying a record copies both bodies; dropping it releases both.
struct DiagnosticRecord {
    std::uint8_t level;            // lower is more severe; 1 is an error
    std::uint8_t flags;            // flag byte given by the reporter
    zulStdString::tString text;    // the report
    zulStdString::tString source;  // empty if reported here, else the child channels it came through
};

class DiagnosticChannel {
public:
    // A level of 100 in logLevel writes every record, even one a child has already written.
    static constexpr std::uint8_t kLogEverything = 100;

    DiagnosticChannel(const zulStdString::tString& name, const zulStdString::tString& logName,
                      std::uint8_t keepLevel, std::uint8_t logLevel, DiagnosticChannel* parent = nullptr,
                      std::uint8_t parentLevel = 0, std::uint8_t errorFlags = 0);
    DiagnosticChannel(const DiagnosticChannel&) = delete;
    DiagnosticChannel& operator=(const DiagnosticChannel&) = delete;

    // Keeps, logs and forwards one record; alreadyLogged says a child has written it.
    void Report(std::uint8_t level, std::uint8_t flags, const zulStdString::tString& text,
                const zulStdString::tString& source, bool alreadyLogged);
    // Reports text as an error (level 1) with errorFlags and remembers it in lastError.
    void ReportError(const zulStdString::tString& text);
    // Writes one record to the default log under this channel's log name.
    void WriteToLog(const DiagnosticRecord& record);

    std::recursive_mutex mutex;             // serialises every operation; taken child before parent
    zulStdString::tString name;             // the channel's own name, used in its children's paths
    zulStdString::tString logName;          // the source shown for its records in the log
    std::uint8_t keepLevel;                 // records with level <= keepLevel are kept
    std::uint8_t logLevel;                  // records with level <= logLevel are logged
    std::uint8_t reserved = 0;              // the host's; not read here
    std::uint8_t errorFlags;                // flag byte of records made by ReportError
    std::vector<DiagnosticRecord> records;  // the kept records, oldest first
    zulStdString::tString lastError;        // text of the most recent ReportError
    DiagnosticChannel* parent;              // receives records up to parentLevel; may be null
    std::uint8_t parentLevel;               // records with level <= parentLevel go to the parent
};

static_assert(sizeof(DiagnosticRecord) == 24);
static_assert(sizeof(std::recursive_mutex) == 40);
static_assert(offsetof(DiagnosticChannel, name) == 40);
static_assert(offsetof(DiagnosticChannel, logName) == 48);
static_assert(offsetof(DiagnosticChannel, keepLevel) == 56);
static_assert(offsetof(DiagnosticChannel, logLevel) == 57);
static_assert(offsetof(DiagnosticChannel, errorFlags) == 59);
static_assert(offsetof(DiagnosticChannel, records) == 64);
static_assert(offsetof(DiagnosticChannel, lastError) == 88);
static_assert(offsetof(DiagnosticChannel, parent) == 96);
static_assert(offsetof(DiagnosticChannel, parentLevel) == 104);
static_assert(sizeof(DiagnosticChannel) == 112);

}  // namespace zul
