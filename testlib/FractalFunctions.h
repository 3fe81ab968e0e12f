// Escape times of z -> z * z + c: for the Mandelbrot set (z starts at 0, c is the point) and for
// a Julia set (c fixed, z starts at the point). The start is not tested: the first possible
// escape is after step 1. maxIter <= 0 iterates nothing.
#pragma once

#include <cstdint>

namespace QUON_TestLib {

bool MandelEscape(double cr, double ci, std::int32_t maxIter);
// The step (1 to maxIter) at which |z| > 2 was seen, or 0 when it never was.
std::int32_t MandelEscapeInt(double cr, double ci, std::int32_t maxIter);
std::int32_t JuliaEscapeInt(double cr, double ci, double zr, double zi, std::int32_t maxIter);

}  // namespace QUON_TestLib
