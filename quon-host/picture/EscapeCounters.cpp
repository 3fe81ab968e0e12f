#include "quon-host/picture/EscapeCounters.h"

#include <stdexcept>
#include <string>

#include "host/ValueEntries.h"
#include "testlib/EscapeStep.h"

namespace quon_host {

const HostLibrary::Row& EscapeRow(const HostLibrary& library, const EscapeSet& set) {
    const HostLibrary::Row* row = library.Find(set.RowName());
    if (row == nullptr)
        throw std::runtime_error(std::string("the library has no row '") + set.RowName() + "'");
    if (!row->error.empty()) throw std::runtime_error(std::string(set.RowName()) + ": " + row->error);
    const std::string type = row->type.ToString().Text();
    if (type != set.RowType())
        throw std::runtime_error(std::string(set.RowName()) + " has type " + type + ", expected " +
                                 set.RowType());
    return *row;
}

RowEscapeCounter::RowEscapeCounter(const HostLibrary::Row& row, const EscapeSet& set)
    : row(row), set(set), frame(set.julia ? 5 : 3) {}

std::int64_t RowEscapeCounter::Count(double x, double y) {
    // The arguments as the program pushes them for every call: mandel_escape_int(x, y, iterations),
    // julia_escape_int(cx, cy, x, y, iterations).
    std::size_t i = 0;
    if (set.julia) {
        SetFloat(frame.Argument(i++), set.cx);
        SetFloat(frame.Argument(i++), set.cy);
    }
    SetFloat(frame.Argument(i++), x);
    SetFloat(frame.Argument(i++), y);
    SetInt(frame.Argument(i), set.iterations);
    Value result;  // no value until the adapter sets one
    frame.Call(row.entry->adapter, &result.Cell());
    HostLibrary::CheckResult(row, result);
    return result.AsInt();
}

std::int64_t NativeEscapeCounter::Count(double x, double y) {
    const auto iterations = static_cast<std::int32_t>(set.iterations);
    if (set.julia) return QUON_TestLib::EscapeStep(set.cx, set.cy, x, y, iterations);
    return QUON_TestLib::EscapeStep(x, y, 0.0, 0.0, iterations);
}

}  // namespace quon_host
