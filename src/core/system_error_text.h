#pragma once

#include <cstdint>
#include <string>

namespace orvella {

class Os;

// The system's message for an error code, with every trailing character of
// code 0 to 32 and every trailing full stop removed.
std::u16string SystemErrorMessage(Os& os, std::uint32_t code);

}  // namespace orvella
