#include "format/erase_question.h"

#include "core/display_text.h"
#include "device/drive_run.h"
#include "format/format_write_loop.h"
#include "core/text.h"
#include "reports/drive_list.h"
#include "reports/text_forms.h"

namespace orvella {
namespace {

constexpr char16_t kLineBreak[] = u"\r\n";
// The task dialog shows at most 1,024 characters: a drive with many file
// systems names the first few and counts the rest.
constexpr std::size_t kFileSystemsNamed = 4;

// A quick wipe of a drive larger than its two ends destroys the partition
// tables, not the data.
bool WipesOnlyTheEnds(const DriveRun& run, bool quickWipe) {
  const TIdentifyDeviceData& data = run.Entry().IdentifyData;
  return ExtentsToWrite(DriveBytes(data).value_or(0), quickWipe, data.SectorSize).size() > 1;
}

std::u16string FileSystemLines(const std::vector<Unmount>& fileSystems) {
  if (fileSystems.empty()) return u"File systems: none mounted";
  std::u16string lines = u"File systems that will be unmounted:";
  for (std::size_t i = 0; i < fileSystems.size() && i < kFileSystemsNamed; ++i)
    lines += kLineBreak + (u"    " + DisplaySafe(fileSystems[i].mountPoint) + u" (" + DisplaySafe(fileSystems[i].device) +
                           u")");
  if (fileSystems.size() > kFileSystemsNamed)
    lines += kLineBreak + (u"    and " + IntToGroupedStr(static_cast<std::int64_t>(fileSystems.size() - kFileSystemsNamed)) +
                           u" more");
  return lines;
}

std::u16string ModeLine(bool partial) {
  return partial ? u"Mode: quick wipe: only the first and the last 10,240,000 bytes are zeroed; most of the data "
                   u"stays readable"
                 : u"Mode: whole drive: every sector is overwritten with zeros";
}

std::u16string VerificationLine(VerifyMethod method) {
  switch (method) {
    case VerifyMethod::Full: return u"Verification: every written byte is read back";
    case VerifyMethod::Sample: return u"Verification: a NIST SP 800-88 sample of the drive is read back";
    case VerifyMethod::Off: break;
  }
  return u"Verification: none (the drive is not read back)";
}

// Said before anything else about the drive: erasing it takes the running
// computer down with it.
std::u16string SystemDiskWarning(const std::vector<std::u16string>& systemUse) {
  if (systemUse.empty()) return {};
  std::u16string parts;
  for (const std::u16string& part : systemUse) parts += (parts.empty() ? u"" : u", ") + DisplaySafe(part);
  return u"THIS IS THE DISK OF THE RUNNING SYSTEM: it holds " + parts +
         u". Erasing it destroys the system this computer is running now; the computer will stop working, "
         u"possibly before the erase ends." + kLineBreak + kLineBreak;
}

std::u16string DriveFacts(DriveRun& run, const EraseChoices& choices, bool partial) {
  const TDeviceTable& entry = run.Entry();
  const DriveNames names = run.program.os.DriveNamesOf(entry.DeviceNumber);
  const DriveRow cells = ShownDriveListRow(run.program, static_cast<int>(run.SelectedDevice));
  std::u16string device = u"Device: " + DisplaySafe(names.devicePath);
  if (!names.stableLink.empty()) device += u" (" + DisplaySafe(names.stableLink) + u")";
  return device + kLineBreak + u"Model: " + cells[1] + kLineBreak + u"Serial: " +
         DisplaySafe(Trim(entry.IdentifyData.SN)) +
         kLineBreak + u"Size: " + cells[5] + u" (" + IntToGroupedStr(entry.IdentifyData.LBA) + u" sectors)" +
         kLineBreak + FileSystemLines(names.fileSystems) + kLineBreak + ModeLine(partial) + kLineBreak +
         VerificationLine(choices.Verification());
}

}  // namespace

EraseQuestion AskToErase(DriveRun& run, const EraseChoices& choices) {
  const bool partial = WipesOnlyTheEnds(run, choices.quickWipe);
  EraseQuestion question;
  question.instruction = partial ? u"The partitions on the selected device will be lost"
                                 : u"All data on the selected device will be lost";
  const std::u16string ask =
      partial ? u"Are you sure you want to wipe the partition tables of this device? Only the first and the last "
                u"10,240,000 bytes will be zeroed; the rest of the data will still be readable."
              : u"Are you absolutely sure you want to irreversibly destroy all data on this device?";
  question.content = ask + kLineBreak + kLineBreak + SystemDiskWarning(choices.systemUse) + run.DeviceTitle +
                     kLineBreak + kLineBreak + DriveFacts(run, choices, partial);
  if (choices.method != EraseMethod::Zeros)
    question.content += std::u16string(kLineBreak) + u"Method: " + Utf8ToText(EraseMethodName(choices.method)) +
                        u" (the drive erases itself; once started it cannot be stopped, and it continues after a "
                        u"power loss; an NVMe sanitize erases every namespace of the controller)";
  if (choices.method != EraseMethod::Zeros && choices.thenZeros)
    question.content += std::u16string(kLineBreak) + u"Then: zeros are written over the whole drive and read back";
  return question;
}

}  // namespace orvella
