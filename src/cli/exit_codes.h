// The exit codes of orvella-cli. Scripts test them, so each ending of an
// erase has its own. Codes keep their meaning once given: a new ending gets
// a new number. --help and the README list them from here.
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
  kExitNoAnswer = 10,        // the drive is there but gave no identification (details) or no S.M.A.R.T. data (smart)
};

// The commands an exit code can end, as bits, so that each command's help
// lists only its own.
enum CommandBits : unsigned {
  kForList = 1,
  kForDetails = 2,
  kForSmart = 4,
  kForErase = 8,
  kForMethods = 16,
  kForKeygen = 32,
  kForVerify = 64,
  kForUnlock = 128,
  kForReports = kForDetails | kForSmart,
  kForDrives = kForReports | kForErase | kForMethods | kForUnlock,
  kForAll = kForList | kForDrives | kForKeygen | kForVerify,
};

struct ExitCodeMeaning {
  ExitCode code;
  std::string_view meaning;
  unsigned commands;
};

inline constexpr std::array<ExitCodeMeaning, 11> kExitCodeMeanings = {{
    {kExitOk, "success; for erase: the whole drive was erased, flushed and read back as zeros", kForAll},
    {kExitFailed, "another failure (see the message)", kForAll},
    {kExitUsage, "bad usage", kForAll},
    {kExitNotComplete,
     "erase finished, but some sectors could not be written, the drive is write protected, or the read-back "
     "found data", kForErase},
    {kExitLockRefused, "a volume of the drive is in use and could not be locked; nothing was written", kForErase},
    {kExitCancelled, "erase cancelled (Ctrl+C)", kForErase},
    {kExitDriveGone, "the drive went away during the erase", kForErase},
    {kExitCannotOpen, "the drive was not found or cannot be opened", kForDrives},
    {kExitRefused,
     "erase not confirmed, the drive's serial number is not the one --expect-serial gives, the drive is "
     "smaller than 65535 sectors, or it holds the running system; nothing was written",
     kForErase},
    {kExitNotProven,
     "erase done as asked, but not a verified erase of the whole drive: a quick wipe (the rest of the data is "
     "still readable), --verify off, or sectors the drive hides (Host Protected Area, Device Configuration "
     "Overlay)",
     kForErase},
    {kExitNoAnswer,
     "the drive is there but gave no identification (details) or no S.M.A.R.T. data (smart)",
     kForReports},
}};

// The order in which an erase of several drives picks the status it ends
// with: the one most in need of a look first. Data possibly left behind
// (3, 6), then a run that failed or could not start (1, 4, 7), then one the
// operator ended or refused (5, 8), then a result short of proof (9).
inline constexpr std::array<ExitCode, 9> kExitCodesWorstFirst = {
    kExitNotComplete, kExitDriveGone, kExitFailed, kExitLockRefused, kExitCannotOpen,
    kExitCancelled,   kExitRefused,   kExitNotProven, kExitOk};

}  // namespace orvella::cli
