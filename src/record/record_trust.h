// Whether a record read back can be vouched for, as `orvella-cli verify`
// and orvella-certificate judge it: its seal holds, what it says holds
// together, and its signature, where it has one (or where a key is given),
// holds. An unsigned record that passes is intact only: its digest shows no
// accidental damage, but anyone could have edited it and computed the
// digest again.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "record/record_json.h"
#include "record/record_signature.h"

namespace orvella {

// The largest record file read: records of long runs carry long logs, but
// nothing real comes near this.
inline constexpr std::uintmax_t kRecordFileLimit = std::uintmax_t{64} << 20;

struct RecordVerdict {
  std::optional<Json> record;  // the record, where its seal holds
  std::string sealProblem;     // why not, otherwise
  std::vector<std::string> contradictions;
  SignatureCheck signature;

  // Seal, contents and signature (if any) hold.
  bool Holds() const {
    return sealProblem.empty() && contradictions.empty() && signature.state != SignatureState::Invalid;
  }
  // What is wrong, in one sentence; empty when it holds.
  std::string Problem() const;
};

RecordVerdict JudgeRecord(std::string_view text, const std::optional<std::string>& trustedKey = std::nullopt);

}  // namespace orvella
