// The application object over QApplication: the command line, the title,
// termination and the message loop of the main window.
#pragma once

#include <QWidget>

#include "app/desktop.h"

namespace orvella::qt {

class QtApplication final : public Application {
 public:
  // `arguments` is the command line the program sees, its path first.
  QtApplication(QWidget& mainWindow, std::vector<std::u16string> arguments)
      : mainWindow_(mainWindow), arguments_(std::move(arguments)) {}

  std::vector<std::u16string> Arguments() override { return arguments_; }
  void SetTitle(const std::u16string& title) override;
  void Terminate() override;
  bool Terminated() override { return terminated_; }
  int RunMessageLoop() override;

 private:
  QWidget& mainWindow_;
  std::vector<std::u16string> arguments_;
  bool terminated_ = false;
  bool loopRunning_ = false;
};

}  // namespace orvella::qt
