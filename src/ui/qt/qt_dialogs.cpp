#include "ui/qt/qt_dialogs.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <array>
#include <map>

#include "ui/qt/qt_text.h"

namespace orvella::qt {
namespace {

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::None: return QMessageBox::NoIcon;
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::Confirmation: return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

struct TaskButton {
  int flag;
  QMessageBox::StandardButton button;
  int id;  // what the task dialog reports for it
};

constexpr std::array<TaskButton, 6> kTaskButtons{{
    {TDCBF_OK_BUTTON, QMessageBox::Ok, IDOK},
    {TDCBF_YES_BUTTON, QMessageBox::Yes, IDYES},
    {TDCBF_NO_BUTTON, QMessageBox::No, IDNO},
    {TDCBF_CANCEL_BUTTON, QMessageBox::Cancel, IDCANCEL},
    {TDCBF_RETRY_BUTTON, QMessageBox::Retry, IDRETRY},
    {TDCBF_CLOSE_BUTTON, QMessageBox::Close, IDCLOSE},
}};

QMessageBox::ButtonRole RoleOf(int result) {
  switch (result) {
    case IDYES: return QMessageBox::YesRole;
    case IDNO: return QMessageBox::NoRole;
    case IDCANCEL:
    case IDABORT: return QMessageBox::RejectRole;
    default: return QMessageBox::AcceptRole;
  }
}

// Adds the buttons in order, the one whose result is `defaultResult` the
// default; what each added button returns.
std::map<QAbstractButton*, int> AddButtons(QMessageBox& box, const std::vector<DialogButton>& buttons,
                                           int defaultResult) {
  std::map<QAbstractButton*, int> results;
  for (const DialogButton& button : buttons) {
    QPushButton* added = box.addButton(ToQt(button.caption), RoleOf(button.result));
    results[added] = button.result;
    if (button.result == defaultResult) box.setDefaultButton(added);
  }
  return results;
}

}  // namespace

void QtDialogs::MessageBox(const std::u16string& text, const std::u16string& caption, MessageIcon icon) {
  QMessageBox box(ToQtIcon(icon), ToQt(caption), ToQt(text), QMessageBox::Ok, ownerWindow_(WindowId::None));
  box.exec();
}

int QtDialogs::TaskDialog(const TaskDialogRequest& request) {
  QMessageBox box(ownerWindow_(request.owner));
  box.setWindowTitle(ToQt(request.title));
  box.setIcon(ToQtIcon(IconOfTaskCode(request.icon)));
  box.setText(ToQt(request.instruction));
  box.setInformativeText(ToQt(request.content));
  QMessageBox::StandardButtons buttons;
  for (const TaskButton& b : kTaskButtons) {
    if (request.buttons & b.flag) buttons |= b.button;
  }
  // Named buttons come first; their captions carry no "&", so no single key
  // presses them.
  const std::map<QAbstractButton*, int> custom = AddButtons(box, request.customButtons, request.defaultButton);
  // A task dialog without buttons still has its OK button.
  if (buttons != QMessageBox::NoButton || custom.empty())
    box.setStandardButtons(buttons == QMessageBox::NoButton ? QMessageBox::Ok : buttons);
  for (const TaskButton& b : kTaskButtons) {
    if (b.id == request.defaultButton && (buttons & b.button)) box.setDefaultButton(b.button);
  }
  box.exec();
  if (const auto named = custom.find(box.clickedButton()); named != custom.end()) return named->second;
  const QMessageBox::StandardButton pressed = box.standardButton(box.clickedButton());
  for (const TaskButton& b : kTaskButtons) {
    if (pressed == b.button) return b.id;
  }
  return 0;
}

int QtDialogs::MessageDialog(const MessageDialogRequest& request) {
  QMessageBox box(ToQtIcon(request.icon), ToQt(request.caption), ToQt(request.text), QMessageBox::NoButton,
                  ownerWindow_(request.owner));
  const std::map<QAbstractButton*, int> results = AddButtons(box, request.buttons, request.defaultResult);
  box.exec();
  const auto pressed = results.find(box.clickedButton());
  return pressed == results.end() ? 0 : pressed->second;
}

}  // namespace orvella::qt
