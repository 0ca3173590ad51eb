#include "cli/erase_record.h"

#include <ctime>

#include "cli/json_forms.h"
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

// The names IDENTIFY gives the drive, where it answered.
Json IdentityJson(const DeviceIdentification& identification) {
  if (identification.outcome != IdentifyOutcome::Identified) return nullptr;
  const T_IDE_PASSPORT& p = identification.passport;
  return {{"model", TextToUtf8(p.name)}, {"serial", TextToUtf8(p.sn)}, {"firmware", TextToUtf8(p.fw)}};
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

ExitCode EraseExitCode(const FormatRun& run) {
  switch (run.outcome) {
    case FormatOutcome::NotConfirmed: return kExitRefused;
    case FormatOutcome::LockRefused: return kExitLockRefused;
    case FormatOutcome::Ran: break;
  }
  switch (run.loop.ending) {
    case WriteLoopEnding::Complete: return kExitOk;
    case WriteLoopEnding::NotComplete: return kExitNotComplete;
    case WriteLoopEnding::Cancelled: return kExitCancelled;
    case WriteLoopEnding::Terminated: return kExitDriveGone;
    case WriteLoopEnding::NoBuffer: return kExitFailed;
  }
  return kExitFailed;
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

std::string IsoLocalTime(std::chrono::system_clock::time_point time) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
  std::tm local{};
  localtime_r(&seconds, &local);
  char dateTime[32];
  char offset[8];
  std::strftime(dateTime, sizeof dateTime, "%Y-%m-%dT%H:%M:%S", &local);
  std::strftime(offset, sizeof offset, "%z", &local);  // +0200, written +02:00
  return std::string(dateTime) + std::string(offset, 3) + ":" + std::string(offset + 3, 2);
}

Json EraseRecord(Program& program, const EraseFacts& facts) {
  const WriteLoopResult& loop = facts.run.loop;
  const std::vector<Extent> written = WrittenExtents(loop);
  return {{"program", TextToUtf8(kProgramTitle)},
          {"drive", DriveJson(program, static_cast<int>(program.SelectedDevice))},
          {"identify", IdentityJson(facts.identification)},
          {"mode", facts.quick ? "quick" : "full"},
          {"start", IsoLocalTime(facts.start)},
          {"end", IsoLocalTime(facts.end)},
          {"result", ResultName(facts.run)},
          {"exitCode", EraseExitCode(facts.run)},
          {"unmounted", UnmountedJson(facts.run.unmounted)},
          {"written", ExtentsJson(written)},
          {"bytesWritten", Bytes(written)},
          {"failed", ExtentsJson(loop.failed)},
          {"failedBlocks", loop.failedBlocks},
          {"errors", Lines(facts.run.errorLines)},
          {"log", Lines(facts.log)}};
}

}  // namespace orvella::cli
