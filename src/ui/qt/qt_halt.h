// The end of a run that cannot go on: a modal error box, then the process
// ends at once, without closing any window or running any more code.
#pragma once

#include "core/halt.h"

namespace orvella::qt {

class QtHalt final : public Halt {
 public:
  void ShowErrorMessage(const std::u16string& text, const std::u16string& caption) override;
  [[noreturn]] void Terminate(int exitCode) override;
};

}  // namespace orvella::qt
