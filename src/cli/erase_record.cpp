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
          {"bytesToWrite", loop.bytesToWrite},
          {"start", IsoLocalTime(facts.start)},
          {"end", IsoLocalTime(facts.end)},
          {"result", ResultName(facts.run)},
          {"exitCode", EraseExitCode(facts.run)},
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
