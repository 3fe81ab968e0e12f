#include "host/LibraryBoundary.h"

#include <cxxabi.h>
#include <unistd.h>

#include <cerrno>
#include <exception>
#include <typeinfo>

#include "platform/Platform.h"

namespace quon_host {

namespace {

std::atomic<std::uint64_t> releaseFailures{0};

// The type of the exception in flight, demangled ("int").
std::string CurrentExceptionType() {
    const std::type_info* type = abi::__cxa_current_exception_type();
    return type != nullptr ? zul::platform::DemangledName(type->name()) : "unknown";
}

}  // namespace

std::string ThrownBy(const std::string& where) {
    try {
        throw;
    } catch (const std::exception& error) {
        const std::string text = error.what();
        return where + " threw " + CurrentExceptionType() + (text.empty() ? " without a message" : ": " + text);
    } catch (...) {
        return where + " threw something that is not an exception: a value of type " + CurrentExceptionType();
    }
}

std::uint64_t ReleaseFailures() {
    return releaseFailures.load(std::memory_order_relaxed);
}

namespace detail {

void ReportReleaseFailure(const std::string& text) noexcept {
    releaseFailures.fetch_add(1, std::memory_order_relaxed);
    // One write of the whole line: no stream that could itself throw or interleave.
    const std::string line = std::string(program_invocation_short_name) + ": error: " + text + "\n";
    const ssize_t written = ::write(STDERR_FILENO, line.data(), line.size());
    static_cast<void>(written);
}

}  // namespace detail

}  // namespace quon_host
