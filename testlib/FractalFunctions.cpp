#include "testlib/FractalFunctions.h"

namespace QUON_TestLib {

namespace {

// Iterates from z = (x, y); y * y is computed once per step and reused by the next step's x.
// A NaN never compares greater, so it never counts as escaped.
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

}  // namespace

bool MandelEscape(double cr, double ci, std::int32_t maxIter) {
    return EscapeStep(cr, ci, 0.0, 0.0, maxIter) != 0;
}

std::int32_t MandelEscapeInt(double cr, double ci, std::int32_t maxIter) {
    return EscapeStep(cr, ci, 0.0, 0.0, maxIter);
}

std::int32_t JuliaEscapeInt(double cr, double ci, double zr, double zi, std::int32_t maxIter) {
    return EscapeStep(cr, ci, zr, zi, maxIter);
}

}  // namespace QUON_TestLib
