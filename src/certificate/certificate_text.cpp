#include "certificate/certificate_text.h"

#include <map>

namespace orvella::certificate {
namespace {

constexpr std::size_t kExtentsShown = 4;

// A member as text: strings as they are, numbers in digits, anything
// missing or null "not known".
std::string Value(const Json& object, const char* key) {
  if (!object.is_object()) return "not known";
  const auto member = object.find(key);
  if (member == object.end() || member->is_null()) return "not known";
  if (member->is_string()) return member->get<std::string>();
  return member->dump();
}

std::string Member(const Json& record, const char* object, const char* key) {
  const auto found = record.find(object);
  return found == record.end() ? "not known" : Value(*found, key);
}

std::string Grouped(std::int64_t value) {
  std::string digits = std::to_string(value);
  for (int at = static_cast<int>(digits.size()) - 3; at > (digits[0] == '-' ? 1 : 0); at -= 3)
    digits.insert(static_cast<std::size_t>(at), ",");
  return digits;
}

std::int64_t Number(const Json& record, const char* key) {
  const auto found = record.find(key);
  return found != record.end() && found->is_number_integer() ? found->get<std::int64_t>() : 0;
}

std::string Extents(const Json& list) {
  if (!list.is_array() || list.empty()) return "none";
  std::int64_t bytes = 0;
  std::string shown;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const std::int64_t from = list[i].value("from", std::int64_t{0});
    const std::int64_t to = list[i].value("to", std::int64_t{0});
    bytes += to - from;
    if (i < kExtentsShown) shown += (i ? "; " : "") + Grouped(from) + " to " + Grouped(to);
  }
  if (list.size() > kExtentsShown) shown += "; and " + std::to_string(list.size() - kExtentsShown) + " more";
  return std::to_string(list.size()) + (list.size() == 1 ? " range, " : " ranges, ") + Grouped(bytes) +
         " bytes: " + shown;
}

std::string Joined(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& part : parts)
    if (part != "not known") text += (text.empty() ? "" : ", ") + part;
  return text.empty() ? "not known" : text;
}

// The plan and seed only where there was a read-back.
Section VerificationSection(const Json& record) {
  Section section{"Verification", {{"Method", Member(record, "verification", "method")}}};
  if (Member(record, "verification", "plan") != "not known") {
    section.rows.push_back({"Plan", Member(record, "verification", "plan")});
    section.rows.push_back({"Seed", Member(record, "verification", "seed")});
    section.rows.push_back({"Bytes read", Member(record, "verification", "bytesRead")});
    section.rows.push_back({"Mismatches", Extents(record["verification"].value("mismatches", Json::array()))});
  }
  section.rows.push_back({"Result", Member(record, "verification", "result")});
  return section;
}

}  // namespace

std::string CertificateTitle(const Json& record) {
  return record.value("mode", "") == "quick" ? "Quick Wipe Record (not a sanitization)" : "Media Sanitization Record";
}

std::string ResultLine(const Json& record) {
  static const std::map<std::string, std::string> kWords = {
      {"complete", "complete: every block written and flushed"},
      {"not-complete", "NOT COMPLETE: some of the drive was not erased"},
      {"cancelled", "CANCELLED: the erase was stopped before its end"},
      {"drive-gone", "NOT COMPLETE: the drive went away during the erase"},
      {"no-write-buffer", "FAILED: nothing was written"},
      {"lock-refused", "FAILED: a volume was in use; nothing was written"},
      {"not-confirmed", "not confirmed: nothing was written"}};
  const std::string result = record.value("result", "");
  const auto words = kWords.find(result);
  return "Result: " + (words != kWords.end() ? words->second : result);
}

std::vector<Section> CertificateSections(const Json& record) {
  const Json& media = record.contains("media") ? record["media"] : Json();
  const std::string capacity = Grouped(Number(media, "capacityBytes")) + " bytes (" +
                               Grouped(Number(media, "sectors")) + " sectors of " +
                               Grouped(Number(media, "sectorSize")) + " bytes)";
  return {
      {"Media",
       {{"Manufacturer", Value(media, "manufacturer")},
        {"Model", Value(media, "model")},
        {"Serial number", Value(media, "serial")},
        {"Media type", Value(media, "type") + " (bus " + Value(media, "bus") + ")"},
        {"Capacity", capacity},
        {"Asset tag", Value(record, "asset")}}},
      {"Sanitization",
       {{"Method", Member(record, "sanitization", "method")},
        {"Tool", Joined({Member(record, "tool", "name") + " " + Member(record, "tool", "version"),
                         Member(record, "tool", "frontEnd")})},
        {"Bytes written", Grouped(Number(record, "bytesWritten"))},
        {"Failed ranges", Extents(record.value("failed", Json::array()))},
        {"Error lines", std::to_string(record.value("errors", Json::array()).size())}}},
      VerificationSection(record),
      {"Run",
       {{"Started", Value(record, "start")},
        {"Ended", Value(record, "end")},
        {"Machine", Joined({Member(record, "host", "name"), Member(record, "host", "vendor"),
                            Member(record, "host", "model"), Member(record, "host", "serial")})},
        {"Operator", Value(record, "operator")}}},
  };
}

}  // namespace orvella::certificate
