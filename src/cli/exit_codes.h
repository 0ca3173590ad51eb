// The exit codes of orvella-cli. Scripts test them, so each ending of an
// erase has its own; --help and the README list them from here.
#pragma once

#include <array>
#include <string_view>

namespace orvella::cli {

enum ExitCode : int {
  kExitOk = 0,               // done; for erase: every byte written, flushed and read back
  kExitFailed = 1,           // anything else went wrong (see the message)
  kExitUsage = 2,            // bad command line
  kExitNotComplete = 3,      // the erase ended, but sectors were not written or did not read back as zeros
  kExitLockRefused = 4,      // a volume of the drive is in use; nothing was written
  kExitCancelled = 5,        // the erase was stopped (Ctrl+C)
  kExitDriveGone = 6,        // the drive went away during the erase
  kExitCannotOpen = 7,       // no such drive, it cannot be opened, or it does not answer
  kExitRefused = 8,          // not confirmed, another serial number, too small, or the system disk; nothing was
                             // written
  kExitNotProven = 9,        // done as asked, but no verified erase of the whole drive (quick wipe, --verify off,
                             // hidden sectors)
};

struct ExitCodeMeaning {
  ExitCode code;
  std::string_view meaning;
};

inline constexpr std::array<ExitCodeMeaning, 10> kExitCodeMeanings = {{
    {kExitOk, "success; for erase: the whole drive was erased, flushed and read back as zeros"},
    {kExitFailed, "another failure (see the message)"},
    {kExitUsage, "bad usage"},
    {kExitNotComplete,
     "erase finished, but some sectors could not be written, the drive is write protected, or the read-back "
     "found data"},
    {kExitLockRefused, "a volume of the drive is in use and could not be locked; nothing was written"},
    {kExitCancelled, "erase cancelled (Ctrl+C)"},
    {kExitDriveGone, "the drive went away during the erase"},
    {kExitCannotOpen,
     "the drive was not found, cannot be opened, or gave no identification (details) or no "
     "S.M.A.R.T. data (smart)"},
    {kExitRefused,
     "erase not confirmed, the drive's serial number is not the one --expect-serial gives, or the drive is "
     "smaller than 65535 sectors, or it holds the running system; nothing was written"},
    {kExitNotProven,
     "erase done as asked, but not a verified erase of the whole drive: a quick wipe (the rest of the data is "
     "still readable), --verify off, or sectors the drive hides (Host Protected Area, Device Configuration "
     "Overlay)"},
}};

// The order in which an erase of several drives picks the status it ends
// with: the one most in need of a look first. Data possibly left behind
// (3, 6), then a run that failed or could not start (1, 4, 7), then one the
// operator ended or refused (5, 8), then a result short of proof (9).
inline constexpr std::array<ExitCode, 9> kExitCodesWorstFirst = {
    kExitNotComplete, kExitDriveGone, kExitFailed, kExitLockRefused, kExitCannotOpen,
    kExitCancelled,   kExitRefused,   kExitNotProven, kExitOk};

}  // namespace orvella::cli
