// orvella-cli unlock DRIVE: a security erase that broke off (a crash, a
// power loss, a drive pulled) leaves the drive with the program's password,
// locked after its next power-on. The drive is taken for this program
// alone, as for an erase, and the password taken off.
#include "cli/commands.h"
#include "cli/drive_selection.h"
#include "cli/json_forms.h"
#include "record/drive_json.h"
#include "record/record_json.h"
#include "core/system_error_text.h"
#include "core/text.h"
#include "format/security_erase.h"

namespace orvella::cli {
namespace {

struct UnlockAnswer {
  const char* result;  // for --json
  std::string text;
  ExitCode code;
};

UnlockAnswer AnswerOf(PasswordRemoval removal) {
  switch (removal) {
    case PasswordRemoval::NoneSet:
      return {"no-password", "no security password is set on the drive; nothing was sent", kExitOk};
    case PasswordRemoval::Removed:
      return {"removed", "Orvella's security password was taken off the drive; it is unlocked", kExitOk};
    case PasswordRemoval::NotOurs:
      return {"not-ours",
              "the drive refused Orvella's password: its password was set by someone else, and Orvella cannot "
              "take it off",
              kExitFailed};
    case PasswordRemoval::Frozen:
      return {"frozen",
              "the drive's security is frozen (the computer's firmware froze it at start-up) and takes no password "
              "now; suspend the computer and resume it, or unplug the drive and plug it in again while the computer "
              "runs, then run unlock again",
              kExitFailed};
    case PasswordRemoval::Expired:
      return {"attempts-expired",
              "the drive takes no password after too many wrong ones; power it off and on, then run unlock again",
              kExitFailed};
    case PasswordRemoval::Unknown:
      return {"unknown",
              "the drive's ATA IDENTIFY data could not be read, so its security state is not known (only ATA drives "
              "have a security password); nothing was sent",
              kExitFailed};
    case PasswordRemoval::Failed:
      break;
  }
  return {"failed", "the password could not be taken off: the drive did not answer as expected", kExitFailed};
}

}  // namespace

ExitCode RunUnlock(Session& s) {
  DriveRun drive(s.program);
  if (const auto failure = SelectDrive(drive, s.machine, s.console, s.options.drive, DriveAccess::Exclusive))
    return *failure;
  Os& os = s.program.os;
  std::uint32_t returned = 0;
  // The Security commands reach a drive only while this program holds it.
  if (!os.DeviceIoControl(drive.DeviceHandle, FSCTL_LOCK_VOLUME, nullptr, 0, nullptr, 0, &returned)) {
    s.console.Problem("cannot take the drive for this program alone: " +
                      TextToUtf8(SystemErrorMessage(os, os.GetLastError())) + "; nothing was sent");
    drive.Close();
    return kExitFailed;
  }
  const PasswordRemoval removal = RemoveProgramPassword(
      os, drive.DeviceHandle, drive.Entry().IdentifyData.IsIDESlave,
      [&s](const std::u16string& line) { if (!s.options.json) s.console.Out(TextToUtf8(line)); });
  os.DeviceIoControl(drive.DeviceHandle, FSCTL_UNLOCK_VOLUME, nullptr, 0, nullptr, 0, &returned);
  const UnlockAnswer answer = AnswerOf(removal);
  if (s.options.json)
    s.console.Out(IndentedJson({{"drive", DriveJson(s.program, static_cast<int>(drive.SelectedDevice))},
                                {"result", answer.result},
                                {"message", answer.text}}));
  else if (answer.code == kExitOk)
    s.console.Out(answer.text);
  if (answer.code != kExitOk) s.console.Problem(answer.text);
  drive.Close();
  return answer.code;
}

}  // namespace orvella::cli
