#include "cli/erase_exit_code.h"

#include "record/erase_record.h"

namespace orvella::cli {

ExitCode EraseExitCode(const FormatRun& run) {
  switch (run.outcome) {
    case FormatOutcome::NotConfirmed: return kExitRefused;
    case FormatOutcome::LockRefused: return kExitLockRefused;
    case FormatOutcome::Ran: break;
  }
  switch (run.loop.ending) {
    // A sample that held zeros is the check the standard asks for: success,
    // though the record keeps "erasureProven" for a full read-back.
    case WriteLoopEnding::Complete: return ErasedAndReadBack(run) ? kExitOk : kExitNotProven;
    case WriteLoopEnding::NotComplete:
    case WriteLoopEnding::WriteProtected: return kExitNotComplete;
    case WriteLoopEnding::Cancelled: return kExitCancelled;
    case WriteLoopEnding::Terminated: return kExitDriveGone;
    case WriteLoopEnding::NoBuffer: return kExitFailed;
  }
  return kExitFailed;
}

}  // namespace orvella::cli
