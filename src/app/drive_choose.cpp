#include "app/drive_choose.h"

#include <algorithm>
#include <utility>

#include "catalogue/unopened_drives.h"
#include "core/display_text.h"
#include "core/text.h"
#include "reports/text_forms.h"

namespace orvella {

void TFmChoose::FormCreate() {
  view_.SetFont(WindowFont(program_.os, desktop_.fonts));
  SetExplorerTheme(program_.os, view_.DriveListWindow());
  view_.SetLinkColour(ChooseLink::WebAddress, kLinkBlue);
  view_.SetLinkColour(ChooseLink::Copyright, kNoticeGrey);
  view_.SetLinkColour(ChooseLink::DiskManagement, kLinkBlue);
}

void TFmChoose::PrepareAnotherChoice() {
  deviceChosen_ = false;
  chosenEntry_ = -1;
  view_.ClearRows();
  view_.SetContinueEnabled(false);
}

// The last drive that can be chosen is preselected; drives too small to be
// chosen are passed over.
void TFmChoose::FormShow() {
  view_.FocusDriveList();
  for (int row = view_.RowCount() - 1; row >= 0; --row) {
    if (!Choosable(row)) continue;
    view_.SetContinueEnabled(true);
    view_.SelectRow(row);
    return;
  }
}

bool TFmChoose::Choosable(int row) const {
  return row >= 0 && row < program_.DeviceCount &&
         program_.DeviceTables.at(static_cast<std::size_t>(row) + 1).IdentifyData.LBA >= kSmallestChoosableLba;
}

void TFmChoose::FormClose() {
  if (!deviceChosen_) desktop_.application.Terminate();
}

void TFmChoose::DriveListClick() { view_.SetContinueEnabled(Choosable(view_.SelectedRow())); }

void TFmChoose::DriveListDblClick() {
  if (view_.SelectedRow() >= 0) btContinueClick();
}

void TFmChoose::DriveListKeyDown(int virtualKey) {
  if (virtualKey != kVirtualKeyEscape) return;
  desktop_.application.Terminate();
  view_.Close();
}

void TFmChoose::btContinueClick() {
  const int row = view_.SelectedRow();
  if (row < 0) return;
  const std::int64_t entry = row + 1;
  if (program_.DeviceTables.at(static_cast<std::size_t>(entry)).IdentifyData.LBA < kSmallestChoosableLba) {
    desktop_.dialogs.MessageBox(u"This device cannot be accessed because it is smaller than 65535 sectors.  ",
                                u"Cannot access this device", MessageIcon::Information);
    return;
  }
  deviceChosen_ = true;
  chosenEntry_ = entry;
  view_.Close();
}

// A link that does nothing looks broken: where no tool can be started, the
// user is told what is missing.
void TFmChoose::lbDiskManagementClick() {
  const std::u16string problem = desktop_.shell.StartDiskManagement();
  if (!problem.empty())
    desktop_.dialogs.MessageBox(problem, u"Cannot open disk management", MessageIcon::Information);
}

// The arguments are the ones this run was started with, less the program
// path; the new run asks for the rights, this one ends once it has started.
void TFmChoose::btStartAsAdministratorClick() {
  std::vector<std::u16string> arguments = desktop_.application.Arguments();
  if (!arguments.empty()) arguments.erase(arguments.begin());
  const std::u16string problem = desktop_.shell.StartWithAdministratorRights(arguments);
  if (!problem.empty()) {
    desktop_.dialogs.MessageBox(u"The program could not be started again with administrator rights.\n\n" + problem,
                                u"Cannot start with administrator rights", MessageIcon::Error);
    return;
  }
  desktop_.application.Terminate();
  view_.Close();
}

void TFmChoose::Label1Click() { desktop_.shell.OpenWebAddress(kMakerWebAddress); }

void TFmChoose::Label1MouseDown(MouseButton button) {
  if (button == MouseButton::Left) view_.SetLinkColour(ChooseLink::WebAddress, kPressedRed);
}

void TFmChoose::Label1MouseUp(MouseButton button) {
  if (button == MouseButton::Left) view_.SetLinkColour(ChooseLink::WebAddress, kLinkBlue);
}

void TellOfUnopenedDrives(Program& program, ChooseView& view) {
  const bool rightsMissing = RightsMissingForEveryDrive(program);
  const std::u16string note = UnopenedDrivesNote(program);
  view.SetUnopenedNote(rightsMissing ? std::u16string(kNoRightsExplanation) + u"\n" + note : note);
  view.ShowAdministratorOffer(rightsMissing);
}

bool ChooseDevice(DriveRun& run, TFmChoose& window) {
  Program& program = run.program;
  for (std::int64_t k = 1; k <= program.DeviceCount; ++k) {
    window.View().AppendRow(DriveListLineOf(program, static_cast<int>(k)));
  }
  TellOfUnopenedDrives(program, window.View());
  window.View().ShowModal();
  run.SelectedDevice = window.ChosenEntry();
  return window.DeviceChosen();
}

}  // namespace orvella
