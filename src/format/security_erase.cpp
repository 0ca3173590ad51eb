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

const char16_t* CommandName(std::uint8_t command) {
  switch (command) {
    case ata::SecuritySetPassword: return u"SECURITY SET PASSWORD";
    case ata::SecurityUnlock: return u"SECURITY UNLOCK";
    case ata::SecurityErasePrepare: return u"SECURITY ERASE PREPARE";
    case ata::SecurityEraseUnit: return u"SECURITY ERASE UNIT";
    case ata::SecurityDisablePassword: return u"SECURITY DISABLE PASSWORD";
    default: return u"SECURITY";
  }
}

// The answers of the drive as they come, timed from the first command.
class StepRecorder {
 public:
  StepRecorder(Clock& clock, std::vector<SecurityStep>& steps)
      : clock_(clock), start_(clock.MonotonicMilliseconds()), steps_(steps) {}

  void Add(std::string command, std::string answer) {
    steps_.push_back({std::move(command), clock_.MonotonicMilliseconds() - start_, std::move(answer)});
  }

  void Add(std::uint8_t command, const Sent& sent) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    std::string answer = "done";
    if (sent.answer == Answer::Refused) answer = "aborted by the drive";
    if (sent.answer == Answer::Undelivered) answer = "not delivered (error " + std::to_string(sent.error) + ")";
    Add(TextToUtf8(CommandName(command)) + " (" + kDigits[command >> 4] + kDigits[command & 0xF] + "h)", answer);
  }

 private:
  Clock& clock_;
  std::int64_t start_;
  std::vector<SecurityStep>& steps_;
};

// One command of the Security feature set; those that carry a sector carry
// the program's password (and, for ERASE UNIT, the enhanced bit). The answer
// is recorded where `steps` is given.
Sent Send(Os& os, Handle handle, std::uint8_t command, StepRecorder* steps, bool enhanced = false,
          std::uint32_t timeoutSeconds = 20) {
  AtaTaskFileCommand c = AtaSecurityCommand(command);
  c.timeoutSeconds = timeoutSeconds;
  AtaSector sector = SecurityPasswordSector(enhanced);
  AtaTaskFileResult result;
  bool aborted = false;
  Sent sent;
  if (!AtaPassThroughRegisters(os, handle, c, result, aborted, c.dataOut ? &sector : nullptr))
    sent = {Answer::Undelivered, os.GetLastError()};
  else if (aborted)
    sent.answer = Answer::Refused;
  if (steps != nullptr) steps->Add(command, sent);
  return sent;
}

// The drive's security state from IDENTIFY; none when it cannot be read.
std::optional<AtaEraseCapabilities> ReadSecurityState(Os& os, Handle handle, std::uint8_t driveNumber,
                                                      StepRecorder* steps) {
  AtaSector identify{};
  std::optional<AtaEraseCapabilities> state;
  if (IdentifyDevice(os, handle, driveNumber, identify)) state = DecodeAtaEraseCapabilities(identify.data());
  if (steps != nullptr)
    steps->Add("IDENTIFY DEVICE (ECh), password check",
               !state ? "could not be read" : state->securityEnabled ? "a password is set" : "no password set");
  return state;
}

std::u16string HowItFailed(std::uint8_t command, const Sent& sent) {
  if (sent.answer == Answer::Refused) return std::u16string(u"the drive refused ") + CommandName(command);
  return std::u16string(CommandName(command)) + u" could not be sent (error " + UIntToStr(sent.error) + u")";
}

PasswordRemoval RemovePassword(Os& os, Handle handle, std::uint8_t driveNumber, const SecurityLog& log,
                               StepRecorder* steps) {
  const auto state = ReadSecurityState(os, handle, driveNumber, steps);
  if (!state) return PasswordRemoval::Unknown;
  if (!state->securityEnabled) return PasswordRemoval::NoneSet;
  if (state->securityFrozen) return PasswordRemoval::Frozen;
  if (state->securityCountExpired) return PasswordRemoval::Expired;
  if (state->securityLocked) {
    log(u"Unlocking the drive with Orvella's password (SECURITY UNLOCK)...");
    const Sent unlock = Send(os, handle, ata::SecurityUnlock, steps);
    if (unlock.answer == Answer::Refused) return PasswordRemoval::NotOurs;
    if (unlock.answer == Answer::Undelivered) return PasswordRemoval::Failed;
  }
  log(u"Taking Orvella's password off the drive (SECURITY DISABLE PASSWORD)...");
  const Sent disable = Send(os, handle, ata::SecurityDisablePassword, steps);
  if (disable.answer == Answer::Refused) return PasswordRemoval::NotOurs;
  if (disable.answer == Answer::Undelivered) return PasswordRemoval::Failed;
  const auto after = ReadSecurityState(os, handle, driveNumber, steps);
  return after && !after->securityEnabled ? PasswordRemoval::Removed : PasswordRemoval::Failed;
}

class SecurityErase {
 public:
  SecurityErase(Os& os, Clock& clock, Handle handle, std::uint8_t driveNumber, const SecurityLog& log)
      : os_(os), handle_(handle), driveNumber_(driveNumber), log_(log), steps_(clock, result_.steps) {}

  SecurityEraseResult Run(bool enhanced, std::uint32_t timeoutSeconds) {
    log_(u"Setting Orvella's user password on the drive (SECURITY SET PASSWORD, level High)...");
    const Sent set = Send(os_, handle_, ata::SecuritySetPassword, &steps_);
    if (set.answer == Answer::Refused) {
      result_.ending = SecurityEraseEnding::Refused;
      result_.failure = u"the drive refused SECURITY SET PASSWORD; no password was set and nothing was erased";
      return result_;
    }
    if (set.answer == Answer::Undelivered) return Fail(HowItFailed(ata::SecuritySetPassword, set), set);
    const Sent prepare = Send(os_, handle_, ata::SecurityErasePrepare, &steps_);
    if (prepare.answer != Answer::Done) return Fail(HowItFailed(ata::SecurityErasePrepare, prepare), prepare);
    log_(std::u16string(u"Sending SECURITY ERASE UNIT (") + (enhanced ? u"enhanced" : u"normal") +
         u"); the drive answers when it is done, within " + UIntToStr(timeoutSeconds / 60) + u" minutes...");
    const Sent erase = Send(os_, handle_, ata::SecurityEraseUnit, &steps_, enhanced, timeoutSeconds);
    if (erase.answer != Answer::Done) return Fail(HowItFailed(ata::SecurityEraseUnit, erase), erase);
    // A drive clears its password when the erase ends well; one that kept
    // it has it taken off here.
    const auto after = ReadSecurityState(os_, handle_, driveNumber_, &steps_);
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
    const PasswordRemoval removal = RemovePassword(os_, handle_, driveNumber_, log_, &steps_);
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
  StepRecorder steps_;
};

}  // namespace

std::uint32_t SecurityEraseTimeoutSeconds(std::optional<std::uint32_t> estimateMinutes) {
  if (!estimateMinutes) return kNoEstimateSeconds;
  return *estimateMinutes * 60 + kMarginSeconds;
}

SecurityEraseResult SendSecurityErase(Os& os, Clock& clock, Handle handle, std::uint8_t driveNumber, bool enhanced,
                                      std::uint32_t timeoutSeconds, const SecurityLog& log) {
  return SecurityErase(os, clock, handle, driveNumber, log).Run(enhanced, timeoutSeconds);
}

PasswordRemoval RemoveProgramPassword(Os& os, Handle handle, std::uint8_t driveNumber, const SecurityLog& log) {
  return RemovePassword(os, handle, driveNumber, log, nullptr);
}

}  // namespace orvella
