#include "record/record_checks.h"

namespace orvella {
namespace {

constexpr int kKnownRecordFormat = 1;

bool Holds(const Json& record, const char* key, Json::value_t kind) {
  const auto member = record.find(key);
  return member != record.end() && (member->type() == kind ||
                                    (kind == Json::value_t::number_integer && member->is_number_integer()));
}

void RequireMembers(const Json& record, std::vector<std::string>& problems) {
  using Kind = Json::value_t;
  const std::pair<const char*, Kind> kRequired[] = {
      {"program", Kind::string},    {"recordFormat", Kind::number_integer}, {"mode", Kind::string},
      {"result", Kind::string},     {"erasureProven", Kind::boolean},       {"failed", Kind::array},
      {"verification", Kind::object}};
  for (const auto& [key, kind] : kRequired)
    if (!Holds(record, key, kind)) problems.push_back(std::string("the member \"") + key + "\" is missing or malformed");
  if (Holds(record, "recordFormat", Kind::number_integer) && record["recordFormat"] != kKnownRecordFormat)
    problems.push_back("the record format " + record["recordFormat"].dump() + " is not one this program knows");
}

void CheckClaims(const Json& record, std::vector<std::string>& problems) {
  const std::string result = record["result"].get<std::string>();
  const std::size_t unwritten = record["failed"].size();
  const Json& verification = record["verification"];
  const std::string readBack = verification.value("result", "");
  if ((result == "complete" || result == "quick-wipe-complete") && unwritten > 0)
    problems.push_back("it says \"" + result + "\" but lists " + std::to_string(unwritten) +
                       " ranges that were not written");
  if (record["erasureProven"].get<bool>()) {
    if (result != "complete") problems.push_back("it says the erasure is proven, but the run ended \"" + result + "\"");
    if (record["mode"] != "full") problems.push_back("it says a quick wipe proves an erasure");
    if (readBack != "passed") problems.push_back("it says the erasure is proven, but the read-back did not pass");
    if (unwritten > 0) problems.push_back("it says the erasure is proven, but ranges were not written");
  }
  // "verified" came with records that keep "erasureProven" for a full
  // read-back; older records lack it.
  const auto verified = record.find("verified");
  if (verified != record.end()) {
    const std::string method = verification.value("method", "");
    if (*verified != (readBack == "not-run" || method == "off" ? std::string("none") : method))
      problems.push_back("its \"verified\" does not name the read-back it describes");
    if (record["erasureProven"].get<bool>() && *verified != "full")
      problems.push_back("it says the erasure is proven without a full read-back");
  }
  const auto exitCode = record.find("exitCode");
  if (exitCode != record.end() && *exitCode == 0 &&
      (result != "complete" || record["mode"] != "full" || readBack != "passed" || unwritten > 0))
    problems.push_back("it gives exit status 0, which only an erase read back as zeros ends with");
}

}  // namespace

std::vector<std::string> RecordContradictions(const Json& record) {
  std::vector<std::string> problems;
  if (!record.is_object()) return {"the record is not a JSON object"};
  RequireMembers(record, problems);
  if (problems.empty()) CheckClaims(record, problems);
  return problems;
}

}  // namespace orvella
