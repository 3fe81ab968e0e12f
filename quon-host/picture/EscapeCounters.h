// Where a picture's escape counts come from: a row of the library (`mandel_escape_int` or
// `julia_escape_int`) called through its adapter once per point, as a Quon program calls it, or
// the same arithmetic in plain C++ to compare against.
#pragma once

#include <cstdint>
#include <memory>

#include "host/CallFrame.h"
#include "host/HostLibrary.h"

namespace quon_host {

// The escape count of z -> z * z + c for one point of the plane. One counter per thread.
class EscapeCounter {
public:
    virtual ~EscapeCounter() = default;
    virtual std::int64_t Count(double x, double y) = 0;
};

// Which set a picture shows: Mandelbrot (c is the point, z starts at 0) or Julia (c fixed, z
// starts at the point).
struct EscapeSet {
    bool julia = false;
    double cx = 0.0, cy = 0.0;  // Julia's constant
    std::int64_t iterations = 1000;

    const char* RowName() const { return julia ? "julia_escape_int" : "mandel_escape_int"; }
    // The row's type as the host's type printer writes it.
    const char* RowType() const {
        return julia ? "(Float * Float * Float * Float * Int -> Int)" : "(Float * Float * Int -> Int)";
    }
};

// The set's row of `library`. Throws std::runtime_error when the library has no such row or the
// row's published type is not the one the counters fill their frames for.
const HostLibrary::Row& EscapeRow(const HostLibrary& library, const EscapeSet& set);

// Calls the row's adapter on a frame of its own: per point the argument cells are filled with the
// host's setters, the result is checked as every call's is (HostLibrary::CheckResult: a result of
// another type, or none, is an error) and the count is read from it. Make it on the thread that
// uses it, once that thread has an evaluator.
class RowEscapeCounter : public EscapeCounter {
public:
    RowEscapeCounter(const HostLibrary::Row& row, const EscapeSet& set);
    std::int64_t Count(double x, double y) override;

private:
    const HostLibrary::Row& row;
    EscapeSet set;
    CallFrame frame;
};

// The library's arithmetic (testlib/FractalFunctions.cpp) inlined in the host.
class NativeEscapeCounter : public EscapeCounter {
public:
    explicit NativeEscapeCounter(const EscapeSet& set) : set(set) {}
    std::int64_t Count(double x, double y) override;

private:
    EscapeSet set;
};

}  // namespace quon_host
