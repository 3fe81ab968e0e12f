#include "diagnostics/EvException.h"

#include "diagnostics/MessageLibrary.h"

namespace QUON_Evaluator {

EvaluationException::EvaluationException(const zul::Exception& other) : zul::Exception(other) {}

EvException::EvException(std::int32_t code, std::int32_t subcode, const char* a1, const char* a2)
    : EvaluationException(
          zul::MessageLibrary::MessageLibraryInstance().GetMessage(kEvaluatorMessageBase + code, a1, a2),
          zul::ErrorTag(static_cast<std::uint32_t>(kEvaluatorMessageBase + code), subcode),
          static_cast<std::uint32_t>(kEvaluatorMessageBase + code), subcode) {}

EvException::EvException(const EvException& other) : EvaluationException(other) {}

}  // namespace QUON_Evaluator
