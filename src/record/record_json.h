// The JSON of erase records: keys kept in the order they are given, so that
// a record reads in the order of its story, and one way to write it.
#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>

namespace orvella {

using Json = nlohmann::ordered_json;

// A number the record may not know: null where it is not known.
inline Json NumberOrNull(const std::optional<std::int64_t>& number) { return number ? Json(*number) : Json(nullptr); }

// JSON as files and terminals get it: indented by two; text that is not
// valid UTF-8 written as U+FFFD; besides the C0 controls that JSON always
// escapes, DEL, the C1 controls and the characters that reorder a line
// (U+202E and its kind) escaped as \uXXXX, so that showing the file shows
// them. The values read back are the bytes as reported.
std::string IndentedJson(const Json& value);

// The record as the files and stdout get it: IndentedJson, one newline at
// the end.
std::string RecordText(const Json& record);

// Compact: no blank between tokens, UTF-8 unescaped, as the digest hashes it.
std::string CompactText(const Json& value);

}  // namespace orvella
