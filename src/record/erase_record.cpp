#include "record/erase_record.h"

#include "core/text.h"
#include "device/device_records.h"
#include "record/drive_json.h"
#include "record/hidden_areas_json.h"
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
          {"serial", TextOrNull(identified ? identification.passport.sn : ReportedSerial(data))},
          {"type", MediaType(data.BusType, identification.rotationRate)},
          {"bus", TextToUtf8(BusTypeToStr(data.BusType))},
          {"capacityBytes", NumberOrNull(DriveBytes(data))},
          {"sectorSize", data.SectorSize},
          {"sectors", data.LBA},
          {"unaddressableBytes", data.UnaddressableBytes}};
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

// A flash drive keeps spare and retired blocks out of the host's reach.
bool FlashDrive(const TDeviceTable& entry, const DeviceIdentification& identification) {
  return entry.IdentifyData.BusType == BusTypeNvme || identification.rotationRate == 1;
}

// A quick wipe leaves all but both ends readable: no sanitization at all.
// The zero overwrite is a Clear; a purge is what its method earns.
Json SanitizationJson(const FormatRun& erase, bool flash) {
  if (erase.choices.quickWipe)
    return {{"method", kQuickWipeMethod}, {"category", nullptr}, {"passes", 1}, {"eraseMethod", "zeros"}};
  if (!erase.purge) {
    Json json = {{"method", kClearMethod}, {"category", "Clear"}, {"passes", 1}, {"eraseMethod", "zeros"},
                 {"technique", "overwrite"}};
    if (flash) {
      DriveEraseFacts flashDrive;
      flashDrive.flash = true;
      json["note"] = TextToUtf8(ChooseMethod(EraseMethod::Zeros, flashDrive).note);
    }
    return json;
  }
  const MethodChoice& choice = erase.purge->choice;
  Json json = {{"method", std::string(CategoryName(choice.category)) + ": " + choice.technique + " by the drive"},
               {"category", CategoryName(choice.category)},
               {"technique", choice.technique},
               {"eraseMethod", EraseMethodName(choice.method)},
               {"passes", 1},
               {"thenZeros", erase.choices.thenZeros}};
  if (!choice.note.empty()) json["note"] = TextToUtf8(choice.note);
  return json;
}

// The drive's own erase: the command sent, the drive's status as polled,
// and the sample read before and after.
Json PurgeJson(const PurgeResult& purge) {
  Json polls = Json::array();
  for (const PurgePoll& poll : purge.polls)
    polls.push_back({{"elapsedMilliseconds", poll.elapsedMilliseconds},
                     {"percent", poll.percent ? Json(*poll.percent) : Json(nullptr)},
                     {"status", poll.status}});
  const PurgeCheck& c = purge.check;
  return {{"ending", PurgeEndingName(purge.ending)},
          {"reason", TextOrNull(TextToUtf8(purge.reason))},
          {"command", TextOrNull(purge.command)},
          {"estimateSeconds", purge.estimateSeconds ? Json(*purge.estimateSeconds) : Json(nullptr)},
          {"timeoutSeconds", purge.timeoutSeconds},
          {"passwordLeft", purge.passwordLeft},
          {"polls", polls},
          {"check",
           {{"plan", "the first sector of each range of the NIST SP 800-88 r1 sample (splitmix64)"},
            {"seed", c.seed},
            {"sectors", c.sectors},
            {"expect", c.expectChange ? "every sector changed" : "one uniform pattern"},
            {"pattern", c.pattern ? Json(*c.pattern) : Json(nullptr)},
            {"unchanged", c.unchanged},
            {"notUniform", c.notUniform},
            {"unreadable", c.unreadable},
            {"passed", c.passed}}}};
}

// How the run was read back, and what the read-back found.
Json VerificationJson(const VerificationOutcome& v) {
  Json json = {{"method", VerifyMethodName(v.method)},
               {"result", VerifyResultName(v.result)},
               {"bytesPlanned", v.bytesPlanned},
               {"bytesRead", v.bytesRead},
               {"mismatches", ExtentsJson(v.mismatches)},
               {"unread", ExtentsJson(v.unread)}};
  if (v.method == VerifyMethod::Sample)
    json["plan"] = {{"standard", "NIST SP 800-88 r1, 4.7.3"},
                    {"generator", "splitmix64"},
                    {"seed", v.seed},
                    {"subsections", v.subsections},
                    {"sampleSectors", v.sampleSectors},
                    {"samples", v.samples}};
  return json;
}

// What locking took down before the erase, so that nobody wonders later
// where a file system went.
Json UnmountedJson(const std::vector<Unmount>& unmounted) {
  Json list = Json::array();
  for (const Unmount& u : unmounted)
    list.push_back({{"mountPoint", TextToUtf8(u.mountPoint)}, {"device", TextToUtf8(u.device)}});
  return list;
}

// The volumes that refused the lock, with the processes holding them.
Json BusyVolumesJson(const std::vector<BusyVolume>& busyVolumes) {
  Json list = Json::array();
  for (const BusyVolume& volume : busyVolumes) {
    Json mountPoints = Json::array();
    for (const std::u16string& point : volume.mountPoints) mountPoints.push_back(TextToUtf8(point));
    Json holders = Json::array();
    for (const VolumeHolder& holder : volume.holders)
      holders.push_back({{"pid", holder.pid}, {"command", TextToUtf8(holder.command)}});
    list.push_back({{"volume", TextToUtf8(volume.name)},
                    {"mountPoints", mountPoints},
                    {"holdersKnown", volume.holdersKnown},
                    {"holders", holders}});
  }
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
    // A quick wipe that covers less than the drive is named as such, so
    // that no reader of "result" alone takes it for an erase.
    case WriteLoopEnding::Complete:
      return run.loop.quickWipe && !run.loop.wholeDrive ? "quick-wipe-complete" : "complete";
    case WriteLoopEnding::NotComplete: return "not-complete";
    case WriteLoopEnding::WriteProtected: return "write-protected";
    case WriteLoopEnding::Cancelled: return "cancelled";
    case WriteLoopEnding::Terminated: return "drive-gone";
    case WriteLoopEnding::NoBuffer: return "no-write-buffer";
  }
  return "unknown";
}

bool KeepsSectorsHidden(const FormatRun& run) {
  return run.hiddenAreas && (run.hiddenAreas->HpaHiddenSectors() > 0 || run.hiddenAreas->DcoHiddenSectors() > 0);
}

// The run ended as asked and what it did was checked: every written byte
// read back, or the drive's own erase reported complete and its before and
// after sample held.
bool ErasedAndReadBack(const FormatRun& run) {
  const WriteLoopResult& loop = run.loop;
  const bool zerosReadBack = loop.ending == WriteLoopEnding::Complete && loop.wholeDrive &&
                             loop.verification.result == VerifyResult::Passed;
  if (run.purge)
    return run.outcome == FormatOutcome::Ran && run.purge->ending == PurgeEnding::Complete &&
           run.purge->check.passed && !KeepsSectorsHidden(run) && (!run.choices.thenZeros || zerosReadBack);
  return run.outcome == FormatOutcome::Ran && zerosReadBack && !KeepsSectorsHidden(run);
}

// Proven means every byte was read back: a purge is checked on a sample of
// sectors only, and a sample cannot see a sector that kept its data.
bool ErasureProven(const FormatRun& run) {
  return !run.purge && ErasedAndReadBack(run) && run.loop.verification.method == VerifyMethod::Full;
}

const char* VerifiedName(const FormatRun& run) {
  if (run.purge) return run.purge->check.sectors > 0 ? "sample" : "none";
  const VerificationOutcome& v = run.loop.verification;
  if (v.result == VerifyResult::NotRun) return "none";
  switch (v.method) {
    case VerifyMethod::Full: return "full";
    case VerifyMethod::Sample: return "sample";
    case VerifyMethod::Off: break;
  }
  return "none";
}

std::vector<Extent> WrittenExtents(const WriteLoopResult& loop) { return Without(loop.covered, loop.failed); }

Json EraseRecord(DriveRun& run, const EraseFacts& facts) {
  Program& program = run.program;
  const FormatRun& erase = facts.run;
  const bool quick = erase.choices.quickWipe;
  const WriteLoopResult& loop = erase.loop;
  const std::vector<Extent> written = WrittenExtents(loop);
  Json record = {{"program", TextToUtf8(kProgramTitle)},
                 {"recordFormat", kRecordFormat},
                 {"tool", ToolJson(facts.frontEnd)},
                 {"drive", DriveJson(program, static_cast<int>(run.SelectedDevice))},
                 {"identify", IdentityJson(erase.identification)},
                 {"media", MediaJson(run.Entry(), erase.identification)},
                 {"hiddenAreas", facts.run.hiddenAreas ? HiddenAreasJson(*facts.run.hiddenAreas) : Json(nullptr)},
                 {"host", HostJson(program.os.QueryHostIdentity())},
                 {"operator", TextOrNull(erase.choices.operatorName)},
                 {"asset", TextOrNull(erase.choices.assetTag)},
                 {"organisation", TextOrNull(erase.choices.organisation)},
                 {"mode", quick ? "quick" : "full"},
                 {"bytesToWrite", loop.bytesToWrite},
                 {"sanitization", SanitizationJson(erase, FlashDrive(run.Entry(), erase.identification))},
                 {"start", IsoLocalTime(erase.start)},
                 {"end", IsoLocalTime(erase.end)},
                 {"result", EraseResultName(facts.run)},
                 {"erasureProven", ErasureProven(facts.run)},
                 {"verified", VerifiedName(facts.run)}};
  if (facts.exitCode) record["exitCode"] = *facts.exitCode;
  record["unmounted"] = UnmountedJson(facts.run.unmounted);
  record["busyVolumes"] = BusyVolumesJson(facts.run.busyVolumes);
  record["written"] = ExtentsJson(written);
  record["bytesWritten"] = BytesIn(written);
  record["failed"] = ExtentsJson(loop.failed);
  record["failedBlocks"] = loop.failedBlocks;
  record["flushed"] = loop.flushed;
  record["verification"] = VerificationJson(loop.verification);
  record["purge"] = facts.run.purge ? PurgeJson(*facts.run.purge) : Json(nullptr);
  record["errors"] = Lines(facts.run.errorLines);
  record["log"] = Lines(erase.log);
  SealRecord(record);
  return record;
}

}  // namespace orvella
