// Windows-1252, the ANSI code page the program's byte texts are read in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace orvella::linux_backend {

// One character per byte; the five bytes that code page leaves undefined
// keep their own code, as Windows converts them.
std::u16string Windows1252ToText(const std::uint8_t* bytes, std::size_t count);

}  // namespace orvella::linux_backend
