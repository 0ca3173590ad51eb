#include "core/halt.h"

#include <exception>

#include "core/program.h"

namespace orvella {

void FatalError(Program& program, const std::u16string& text, const std::u16string& caption) {
  program.halt.ShowErrorMessage(text, caption);
  program.halt.Terminate(0);
  std::terminate();  // a Halt whose Terminate returned breaks its contract
}

}  // namespace orvella
