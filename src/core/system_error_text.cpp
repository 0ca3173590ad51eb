#include "core/system_error_text.h"

#include "platform/os.h"

namespace orvella {

std::u16string SystemErrorMessage(Os& os, std::uint32_t code) {
  std::u16string text = os.SystemErrorText(code);
  while (!text.empty() && (text.back() <= 32 || text.back() == u'.')) text.pop_back();
  return text;
}

}  // namespace orvella
