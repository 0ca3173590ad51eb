// Test doubles for the desktop around the windows: dialogs that answer
// without blocking, a shell, the system fonts and the application object.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/desktop.h"
#include "app/dialogs.h"

namespace orvella::test {

class FakeDialogs final : public Dialogs {
 public:
  struct Box {
    std::u16string text, caption;
    MessageIcon icon;
  };
  void MessageBox(const std::u16string& text, const std::u16string& caption, MessageIcon icon) override {
    boxes.push_back({text, caption, icon});
    if (onMessageBox) onMessageBox();
  }
  bool TaskDialogAvailable() override { return taskDialogAvailable; }
  int TaskDialog(const TaskDialogRequest& request) override {
    taskDialogs.push_back(request);
    return answerTask ? answerTask(request) : taskDialogAnswer;
  }
  int MessageDialog(const MessageDialogRequest& request) override {
    messageDialogs.push_back(request);
    return messageDialogAnswer;
  }

  bool taskDialogAvailable = true;
  int taskDialogAnswer = IDYES;    // the pressed button's id
  std::function<int(const TaskDialogRequest&)> answerTask;  // when set, answers in place of taskDialogAnswer
  int messageDialogAnswer = IDYES;
  std::function<void()> onMessageBox;  // runs while a message box is "open"
  std::vector<Box> boxes;
  std::vector<TaskDialogRequest> taskDialogs;
  std::vector<MessageDialogRequest> messageDialogs;
};

class FakeShell final : public Shell {
 public:
  void OpenWebAddress(const std::u16string& address) override { opened.push_back(address); }
  std::u16string StartDiskManagement() override {
    ++diskManagementStarts;
    return diskManagementProblem;
  }
  std::u16string StartWithAdministratorRights(const std::vector<std::u16string>& arguments) override {
    adminStarts.push_back(arguments);
    return adminStartProblem;
  }
  std::u16string DocumentsFolder() override { return documentsFolder; }
  std::u16string Setting(const std::u16string& name) override {
    const auto found = settings.find(name);
    return found == settings.end() ? std::u16string() : found->second;
  }
  void KeepSetting(const std::u16string& name, const std::u16string& value) override { settings[name] = value; }
  std::vector<std::u16string> opened;
  std::vector<std::vector<std::u16string>> adminStarts;
  // Empty: the system did not tell, and no record is kept by itself.
  std::u16string documentsFolder;
  std::map<std::u16string, std::u16string> settings;
  std::u16string adminStartProblem;  // what the start answers; empty: it started
  int diskManagementStarts = 0;
  std::u16string diskManagementProblem;  // what StartDiskManagement answers
};

class FakeFonts final : public SystemFonts {
 public:
  std::optional<FontSpec> IconTitleFont() override { return iconTitle; }
  FontSpec DefaultGuiFont() override { return defaultGui; }
  bool IsFontInstalled(const std::u16string& family) override {
    ++installedQueries;
    for (const auto& name : installed) {
      if (name == family) return true;
    }
    return false;
  }
  std::optional<FontSpec> iconTitle = FontSpec{u"Segoe UI", 9, false, false, false};
  FontSpec defaultGui{u"MS Shell Dlg", 8, false, false, false};
  std::vector<std::u16string> installed;
  int installedQueries = 0;
};

class FakeApplication final : public Application {
 public:
  std::vector<std::u16string> Arguments() override { return arguments; }
  void SetTitle(const std::u16string& text) override { title = text; }
  void Terminate() override { ++terminateCalls; }
  bool Terminated() override { return terminateCalls > 0; }
  int RunMessageLoop() override {
    ++messageLoops;
    return 0;
  }
  std::vector<std::u16string> arguments{u"C:\\Program Files\\Orvella\\orvella.exe"};
  std::u16string title;
  int terminateCalls = 0;
  int messageLoops = 0;
};

// The fakes above as one desktop.
struct FakeDesktop {
  FakeApplication application;
  FakeDialogs dialogs;
  FakeShell shell;
  FakeFonts fonts;
  Desktop desktop{application, dialogs, shell, fonts};
};

}  // namespace orvella::test
