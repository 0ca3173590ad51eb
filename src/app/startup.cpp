#include "app/startup.h"

#include <stdexcept>

#include "catalogue/enumeration.h"
#include "core/halt.h"
#include "core/log_sinks.h"
#include "core/text.h"

namespace orvella {
namespace {

std::u16string AsciiUpper(std::u16string text) {
  for (char16_t& c : text) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  }
  return text;
}

// Only the first argument after the program path is looked at.
void ReadDebugSwitch(Program& program, Desktop& desktop, DebugView& debug) {
  const std::vector<std::u16string> arguments = desktop.application.Arguments();
  if (arguments.size() < 2 || AsciiLower(arguments[1]) != u"--debug") return;
  program.DebugMode = true;
  AddDebugLog(program, u"Debug mode activated");
  debug.ShowModeless();
}

void CheckPlatform(Program& program) {
  const OsVersionInfo version = program.os.GetVersionExW();
  const std::u16string bits = IsWow64(program.os) ? u"  (64 bit)" : u"  (32 bit)";
  AddDebugLog(program, u"Platform: " + UIntToStr(version.majorVersion) + u"." + UIntToStr(version.minorVersion) +
                           u"." + UIntToStr(version.buildNumber) + u"   " + version.servicePack + bits);
  if (version.platformId != VER_PLATFORM_WIN32_NT) {
    FatalError(program, u"Only the following versions of Windows are supported: 2003, 2008, XP, Vista, 7", u"Error");
  }
}

void SetCaptions(Program& program, Desktop& desktop, ProgramWindows& windows) {
  const std::u16string title = kProgramTitle;
  windows.choose.SetCaption(u"Device Selection - " + title);
  windows.choose.SetProgramName(AsciiUpper(title));
  AddDebugLog(program, u"Program Version: " + title);
  windows.main.SetCaption(title);
  desktop.application.SetTitle(title);
  windows.main.SetStatusPanel(kStatusPanelProgram, title);
  windows.choose.SetCopyright(kMakerNotice);
  windows.main.SetCopyright(std::u16string(kMakerNotice) + u";   " + AsciiUpper(kMakerWebAddress));
}

}  // namespace

void WalkDrives(Program& program, ChooseView& choose) {
  EnumerateDevices(program);
  choose.SetSimpleStatusText(u"Disks found: " + IntToStr(program.DeviceCount));
}

void WriteFormatWarning(Program& program) {
  AddFormatLog(program, u" * * * * *  WARNING!!! * * * * * ");
  AddFormatLog(program, u"DURING THE LOW LEVEL FORMAT PROCESS ");
  AddFormatLog(program, u"ALL DATA WILL BE FULLY and IRREVERSIBLY ERASED! ");
}

bool IsWow64(Os& os) {
  switch (os.IsWow64Process()) {
    case Wow64Answer::QueryMissing:
    case Wow64Answer::No:
      return false;
    case Wow64Answer::Yes:
      return true;
    case Wow64Answer::QueryFailed:
      break;
  }
  throw std::runtime_error("Bad process handle");
}

// Windows paths end folders with "\"; the path of a program file elsewhere
// may use "/", so either counts.
std::u16string ProgramFolder(const std::u16string& programFile) {
  const std::size_t last = programFile.find_last_of(u"\\/");
  return last == std::u16string::npos ? std::u16string() : programFile.substr(0, last + 1);
}

void InitializeProgram(Program& program, Desktop& desktop, ProgramWindows& windows) {
  ReadDebugSwitch(program, desktop, windows.debug);
  program.DeviceCount = 0;
  const std::u16string ProgramPath = ProgramFolder(program.os.ModuleFileName());
  AddDebugLog(program, u"Program Path: " + ProgramPath);
  CheckPlatform(program);
  program.os.Sleep(50);
  SetCaptions(program, desktop, windows);
  if (!program.os.LoadSetupLibrary()) FatalError(program, u"Error #01704", u"Error");
  WalkDrives(program, windows.choose);
  WriteFormatWarning(program);
}

}  // namespace orvella
