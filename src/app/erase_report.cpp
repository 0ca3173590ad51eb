#include "app/erase_report.h"

#include <cctype>
#include <filesystem>
#include <fstream>

#include "core/text.h"

namespace orvella {
namespace {

std::string FileNamePart(std::string text) {
  for (char& c : text)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '.') c = '_';
  return text;
}

std::string Text(const Json& value) { return value.is_string() ? value.get<std::string>() : std::string(); }

}  // namespace

std::u16string SuggestedReportName(const Json& record) {
  const std::string serial = Text(record.value("media", Json::object()).value("serial", Json()));
  const std::string date = Text(record.value("start", Json())).substr(0, 10);
  std::string name = "erase";
  if (!serial.empty()) name += "-" + FileNamePart(serial);
  if (!date.empty()) name += "-" + FileNamePart(date);
  return Utf8ToText(name + ".json");
}

std::u16string CertificatePathOf(const std::u16string& recordPath) {
  const std::u16string json = u".json";
  if (recordPath.size() > json.size() && recordPath.ends_with(json))
    return recordPath.substr(0, recordPath.size() - json.size()) + u".pdf";
  return recordPath + u".pdf";
}

std::u16string SaveRecordFile(const Json& record, const std::u16string& path) {
  std::ofstream file(std::filesystem::path(path), std::ios::out | std::ios::trunc | std::ios::binary);
  if (file) file << RecordText(record);
  if (file) file.close();
  if (file) return {};
  return u"The erase record could not be written to " + path;
}

}  // namespace orvella
