// Little-endian reads and writes at byte offsets of request and reply buffers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orvella {

inline std::uint64_t GetLE(const void* buffer, std::size_t offset, std::size_t width) {
  const auto* bytes = static_cast<const std::uint8_t*>(buffer) + offset;
  std::uint64_t value = 0;
  for (std::size_t i = width; i-- > 0;) value = (value << 8) | bytes[i];
  return value;
}

inline void PutLE(void* buffer, std::size_t offset, std::size_t width, std::uint64_t value) {
  auto* bytes = static_cast<std::uint8_t*>(buffer) + offset;
  for (std::size_t i = 0; i < width; ++i) bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

inline std::uint8_t GetU8(const void* b, std::size_t o) { return static_cast<std::uint8_t>(GetLE(b, o, 1)); }
inline std::uint16_t GetU16(const void* b, std::size_t o) { return static_cast<std::uint16_t>(GetLE(b, o, 2)); }
inline std::uint32_t GetU32(const void* b, std::size_t o) { return static_cast<std::uint32_t>(GetLE(b, o, 4)); }
inline std::int64_t GetI64(const void* b, std::size_t o) { return static_cast<std::int64_t>(GetLE(b, o, 8)); }

inline void PutU8(void* b, std::size_t o, std::uint8_t v) { PutLE(b, o, 1, v); }
inline void PutU16(void* b, std::size_t o, std::uint16_t v) { PutLE(b, o, 2, v); }
inline void PutU32(void* b, std::size_t o, std::uint32_t v) { PutLE(b, o, 4, v); }
inline void PutI64(void* b, std::size_t o, std::int64_t v) { PutLE(b, o, 8, static_cast<std::uint64_t>(v)); }

}  // namespace orvella
