#include "format/security_erase.h"

#include "core/text.h"
#include "device/ata_erase_capabilities.h"
#include "device/erase_commands.h"
#include "device/identify_device.h"
#include "format/run_texts.h"

namespace orvella {
namespace {

constexpr std::uint32_t kMarginSeconds = 15 * 60;
constexpr std::uint32_t kNoEstimateSeconds = 12 * 3600;

enum class Answer { Done, Refused, Undelivered };

struct Sent {
  Answer answer = Answer::Done;
  std::uint32_t error = 0;  // when undelivered
};

// One command of the Security feature set; those that carry a sector carry
// the program's password (and, for ERASE UNIT, the enhanced bit).
Sent Send(Os& os, Handle handle, std::uint8_t command, bool enhanced = false, std::uint32_t timeoutSeconds = 20) {
  AtaTaskFileCommand c = AtaSecurityCommand(command);
  c.timeoutSeconds = timeoutSeconds;
  AtaSector sector = SecurityPasswordSector(enhanced);
  AtaTaskFileResult result;
  bool aborted = false;
  if (!AtaPassThroughRegisters(os, handle, c, result, aborted, c.dataOut ? &sector : nullptr))
    return {Answer::Undelivered, os.GetLastError()};
  return {aborted ? Answer::Refused : Answer::Done, 0};
}

std::optional<AtaEraseCapabilities> ReadSecurityState(Os& os, Handle handle, std::uint8_t driveNumber) {
  AtaSector identify{};
  if (!IdentifyDevice(os, handle, driveNumber, identify)) return std::nullopt;
  return DecodeAtaEraseCapabilities(identify.data());
}

std::u16string HowItFailed(const char16_t* step, const Sent& sent) {
  if (sent.answer == Answer::Refused) return std::u16string(u"the drive refused ") + step;
  return std::u16string(step) + u" could not be sent (error " + UIntToStr(sent.error) + u")";
}

class SecurityErase {
 public:
  SecurityErase(Os& os, Handle handle, std::uint8_t driveNumber, const SecurityLog& log)
      : os_(os), handle_(handle), driveNumber_(driveNumber), log_(log) {}

  SecurityEraseResult Run(bool enhanced, std::uint32_t timeoutSeconds) {
    log_(u"Setting Orvella's user password on the drive (SECURITY SET PASSWORD, level High)...");
    const Sent set = Send(os_, handle_, ata::SecuritySetPassword);
    if (set.answer == Answer::Refused) {
      result_.ending = SecurityEraseEnding::Refused;
      result_.failure = u"the drive refused SECURITY SET PASSWORD; no password was set and nothing was erased";
      return result_;
    }
    if (set.answer == Answer::Undelivered) return Fail(HowItFailed(u"SECURITY SET PASSWORD", set), set);
    const Sent prepare = Send(os_, handle_, ata::SecurityErasePrepare);
    if (prepare.answer != Answer::Done) return Fail(HowItFailed(u"SECURITY ERASE PREPARE", prepare), prepare);
    log_(std::u16string(u"Sending SECURITY ERASE UNIT (") + (enhanced ? u"enhanced" : u"normal") +
         u"); the drive answers when it is done, within " + UIntToStr(timeoutSeconds / 60) + u" minutes...");
    const Sent erase = Send(os_, handle_, ata::SecurityEraseUnit, enhanced, timeoutSeconds);
    if (erase.answer != Answer::Done) return Fail(HowItFailed(u"SECURITY ERASE UNIT", erase), erase);
    // A drive clears its password when the erase ends well; one that kept
    // it has it taken off here.
    const auto after = ReadSecurityState(os_, handle_, driveNumber_);
    if (!after || after->securityEnabled) {
      log_(u"The drive still reports a password after the erase.");
      Recover();
    }
    result_.ending = SecurityEraseEnding::Erased;
    return result_;
  }

 private:
  SecurityEraseResult Fail(std::u16string failure, const Sent& sent) {
    result_.failure = std::move(failure);
    if (sent.answer == Answer::Undelivered && MeansUnplugged(sent.error)) {
      result_.ending = SecurityEraseEnding::Gone;
      result_.passwordLeft = true;
      log_(u"The drive went away with Orvella's password on it: when it is back, run orvella-cli unlock on it.");
      return result_;
    }
    result_.ending = SecurityEraseEnding::Failed;
    Recover();
    return result_;
  }

  void Recover() {
    const PasswordRemoval removal = RemoveProgramPassword(os_, handle_, driveNumber_, log_);
    result_.passwordLeft = removal != PasswordRemoval::Removed && removal != PasswordRemoval::NoneSet;
    log_(result_.passwordLeft
             ? u"Orvella's password could not be taken off the drive: run orvella-cli unlock on it."
             : u"The drive has no password of Orvella's on it.");
  }

  Os& os_;
  Handle handle_;
  std::uint8_t driveNumber_;
  const SecurityLog& log_;
  SecurityEraseResult result_;
};

}  // namespace

std::uint32_t SecurityEraseTimeoutSeconds(std::optional<std::uint32_t> estimateMinutes) {
  if (!estimateMinutes) return kNoEstimateSeconds;
  return *estimateMinutes * 60 + kMarginSeconds;
}

SecurityEraseResult SendSecurityErase(Os& os, Handle handle, std::uint8_t driveNumber, bool enhanced,
                                      std::uint32_t timeoutSeconds, const SecurityLog& log) {
  return SecurityErase(os, handle, driveNumber, log).Run(enhanced, timeoutSeconds);
}

PasswordRemoval RemoveProgramPassword(Os& os, Handle handle, std::uint8_t driveNumber, const SecurityLog& log) {
  const auto state = ReadSecurityState(os, handle, driveNumber);
  if (!state) return PasswordRemoval::Unknown;
  if (!state->securityEnabled) return PasswordRemoval::NoneSet;
  if (state->securityFrozen) return PasswordRemoval::Frozen;
  if (state->securityCountExpired) return PasswordRemoval::Expired;
  if (state->securityLocked) {
    log(u"Unlocking the drive with Orvella's password (SECURITY UNLOCK)...");
    const Sent unlock = Send(os, handle, ata::SecurityUnlock);
    if (unlock.answer == Answer::Refused) return PasswordRemoval::NotOurs;
    if (unlock.answer == Answer::Undelivered) return PasswordRemoval::Failed;
  }
  log(u"Taking Orvella's password off the drive (SECURITY DISABLE PASSWORD)...");
  const Sent disable = Send(os, handle, ata::SecurityDisablePassword);
  if (disable.answer == Answer::Refused) return PasswordRemoval::NotOurs;
  if (disable.answer == Answer::Undelivered) return PasswordRemoval::Failed;
  const auto after = ReadSecurityState(os, handle, driveNumber);
  return after && !after->securityEnabled ? PasswordRemoval::Removed : PasswordRemoval::Failed;
}

}  // namespace orvella
