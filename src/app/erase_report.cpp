#include "app/erase_report.h"

#include <cctype>
#include <cstdio>
#include <filesystem>

#include "core/text.h"

namespace orvella {
namespace {

namespace fs = std::filesystem;

constexpr int kMostNamesTried = 100;

std::string FileNamePart(std::string text) {
  for (char& c : text)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '.') c = '_';
  return text;
}

std::string Text(const Json& value) { return value.is_string() ? value.get<std::string>() : std::string(); }

// "erase-SERIAL-" and the first `startLength` characters of the start time.
std::string ReportStem(const Json& record, std::size_t startLength) {
  const std::string serial = Text(record.value("media", Json::object()).value("serial", Json()));
  std::string start = Text(record.value("start", Json())).substr(0, startLength);
  for (char& c : start)
    if (c == ':') c = '-';
  std::string name = "erase";
  if (!serial.empty()) name += "-" + FileNamePart(serial);
  if (!start.empty()) name += "-" + FileNamePart(start);
  return name;
}

// Opened only when nothing is at `path` yet, in one step, so that no other
// writer's file is ever replaced.
std::FILE* OpenNewFile(const std::u16string& path) {
#ifdef _WIN32
  return _wfopen(reinterpret_cast<const wchar_t*>(path.c_str()), L"wbx");
#else
  return std::fopen(TextToUtf8(path).c_str(), "wbx");
#endif
}

bool Exists(const std::u16string& path) {
  std::error_code error;
  return fs::exists(fs::path(path), error) || error;
}

}  // namespace

std::u16string SuggestedReportName(const Json& record) { return Utf8ToText(ReportStem(record, 10) + ".json"); }

std::u16string CertificatePathOf(const std::u16string& recordPath) {
  const std::u16string json = u".json";
  if (recordPath.size() > json.size() && recordPath.ends_with(json))
    return recordPath.substr(0, recordPath.size() - json.size()) + u".pdf";
  return recordPath + u".pdf";
}

std::u16string SaveRecordFile(const Json& record, const std::u16string& path) {
  if (Exists(path)) return u"The erase record was not saved: " + path + u" already exists. Choose another name.";
  std::FILE* file = OpenNewFile(path);
  if (file == nullptr) return u"The erase record could not be written to " + path;
  const std::string text = RecordText(record);
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  if (std::fclose(file) == 0 && written) return {};
  std::error_code ignored;
  fs::remove(fs::path(path), ignored);  // ours, and only part of it
  return u"The erase record could not be written to " + path;
}

std::u16string SaveRecordAndCertificate(const Json& record, const std::u16string& path,
                                        const CertificateWriter& writeCertificate) {
  const std::u16string pdf = CertificatePathOf(path);
  if (Exists(pdf)) return u"The erase record was not saved: " + pdf + u" already exists. Choose another name.";
  if (std::u16string problem = SaveRecordFile(record, path); !problem.empty()) return problem;
  return writeCertificate(record, pdf);
}

KeptRecord KeepRecord(const Json& record, const std::u16string& documentsFolder,
                      const CertificateWriter& writeCertificate) {
  KeptRecord kept;
  if (documentsFolder.empty()) {
    kept.problem = u"The record was not kept: the system did not tell where the documents folder is.";
    return kept;
  }
  const fs::path folder = fs::path(documentsFolder) / fs::path(std::u16string(kRecordsFolderName));
  std::error_code error;
  fs::create_directories(folder, error);
  const std::u16string stem = (folder / fs::path(Utf8ToText(ReportStem(record, 19)))).u16string();
  for (int n = 1; n <= kMostNamesTried && kept.recordPath.empty(); ++n) {
    const std::u16string path = stem + (n == 1 ? u"" : u"-" + IntToStr(n)) + u".json";
    if (Exists(path) || Exists(CertificatePathOf(path))) continue;
    if (!SaveRecordFile(record, path).empty()) break;
    kept.recordPath = path;
  }
  if (kept.recordPath.empty()) {
    kept.problem = u"The record could not be kept in " + folder.u16string() + u".";
    return kept;
  }
  const std::u16string pdf = CertificatePathOf(kept.recordPath);
  if (std::u16string problem = writeCertificate(record, pdf); !problem.empty()) {
    kept.problem = u"Its certificate was not made: " + problem;
    return kept;
  }
  kept.certificatePath = pdf;
  return kept;
}

}  // namespace orvella
