// Which of a drive's own erase commands the system lets a program send.
// Where it stops a family of them, the reason is said in words before
// anything is sent, and the methods list shows it.
#pragma once

#include <optional>
#include <string>

namespace orvella {

struct EraseCommandLimits {
  // Why the system refuses the family; none where it passes it.
  std::optional<std::u16string> ataSanitize;    // ATA SANITIZE
  std::optional<std::u16string> ataSecurity;    // ATA SECURITY SET PASSWORD, ERASE PREPARE, ERASE UNIT
  std::optional<std::u16string> nvmeOverwrite;  // NVMe Sanitize overwrite
  std::optional<std::u16string> nvmeFormat;     // NVMe Format NVM
  // Where the system may stop an ATA erase command even when it was
  // thought to pass it, what to tell the user when one fails before the
  // drive answered; empty elsewhere.
  std::u16string ataUndelivered;
};

// What Windows lets through, under Windows PE or not.
EraseCommandLimits WindowsEraseLimits(bool windowsPe);

}  // namespace orvella
