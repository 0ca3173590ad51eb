#include "format/purge_run.h"

#include <algorithm>
#include <map>

#include "core/text.h"
#include "device/erase_commands.h"
#include "device/erase_facts.h"
#include "format/sample_plan.h"
#include "format/security_erase.h"
#include "record/sha256.h"

namespace orvella {
namespace {

constexpr std::int64_t kNoEstimateSeconds = 12 * 3600;
constexpr std::int64_t kMarginSeconds = 60;

bool DriveGone(std::uint32_t error) { return error == 2 || error == 55 || error == 1167; }

// "0004h": upper-case hexadecimal of `digits` digits, as command values are written.
std::string Hex(std::uint64_t value, int digits) {
  std::string text(static_cast<std::size_t>(digits), '0');
  for (int i = digits - 1; i >= 0 && value != 0; --i, value >>= 4)
    text[static_cast<std::size_t>(i)] = "0123456789ABCDEF"[value & 0xF];
  return text + "h";
}

// The sectors read before and after: the first of each range of the plan.
// None for a drive whose size is not known.
std::vector<std::int64_t> SampleSectors(const TDeviceTable& entry, std::uint64_t seed) {
  const std::int64_t sector = entry.IdentifyData.SectorSize;
  const SamplePlan plan = MakeSamplePlan(DriveBytes(entry.IdentifyData).value_or(0), sector, seed);
  std::vector<std::int64_t> sectors;
  for (const Extent& range : plan.ranges) {
    sectors.push_back(range.from / sector);
    if (range.to - range.from > sector) sectors.push_back((range.to - sector) / sector);
  }
  return sectors;
}

// One sector's bytes, or none when it cannot be read.
std::optional<std::string> ReadSector(PurgeSurroundings& s, std::int64_t index, void* buffer) {
  const auto size = static_cast<std::uint32_t>(s.entry.IdentifyData.SectorSize);
  std::int64_t at = 0;
  std::uint32_t read = 0;
  if (!s.os.SetFilePointerEx(s.handle, index * size, &at, FILE_BEGIN) || at != index * size) return std::nullopt;
  if (!s.os.ReadFile(s.handle, buffer, size, &read) || read != size) return std::nullopt;
  return std::string(static_cast<const char*>(buffer), size);
}

class Purge {
 public:
  Purge(PurgeSurroundings& s, EraseMethod method, std::uint64_t seed) : s_(s) {
    result_.method = method;
    result_.check.seed = seed;
    result_.check.expectChange = method == EraseMethod::CryptoErase;
  }

  PurgeResult Run() {
    facts_ = ReadDriveEraseFacts(s_.os, s_.handle, s_.entry);
    result_.choice = ChooseMethod(result_.method, facts_);
    if (!result_.choice.available) return Refuse(result_.choice.reason);
    buffer_ = s_.os.AllocateAligned(static_cast<std::size_t>(std::max<std::int64_t>(s_.entry.IdentifyData.SectorSize, 4096)));
    if (buffer_ == nullptr) return Refuse(u"no memory for the sample reads");
    ReadBefore();
    if (result_.ending == PurgeEnding::Complete) SendAndWait();
    if (result_.ending == PurgeEnding::Complete) CheckAfter();
    s_.os.FreeAligned(buffer_);
    return result_;
  }

 private:
  bool SecurityMethod() const {
    return result_.method == EraseMethod::SecurityErase || result_.method == EraseMethod::SecurityEraseEnhanced;
  }

  PurgeResult Refuse(const std::u16string& reason) {
    result_.ending = PurgeEnding::Refused;
    result_.reason = reason;
    s_.log(u"Purge refused: " + reason + u". Nothing was sent to the drive.");
    return result_;
  }

  void End(PurgeEnding ending, const std::u16string& reason) {
    result_.ending = ending;
    result_.reason = reason;
    s_.log(reason);
  }

  void ReadBefore() {
    sectors_ = SampleSectors(s_.entry, result_.check.seed);
    // With no sample the check afterwards would pass having read nothing.
    if (sectors_.empty()) {
      Refuse(u"the drive's size is not known, so its sectors cannot be checked afterwards");
      return;
    }
    result_.check.sectors = static_cast<std::int64_t>(sectors_.size());
    s_.log(u"Reading " + Utf8ToText(std::to_string(sectors_.size())) + u" sample sectors before the purge (seed " +
           Utf8ToText(std::to_string(result_.check.seed)) + u")...");
    for (std::int64_t index : sectors_) {
      const auto bytes = ReadSector(s_, index, buffer_);
      if (!bytes) {
        const std::uint32_t error = s_.os.GetLastError();
        if (DriveGone(error)) return End(PurgeEnding::Terminated, u"Device was unplugged, aborting...");
        ++result_.check.unreadable;
        continue;
      }
      before_[index] = Sha256(*bytes);
    }
    result_.ending = PurgeEnding::Complete;
  }

  // The command of the method on this drive's interface, sent; then the
  // drive is asked how it goes until it ends.
  void SendAndWait() {
    if (facts_.interface == DriveInterface::Ata) return SecurityMethod() ? AtaSecurityErase() : AtaSanitize();
    if (facts_.interface == DriveInterface::Scsi) return ScsiSanitize();
    if (result_.method == EraseMethod::FormatErase ||
        (result_.method == EraseMethod::CryptoErase && !facts_.nvme->sanitizeCrypto))
      return NvmeFormat();
    return NvmeSanitize();
  }

  void AtaSanitize() {
    AtaSanitizeAction action = AtaSanitizeAction::BlockErase;
    std::string name = "BLOCK ERASE EXT (feature 0012h, key 426B4572h";
    if (result_.method == EraseMethod::CryptoErase) {
      action = AtaSanitizeAction::CryptoScramble;
      name = "CRYPTO SCRAMBLE EXT (feature 0011h, key 43727970h";
    } else if (result_.method == EraseMethod::DriveOverwrite) {
      action = AtaSanitizeAction::Overwrite;
      name = "OVERWRITE EXT (feature 0014h, key 4F57h, pattern 00000000h, 1 pass";
    }
    result_.command = "ATA SANITIZE (B4h) " + name + ", failure mode bit set)";
    result_.timeoutSeconds = kNoEstimateSeconds;
    Announce();
    AtaTaskFileResult registers;
    bool aborted = false;
    if (!AtaPassThroughRegisters(s_.os, s_.handle, AtaSanitizeCommand(action), registers, aborted))
      return Undelivered();
    if (aborted) return End(PurgeEnding::NotComplete, u"The drive refused the sanitize command. Nothing was erased.");
    Poll([this](PurgePoll& poll) {
      AtaSanitizeStatus status;
      if (!ReadAtaSanitizeStatus(s_.os, s_.handle, status)) return Answer::Gone;
      if (status.lastSanitizeFailed) {
        poll.status = "failed";
        failure_ = AtaSanitizeFailureText(status.failureReason);
        return Answer::Failed;
      }
      if (status.inProgress) {
        poll.status = "in progress";
        poll.percent = status.progress * 100.0 / 65536.0;
        return Answer::Running;
      }
      poll.status = status.completedWithoutError ? "completed without error" : "ended";
      if (!status.completedWithoutError) failure_ = u"the drive does not say it completed without error";
      return status.completedWithoutError ? Answer::Done : Answer::Failed;
    });
  }

  // ERASE UNIT answers only when the drive is done: no progress to poll.
  void AtaSecurityErase() {
    const bool enhanced = result_.method == EraseMethod::SecurityEraseEnhanced;
    const std::optional<std::uint32_t> minutes =
        enhanced ? facts_.ata->enhancedEraseMinutes : facts_.ata->normalEraseMinutes;
    const std::uint32_t timeout = SecurityEraseTimeoutSeconds(minutes);
    result_.command = std::string("ATA SECURITY ERASE UNIT (F4h), ") + (enhanced ? "enhanced" : "normal") +
                      ", after SECURITY SET PASSWORD (F1h, user password \"Orvella\", level High) and SECURITY "
                      "ERASE PREPARE (F3h)";
    if (minutes) result_.estimateSeconds = std::int64_t{*minutes} * 60;
    result_.timeoutSeconds = timeout;
    Announce();
    s_.progress(std::nullopt);
    const SecurityEraseResult erase =
        SendSecurityErase(s_.os, s_.clock, s_.handle, s_.entry.IdentifyData.IsIDESlave, enhanced, timeout, s_.log);
    result_.passwordLeft = erase.passwordLeft;
    // ERASE UNIT answers only when done: each command's answer stands where
    // a sanitize's status polls stand.
    for (const SecurityStep& step : erase.steps)
      result_.polls.push_back({step.elapsedMilliseconds, std::nullopt, step.command + ": " + step.answer});
    switch (erase.ending) {
      case SecurityEraseEnding::Erased:
        s_.progress(100.0);
        return;
      case SecurityEraseEnding::Refused:
      case SecurityEraseEnding::Failed:
        return End(PurgeEnding::NotComplete, u"The security erase failed: " + erase.failure + u".");
      case SecurityEraseEnding::Gone:
        return End(PurgeEnding::Terminated, u"Device was unplugged, aborting...");
    }
  }

  void NvmeSanitize() {
    NvmeSanitizeAction action = NvmeSanitizeAction::BlockErase;
    std::string name = "block erase (SANACT 2)";
    std::optional<std::uint32_t> estimate = facts_.nvmeSanitize->blockEraseSeconds;
    if (result_.method == EraseMethod::CryptoErase) {
      action = NvmeSanitizeAction::CryptoErase;
      name = "crypto erase (SANACT 4)";
      estimate = facts_.nvmeSanitize->cryptoEraseSeconds;
    } else if (result_.method == EraseMethod::DriveOverwrite) {
      action = NvmeSanitizeAction::Overwrite;
      name = "overwrite (SANACT 3, 1 pass, pattern 00000000h)";
      estimate = facts_.nvmeSanitize->overwriteSeconds;
    }
    NvmeAdminCommand command = NvmeSanitizeCommand(action);
    result_.command = "NVMe Sanitize (84h) " + name + ", command dword 10 " + Hex(command.Dword(10), 8) +
                      ", all namespaces";
    if (estimate) result_.estimateSeconds = *estimate;
    result_.timeoutSeconds = estimate ? 2 * std::int64_t{*estimate} + kMarginSeconds : kNoEstimateSeconds;
    Announce();
    if (!SendNvme(command)) return;
    Poll([this](PurgePoll& poll) {
      NvmeSanitizeLog log;
      if (!ReadNvmeSanitizeLog(s_.os, s_.handle, log)) return Answer::Gone;
      switch (log.state) {
        case NvmeSanitizeState::InProgress:
          poll.status = "in progress";
          poll.percent = log.progress * 100.0 / 65536.0;
          return Answer::Running;
        case NvmeSanitizeState::Completed:
        case NvmeSanitizeState::CompletedNoDeallocate:
          poll.status = "completed";
          return Answer::Done;
        default:
          poll.status = log.state == NvmeSanitizeState::Failed ? "failed" : "never sanitized";
          failure_ = u"the drive's sanitize status log says the sanitize failed";
          return Answer::Failed;
      }
    });
  }

  void NvmeFormat() {
    const bool crypto = result_.method == EraseMethod::CryptoErase;
    const std::uint32_t space = (crypto ? facts_.nvme->secureEraseAppliesToAll : facts_.nvme->formatAppliesToAll)
                                    ? nvme::AllNamespaces
                                    : kNvmeFirstNamespace;
    NvmeAdminCommand command = NvmeFormatCommand(*facts_.nvmeNamespace, space,
                                                 crypto ? NvmeSecureErase::Cryptographic : NvmeSecureErase::UserData);
    result_.command = std::string("NVMe Format NVM (80h), Secure Erase Settings ") + (crypto ? "2 (cryptographic erase)" : "1 (user data erase)") +
                      ", LBA format " + std::to_string(facts_.nvmeNamespace->formatInUse) + " kept, namespace " +
                      (space == nvme::AllNamespaces ? std::string("FFFFFFFFh (all)") : std::to_string(space)) +
                      ", command dword 10 " + Hex(command.Dword(10), 8);
    result_.timeoutSeconds = command.timeoutMilliseconds / 1000;
    Announce();
    if (!SendNvme(command)) return;
    result_.polls.push_back({0, 100.0, "completed"});
    s_.progress(100.0);
  }

  // SANITIZE with IMMED answers at once; REQUEST SENSE tells how it goes.
  void ScsiSanitize() {
    std::uint8_t action = scsi::SanitizeBlockErase;
    std::string name = "BLOCK ERASE (service action 02h)";
    std::vector<std::uint8_t> parameters;
    if (result_.method == EraseMethod::CryptoErase) {
      action = scsi::SanitizeCryptoErase;
      name = "CRYPTOGRAPHIC ERASE (service action 03h)";
    } else if (result_.method == EraseMethod::DriveOverwrite) {
      action = scsi::SanitizeOverwrite;
      name = "OVERWRITE (service action 01h, 1 pass, pattern 00000000h)";
      parameters = ScsiOverwriteParameters(0);
    }
    ScsiCommand command = ScsiCommand::Of(ScsiSanitizeCdb(action, static_cast<std::uint16_t>(parameters.size())),
                                          parameters.empty() ? ScsiCommand::Direction::None : ScsiCommand::Direction::Out,
                                          parameters);
    std::string block;
    for (std::size_t i = 0; i < command.cdbLength; ++i) block += (i == 0 ? "" : " ") + Hex(command.cdb[i], 2).substr(0, 2);
    result_.command = "SCSI SANITIZE (48h) " + name + ", IMMED, command block " + block;
    result_.timeoutSeconds = kNoEstimateSeconds;
    Announce();
    if (!SendScsi(command)) return;
    Poll([this](PurgePoll& poll) {
      ScsiSanitizeProgress sense;
      if (!ReadScsiSanitizeSense(s_.os, s_.handle, sense)) return Answer::Gone;
      if (sense.inProgress) {
        poll.status = "in progress";
        if (sense.progressKnown) poll.percent = sense.progress * 100.0 / 65536.0;
        return Answer::Running;
      }
      if (sense.failed) {
        poll.status = "failed";
        failure_ = u"the drive reports that the sanitize failed (MEDIUM ERROR, ASC 31h, ASCQ 03h)";
        return Answer::Failed;
      }
      if (sense.senseKey == 0) {
        poll.status = "completed";
        return Answer::Done;
      }
      // Another condition (a reset, a unit attention) says nothing of the
      // sanitize: ask again until the time runs out.
      poll.status = "sense key " + Hex(sense.senseKey, 1) + ", ASC " + Hex(sense.asc, 2) + ", ASCQ " + Hex(sense.ascq, 2);
      return Answer::Running;
    });
  }

  void Announce() {
    s_.log(u"Sending " + Utf8ToText(result_.command));
    if (SecurityMethod())
      s_.log(u"The drive erases itself; once started it cannot be stopped. A power loss leaves it locked with "
             u"Orvella's password: orvella-cli unlock takes it off.");
    else
      s_.log(u"The drive erases itself; once started it cannot be stopped, and it continues after a power loss.");
  }

  // An ATA erase command that failed before the drive answered; where the
  // system is known to stop such commands, that is most likely why.
  void Undelivered() {
    const std::uint32_t error = s_.os.GetLastError();
    if (DriveGone(error)) return End(PurgeEnding::Terminated, u"Device was unplugged, aborting...");
    const std::u16string& why = facts_.limits.ataUndelivered;
    End(PurgeEnding::NotComplete, u"The command could not be sent to the drive (error " +
                                      Utf8ToText(std::to_string(error)) + u")" + (why.empty() ? u"" : u": " + why) +
                                      u". Nothing was erased.");
  }

  bool SendNvme(NvmeAdminCommand& command) {
    const std::uint32_t error = s_.os.SendNvmeAdmin(s_.handle, command);
    return Accepted(error, command.status == 0, "status " + Hex(command.status, 4));
  }

  bool SendScsi(ScsiCommand& command) {
    const std::uint32_t error = s_.os.SendScsi(s_.handle, command);
    const ScsiSanitizeProgress sense = DecodeScsiSanitizeSense(command.sense.data(), command.sense.size());
    return Accepted(error, command.status == scsi::StatusGood,
                    "SCSI status " + Hex(command.status, 2) + ", sense key " + Hex(sense.senseKey, 1) + ", ASC " +
                        Hex(sense.asc, 2) + ", ASCQ " + Hex(sense.ascq, 2));
  }

  // Whether the drive took the command: delivered (`error` 0) and not
  // refused, else the run ends with why.
  bool Accepted(std::uint32_t error, bool taken, const std::string& refusal) {
    if (error != 0) {
      if (DriveGone(error)) End(PurgeEnding::Terminated, u"Device was unplugged, aborting...");
      else End(PurgeEnding::NotComplete, u"The command could not be sent to the drive (error " +
                                              Utf8ToText(std::to_string(error)) + u"). Nothing was erased.");
      return false;
    }
    if (!taken) {
      End(PurgeEnding::NotComplete, u"The drive refused the command (" + Utf8ToText(refusal) + u"). Nothing was erased.");
      return false;
    }
    return true;
  }

  enum class Answer { Running, Done, Failed, Gone };

  template <typename Ask>
  void Poll(Ask ask) {
    std::int64_t elapsed = 0;
    while (true) {
      s_.os.Sleep(s_.pollMilliseconds);
      elapsed += s_.pollMilliseconds;
      PurgePoll poll;
      poll.elapsedMilliseconds = elapsed;
      const Answer answer = ask(poll);
      if (answer == Answer::Gone) {
        if (DriveGone(s_.os.GetLastError()))
          return End(PurgeEnding::Terminated, u"Device was unplugged, aborting...");
        return End(PurgeEnding::NotComplete, u"The drive stopped answering the status request.");
      }
      result_.polls.push_back(poll);
      s_.progress(answer == Answer::Done ? std::optional<double>(100.0) : poll.percent);
      if (answer == Answer::Done) return;
      if (answer == Answer::Failed) return End(PurgeEnding::NotComplete, u"The purge failed: " + failure_ + u".");
      if (elapsed / 1000 > result_.timeoutSeconds)
        return End(PurgeEnding::NotComplete, u"The drive did not report the end of the purge within " +
                                                 Utf8ToText(std::to_string(result_.timeoutSeconds)) + u" seconds.");
    }
  }

  void CheckAfter() {
    s_.log(u"Reading the sample sectors again...");
    PurgeCheck& check = result_.check;
    std::optional<std::uint8_t> pattern;
    for (std::int64_t index : sectors_) {
      const auto bytes = ReadSector(s_, index, buffer_);
      if (!bytes) {
        if (DriveGone(s_.os.GetLastError())) return End(PurgeEnding::Terminated, u"Device was unplugged, aborting...");
        ++check.unreadable;
        continue;
      }
      const auto old = before_.find(index);
      if (old != before_.end() && old->second == Sha256(*bytes)) ++check.unchanged;
      const auto first = static_cast<std::uint8_t>((*bytes)[0]);
      if (!pattern) pattern = first;
      const bool uniform = std::all_of(bytes->begin(), bytes->end(),
                                       [&](char c) { return static_cast<std::uint8_t>(c) == *pattern; });
      if (!uniform) ++check.notUniform;
    }
    if (!check.expectChange) check.pattern = pattern;
    // A uniform pattern may be what a sector held before (a drive erased
    // earlier); after a crypto erase nothing may be as it was.
    check.passed = check.unreadable == 0 && (check.expectChange ? check.unchanged == 0 : check.notUniform == 0);
    if (check.passed) {
      s_.log(check.expectChange ? u"Every sample sector changed." : u"Every sample sector holds the same pattern.");
      return;
    }
    End(PurgeEnding::NotComplete,
        u"The drive reported success, but the check failed: " + Utf8ToText(std::to_string(check.unchanged)) +
            u" sample sectors unchanged, " + Utf8ToText(std::to_string(check.notUniform)) +
            u" not of one pattern, " + Utf8ToText(std::to_string(check.unreadable)) + u" unreadable.");
  }

  PurgeSurroundings& s_;
  PurgeResult result_;
  DriveEraseFacts facts_;
  void* buffer_ = nullptr;
  std::vector<std::int64_t> sectors_;
  std::map<std::int64_t, Sha256Digest> before_;
  std::u16string failure_;
};

}  // namespace

const char* PurgeEndingName(PurgeEnding ending) {
  switch (ending) {
    case PurgeEnding::Refused: return "refused";
    case PurgeEnding::Complete: return "complete";
    case PurgeEnding::NotComplete: return "not-complete";
    case PurgeEnding::Terminated: return "terminated";
  }
  return "";
}

PurgeResult RunPurge(PurgeSurroundings& s, EraseMethod method, std::uint64_t seed) {
  return Purge(s, method, seed).Run();
}

}  // namespace orvella
