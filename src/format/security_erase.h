// ATA SECURITY ERASE UNIT as this program sends it: SET PASSWORD (its own
// user password, level High), ERASE PREPARE, ERASE UNIT. A drive only
// erases itself this way with a password set, so the password is the risk:
// after any failure once it was offered, it is taken off again (UNLOCK
// where the drive locked itself, then DISABLE PASSWORD), and the result
// says whether that worked, so that no drive is left locked with a
// password its owner never chose.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include <vector>

#include "core/clock.h"
#include "platform/os.h"

namespace orvella {

// How long ERASE UNIT may take: the drive's estimate (IDENTIFY word 89 or
// 90, already in minutes) plus a margin; without an estimate, 12 hours.
std::uint32_t SecurityEraseTimeoutSeconds(std::optional<std::uint32_t> estimateMinutes);

enum class SecurityEraseEnding {
  Erased,    // ERASE UNIT ended without error
  Refused,   // SET PASSWORD was refused: the drive is as it was
  Failed,    // a step after SET PASSWORD failed
  Gone,      // the drive went away
};

// One command of a security erase and the drive's answer to it, in the order
// sent: the record lists them as it lists a sanitize's status polls.
struct SecurityStep {
  std::string command;                   // "SECURITY SET PASSWORD (F1h)"
  std::int64_t elapsedMilliseconds = 0;  // from the first command to this answer
  std::string answer;                    // "done", "aborted by the drive", "a password is still set", ...
};

struct SecurityEraseResult {
  SecurityEraseEnding ending = SecurityEraseEnding::Refused;
  std::u16string failure;     // the step that failed and how
  bool passwordLeft = false;  // the program's password may still be on the drive
  std::vector<SecurityStep> steps;
};

using SecurityLog = std::function<void(const std::u16string&)>;

// `driveNumber` is the drive's position for IDENTIFY (0 master, 1 slave);
// `clock` times the steps.
SecurityEraseResult SendSecurityErase(Os& os, Clock& clock, Handle handle, std::uint8_t driveNumber, bool enhanced,
                                      std::uint32_t timeoutSeconds, const SecurityLog& log);

enum class PasswordRemoval {
  NoneSet,   // the drive has no user password: nothing was sent
  Removed,   // the program's password was taken off (the drive unlocked first where it was locked)
  NotOurs,   // the drive refused the program's password: someone else's
  Frozen,    // the drive's security is frozen: it takes no password command now
  Expired,   // too many wrong passwords since power-on
  Unknown,   // IDENTIFY could not be read: nothing was sent
  Failed,    // a command could not be sent, or the drive still reports a password
};

// Takes the program's password off a drive it was left on (a crash or a
// power loss during a security erase).
PasswordRemoval RemoveProgramPassword(Os& os, Handle handle, std::uint8_t driveNumber, const SecurityLog& log);

}  // namespace orvella
