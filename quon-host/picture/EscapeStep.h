// The escape count of the library's mandel_escape_int and julia_escape_int rows in plain C++,
// step for step as testlib/FractalFunctions.cpp computes it, so both give the same counts: the
// picture commands' --native renderer and the benchmarks' baseline.
#pragma once

#include <cstdint>

namespace quon_host {

// Iterates z <- z^2 + c from z = (x, y); the step at which |z|^2 first exceeds 4, counting from 1,
// or 0 when it stays within maxIter steps.
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

}  // namespace quon_host
