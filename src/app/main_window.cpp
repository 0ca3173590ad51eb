#include "app/main_window.h"

#include <exception>

#include "core/halt.h"
#include "core/system_error_text.h"
#include "core/text.h"
#include "format/run_ending.h"
#include "reports/device_details_report.h"
#include "reports/smart_report.h"
#include "reports/text_forms.h"

namespace orvella {

void TFmMain::FormCreate() {
  windows_.main.ShowFirstPage();
  windows_.main.SetFont(WindowFont(program_.os, desktop_.fonts));
}

void TFmMain::FormShow() {
  try {
    StartUp();
  } catch (const std::exception& error) {
    // What an event handler does not handle, the application shows.
    desktop_.dialogs.MessageBox(Utf8ToText(error.what()), kProgramTitle, MessageIcon::Error);
    SetFormatControlsEnabled(formatPage_, false);
  }
}

void TFmMain::StartUp() {
  InitializeProgram(program_, desktop_, windows_);
  if (program_.DebugMode) {
    windows_.debug.Close();
    windows_.debug.ShowModal();
  }
  if (!ChooseDevice(program_, choose_)) {
    desktop_.application.Terminate();
    return;
  }
  program_.DeviceTitle = GetDeviceTitle(program_.DeviceTables, static_cast<int>(program_.SelectedDevice),
                                        program_.locale.DecimalSeparator());
  windows_.main.SetDiskName(program_.DeviceTitle);
  OpenChosenDevice();
  windows_.main.SetStatusPanel(kStatusPanelDevice, program_.DeviceTitle);
  ShowDeviceDetails(program_);
}

void TFmMain::OpenChosenDevice() {
  Os& os = program_.os;
  program_.DeviceHandle = os.CreateFileW(program_.SelectedEntry().DevicePath, GENERIC_READ | GENERIC_WRITE,
                                         0, OPEN_EXISTING, 0);
  const std::uint32_t error = os.GetLastError();
  if (program_.DeviceHandle == INVALID_HANDLE_VALUE || error != 0) {
    FatalError(program_, u"Error opening device: " + SystemErrorMessage(os, error), u"Error");
  }
}

bool TFmMain::FormClose() { return format_.RequestClose(); }

void TFmMain::btGetSmartClick() {
  SetFormatControlsEnabled(formatPage_, false);
  ShowSmartReport(program_);
  SetFormatControlsEnabled(formatPage_, true);
}

void TFmMain::btRunBenchmarksClick() {
  format_.btRunBenchmarksClick();
  // A window that closed during the run has released its drive: nobody is
  // left to read the ending, and the log is gone with the window.
  const bool closed = program_.DeviceHandle == INVALID_HANDLE_VALUE;
  if (format_.LastRun().outcome != FormatOutcome::NotConfirmed && !closed) ShowRunEnding();
}

void TFmMain::ShowRunEnding() {
  const RunEnding ending = DescribeEnding(format_.LastRun(), program_.SelectedEntry().IdentifyData.SectorSize);
  MessageDialogRequest request;
  request.caption = u"Erase finished";
  request.text = ending.headline + u"\r\n\r\n" + ending.details;
  request.icon = ending.erased ? MessageIcon::Information : MessageIcon::Warning;
  request.buttons = {{u"OK", IDOK}};
  request.defaultResult = IDOK;
  desktop_.dialogs.MessageDialog(request);
}

void TFmMain::lbCopyrightClick() { desktop_.shell.OpenWebAddress(kMakerWebAddress); }

void TFmMain::lbCopyrightMouseEnter() { windows_.main.SetCopyrightColour(kLinkBlue); }

void TFmMain::lbCopyrightMouseLeave() { windows_.main.SetCopyrightColour(kNoticeGrey); }

void TFmMain::lbCopyrightMouseDown(MouseButton button) {
  if (button == MouseButton::Left) windows_.main.SetCopyrightColour(kPressedRed);
}

void TFmMain::lbCopyrightMouseUp(MouseButton button) {
  if (button == MouseButton::Left) windows_.main.SetCopyrightColour(kNoticeGrey);
}

}  // namespace orvella
