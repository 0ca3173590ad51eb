// A SCSI command as the program hands it to the system: the command block
// (up to 16 bytes), the data it carries in either direction, and what the
// device answered (its status, its sense data, and how much of the data
// it did not move).
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace orvella {

inline constexpr std::size_t kScsiMaxCdbSize = 16;
// Enough for fixed and descriptor sense with the sense-key-specific bytes.
inline constexpr std::size_t kScsiSenseSize = 32;

namespace scsi {
inline constexpr std::uint8_t Sanitize = 0x48;
inline constexpr std::uint8_t RequestSense = 0x03;
inline constexpr std::uint8_t MaintenanceIn = 0xA3;
inline constexpr std::uint8_t ReportSupportedOperationCodes = 0x0C;
inline constexpr std::uint8_t SanitizeOverwrite = 0x01;
inline constexpr std::uint8_t SanitizeBlockErase = 0x02;
inline constexpr std::uint8_t SanitizeCryptoErase = 0x03;
inline constexpr std::uint8_t SanitizeExitFailureMode = 0x1F;
inline constexpr std::uint8_t StatusGood = 0x00;
inline constexpr std::uint8_t StatusCheckCondition = 0x02;
}  // namespace scsi

struct ScsiCommand {
  enum class Direction { None, In, Out };

  std::array<std::uint8_t, kScsiMaxCdbSize> cdb{};
  std::uint8_t cdbLength = 0;
  Direction direction = Direction::None;
  std::vector<std::uint8_t> data;  // in: sized by the caller, filled by the device; out: what is sent
  std::uint32_t timeoutMilliseconds = 20000;
  // The answer.
  std::uint8_t status = 0;              // SCSI status: 00h GOOD, 02h CHECK CONDITION
  std::vector<std::uint8_t> sense;      // the sense data the device returned, where any
  std::uint32_t residual = 0;           // bytes of `data` not moved

  std::uint8_t Opcode() const { return cdb[0]; }
  // The bytes of a data-in command that the device filled.
  std::size_t Received() const { return data.size() - std::min<std::size_t>(residual, data.size()); }

  // A command of the block `bytes`, carrying `data` in `direction`.
  template <std::size_t N>
  static ScsiCommand Of(const std::array<std::uint8_t, N>& bytes, Direction direction = Direction::None,
                        std::vector<std::uint8_t> data = {}) {
    static_assert(N <= kScsiMaxCdbSize);
    ScsiCommand c;
    std::copy(bytes.begin(), bytes.end(), c.cdb.begin());
    c.cdbLength = static_cast<std::uint8_t>(N);
    c.direction = direction;
    c.data = std::move(data);
    return c;
  }
};

}  // namespace orvella
