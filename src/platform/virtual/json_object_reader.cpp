#include "platform/virtual/json_object_reader.h"

#include <cmath>

#include "core/display_text.h"

namespace orvella {
namespace {

constexpr std::string_view kCommentKey = "comment";

[[noreturn]] void FailAt(const std::string& path, const std::string& problem) {
  throw DriveFileError(path + ": " + problem);
}

std::optional<int> HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return std::nullopt;
}

// "0x1F" gives 31; anything else gives nothing.
std::optional<std::uint64_t> ParseHex(std::string_view text) {
  if (text.size() < 3 || text.size() > 18 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X'))
    return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text.substr(2)) {
    const auto digit = HexDigitValue(c);
    if (!digit) return std::nullopt;
    value = value * 16 + static_cast<std::uint64_t>(*digit);
  }
  return value;
}

std::string NameList(std::span<const NamedValue> names) {
  std::string list;
  for (const NamedValue& n : names) list += (list.empty() ? "" : ", ") + std::string(n.name);
  return list;
}

// The JSON text (UTF-8) as bytes: each character of code 0 to 255 is one byte.
std::string TextToBytes(const std::string& utf8, const std::string& path) {
  std::string bytes;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    if (lead < 0x80) {
      bytes.push_back(static_cast<char>(lead));
    } else if ((lead == 0xC2 || lead == 0xC3) && i + 1 < utf8.size()) {
      const auto next = static_cast<unsigned char>(utf8[++i]);
      bytes.push_back(static_cast<char>(((lead & 0x1F) << 6) | (next & 0x3F)));
    } else {
      FailAt(path, "holds a character above code 255 (each character stands for one byte; write \\u00XX)");
    }
  }
  return bytes;
}

}  // namespace

JsonObjectReader::JsonObjectReader(const nlohmann::json& value, std::string path)
    : object_(value), path_(std::move(path)) {
  if (!object_.is_object()) FailAt(path_.empty() ? "the description" : path_, "must be an object {...}");
}

std::string JsonObjectReader::PathOf(std::string_view key) const {
  return path_.empty() ? Excerpt(key) : path_ + "." + Excerpt(key);
}

void JsonObjectReader::Fail(std::string_view key, const std::string& problem) const { FailAt(PathOf(key), problem); }

bool JsonObjectReader::Has(std::string_view key) const {
  const auto it = object_.find(key);
  return it != object_.end() && !it->is_null();
}

const nlohmann::json* JsonObjectReader::Take(std::string_view key) {
  used_.emplace(key);
  const auto it = object_.find(key);
  return it == object_.end() || it->is_null() ? nullptr : &*it;
}

const nlohmann::json& JsonObjectReader::Required(std::string_view key) {
  const nlohmann::json* value = Take(key);
  if (value == nullptr) Fail(key, "is missing");
  return *value;
}

void JsonObjectReader::Read(std::string_view key, bool& target) {
  if (const nlohmann::json* value = Take(key)) {
    if (!value->is_boolean()) Fail(key, "must be true or false");
    target = value->get<bool>();
  }
}

void JsonObjectReader::Read(std::string_view key, double& target) {
  if (const nlohmann::json* value = Take(key)) {
    if (!value->is_number()) Fail(key, "must be a number");
    target = value->get<double>();
  }
}

void JsonObjectReader::ReadBytes(std::string_view key, std::string& target) {
  if (const nlohmann::json* value = Take(key)) {
    if (!value->is_string()) Fail(key, "must be a text \"...\"");
    target = TextToBytes(value->get<std::string>(), PathOf(key));
  }
}

void JsonObjectReader::ReadBytes(std::string_view key, std::optional<std::string>& target) {
  if (Has(key)) {
    std::string bytes;
    ReadBytes(key, bytes);
    target = std::move(bytes);
  } else {
    Take(key);
  }
}

void JsonObjectReader::CheckAllKeysUsed() const {
  for (const auto& [key, value] : object_.items()) {
    if (key != kCommentKey && !used_.contains(key)) Fail(key, "is not a known key (misspelt?)");
  }
}

WholeNumber JsonObjectReader::ParseWholeNumber(const nlohmann::json& value, const std::string& path,
                                               std::span<const NamedValue> names) {
  if (value.is_number_unsigned()) return {false, value.get<std::uint64_t>()};
  if (value.is_number_integer()) {
    const auto n = value.get<std::int64_t>();
    return {n < 0, n < 0 ? 0 - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n)};
  }
  if (value.is_number_float()) {
    const double d = value.get<double>();
    if (std::trunc(d) != d || std::fabs(d) >= 9.2e18) FailAt(path, "must be a whole number");
    return {d < 0, static_cast<std::uint64_t>(std::fabs(d))};
  }
  if (value.is_string()) {
    const auto text = value.get<std::string>();
    if (const auto hex = ParseHex(text)) return {false, *hex};
    for (const NamedValue& n : names)
      if (n.name == text) return {false, n.value};
    if (names.empty()) FailAt(path, "\"" + Excerpt(text) + "\" is not a number (write 42 or \"0x2A\")");
    FailAt(path, "\"" + Excerpt(text) + "\" is not a number, a \"0x...\" text or one of: " + NameList(names));
  }
  FailAt(path, "must be a whole number");
}

void JsonObjectReader::CheckRange(const WholeNumber& n, const std::string& path, std::int64_t min,
                                  std::uint64_t max) {
  const std::uint64_t lowest = min < 0 ? 0 - static_cast<std::uint64_t>(min) : 0;
  const bool fits = n.negative ? n.magnitude <= lowest : n.magnitude <= max;
  if (!fits) {
    const std::string value = (n.negative ? "-" : "") + std::to_string(n.magnitude);
    FailAt(path, value + " is out of range (" + std::to_string(min) + " to " + std::to_string(max) + ")");
  }
}

}  // namespace orvella
