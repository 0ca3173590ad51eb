// How an erase is read back: every written byte, the NIST SP 800-88 sample,
// or not at all.
#pragma once

#include <optional>
#include <string_view>

namespace orvella {

enum class VerifyMethod { Off, Full, Sample };

// A quick wipe reads back all it wrote; a whole-drive erase the sample.
VerifyMethod DefaultVerifyMethod(bool quickWipe);
// "off", "full", "sample", as the command line and the record write them.
const char* VerifyMethodName(VerifyMethod method);
std::optional<VerifyMethod> VerifyMethodNamed(std::string_view name);

}  // namespace orvella
