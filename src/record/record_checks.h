// What makes a sealed record unfit to be vouched for: a member every record
// has that is missing or of the wrong kind, and claims that contradict each
// other ("complete" beside ranges that were not written, an erasure proven
// by a read-back that failed). A digest, even a signature, only shows that
// the record is as it was written; these checks show that what it says
// holds together.
#pragma once

#include <string>
#include <vector>

#include "record/record_json.h"

namespace orvella {

// Each problem in words; empty when there is none.
std::vector<std::string> RecordContradictions(const Json& record);

}  // namespace orvella
