// The desktop around the windows as Windows offers it: the application
// object and its message loop, the shell, the user's locale and the halt.
#pragma once

#include <string>
#include <vector>

#include "app/desktop.h"
#include "core/halt.h"
#include "core/locale.h"
#include "ui/win32/top_window.h"

namespace orvella::win32ui {

class Win32Application final : public Application {
 public:
  // `mainWindow` is shown by the message loop; `arguments` is the command
  // line the program sees, its path first.
  Win32Application(TopWindow& mainWindow, std::vector<std::u16string> arguments)
      : mainWindow_(mainWindow), arguments_(std::move(arguments)) {}

  std::vector<std::u16string> Arguments() override { return arguments_; }
  void SetTitle(const std::u16string& title) override { title_ = title; }
  const std::u16string& Title() const { return title_; }
  void Terminate() override;
  bool Terminated() override { return terminated_; }
  int RunMessageLoop() override;

 private:
  TopWindow& mainWindow_;
  std::vector<std::u16string> arguments_;
  std::u16string title_;
  bool terminated_ = false;
  bool loopRunning_ = false;
};

// ShellExecuteW: web addresses with "open", the disk management console,
// and this program again with the verb "runas".
class Win32Shell final : public Shell {
 public:
  void OpenWebAddress(const std::u16string& address) override;
  std::u16string StartDiskManagement() override;
  std::u16string StartWithAdministratorRights(const std::vector<std::u16string>& arguments) override;
  std::u16string DocumentsFolder() override;
  // Kept under HKEY_CURRENT_USER\Software\Orvella.
  std::u16string Setting(const std::u16string& name) override;
  void KeepSetting(const std::u16string& name, const std::u16string& value) override;
};

// The user's short date, long time and decimal separator.
class Win32Locale final : public Locale {
 public:
  std::u16string ShortDate(const LocalDateTime& time) override;
  std::u16string LongTime(const LocalDateTime& time) override;
  char16_t DecimalSeparator() override;
};

// A modal error box, then the process ends at once.
class Win32Halt final : public Halt {
 public:
  void ShowErrorMessage(const std::u16string& text, const std::u16string& caption) override;
  [[noreturn]] void Terminate(int exitCode) override;
};

// The process's command line, split as Windows splits it.
std::vector<std::u16string> ProcessArguments();

// One command-line argument quoted as CommandLineToArgvW reads it back.
std::u16string QuotedArgument(const std::u16string& argument);

}  // namespace orvella::win32ui
