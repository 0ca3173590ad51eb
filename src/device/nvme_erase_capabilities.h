// What an NVMe controller and its namespace say about themselves, read
// without changing anything: Identify Controller (CNS 01h), Identify
// Namespace (CNS 00h) and the Sanitize Status log (page 81h), decoded from
// their bytes.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace orvella {

inline constexpr std::size_t kNvmeIdentifySize = 4096;
using NvmeIdentifyPage = std::array<std::uint8_t, kNvmeIdentifySize>;
inline constexpr std::size_t kNvmeSanitizeLogSize = 512;
inline constexpr std::uint8_t kNvmeSanitizeLogPage = 0x81;

struct NvmeController {
  std::string model;     // MN, trimmed
  std::string serial;    // SN, trimmed
  std::string firmware;  // FR, trimmed
  std::uint32_t version = 0;  // VER: major in 31:16, minor in 15:8, tertiary in 7:0; 0 before 1.2
  std::uint32_t namespaces = 0;  // NN
  // OACS
  bool securitySendReceive = false;  // bit 0
  bool formatNvm = false;            // bit 1
  // FNA
  bool formatAppliesToAll = false;       // bit 0: a format reaches every namespace
  bool secureEraseAppliesToAll = false;  // bit 1: a secure erase reaches every namespace
  bool cryptoEraseByFormat = false;      // bit 2: Secure Erase Settings 2 is supported
  // SANICAP
  bool sanitizeCrypto = false;     // bit 0
  bool sanitizeBlock = false;      // bit 1
  bool sanitizeOverwrite = false;  // bit 2
  bool noDeallocateInhibited = false;      // bit 29
  std::uint8_t noDeallocateModifies = 0;   // bits 31:30
  // Temperature thresholds, Kelvin; 0 when not reported.
  std::uint16_t warningTemperature = 0;   // WCTEMP
  std::uint16_t criticalTemperature = 0;  // CCTEMP

  bool AnySanitize() const { return sanitizeCrypto || sanitizeBlock || sanitizeOverwrite; }
  // "1.4", "2.0.1"; "before 1.2" when the controller gives no version.
  std::string VersionText() const;
};

NvmeController DecodeNvmeController(const std::uint8_t* page);

struct NvmeNamespace {
  std::uint64_t sizeBlocks = 0;      // NSZE
  std::uint64_t capacityBlocks = 0;  // NCAP
  std::uint8_t formatCount = 0;      // NLBAF + 1
  std::uint8_t formatInUse = 0;      // FLBAS bits 3:0 and 6:5
  bool metadataAtEnd = false;        // FLBAS bit 4
  std::uint32_t blockSize = 0;       // 2^LBADS of the format in use; 0 when it is out of range
  std::uint16_t metadataSize = 0;    // MS of the format in use
  std::uint8_t protectionType = 0;   // DPS bits 2:0
  bool protectionFirst = false;      // DPS bit 3: protection information in the first bytes of metadata
};

NvmeNamespace DecodeNvmeNamespace(const std::uint8_t* page);

// SSTAT bits 2:0.
enum class NvmeSanitizeState : std::uint8_t {
  NeverSanitized = 0,
  Completed = 1,
  InProgress = 2,
  Failed = 3,
  CompletedNoDeallocate = 4,
};

struct NvmeSanitizeLog {
  std::uint16_t progress = 0;  // SPROG, of 65535, while in progress
  NvmeSanitizeState state = NvmeSanitizeState::NeverSanitized;
  std::uint8_t overwritePasses = 0;  // SSTAT bits 7:3
  bool globalDataErased = false;     // SSTAT bit 8
  std::uint32_t lastCommandDword10 = 0;  // SCDW10
  // The drive's estimates, seconds; none where it gives none (FFFFFFFFh).
  std::optional<std::uint32_t> overwriteSeconds;
  std::optional<std::uint32_t> blockEraseSeconds;
  std::optional<std::uint32_t> cryptoEraseSeconds;
};

NvmeSanitizeLog DecodeNvmeSanitizeLog(const std::uint8_t* page);

}  // namespace orvella
