// A Purge: the drive erases itself with its own command, and the program
// checks the result. In order: the drive's capabilities are read again and
// the method refused with its reason (nothing sent) unless the drive offers
// it now; sectors of the NIST sample (the first of each sample range, from
// a recorded seed) are read and their digests kept; the command is sent;
// the drive's status is polled with its progress until it ends, fails, the
// drive goes away, or its estimate (plus a margin) runs out; the same
// sectors are read again and must all hold one uniform pattern (after a
// block erase, overwrite or user-data format) or must all differ from what
// they held (after a crypto erase). The caller has confirmed the run, locked
// the drive's volumes and taken the drive for itself.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/clock.h"
#include "device/device_records.h"
#include "device/erase_methods.h"
#include "platform/os.h"

namespace orvella {

enum class PurgeEnding {
  Refused,      // the drive does not offer the method now; nothing was sent
  Complete,     // the drive reported success and the check holds
  NotComplete,  // the drive failed it, never finished in time, or the check found a sample it left
  Terminated,   // the drive went away
};
const char* PurgeEndingName(PurgeEnding ending);

// A status request and the drive's answer; for a security erase, each
// command of it and the drive's answer.
struct PurgePoll {
  std::int64_t elapsedMilliseconds = 0;
  std::optional<double> percent;  // none when the drive gave no progress
  std::string status;             // "in progress", "completed", "failed", "SECURITY ERASE UNIT (F4h): done", ...
};

struct PurgeCheck {
  std::uint64_t seed = 0;
  std::int64_t sectors = 0;            // sampled sectors, read before and after
  std::int64_t unreadable = 0;         // sampled sectors that could not be read (before or after)
  std::int64_t unchanged = 0;          // after: sectors that still hold what they held before
  std::int64_t notUniform = 0;         // after: sectors that hold anything but the one pattern
  std::optional<std::uint8_t> pattern; // the uniform byte found after (not for a crypto erase)
  bool expectChange = false;           // a crypto erase: every sector must differ
  bool passed = false;
};

struct PurgeResult {
  EraseMethod method = EraseMethod::Zeros;
  MethodChoice choice;
  PurgeEnding ending = PurgeEnding::Refused;
  std::u16string reason;           // why it was refused, failed or is not complete
  std::string command;             // the command sent, in words with its bytes
  std::optional<std::int64_t> estimateSeconds;  // the drive's own estimate, where it gave one
  std::int64_t timeoutSeconds = 0;
  std::vector<PurgePoll> polls;
  PurgeCheck check;
  // A security erase that failed and could not take its password off the
  // drive again: `orvella-cli unlock` removes it.
  bool passwordLeft = false;
};

// What a run needs of its surroundings, handed in by the caller.
struct PurgeSurroundings {
  Os& os;
  Clock& clock;  // times what the drive does without being polled
  Handle handle;
  const TDeviceTable& entry;
  std::function<void(const std::u16string&)> log;
  std::function<void(std::optional<double> percent)> progress;
  std::uint32_t pollMilliseconds = 500;
};

PurgeResult RunPurge(PurgeSurroundings& s, EraseMethod method, std::uint64_t seed);

}  // namespace orvella
