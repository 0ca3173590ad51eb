#include "record/erase_record.h"

#include "core/text.h"
#include "device/device_records.h"
#include "record/drive_json.h"
#include "record/iso_time.h"
#include "record/media_facts.h"
#include "record/record_digest.h"

namespace orvella {
namespace {

constexpr int kRecordFormat = 1;

// A text the record may lack: null when empty.
Json TextOrNull(const std::string& text) { return text.empty() ? Json(nullptr) : Json(text); }
Json TextOrNull(const std::u16string& text) { return TextOrNull(TextToUtf8(Trim(text))); }

Json ExtentsJson(const std::vector<Extent>& extents) {
  Json list = Json::array();
  for (const Extent& e : extents) list.push_back({{"from", e.from}, {"to", e.to}});
  return list;
}

std::int64_t Bytes(const std::vector<Extent>& extents) {
  std::int64_t sum = 0;
  for (const Extent& e : extents) sum += e.to - e.from;
  return sum;
}

Json Lines(const std::vector<std::u16string>& lines) {
  Json list = Json::array();
  for (const std::u16string& line : lines) list.push_back(TextToUtf8(line));
  return list;
}

bool Identified(const DeviceIdentification& identification) {
  return identification.outcome == IdentifyOutcome::Identified;
}

// The names IDENTIFY gives the drive, where it answered.
Json IdentityJson(const DeviceIdentification& identification) {
  if (!Identified(identification)) return nullptr;
  const T_IDE_PASSPORT& p = identification.passport;
  return {{"model", TextToUtf8(p.name)}, {"serial", TextToUtf8(p.sn)}, {"firmware", TextToUtf8(p.fw)}};
}

// The medium as the drive names itself: IDENTIFY where it answered, else
// what the storage stack reported for the catalogue.
Json MediaJson(const TDeviceTable& entry, const DeviceIdentification& identification) {
  const TIdentifyDeviceData& data = entry.IdentifyData;
  const bool identified = Identified(identification);
  const std::u16string model = Trim(identified ? identification.passport.name : data.Model);
  return {{"manufacturer", TextOrNull(MediaManufacturer(TextToUtf8(model)))},
          {"model", TextOrNull(model)},
          {"serial", TextOrNull(identified ? identification.passport.sn : data.SN)},
          {"type", MediaType(data.BusType, identification.rotationRate)},
          {"bus", TextToUtf8(BusTypeToStr(data.BusType))},
          {"capacityBytes", static_cast<std::int64_t>(static_cast<std::uint64_t>(data.LBA) *
                                                      static_cast<std::uint64_t>(data.SectorSize))},
          {"sectorSize", data.SectorSize},
          {"sectors", data.LBA}};
}

// The product title "Orvella 4.30" is the tool's name and version.
Json ToolJson(const std::string& frontEnd) {
  const std::string title = TextToUtf8(kProgramTitle);
  const std::size_t blank = title.rfind(' ');
  return {{"name", title.substr(0, blank)}, {"version", title.substr(blank + 1)}, {"frontEnd", frontEnd}};
}

Json HostJson(const HostIdentity& host) {
  return {{"name", TextOrNull(host.name)},
          {"vendor", TextOrNull(host.vendor)},
          {"model", TextOrNull(host.model)},
          {"serial", TextOrNull(host.serial)}};
}

// A quick wipe leaves all but both ends readable: no sanitization at all.
Json SanitizationJson(bool quick) {
  if (quick) return {{"method", kQuickWipeMethod}, {"category", nullptr}, {"passes", 1}};
  return {{"method", kClearMethod}, {"category", "Clear"}, {"passes", 1}};
}

Json VerificationJson(const std::optional<VerificationFacts>& v) {
  if (!v) {
    return {{"method", kNotPerformed}, {"plan", nullptr}, {"seed", nullptr}, {"bytesRead", 0},
            {"mismatches", Json::array()}, {"result", kNotPerformed}};
  }
  return {{"method", v->method},
          {"plan", TextOrNull(v->plan)},
          {"seed", v->seed ? Json(*v->seed) : Json(nullptr)},
          {"bytesRead", v->bytesRead},
          {"mismatches", ExtentsJson(v->mismatches)},
          {"result", v->result}};
}

// What locking took down before the erase, so that nobody wonders later
// where a file system went.
Json UnmountedJson(const std::vector<Unmount>& unmounted) {
  Json list = Json::array();
  for (const Unmount& u : unmounted)
    list.push_back({{"mountPoint", TextToUtf8(u.mountPoint)}, {"device", TextToUtf8(u.device)}});
  return list;
}

}  // namespace

const char* EraseResultName(const FormatRun& run) {
  switch (run.outcome) {
    case FormatOutcome::NotConfirmed: return "not-confirmed";
    case FormatOutcome::LockRefused: return "lock-refused";
    case FormatOutcome::Ran: break;
  }
  switch (run.loop.ending) {
    case WriteLoopEnding::Complete: return "complete";
    case WriteLoopEnding::NotComplete: return "not-complete";
    case WriteLoopEnding::Cancelled: return "cancelled";
    case WriteLoopEnding::Terminated: return "drive-gone";
    case WriteLoopEnding::NoBuffer: return "no-write-buffer";
  }
  return "unknown";
}

// Both lists are in drive order within each covered extent, and the
// failed blocks lie inside the covered extents.
std::vector<Extent> WrittenExtents(const WriteLoopResult& loop) {
  std::vector<Extent> written;
  auto failed = loop.failed.begin();
  for (const Extent& covered : loop.covered) {
    std::int64_t from = covered.from;
    for (; failed != loop.failed.end() && failed->from < covered.to; ++failed) {
      if (failed->from > from) written.push_back(Extent{from, failed->from});
      from = failed->to;
    }
    if (covered.to > from) written.push_back(Extent{from, covered.to});
  }
  return written;
}

Json EraseRecord(Program& program, const EraseFacts& facts) {
  const WriteLoopResult& loop = facts.run.loop;
  const std::vector<Extent> written = WrittenExtents(loop);
  Json record = {{"program", TextToUtf8(kProgramTitle)},
                 {"recordFormat", kRecordFormat},
                 {"tool", ToolJson(facts.frontEnd)},
                 {"drive", DriveJson(program, static_cast<int>(program.SelectedDevice))},
                 {"identify", IdentityJson(facts.identification)},
                 {"media", MediaJson(program.SelectedEntry(), facts.identification)},
                 {"host", HostJson(program.os.QueryHostIdentity())},
                 {"operator", TextOrNull(facts.operatorName)},
                 {"asset", TextOrNull(facts.assetTag)},
                 {"mode", facts.quick ? "quick" : "full"},
                 {"sanitization", SanitizationJson(facts.quick)},
                 {"start", IsoLocalTime(facts.start)},
                 {"end", IsoLocalTime(facts.end)},
                 {"result", EraseResultName(facts.run)}};
  if (facts.exitCode) record["exitCode"] = *facts.exitCode;
  record["unmounted"] = UnmountedJson(facts.run.unmounted);
  record["written"] = ExtentsJson(written);
  record["bytesWritten"] = Bytes(written);
  record["failed"] = ExtentsJson(loop.failed);
  record["failedBlocks"] = loop.failedBlocks;
  record["verification"] = VerificationJson(facts.verification);
  record["errors"] = Lines(facts.run.errorLines);
  record["log"] = Lines(facts.log);
  SealRecord(record);
  return record;
}

}  // namespace orvella
