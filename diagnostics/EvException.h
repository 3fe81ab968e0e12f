// The evaluator's exceptions. EvException builds its whole text from an error code: the
// message number is 2000 + code, looked up in the catalogue with up to two arguments.
#pragma once

#include <cstdint>

#include "diagnostics/ErrorNumbers.h"
#include "diagnostics/Exception.h"

namespace QUON_Evaluator {

class EvaluationException : public zul::Exception {
public:
    using zul::Exception::Exception;
    EvaluationException(const zul::Exception& other);  // copies every body
};

class EvException : public EvaluationException {
public:
    // Message 2000 + code with the arguments a1, a2 (null for absent), tagged with the number
    // and the subcode (negative for none).
    EvException(std::int32_t code, std::int32_t subcode = kNoSubcode, const char* a1 = nullptr,
                const char* a2 = nullptr);
    EvException(const EvException& other);
};

}  // namespace QUON_Evaluator
