#include "record/record_digest.h"

#include <iterator>

#include "core/json_depth.h"
#include "record/sha256.h"

namespace orvella {

std::string RecordDigest(const Json& record) {
  Json content = record;
  content.erase(kDigestKey);
  return Sha256Hex(CompactText(content));
}

void SealRecord(Json& record) {
  const std::string digest = RecordDigest(record);
  record.erase(kDigestKey);
  record[kDigestKey] = digest;
}

RecordCheck ReadSealedRecord(std::string_view text) {
  if (NestedDeeperThan(text, kRecordDepthLimit))
    return {std::nullopt, "the record nests deeper than " + std::to_string(kRecordDepthLimit) + " levels"};
  Json record = Json::parse(text, nullptr, false);
  if (record.is_discarded()) return {std::nullopt, "the record is not valid JSON"};
  if (!record.is_object()) return {std::nullopt, "the record is not a JSON object"};
  const auto digest = record.find(kDigestKey);
  if (digest == record.end() || !digest->is_string()) return {std::nullopt, "the record has no \"sha256\" digest"};
  // Whatever follows the seal would look sealed to a reader who trusts the
  // order of the file.
  if (std::next(digest) != record.end()) return {std::nullopt, "the record's \"sha256\" digest is not its last member"};
  if (*digest != RecordDigest(record))
    return {std::nullopt, "the record's \"sha256\" digest does not match its content: it was changed after it was written"};
  return {std::move(record), {}};
}

}  // namespace orvella
