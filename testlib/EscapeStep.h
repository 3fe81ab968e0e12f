// The escape step of the mandel_escape_int and julia_escape_int rows, in one header for the rows
// and for whoever must count exactly as they do: quon-host's --native renderer and the benchmarks'
// baseline. It includes nothing, so the application can share it without the library's code.
#pragma once

#include <cstdint>

namespace QUON_TestLib {

// Iterates z <- z^2 + c from z = (x, y); the step at which |z|^2 first exceeds 4, counting from 1,
// or 0 when it stays within maxIter steps. y * y is computed once per step and reused by the next
// step's x. A NaN never compares greater, so it never counts as escaped.
inline std::int32_t EscapeStep(double cr, double ci, double x, double y, std::int32_t maxIter) {
    double yy = y * y;
    for (std::int32_t i = 0; i < maxIter; ++i) {
        const double nextX = x * x - yy + cr;
        y = (x + x) * y + ci;
        x = nextX;
        yy = y * y;
        if (x * x + yy > 4.0) return i + 1;
    }
    return 0;
}

}  // namespace QUON_TestLib
