// The error a bound function throws to report a failure to its caller. The host shows its text
// after the row's name ("fail: the gadget is broken"); a catalogue error also carries its message
// number ("fail: Non-existing record attribute access [size]! [err 2018]"):
//
//   throw QUON_ExternLib::Error("the gadget is broken");
//   throw QUON_ExternLib::Error(QUON_Evaluator::ErrorCode::kNoSuchAttribute, "size");
//
// Any other exception reaches the host too, with its what() as the text; this one is also the
// runtime's own exception type (zul::Exception), which hosts catch with its number and texts.
#pragma once

#include <cstdint>
#include <string>

#include "diagnostics/ErrorNumbers.h"
#include "diagnostics/EvException.h"

namespace QUON_ExternLib {

class Error : public QUON_Evaluator::EvaluationException {
public:
    // A text of the library's own, without a number.
    explicit Error(const std::string& text) : EvaluationException(text.c_str()) {}
    // The catalogue's evaluator message `code` (QUON_Evaluator::ErrorCode), its %1 and %2 filled
    // with the arguments given.
    explicit Error(std::int32_t code, const char* argument1 = nullptr, const char* argument2 = nullptr)
        : EvaluationException(
              QUON_Evaluator::EvException(code, QUON_Evaluator::kNoSubcode, argument1, argument2)) {}
};

}  // namespace QUON_ExternLib
