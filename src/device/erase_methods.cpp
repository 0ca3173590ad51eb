#include "device/erase_methods.h"

namespace orvella {
namespace {

constexpr char16_t kFrozen[] =
    u"the drive's security is frozen (the computer's firmware froze it at start-up); to thaw it, suspend the "
    u"computer and resume it, or unplug the drive's power or data cable and plug it in again while the computer "
    u"runs, then ask again";
constexpr char16_t kSanitizeFrozen[] =
    u"the drive's sanitize commands are frozen (the computer's firmware froze them at start-up); to thaw them, "
    u"suspend the computer and resume it, or re-plug the drive while the computer runs, then ask again";
constexpr char16_t kLocked[] = u"the drive is locked by a password; unlock it first (orvella-cli unlock)";
constexpr char16_t kFlashNote[] =
    u"writing from the host cannot reach the spare and retired blocks of a flash drive: this is a Clear; a Purge "
    u"needs the drive's own sanitize (block-erase or crypto-erase)";

constexpr char16_t kStillRunning[] = u"a sanitize started earlier is still running on the drive";
constexpr char16_t kFailedEarlier[] =
    u"the drive's last sanitize failed; it must be run again to completion before anything else";

struct Verdict {
  bool ok = true;
  std::u16string reason;
};
Verdict No(std::u16string reason) { return {false, std::move(reason)}; }

// A drive that is busy with, or stuck after, an earlier sanitize takes no new one.
Verdict SanitizeState(const DriveEraseFacts& f) {
  if (f.ataSanitize) {
    if (f.ataSanitize->inProgress) return No(kStillRunning);
    if (f.ataSanitize->lastSanitizeFailed)
      return No(u"the drive's last sanitize failed (" +
                std::u16string(AtaSanitizeFailureText(f.ataSanitize->failureReason)) +
                u"); it must be run again to completion before anything else");
    if (f.ataSanitize->frozen) return No(kSanitizeFrozen);
  }
  if (f.nvmeSanitize) {
    if (f.nvmeSanitize->state == NvmeSanitizeState::InProgress) return No(kStillRunning);
    if (f.nvmeSanitize->state == NvmeSanitizeState::Failed) return No(kFailedEarlier);
  }
  if (f.scsiSanitize) {
    if (f.scsiSanitize->inProgress) return No(kStillRunning);
    if (f.scsiSanitize->failed) return No(kFailedEarlier);
  }
  return {};
}

// A method the drive offers that the system would not let through.
Verdict Passed(Verdict verdict, const std::optional<std::u16string>& limit) {
  if (verdict.ok && limit) return No(*limit);
  return verdict;
}

Verdict NotOffered(const char16_t* what) { return No(std::u16string(u"the drive does not offer ") + what); }

Verdict AtaSanitize(const DriveEraseFacts& f, bool offered, const char16_t* what) {
  if (!f.ata || !f.ata->sanitizeSupported) return No(u"the drive does not support the SANITIZE feature set");
  if (!offered) return NotOffered(what);
  return SanitizeState(f);
}

Verdict NvmeSanitize(const DriveEraseFacts& f, bool offered, const char16_t* what) {
  if (!f.nvme) return No(u"the drive's Identify Controller data could not be read");
  if (!offered) return NotOffered(what);
  if (!f.nvmeSanitize) return No(u"the drive's sanitize status log could not be read");
  return SanitizeState(f);
}

Verdict ScsiSanitize(const DriveEraseFacts& f, bool offered, const char16_t* what) {
  if (!f.scsiAsked) return No(u"the drive did not say which SANITIZE service actions it supports");
  if (!offered) return NotOffered(what);
  return SanitizeState(f);
}

Verdict NvmeFormat(const DriveEraseFacts& f, bool crypto) {
  if (!f.nvme) return No(u"the drive's Identify Controller data could not be read");
  if (!f.nvme->formatNvm) return NotOffered(u"the Format NVM command");
  if (crypto && !f.nvme->cryptoEraseByFormat) return NotOffered(u"a cryptographic erase by Format NVM");
  if (!f.nvmeNamespace || f.nvmeNamespace->blockSize == 0)
    return No(u"the LBA format in use could not be read, so a format could not keep it");
  return Passed(SanitizeState(f), f.limits.nvmeFormat);
}

Verdict AtaSecurity(const DriveEraseFacts& f, bool enhanced) {
  if (!f.ata || !f.ata->securitySupported) return No(u"the drive does not support the Security feature set");
  if (enhanced && !f.ata->enhancedEraseSupported) return NotOffered(u"the enhanced security erase");
  if (f.ata->securityLocked) return No(kLocked);
  if (f.ata->securityEnabled)
    return No(u"a user password is set on the drive; Orvella erases only drives without one");
  if (f.ata->securityFrozen) return No(kFrozen);
  if (f.ata->securityCountExpired)
    return No(u"the drive refuses passwords until it is powered off and on again (too many wrong attempts)");
  return SanitizeState(f);
}

Verdict Interface(const DriveEraseFacts& f, DriveInterface wanted) {
  switch (f.interface) {
    case DriveInterface::NoStandardPurge:
      return No(u"USB sticks and SD or MMC cards have no standard command that erases them: no Purge is possible "
                u"through their interface; only zeros (a Clear) can be written");
    case DriveInterface::UsbBridge:
      return No(u"the drive sits behind a USB bridge, which does not reliably pass the drive's own erase commands; "
                u"connect it directly (SATA, NVMe) to use them");
    case DriveInterface::Unknown:
      return No(u"the drive's interface is not known, so none of its own erase commands can be chosen");
    default:
      break;
  }
  if (f.interface != wanted) return No(u"not a command of this drive's interface");
  return {};
}

Verdict Judge(EraseMethod method, const DriveEraseFacts& f) {
  const auto among = [&](std::initializer_list<DriveInterface> interfaces) {
    for (DriveInterface i : interfaces)
      if (f.interface == i) return true;
    return false;
  };
  // A locked drive aborts every write of its user area.
  if (method == EraseMethod::Zeros) return f.ata && f.ata->securityLocked ? No(kLocked) : Verdict{};
  if ((method == EraseMethod::FormatErase) && !among({DriveInterface::Nvme}))
    return f.interface == DriveInterface::Ata || f.interface == DriveInterface::Scsi
               ? No(u"Format NVM is a command of NVMe drives")
               : Interface(f, DriveInterface::Nvme);
  if ((method == EraseMethod::SecurityErase || method == EraseMethod::SecurityEraseEnhanced) &&
      !among({DriveInterface::Ata}))
    return f.interface == DriveInterface::Nvme || f.interface == DriveInterface::Scsi
               ? No(u"SECURITY ERASE UNIT is a command of ATA drives")
               : Interface(f, DriveInterface::Ata);
  switch (f.interface) {
    case DriveInterface::Ata:
      switch (method) {
        case EraseMethod::BlockErase:
          return Passed(AtaSanitize(f, f.ata && f.ata->blockErase, u"BLOCK ERASE EXT"), f.limits.ataSanitize);
        case EraseMethod::CryptoErase:
          return Passed(AtaSanitize(f, f.ata && f.ata->cryptoScramble, u"CRYPTO SCRAMBLE EXT"), f.limits.ataSanitize);
        case EraseMethod::DriveOverwrite:
          return Passed(AtaSanitize(f, f.ata && f.ata->overwrite, u"OVERWRITE EXT"), f.limits.ataSanitize);
        case EraseMethod::SecurityErase: return Passed(AtaSecurity(f, false), f.limits.ataSecurity);
        case EraseMethod::SecurityEraseEnhanced: return Passed(AtaSecurity(f, true), f.limits.ataSecurity);
        default: break;
      }
      break;
    case DriveInterface::Nvme:
      switch (method) {
        case EraseMethod::BlockErase: return NvmeSanitize(f, f.nvme && f.nvme->sanitizeBlock, u"a sanitize block erase");
        case EraseMethod::DriveOverwrite:
          return Passed(NvmeSanitize(f, f.nvme && f.nvme->sanitizeOverwrite, u"a sanitize overwrite"),
                        f.limits.nvmeOverwrite);
        case EraseMethod::CryptoErase:
          if (f.nvme && !f.nvme->sanitizeCrypto) return NvmeFormat(f, true);
          return NvmeSanitize(f, f.nvme && f.nvme->sanitizeCrypto, u"a sanitize crypto erase");
        case EraseMethod::FormatErase: return NvmeFormat(f, false);
        default: break;
      }
      break;
    case DriveInterface::Scsi:
      switch (method) {
        case EraseMethod::BlockErase: return ScsiSanitize(f, f.scsiBlockErase, u"SANITIZE BLOCK ERASE");
        case EraseMethod::CryptoErase: return ScsiSanitize(f, f.scsiCryptoErase, u"SANITIZE CRYPTOGRAPHIC ERASE");
        case EraseMethod::DriveOverwrite: return ScsiSanitize(f, f.scsiOverwrite, u"SANITIZE OVERWRITE");
        default: break;
      }
      break;
    default:
      break;
  }
  return Interface(f, DriveInterface::Ata);
}

}  // namespace

const char* EraseMethodName(EraseMethod method) {
  switch (method) {
    case EraseMethod::Zeros: return "zeros";
    case EraseMethod::BlockErase: return "block-erase";
    case EraseMethod::CryptoErase: return "crypto-erase";
    case EraseMethod::DriveOverwrite: return "drive-overwrite";
    case EraseMethod::FormatErase: return "format-erase";
    case EraseMethod::SecurityErase: return "security-erase";
    case EraseMethod::SecurityEraseEnhanced: return "security-erase-enhanced";
  }
  return "";
}

std::optional<EraseMethod> EraseMethodNamed(std::string_view name) {
  for (EraseMethod method : kEraseMethods)
    if (name == EraseMethodName(method)) return method;
  return std::nullopt;
}

const char* CategoryName(SanitizationCategory category) {
  switch (category) {
    case SanitizationCategory::None: return "none";
    case SanitizationCategory::Clear: return "Clear";
    case SanitizationCategory::Purge: return "Purge";
  }
  return "";
}

MethodChoice ChooseMethod(EraseMethod method, const DriveEraseFacts& facts) {
  MethodChoice choice;
  choice.method = method;
  const Verdict verdict = Judge(method, facts);
  choice.available = verdict.ok;
  choice.reason = verdict.reason;
  switch (method) {
    case EraseMethod::Zeros:
      choice.category = SanitizationCategory::Clear;
      choice.technique = "overwrite";
      if (facts.flash) choice.note = kFlashNote;
      break;
    case EraseMethod::BlockErase:
      choice.category = SanitizationCategory::Purge;
      choice.technique = "block erase";
      break;
    case EraseMethod::CryptoErase:
      choice.category = SanitizationCategory::Purge;
      choice.technique = "cryptographic erase";
      break;
    case EraseMethod::DriveOverwrite:
      choice.category = SanitizationCategory::Purge;
      choice.technique = "overwrite";
      break;
    case EraseMethod::FormatErase:
      // A user-data format reaches what the controller decides; nothing
      // standard says it reaches spare blocks.
      choice.category = SanitizationCategory::Clear;
      choice.technique = "user data erase";
      choice.note = u"a Format NVM user data erase is recorded as a Clear; a Purge needs the drive's sanitize";
      break;
    case EraseMethod::SecurityErase:
      choice.category = SanitizationCategory::Clear;
      choice.technique = "overwrite";
      choice.note = u"the normal security erase need only reach the addressable sectors: a Clear";
      break;
    case EraseMethod::SecurityEraseEnhanced:
      choice.technique = "overwrite";
      choice.category = facts.flash ? SanitizationCategory::Clear : SanitizationCategory::Purge;
      if (facts.flash)
        choice.note = u"what an enhanced security erase does on a flash drive is the maker's choice: recorded as a "
                      u"Clear; a Purge needs the drive's sanitize";
      break;
  }
  return choice;
}

std::vector<MethodChoice> DriveMethods(const DriveEraseFacts& facts) {
  std::vector<MethodChoice> choices;
  for (EraseMethod method : kEraseMethods) choices.push_back(ChooseMethod(method, facts));
  return choices;
}

}  // namespace orvella
