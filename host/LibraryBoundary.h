// Where the host calls a library's code outside an adapter call (an entry point, a custom type's
// toText or destroy): whatever that code throws comes out as one std::runtime_error that says
// which code threw and what, so that no exception of another kind, and none without a text,
// reaches the host's callers; where nothing may be thrown (a value's release), the failure is
// reported and counted instead.
#pragma once

#include <atomic>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace quon_host {

// What the exception in flight says, as a text that names `where` ("LibraryData of libX.so",
// "the custom type 'Gadget''s toText"); call inside a catch.
std::string ThrownBy(const std::string& where);

// Runs `call`, which calls into a library; anything it throws is rethrown as std::runtime_error
// with ThrownBy(where()). `where` is only called on failure.
template <class Where, class Call>
auto IntoLibrary(const Where& where, const Call& call) -> decltype(call()) {
    try {
        return call();
    } catch (...) {
        throw std::runtime_error(ThrownBy(where()));
    }
}

// For calls that must not throw (a release): the failure is written to standard error and counted.
template <class Where, class Call>
void IntoLibraryNoThrow(const Where& where, const Call& call) noexcept;

// How many such failures the process has seen: a host that counts any ends with a failure status.
std::uint64_t ReleaseFailures();

namespace detail {
void ReportReleaseFailure(const std::string& text) noexcept;
}

template <class Where, class Call>
void IntoLibraryNoThrow(const Where& where, const Call& call) noexcept {
    try {
        call();
    } catch (...) {
        try {
            detail::ReportReleaseFailure(ThrownBy(where()));
        } catch (...) {
            detail::ReportReleaseFailure("a library's code threw while a value was released");
        }
    }
}

}  // namespace quon_host
