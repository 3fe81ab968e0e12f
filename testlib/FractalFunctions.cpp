#include "testlib/FractalFunctions.h"

#include "testlib/EscapeStep.h"

namespace QUON_TestLib {

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
