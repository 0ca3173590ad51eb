// The window logic of the main and selection windows over recording views
// and fake surroundings, on a simulated machine: what the tests of the main
// window and of the format page's choices start from.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "app/main_window.h"
#include "app/view_fakes.h"
#include "support/desktop_fakes.h"
#include "support/recording_format_page.h"
#include "support/test_program.h"

namespace orvella::test {

class WindowRig : public ::testing::Test {
 protected:
  explicit WindowRig(VirtualMachine machine) : t(std::move(machine)) {
    chooseView.window = &choose;
    mainView.formatPage = &formatPage;
  }

  // Runs the first show with the user pressing Continue on the preselected
  // (last) drive, or doing `user` instead.
  void FirstShow(std::function<void()> user = {}) {
    chooseView.whileShown = user ? std::move(user) : [this] { choose.btContinueClick(); };
    window.FormShow();
  }

  TestProgram t;
  FakeDesktop d;
  FakeMainView mainView;
  FakeChooseView chooseView;
  FakeDebugView debugView;
  RecordingFormatPage formatPage;
  TFmChoose choose{t.program, d.desktop, chooseView};
  TFmMain window{t.program, d.desktop, mainView, formatPage, choose, debugView};
};

}  // namespace orvella::test
