// Linux errno values as the Windows error codes the program tests for, and a
// plain-English text for every code this backend gives.
#pragma once

#include <cstdint>
#include <string>

namespace orvella::linux_backend {

std::uint32_t WindowsErrorOf(int errnoValue);

// The same for a failed open, where EPERM means the caller may not open the
// device at all rather than a write-protected medium.
std::uint32_t WindowsOpenErrorOf(int errnoValue);

// The text SystemErrorText gives, ending with a full stop like the system
// texts the program trims.
std::u16string ErrorText(std::uint32_t code);

}  // namespace orvella::linux_backend
