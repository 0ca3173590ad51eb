#include "cli/erase_record.h"

#include <cstdio>
#include <ctime>

#include "cli/json_forms.h"
#include "core/clock.h"
#include "core/text.h"

namespace orvella::cli {
namespace {

const char* ResultName(const FormatRun& run) {
  switch (run.outcome) {
    case FormatOutcome::NotConfirmed: return "not-confirmed";
    case FormatOutcome::LockRefused: return "lock-refused";
    case FormatOutcome::Ran: break;
  }
  switch (run.loop.ending) {
    case WriteLoopEnding::Complete: return "complete";
    case WriteLoopEnding::NotComplete: return "not-complete";
    case WriteLoopEnding::WriteProtected: return "write-protected";
    case WriteLoopEnding::Cancelled: return "cancelled";
    case WriteLoopEnding::Terminated: return "drive-gone";
    case WriteLoopEnding::NoBuffer: return "no-write-buffer";
  }
  return "unknown";
}

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

// The names IDENTIFY gives the drive, where it answered.
Json IdentityJson(const DeviceIdentification& identification) {
  if (identification.outcome != IdentifyOutcome::Identified) return nullptr;
  const T_IDE_PASSPORT& p = identification.passport;
  return {{"model", TextToUtf8(p.name)}, {"serial", TextToUtf8(p.sn)}, {"firmware", TextToUtf8(p.fw)}};
}

// Seconds since 1970 of a calendar time read as if it were UTC.
std::int64_t CalendarSeconds(const std::tm& t) {
  const std::int64_t days = DaysFromCivil(t.tm_year + 1900, static_cast<unsigned>(t.tm_mon + 1),
                                          static_cast<unsigned>(t.tm_mday));
  return ((days * 24 + t.tm_hour) * 60 + t.tm_min) * 60 + t.tm_sec;
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

// The whole drive written and read back: what a complete run must also be
// to count as an erase.
bool ProvenErase(const WriteLoopResult& loop) {
  return loop.wholeDrive && loop.verification.result == VerifyResult::Passed;
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

}  // namespace

ExitCode EraseExitCode(const FormatRun& run) {
  switch (run.outcome) {
    case FormatOutcome::NotConfirmed: return kExitRefused;
    case FormatOutcome::LockRefused: return kExitLockRefused;
    case FormatOutcome::Ran: break;
  }
  switch (run.loop.ending) {
    case WriteLoopEnding::Complete: return ProvenErase(run.loop) ? kExitOk : kExitNotProven;
    case WriteLoopEnding::NotComplete:
    case WriteLoopEnding::WriteProtected: return kExitNotComplete;
    case WriteLoopEnding::Cancelled: return kExitCancelled;
    case WriteLoopEnding::Terminated: return kExitDriveGone;
    case WriteLoopEnding::NoBuffer: return kExitFailed;
  }
  return kExitFailed;
}

std::vector<Extent> WrittenExtents(const WriteLoopResult& loop) { return Without(loop.covered, loop.failed); }

// The local time with its offset from UTC, as "2026-12-08T09:30:00+01:00".
// The offset is the difference of the local and the UTC calendar times:
// strftime's "%z" gives the zone's name instead on Windows.
std::string IsoLocalTime(std::chrono::system_clock::time_point time) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
  std::tm local{};
  std::tm utc{};
#ifdef _WIN32
  localtime_s(&local, &seconds);
  gmtime_s(&utc, &seconds);
#else
  localtime_r(&seconds, &local);
  gmtime_r(&seconds, &utc);
#endif
  const std::int64_t offsetMinutes = (CalendarSeconds(local) - CalendarSeconds(utc)) / 60;
  const std::int64_t magnitude = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
  char text[128];  // room for any int, as the compiler counts
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                offsetMinutes < 0 ? '-' : '+', static_cast<int>(magnitude / 60), static_cast<int>(magnitude % 60));
  return text;
}

Json EraseRecord(Program& program, const EraseFacts& facts) {
  const WriteLoopResult& loop = facts.run.loop;
  const std::vector<Extent> written = WrittenExtents(loop);
  return {{"program", TextToUtf8(kProgramTitle)},
          {"drive", DriveJson(program, static_cast<int>(program.SelectedDevice))},
          {"identify", IdentityJson(facts.identification)},
          {"mode", facts.quick ? "quick" : "full"},
          {"bytesToWrite", loop.bytesToWrite},
          {"start", IsoLocalTime(facts.start)},
          {"end", IsoLocalTime(facts.end)},
          {"result", ResultName(facts.run)},
          {"exitCode", EraseExitCode(facts.run)},
          {"unmounted", UnmountedJson(facts.run.unmounted)},
          {"busyVolumes", BusyVolumesJson(facts.run.busyVolumes)},
          {"written", ExtentsJson(written)},
          {"bytesWritten", BytesIn(written)},
          {"failed", ExtentsJson(loop.failed)},
          {"failedBlocks", loop.failedBlocks},
          {"flushed", loop.flushed},
          {"verification", VerificationJson(loop.verification)},
          {"errors", Lines(facts.run.errorLines)},
          {"log", Lines(facts.log)}};
}

}  // namespace orvella::cli
