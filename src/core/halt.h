// Ending the program on a condition that makes the run impossible: a message
// box with the error icon, then an immediate end. A seam so that a test can
// see the message and the halt without the process going away.
#pragma once

#include <string>

namespace orvella {

struct Program;

class Halt {
 public:
  virtual ~Halt() = default;
  // A modal message box with the error icon and an OK button.
  virtual void ShowErrorMessage(const std::u16string& text, const std::u16string& caption) = 0;
  // Ends the program at once with the exit code; never returns.
  [[noreturn]] virtual void Terminate(int exitCode) = 0;
};

// Shows Text under Caption, then ends the program with exit code 0. No
// further code of the caller runs.
[[noreturn]] void FatalError(Program& program, const std::u16string& text,
                             const std::u16string& caption);

}  // namespace orvella
