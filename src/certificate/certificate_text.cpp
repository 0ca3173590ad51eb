#include "certificate/certificate_text.h"

#include <map>

#include "core/display_text.h"
#include "record/record_signature.h"

namespace orvella::certificate {
namespace {

constexpr std::size_t kExtentsShown = 4;

// A member as text: strings as they are but with their control characters
// shown, numbers in digits, anything missing or null "not known".
std::string Value(const Json& object, const char* key) {
  if (!object.is_object()) return "not known";
  const auto member = object.find(key);
  if (member == object.end() || member->is_null()) return "not known";
  if (member->is_string()) return DisplaySafeUtf8(member->get<std::string>());
  return member->dump();
}

std::string Member(const Json& record, const char* object, const char* key) {
  const auto found = record.find(object);
  return found == record.end() ? "not known" : Value(*found, key);
}

std::string Grouped(std::int64_t value) {
  const std::string digits = std::to_string(value);
  const std::size_t sign = digits[0] == '-' ? 1 : 0;
  std::string grouped = digits.substr(0, sign);
  for (std::size_t i = sign; i < digits.size(); ++i) {
    if (i > sign && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return grouped;
}

std::int64_t Number(const Json& record, const char* key) {
  const auto found = record.find(key);
  return found != record.end() && found->is_number_integer() ? found->get<std::int64_t>() : 0;
}

// A list of byte ranges: their count, their bytes, and the first few with
// the LBA each begins at.
std::string Extents(const Json& list, std::int64_t sectorSize) {
  if (!list.is_array() || list.empty()) return "none";
  std::int64_t bytes = 0;
  std::string shown;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const std::int64_t from = list[i].value("from", std::int64_t{0});
    const std::int64_t to = list[i].value("to", std::int64_t{0});
    bytes += to - from;
    if (i >= kExtentsShown) continue;
    shown += (i ? "; " : "") + Grouped(from);
    if (sectorSize > 0) shown += " (LBA " + Grouped(from / sectorSize) + ")";
    shown += " to " + Grouped(to);
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

const Json& Object(const Json& record, const char* key) {
  static const Json kNone = Json::object();
  const auto found = record.find(key);
  return found != record.end() && found->is_object() ? *found : kNone;
}

std::int64_t SectorSize(const Json& record) { return Number(Object(record, "media"), "sectorSize"); }

std::string VerifyMethodWords(const std::string& method) {
  if (method == "full") return "full: every written byte read back";
  if (method == "sample") return "sample of the drive read back";
  return "not performed";
}

std::string VerifyResultWords(const std::string& result, bool runCompleted) {
  // A read-back of a run that ended early saw only what was written.
  if (result == "passed" && !runCompleted) return "passed for the part written; the rest was NOT written";
  static const std::map<std::string, std::string> kWords = {
      {"passed", "passed: everything read back was zeros"},
      {"mismatch", "FAILED: data found where zeros were written"},
      {"unreadable", "FAILED: some of it could not be read back"},
      {"cancelled", "stopped before its end"},
      {"drive-gone", "the drive went away during the read-back"}};
  const auto words = kWords.find(result);
  return words != kWords.end() ? words->second : "not performed";
}

// "first and last sectors, 1,000 subsections with 2 samples of 6 sectors
// each (2,002 samples), splitmix64"
std::string PlanWords(const Json& plan) {
  return "first and last sectors, " + Grouped(Number(plan, "subsections")) + " subsections with 2 samples of " +
         Grouped(Number(plan, "sampleSectors")) + " sectors each (" + Grouped(Number(plan, "samples")) +
         " samples), " + Value(plan, "generator") + "; " + Value(plan, "standard");
}

bool RunCompleted(const Json& record) {
  const std::string result = record.value("result", "");
  return result == "complete" || result == "quick-wipe-complete";
}

// The plan, seed and findings only where there was a read-back.
Section VerificationSection(const Json& record) {
  const Json& v = Object(record, "verification");
  const std::string method = v.value("method", "off");
  Section section{"Verification", {{"Method", VerifyMethodWords(method)}}};
  if (method == "full" || method == "sample") {
    if (v.contains("plan")) {
      section.rows.push_back({"Plan", PlanWords(Object(v, "plan"))});
      section.rows.push_back({"Seed", Value(Object(v, "plan"), "seed")});
    }
    section.rows.push_back({"Bytes read", Grouped(Number(v, "bytesRead")) + " of " +
                                              Grouped(Number(v, "bytesPlanned")) + " planned"});
    section.rows.push_back({"Not zero", Extents(v.value("mismatches", Json::array()), SectorSize(record))});
    if (!v.value("unread", Json::array()).empty())
      section.rows.push_back({"Unreadable", Extents(v["unread"], SectorSize(record))});
  }
  section.rows.push_back({"Result", VerifyResultWords(v.value("result", ""), RunCompleted(record))});
  return section;
}

std::int64_t HiddenSectors(const Json& record) {
  const Json& areas = Object(record, "hiddenAreas");
  return Number(areas, "hpaHiddenSectors") + Number(areas, "dcoHiddenSectors");
}

// What the drive keeps out of reach of any write: a Host Protected Area or
// a Device Configuration Overlay.
std::string HiddenAreasWords(const Json& record) {
  const auto found = record.find("hiddenAreas");
  if (found == record.end() || !found->is_object()) return "not reported by the drive";
  const std::int64_t hpa = Number(*found, "hpaHiddenSectors");
  const std::int64_t dco = Number(*found, "dcoHiddenSectors");
  if (hpa == 0 && dco == 0) return "none reported";
  std::string words;
  if (hpa > 0) words = Grouped(hpa) + " sectors behind a Host Protected Area";
  if (dco > 0) words += (words.empty() ? "" : ", ") + Grouped(dco) + " sectors behind a Device Configuration Overlay";
  return words + "; NOT written";
}

std::string UnmountedWords(const Json& record) {
  const Json list = record.value("unmounted", Json::array());
  if (list.empty()) return "none";
  std::string words;
  for (const Json& u : list) words += (words.empty() ? "" : ", ") + Value(u, "mountPoint");
  return words;
}

// "10.2%": how much of what was written the sample read back.
std::string SamplePercent(const Json& record) {
  const std::int64_t read = Number(Object(record, "verification"), "bytesRead");
  const std::int64_t written = Number(record, "bytesToWrite");
  if (written <= 0 || read < 0) return "an unknown part";
  const std::int64_t tenths = static_cast<std::int64_t>(static_cast<double>(read) * 1000.0 / static_cast<double>(written));
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + "%";
}

bool Purged(const Json& record) { return record.contains("purge") && record["purge"].is_object(); }

// The drive's own erase: what it was asked, and what the sample before and
// after found. A sample is not every sector, and the words say so.
std::string PurgeWords(const Json& record) {
  const Json& check = Object(Object(record, "purge"), "check");
  std::string words = "the drive erased itself (" + Member(record, "purge", "command") + "); " +
                      Grouped(Number(check, "sectors")) + " sample sectors read before and after: " +
                      (check.value("expect", "") == "every sector changed" ? "every one changed"
                                                                           : "every one holds one uniform pattern") +
                      " (the rest was not read back)";
  if (Object(record, "sanitization").value("thenZeros", false))
    words += "; then zeros written over the whole drive and read back";
  return words;
}

// A run that ended "complete" says no more than it did: an erase only when
// the record proves one, else what was written, whether it was read back,
// and what the drive hides.
std::string CompleteWords(const Json& record) {
  if (Purged(record)) return PurgeWords(record);
  const Json& v = Object(record, "verification");
  if (record.value("erasureProven", false))
    return v.value("method", "") == "full" ? "erased: every byte written, flushed and read back as zeros"
                                           : "erased: every byte written and flushed; the read-back sample held zeros";
  if (record.value("mode", "") == "quick")
    return "QUICK WIPE ONLY: " + Grouped(Number(record, "bytesToWrite")) +
           " bytes at both ends zeroed; the rest of the data is still readable";
  std::string words = v.value("result", "") != "passed" ? "written and flushed, NOT VERIFIED: nothing was read back"
                      : v.value("method", "") == "sample"
                          ? "written and flushed; no data found in a sample of " + SamplePercent(record) +
                                " of the drive (the rest was not read back)"
                          : "written, flushed and read back as zeros";
  if (Number(Object(record, "media"), "unaddressableBytes") > 0)
    words += "; " + Grouped(Number(Object(record, "media"), "unaddressableBytes")) +
             " bytes past the last whole sector were NOT written";
  if (HiddenSectors(record) > 0) words += "; " + Grouped(HiddenSectors(record)) + " hidden sectors were NOT written";
  return words;
}

// Everything the run was to write and did not, whatever the reason (a stop,
// a failure, a drive that went away), and among it the sectors that failed.
std::string NotWrittenWords(const Json& record) {
  const Json failed = record.value("failed", Json::array());
  const std::int64_t missing = Number(record, "bytesToWrite") - Number(record, "bytesWritten");
  std::string words = missing > 0 ? Grouped(missing) + " bytes" : "none";
  if (!failed.empty()) words += "; of them failed: " + Extents(failed, SectorSize(record));
  if (record.value("mode", "") == "quick") {
    const std::int64_t rest = Number(Object(record, "media"), "capacityBytes") - Number(record, "bytesToWrite");
    if (rest > 0) words += "; a quick wipe leaves the other " + Grouped(rest) + " bytes of the drive as they were";
  }
  return words;
}

// Where a cancelled run stopped: the end of what it wrote.
std::string StopPlace(const Json& record) {
  const Json written = record.value("written", Json::array());
  const std::int64_t at = written.empty() ? 0 : written.back().value("to", std::int64_t{0});
  return "byte " + Grouped(at) + " of " + Grouped(Number(record, "bytesToWrite"));
}

// "volume D: (D:\) held by process 4242 (editor)", for each volume that
// refused to be locked.
std::string BusyWords(const Json& record) {
  std::string words;
  for (const Json& busy : record.value("busyVolumes", Json::array())) {
    std::string one = "volume " + Value(busy, "volume");
    const Json points = busy.value("mountPoints", Json::array());
    if (!points.empty() && points[0].is_string()) one += " (" + points[0].get<std::string>() + ")";
    std::string holders;
    for (const Json& h : busy.value("holders", Json::array()))
      holders += (holders.empty() ? "" : ", ") + std::string("process ") + Value(h, "pid") + " (" + Value(h, "command") + ")";
    one += holders.empty() ? " in use" : " held by " + holders;
    words += (words.empty() ? "" : "; ") + one;
  }
  return words;
}

// A field the record may not hold, left as a line to fill in by hand.
std::string OrToFillIn(const Json& record, const char* key) {
  const std::string value = Value(record, key);
  return value == "not known" ? "______________________________" : value;
}

// "ORV-1A2B-3C4D-5E6F-7A8B": the first 16 digits of the record's digest,
// so that the number names this record and no other.
std::string CertificateNumber(const Json& record) {
  const std::string digest = record.value("sha256", "");
  if (digest.size() < 16) return "not known";
  std::string number = "ORV";
  for (std::size_t i = 0; i < 16; i += 4) {
    number += '-';
    for (std::size_t k = i; k < i + 4; ++k)
      number += static_cast<char>(digest[k] >= 'a' && digest[k] <= 'f' ? digest[k] - 'a' + 'A' : digest[k]);
  }
  return number;
}

}  // namespace

std::string CertificateMark(const Json& record) {
  const std::string result = record.value("result", "");
  if (record.value("erasureProven", false)) return "";
  if (result == "quick-wipe-complete" || (result == "complete" && record.value("mode", "") == "quick"))
    return "QUICK WIPE ONLY";
  if (result == "complete") return "NOT PROVEN COMPLETE";
  if (result == "lock-refused" || result == "not-confirmed" || result == "no-write-buffer") return "NOTHING WAS ERASED";
  return "NOT COMPLETED";
}

std::string CertificateTitle(const Json& record) {
  const std::string result = record.value("result", "");
  if (record.value("mode", "") == "quick" && RunCompleted(record)) return "Quick Wipe Record (not a sanitization)";
  if (record.value("erasureProven", false)) return "Media Sanitization Record";
  if (result == "complete" && Purged(record)) return "Purge Record (checked on a sample, NOT every sector)";
  if (result == "complete") return "Overwrite Record (NOT a proven sanitization)";
  if (result == "cancelled") return "Erase NOT completed: cancelled";
  if (result == "lock-refused" || result == "not-confirmed" || result == "no-write-buffer") return "Nothing was erased";
  return "Erase NOT completed";
}

std::string CategoryLine(const Json& record) {
  const Json& s = Object(record, "sanitization");
  const auto category = s.find("category");
  if (category == s.end() || !category->is_string())
    return "Sanitization category: none (a quick wipe is neither a Clear nor a Purge)";
  return "Sanitization category: " + DisplaySafeUtf8(category->get<std::string>()) +
         " \u2014 technique: " + Value(s, "technique") + " (NIST SP 800-88, IEEE 2883)";
}

std::string ResultLine(const Json& record) {
  static const std::map<std::string, std::string> kWords = {
      {"not-complete", "NOT COMPLETE: sectors were not written, or did not read back as zeros"},
      {"write-protected", "NOT COMPLETE: the drive is write protected; nothing was written"},
      {"cancelled", "CANCELLED: the run was stopped before its end"},
      {"drive-gone", "NOT COMPLETE: the drive went away during the run"},
      {"no-write-buffer", "FAILED: nothing was written"},
      {"lock-refused", "FAILED: a volume was in use; nothing was written"},
      {"not-confirmed", "not confirmed: nothing was written"}};
  const std::string result = record.value("result", "");
  if (result == "complete" || result == "quick-wipe-complete") return "Result: " + CompleteWords(record);
  if (result == "cancelled") return "Result: CANCELLED at " + StopPlace(record) + ": the run was stopped before its end";
  if (result == "lock-refused" && !BusyWords(record).empty())
    return "Result: FAILED, nothing was written: " + BusyWords(record);
  const auto words = kWords.find(result);
  return "Result: " + (words != kWords.end() ? words->second : DisplaySafeUtf8(result));
}

std::vector<Section> CertificateSections(const Json& record) {
  const Json& media = Object(record, "media");
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
        {"Hidden areas", HiddenAreasWords(record)},
        {"Asset tag", Value(record, "asset")}}},
      {"Sanitization",
       {{"Category", Member(record, "sanitization", "category")},
        {"Technique", Member(record, "sanitization", "technique")},
        {"Method", Member(record, "sanitization", "method")},
        {"Drive command", Purged(record) ? Member(record, "purge", "command") : "none: the host wrote zeros"},
        {"Tool", Joined({Member(record, "tool", "name") + " " + Member(record, "tool", "version"),
                         Member(record, "tool", "frontEnd")})},
        {"Bytes written", Grouped(Number(record, "bytesWritten")) + " of " + Grouped(Number(record, "bytesToWrite"))},
        {"Not written", NotWrittenWords(record)},
        {"Error lines", std::to_string(record.value("errors", Json::array()).size())}}},
      VerificationSection(record),
      {"Run",
       {{"Started", Value(record, "start")},
        {"Ended", Value(record, "end")},
        {"Machine", Joined({Member(record, "host", "name"), Member(record, "host", "vendor"),
                            Member(record, "host", "model"), Member(record, "host", "serial")})},
        {"Unmounted", UnmountedWords(record)},
        {"Operator", Value(record, "operator")}}},
      {"Record",
       {{"Certificate number", CertificateNumber(record)},
        {"Organisation", OrToFillIn(record, "organisation")},
        {"Location", OrToFillIn(record, "location")},
        {"Destination", "[ ] reuse   [ ] resale   [ ] recycling   [ ] destruction   [ ] return to owner"}}},
  };
}

std::string SignatureLine(const Json& record) {
  const SignatureCheck check = CheckSignature(record);
  switch (check.state) {
    case SignatureState::Valid:
      return "Record: signed by the Ed25519 key with fingerprint " + check.fingerprint +
             "; an edit of the record would need that key.";
    case SignatureState::Unsigned:
      return "Record: not signed \u2014 integrity only: the digest below shows that the record was not damaged by accident, "
             "but anyone who edits it can compute the digest again.";
    case SignatureState::Invalid: break;
  }
  return "Record: SIGNATURE INVALID: " + check.problem;
}

std::string DigestWords() {
  return "SHA-256 digest of the record. To check it: take the record file, remove its \"sha256\" member, write "
         "the rest as compact JSON (the members in the file's order, no blank or line break between them) and "
         "compute the SHA-256 of its UTF-8 bytes; it must equal the digest below. orvella-certificate makes this "
         "check before it draws a certificate: a record damaged, or edited without its digest computed again, "
         "fails it; only a signature (above) shows that no one did both.";
}

}  // namespace orvella::certificate
