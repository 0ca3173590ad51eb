#include "cli/record_names.h"

#include <filesystem>

#include "cli/atomic_file.h"

namespace orvella::cli {
namespace {

constexpr int kMostNameTries = 1000;

std::string TextAt(const Json& record, const char* object, const char* key) {
  if (!record.contains(object) || !record[object].is_object()) return {};
  const Json& value = (*record.find(object))[key];
  return value.is_string() ? value.get<std::string>() : std::string();
}

// Letters, digits, "-" and "." stay; a serial number's blanks, slashes and
// anything else a file system may refuse become "_".
std::string FileNamePart(const std::string& text) {
  std::string part;
  for (const char c : text) {
    const bool kept = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                      c == '.';
    part.push_back(kept ? c : '_');
  }
  while (part.starts_with('.')) part.erase(0, 1);
  return part;
}

}  // namespace

std::string RecordFileName(const Json& record) {
  std::string serial = FileNamePart(TextAt(record, "media", "serial"));
  if (serial.find_first_not_of('_') == std::string::npos) {
    const Json number = record.contains("drive") && record["drive"].is_object() ? record["drive"].value("drive", Json())
                                                                                : Json();
    serial = "drive" + (number.is_number() ? number.dump() : std::string("-unknown"));
  }
  const std::string start = record.contains("start") && record["start"].is_string()
                                ? record["start"].get<std::string>().substr(0, 19)
                                : std::string();
  return serial + "_" + FileNamePart(start.empty() ? "no-time" : start) + ".json";
}

std::optional<std::string> CreateRecordFile(const std::string& folder, const Json& record, std::string_view text) {
  const std::string name = RecordFileName(record);
  const std::string stem = name.substr(0, name.size() - 5);
  std::optional<std::string> failure;
  for (int attempt = 1; attempt <= kMostNameTries; ++attempt) {
    const std::string file = attempt == 1 ? name : stem + "-" + std::to_string(attempt) + ".json";
    const std::string path = (std::filesystem::path(folder) / file).string();
    std::error_code error;
    if (std::filesystem::exists(path, error)) continue;
    failure = CreateNewFile(path, text);
    if (!failure) return std::nullopt;
    if (!std::filesystem::exists(path, error)) return failure;  // not a name taken meanwhile
  }
  return failure.value_or("every name for it is taken");
}

}  // namespace orvella::cli
