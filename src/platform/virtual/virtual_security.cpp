// A simulated ATA drive's Security feature set: SET PASSWORD, UNLOCK, ERASE
// PREPARE, ERASE UNIT and DISABLE PASSWORD, with the states a drive keeps in
// its IDENTIFY word 128 (password set, locked, frozen, too many wrong
// passwords). ERASE UNIT runs in simulated time and answers when done,
// leaving zeros (normal) or the maker's pattern (enhanced) and no password,
// unless the drive is described as lying.
#include <algorithm>
#include <utility>

#include "device/erase_commands.h"
#include "platform/virtual/virtual_os.h"

namespace orvella {
namespace {

constexpr std::uint16_t kSupported = 0x0001;
constexpr std::uint16_t kEnabled = 0x0002;
constexpr std::uint16_t kLocked = 0x0004;
constexpr std::uint16_t kFrozen = 0x0008;
constexpr std::uint16_t kCountExpired = 0x0010;
constexpr std::uint16_t kEnhancedSupported = 0x0020;
constexpr int kAttemptsBeforeExpiry = 5;
constexpr std::size_t kPasswordAt = 2;  // the password follows the control word

using Lie = VirtualOwnErase::Lie;

}  // namespace

VirtualOs::SecurityAnswer VirtualOs::AtaSecurity(VirtualDrive& drive, std::uint8_t command,
                                                 const std::uint8_t* sector) {
  if (!drive.ata.identify) return SecurityAnswer::Aborted;
  std::uint16_t& w128 = drive.ata.identify->words[128];
  if ((w128 & kSupported) == 0 || (w128 & kFrozen) != 0) return SecurityAnswer::Aborted;
  SecurityRun& s = driveStates_[drive.number].security;
  if (!s.known) {
    s.known = true;
    if (drive.ownErase && drive.ownErase->foreignPassword) s.password.fill(0x5A);
    else s.password = OrvellaSecurityPassword();
  }
  const bool prepared = std::exchange(s.prepared, false);
  const bool matches =
      sector != nullptr && std::equal(s.password.begin(), s.password.end(), sector + kPasswordAt);
  // A wrong password counts; after five the drive takes none until power-off.
  const auto wrong = [&] {
    if (++s.wrongPasswords >= kAttemptsBeforeExpiry) w128 |= kCountExpired;
    return SecurityAnswer::Aborted;
  };
  const bool locked = (w128 & kLocked) != 0;
  switch (command) {
    case ata::SecuritySetPassword:
      if (locked || sector == nullptr) return SecurityAnswer::Aborted;
      std::copy_n(sector + kPasswordAt, s.password.size(), s.password.begin());
      w128 |= kEnabled;
      return SecurityAnswer::Done;
    case ata::SecurityUnlock:
      if ((w128 & kCountExpired) != 0) return SecurityAnswer::Aborted;
      if (!matches) return wrong();
      w128 &= static_cast<std::uint16_t>(~kLocked);
      return SecurityAnswer::Done;
    case ata::SecurityErasePrepare:
      s.prepared = true;
      return SecurityAnswer::Done;
    case ata::SecurityEraseUnit: {
      if (!prepared || (w128 & kEnabled) == 0) return SecurityAnswer::Aborted;
      if (!matches) return wrong();
      const bool enhanced = (sector[0] & 0x02) != 0;
      if (enhanced && (w128 & kEnhancedSupported) == 0) return SecurityAnswer::Aborted;
      return SecurityEraseUnit(drive, enhanced);
    }
    case ata::SecurityDisablePassword:
      if (locked || (w128 & kCountExpired) != 0) return SecurityAnswer::Aborted;
      if (!matches) return wrong();
      w128 &= static_cast<std::uint16_t>(~kEnabled);
      return SecurityAnswer::Done;
    default:
      return SecurityAnswer::Aborted;
  }
}

bool VirtualOs::SecurityLocked(const VirtualDrive& drive) {
  if (!drive.ata.identify) return false;
  const auto word = drive.ata.identify->words.find(128);
  return word != drive.ata.identify->words.end() && (word->second & (kSupported | kLocked)) == (kSupported | kLocked);
}

VirtualOs::SecurityAnswer VirtualOs::SecurityEraseUnit(VirtualDrive& drive, bool enhanced) {
  const VirtualOwnErase own = drive.ownErase.value_or(VirtualOwnErase{});
  DriveState& state = driveStates_[drive.number];
  const auto total = static_cast<std::uint32_t>(std::max<std::int64_t>(own.milliseconds, 1));
  switch (own.lie) {
    case Lie::FailsHalfWay:
      Sleep(total / 2);
      return SecurityAnswer::Aborted;
    case Lie::UnpluggedHalfWay:
      Sleep(total / 2);
      state.unplugged = true;
      return SecurityAnswer::Unplugged;
    case Lie::NeverCompletes:
      Sleep(total);
      return SecurityAnswer::TimedOut;
    case Lie::ChangesNothing:
    case Lie::None:
      break;
  }
  Sleep(total);
  // The erase ends with the password gone and the drive unlocked.
  drive.ata.identify->words[128] &= static_cast<std::uint16_t>(~(kEnabled | kLocked));
  if (own.lie == Lie::ChangesNothing) return SecurityAnswer::Done;
  state.medium.extents.clear();
  state.erasedFill =
      enhanced && own.blockEraseFill == VirtualOwnErase::Fill::Ones ? std::uint8_t{0xFF} : std::uint8_t{0x00};
  return SecurityAnswer::Done;
}

}  // namespace orvella
