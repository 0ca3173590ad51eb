// The JSON of erase records: keys kept in the order they are given, so that
// a record reads in the order of its story, and one way to write it.
#pragma once

#include <nlohmann/json.hpp>

#include <string>

namespace orvella {

using Json = nlohmann::ordered_json;

// The record as the files and stdout get it: indented by two, one newline
// at the end. Text that is not valid UTF-8 is written as U+FFFD.
std::string RecordText(const Json& record);

// Compact: no blank between tokens, UTF-8 unescaped, as the digest hashes it.
std::string CompactText(const Json& value);

}  // namespace orvella
