// The seal of an erase record: its last member "sha256" holds the SHA-256
// of the record's other members as compact JSON (the members in their
// order, no blanks between tokens, text as UTF-8 with only the escapes JSON
// requires: \" \\ \b \f \n \r \t and \u00XX for the other control
// characters). docs/erase-record.md tells how to check it with python3.
// Records hold no fractional numbers, so every JSON tool writes their
// numbers the same way.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "record/record_json.h"

namespace orvella {

inline constexpr char kDigestKey[] = "sha256";

// The digest of `record`, leaving out a "sha256" member it may have.
std::string RecordDigest(const Json& record);

// Sets "sha256" to the record's digest, as its last member.
void SealRecord(Json& record);

// Records nest four levels; anything much deeper is no record.
inline constexpr int kRecordDepthLimit = 32;

// A record read back: the record when its text is a JSON object, nested no
// deeper than kRecordDepthLimit, whose last member "sha256" matches its
// content; else what is wrong with it (never quoting the text).
struct RecordCheck {
  std::optional<Json> record;
  std::string problem;
};
RecordCheck ReadSealedRecord(std::string_view text);

}  // namespace orvella
