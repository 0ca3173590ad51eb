#include "platform/erase_limits.h"

namespace orvella {

EraseCommandLimits WindowsEraseLimits(bool windowsPe) {
  EraseCommandLimits limits;
  const std::u16string onlyUnderPe =
      u"Windows passes the drive's own erase commands (ATA SANITIZE and SECURITY ERASE UNIT) only under Windows PE; "
      u"start the computer from Orvella Live or from a Windows PE medium to use them";
  if (!windowsPe) {
    limits.ataSanitize = onlyUnderPe;
    limits.ataSecurity = onlyUnderPe;
  } else {
    // Windows PE admits SECURITY SET PASSWORD with Windows' own password
    // only, so that Windows can always take it off again.
    limits.ataSecurity =
        u"under Windows PE, Windows passes the security erase only with a user password of its own, not the "
        u"documented password that Orvella sets and orvella-cli unlock takes off; use block-erase or crypto-erase, "
        u"or start the computer from Orvella Live";
  }
  limits.nvmeOverwrite =
      u"Windows does not let programs send an NVMe sanitize overwrite (it passes block erase and crypto erase "
      u"only); start the computer from Orvella Live to use it";
  limits.nvmeFormat =
      u"Windows does not let programs send the NVMe Format NVM command; start the computer from Orvella Live to "
      u"use it";
  limits.ataUndelivered =
      u"Windows passes the drive's own erase commands only under Windows PE, and not through a controller in IDE "
      u"mode";
  return limits;
}

}  // namespace orvella
