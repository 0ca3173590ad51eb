// SHA-256 (FIPS 180-4), for the digest that seals an erase record.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvella {

using Sha256Digest = std::array<std::uint8_t, 32>;

Sha256Digest Sha256(std::string_view bytes);

// The digest as 64 lower-case hexadecimal digits, as sha256sum prints it.
std::string Sha256Hex(std::string_view bytes);

}  // namespace orvella
