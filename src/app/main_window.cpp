#include "app/main_window.h"

#include <exception>

#include "core/halt.h"
#include "core/system_error_text.h"
#include "core/text.h"
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
