#include "cli/erase_exit_code.h"

#include <algorithm>
#include <iterator>

#include "record/erase_record.h"

namespace orvella::cli {

ExitCode EraseExitCode(const FormatRun& run) {
  switch (run.outcome) {
    case FormatOutcome::NotConfirmed: return kExitRefused;
    case FormatOutcome::LockRefused: return kExitLockRefused;
    case FormatOutcome::Ran: break;
  }
  switch (run.loop.ending) {
    case WriteLoopEnding::Complete: return ErasureProven(run) ? kExitOk : kExitNotProven;
    case WriteLoopEnding::NotComplete:
    case WriteLoopEnding::WriteProtected: return kExitNotComplete;
    case WriteLoopEnding::Cancelled: return kExitCancelled;
    case WriteLoopEnding::Terminated: return kExitDriveGone;
    case WriteLoopEnding::NoBuffer: return kExitFailed;
  }
  return kExitFailed;
}

}  // namespace orvella::cli

namespace orvella::cli {

ExitCode WorstExitCode(const std::vector<ExitCode>& codes) {
  const auto rank = [](ExitCode code) {
    const auto at = std::find(kExitCodesWorstFirst.begin(), kExitCodesWorstFirst.end(), code);
    return at == kExitCodesWorstFirst.end() ? std::distance(kExitCodesWorstFirst.begin(),
                                                            std::find(kExitCodesWorstFirst.begin(),
                                                                      kExitCodesWorstFirst.end(), kExitFailed))
                                            : std::distance(kExitCodesWorstFirst.begin(), at);
  };
  ExitCode worst = kExitOk;
  for (const ExitCode code : codes)
    if (rank(code) < rank(worst)) worst = code;
  return worst;
}

}  // namespace orvella::cli
