#include "format/run_ending.h"

#include "device/volume_locking.h"
#include "format/run_texts.h"
#include "reports/text_forms.h"

namespace orvella {
namespace {

std::u16string Sectors(std::int64_t bytes, std::int64_t sectorSize) {
  const std::int64_t sectors = sectorSize > 0 ? (bytes + sectorSize - 1) / sectorSize : 0;
  return IntToGroupedStr(sectors) + (sectors == 1 ? u" sector" : u" sectors");
}

std::u16string StoppedAt(const WriteLoopResult& loop, std::int64_t sectorSize) {
  const std::int64_t offset = loop.covered.empty() ? 0 : loop.covered.back().to;
  return u"at byte " + IntToGroupedStr(offset) + u" (sector " + IntToGroupedStr(SectorOf(offset, sectorSize)) + u")";
}

// Sectors the drive keeps out of reach of any write stay as they were.
std::int64_t HiddenSectors(const FormatRun& run) {
  return run.hiddenAreas ? run.hiddenAreas->HpaHiddenSectors() + run.hiddenAreas->DcoHiddenSectors() : 0;
}

RunEnding Complete(const FormatRun& run) {
  const WriteLoopResult& loop = run.loop;
  if (loop.quickWipe && !loop.wholeDrive)
    return {false, u"The partition tables were wiped; the data was not erased",
            u"Only the first and the last 10,240,000 bytes were zeroed. The rest of the drive still holds its data "
            u"and can be read.",
            u"Partition tables wiped"};
  if (loop.verification.result != VerifyResult::Passed)
    return {false, u"The drive was erased but not verified",
            u"Every sector was written with zeros and the drive confirmed the writes, but nothing was read back, so "
            u"the erase is not proven.",
            u"Erase not verified"};
  const std::u16string how = loop.verification.method == VerifyMethod::Full
                                 ? u"every written byte was read back"
                                 : u"a NIST SP 800-88 sample of the drive was read back";
  const std::u16string done = u"Every sector was written with zeros, and " + how + u" as zeros.";
  if (const std::int64_t hidden = HiddenSectors(run); hidden > 0)
    return {false, u"The drive was erased and verified, except its hidden sectors",
            done + u" The drive hides " + IntToGroupedStr(hidden) +
                u" sectors (Host Protected Area or Device Configuration Overlay) that no write reaches; they still "
                u"hold their data.",
            u"Drive erased except its hidden sectors"};
  return {true, u"The drive was erased and verified", done, u"Drive erased"};
}

// Sectors that refused the writes, or read back other than zero, or could
// not be read back: each one is data that may still be there.
RunEnding NotComplete(const WriteLoopResult& loop, std::int64_t sectorSize) {
  std::u16string details;
  if (!loop.failed.empty())
    details += Sectors(BytesIn(loop.failed), sectorSize) + u" could not be written. ";
  if (!loop.verification.mismatches.empty())
    details += Sectors(BytesIn(loop.verification.mismatches), sectorSize) +
               u" did not hold zeros when read back: the drive lost writes. ";
  if (!loop.verification.unread.empty())
    details += Sectors(BytesIn(loop.verification.unread), sectorSize) + u" could not be read back. ";
  if (!loop.flushed) details += u"The drive did not confirm that the writes reached the medium. ";
  if (details.empty()) details = u"The run stopped before the end of the drive. ";
  return {false, u"The erase is not complete", details + u"The format log names each place.", u"Erase NOT completed",
          true};
}

// Stop pressed during the writes leaves the rest of the drive as it was;
// pressed during the read-back, everything was written but not proven.
RunEnding Cancelled(const WriteLoopResult& loop, std::int64_t sectorSize) {
  if (loop.verification.result != VerifyResult::Cancelled)
    return {false, u"The erase was cancelled",
            u"It stopped " + StoppedAt(loop, sectorSize) +
                u". What was written before the stop has been flushed; the rest of the drive still holds its data.",
            u"Erase stopped"};
  std::u16string written = loop.quickWipe && !loop.wholeDrive
                               ? u"The first and the last 10,240,000 bytes were written with zeros"
                               : u"Every sector was written with zeros";
  if (!loop.failed.empty())
    written = Sectors(BytesIn(loop.failed), sectorSize) + u" could not be written; the rest was written with zeros";
  return {false, u"The read-back was stopped",
          written + u", but the read-back was stopped before its end, so the erase is not proven.",
          u"Read-back stopped"};
}

// The lock failure, then each volume that refused and who holds it.
RunEnding LockRefused(const FormatRun& run) {
  std::u16string details =
      u"The drive or one of its volumes could not be taken for exclusive use; nothing was written.";
  for (const BusyVolume& volume : run.busyVolumes)
    for (const std::u16string& line : BusyVolumeLines(volume)) details += u"\r\n" + line;
  return {false, u"Nothing was erased", details, u"Nothing erased: the drive is in use", true};
}

}  // namespace

RunEnding DescribeEnding(const FormatRun& run, std::int64_t sectorSize) {
  if (run.outcome == FormatOutcome::LockRefused) return LockRefused(run);
  const WriteLoopResult& loop = run.loop;
  switch (loop.ending) {
    case WriteLoopEnding::Complete: return Complete(run);
    case WriteLoopEnding::NotComplete: return NotComplete(loop, sectorSize);
    case WriteLoopEnding::WriteProtected:
      return {false, u"Nothing was erased", u"The drive is write protected: it refused the first write.",
              u"Nothing erased: the drive is write protected", true};
    case WriteLoopEnding::Cancelled: return Cancelled(loop, sectorSize);
    case WriteLoopEnding::Terminated:
      return {false, u"The drive went away",
              u"It stopped answering " + StoppedAt(loop, sectorSize) +
                  u". The rest of the drive still holds its data.",
              u"Erase NOT completed: the drive went away", true};
    case WriteLoopEnding::NoBuffer: break;
  }
  return {false, u"Nothing was erased", u"The memory for the writes could not be had; nothing was written.",
          u"Nothing erased", true};
}

}  // namespace orvella
