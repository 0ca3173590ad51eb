// Erase records as anyone may write them, to what `orvella-cli verify` and
// orvella-certificate do with them: the seal, the checks of what the record
// claims, the signature, and the certificate's words. The input is judged
// as it comes (a seal is rarely right), and then, when it is JSON, sealed
// afresh so that the checks behind the seal are reached too.
#include <cstdint>
#include <string_view>

#include "certificate/certificate_text.h"
#include "core/json_depth.h"
#include "record/record_digest.h"
#include "record/record_trust.h"

namespace {

void Render(const orvella::Json& record) {
  using namespace orvella::certificate;
  CertificateTitle(record);
  ResultLine(record);
  CertificateSections(record);
  SignatureLine(record);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace orvella;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const RecordVerdict verdict = JudgeRecord(text);
  if (verdict.Holds()) Render(*verdict.record);
  verdict.Problem();

  if (NestedDeeperThan(text, kRecordDepthLimit)) return 0;
  Json record = Json::parse(text, nullptr, false);
  if (record.is_discarded() || !record.is_object()) return 0;
  SealRecord(record);
  const RecordVerdict sealed = JudgeRecord(RecordText(record));
  // What the program sealed itself must always pass the seal.
  if (!sealed.sealProblem.empty()) __builtin_trap();
  if (sealed.Holds()) Render(*sealed.record);
  return 0;
}
