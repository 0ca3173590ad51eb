#include "record/record_trust.h"

#include "record/record_checks.h"
#include "record/record_digest.h"

namespace orvella {

std::string RecordVerdict::Problem() const {
  if (!sealProblem.empty()) return sealProblem;
  if (!contradictions.empty()) {
    std::string words = "the record contradicts itself: " + contradictions.front();
    for (std::size_t i = 1; i < contradictions.size(); ++i) words += "; " + contradictions[i];
    return words;
  }
  return signature.state == SignatureState::Invalid ? signature.problem : std::string();
}

RecordVerdict JudgeRecord(std::string_view text, const std::optional<std::string>& trustedKey) {
  RecordVerdict verdict;
  RecordCheck sealed = ReadSealedRecord(text);
  if (!sealed.record) {
    verdict.sealProblem = sealed.problem;
    return verdict;
  }
  verdict.contradictions = RecordContradictions(*sealed.record);
  verdict.signature = CheckSignature(*sealed.record, trustedKey);
  verdict.record = std::move(sealed.record);
  return verdict;
}

}  // namespace orvella
