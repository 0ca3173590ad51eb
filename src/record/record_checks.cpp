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

// A member's text; empty where it is missing or not a text, so that a
// malformed member reads as a claim that does not hold instead of throwing.
std::string TextOf(const Json& object, const char* key) {
  if (!object.is_object()) return "";
  const auto member = object.find(key);
  return member != object.end() && member->is_string() ? member->get<std::string>() : "";
}

// The drive's own erase is checked by its before and after sample, not by
// a read-back: {ran, passed}.
std::pair<bool, bool> PurgeCheck(const Json& record) {
  const auto purge = record.find("purge");
  if (purge == record.end() || !purge->is_object()) return {false, false};
  const auto check = purge->find("check");
  const bool passed = check != purge->end() && check->is_object() && check->value("passed", Json(false)) == true;
  return {true, passed};
}

void CheckClaims(const Json& record, std::vector<std::string>& problems) {
  const std::string result = TextOf(record, "result");
  const std::size_t unwritten = record["failed"].size();
  const Json& verification = record["verification"];
  const std::string readBack = TextOf(verification, "result");
  const auto [purged, purgeCheckPassed] = PurgeCheck(record);
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
  // read-back; older records lack it. A purge is checked on a sample.
  const auto verified = record.find("verified");
  if (verified != record.end()) {
    const std::string method = TextOf(verification, "method");
    const std::string described =
        purged ? "sample" : readBack == "not-run" || method == "off" ? std::string("none") : method;
    if (*verified != described && !(purged && *verified == "none"))
      problems.push_back("its \"verified\" does not name the read-back it describes");
    if (record["erasureProven"].get<bool>() && *verified != "full")
      problems.push_back("it says the erasure is proven without a full read-back");
  }
  // A purge followed by zeros stands on both checks.
  const auto sanitization = record.find("sanitization");
  const bool thenZeros = sanitization != record.end() && sanitization->is_object() &&
                         sanitization->value("thenZeros", Json(false)) == true;
  const bool checked = purged ? purgeCheckPassed && (!thenZeros || readBack == "passed") : readBack == "passed";
  const auto exitCode = record.find("exitCode");
  if (exitCode != record.end() && *exitCode == 0 &&
      (result != "complete" || record["mode"] != "full" || !checked || unwritten > 0))
    problems.push_back("it gives exit status 0, which only an erase that was checked and passed ends with");
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
