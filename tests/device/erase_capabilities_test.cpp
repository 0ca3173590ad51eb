#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "device/ata_erase_capabilities.h"
#include "device/nvme_erase_capabilities.h"
#include "platform/byte_order.h"

namespace orvella {
namespace {

std::array<std::uint8_t, 512> Identify(std::initializer_list<std::pair<int, std::uint16_t>> words) {
  std::array<std::uint8_t, 512> data{};
  for (const auto& [n, value] : words) PutU16(data.data(), 2 * static_cast<std::size_t>(n), value);
  return data;
}

TEST(AtaEraseCapabilities, Word59GivesTheSanitizeCommandsOnlyWhenTheFeatureSetIsClaimed) {
  const auto all = DecodeAtaEraseCapabilities(Identify({{59, 0xF400}}).data());
  EXPECT_TRUE(all.sanitizeSupported && all.cryptoScramble && all.overwrite && all.blockErase && all.antifreezeLock);
  const auto blockOnly = DecodeAtaEraseCapabilities(Identify({{59, 0x9000}}).data());
  EXPECT_TRUE(blockOnly.blockErase);
  EXPECT_FALSE(blockOnly.cryptoScramble || blockOnly.overwrite);
  // Bits 13 to 15 without bit 12 claim nothing.
  const auto unclaimed = DecodeAtaEraseCapabilities(Identify({{59, 0xE000}}).data());
  EXPECT_FALSE(unclaimed.sanitizeSupported || unclaimed.blockErase || unclaimed.cryptoScramble || unclaimed.overwrite);
}

TEST(AtaEraseCapabilities, Word128StatesNeedTheSecurityFeatureSetInWord82) {
  const auto frozen = DecodeAtaEraseCapabilities(Identify({{82, 0x0002}, {128, 0x0029}}).data());
  EXPECT_TRUE(frozen.securitySupported && frozen.securityFrozen && frozen.enhancedEraseSupported);
  EXPECT_FALSE(frozen.securityEnabled || frozen.securityLocked || frozen.securityCountExpired);
  const auto locked = DecodeAtaEraseCapabilities(Identify({{82, 0x0002}, {128, 0x0117}}).data());
  EXPECT_TRUE(locked.securityEnabled && locked.securityLocked && locked.securityCountExpired &&
              locked.masterPasswordMaximum);
  const auto noSet = DecodeAtaEraseCapabilities(Identify({{82, 0x0000}, {128, 0x003F}}).data());
  EXPECT_FALSE(noSet.securitySupported || noSet.securityFrozen || noSet.securityLocked);
  // Word 128 bit 0 clear: the feature set is not there, whatever word 82 says.
  EXPECT_FALSE(DecodeAtaEraseCapabilities(Identify({{82, 0x0002}, {128, 0x0008}}).data()).securitySupported);
}

TEST(AtaEraseCapabilities, EraseTimesAreTwoMinuteUnitsInTheShortOrLongForm) {
  const auto shortForm = DecodeAtaEraseCapabilities(Identify({{82, 2}, {128, 1}, {89, 0x0064}, {90, 0x7F32}}).data());
  EXPECT_EQ(shortForm.normalEraseMinutes, 200u);
  EXPECT_EQ(shortForm.enhancedEraseMinutes, 100u);  // bit 15 clear: only bits 7:0 count
  const auto longForm = DecodeAtaEraseCapabilities(Identify({{82, 2}, {128, 1}, {89, 0x8200}, {90, 0}}).data());
  EXPECT_EQ(longForm.normalEraseMinutes, 1024u);
  EXPECT_EQ(longForm.enhancedEraseMinutes, std::nullopt);
}

TEST(AtaSanitizeStatus, CountBitsAndProgressAndTheReasonOfAFailure) {
  const auto running = DecodeAtaSanitizeStatus(0x4000, 0x8000, false);
  EXPECT_TRUE(running.inProgress);
  EXPECT_FALSE(running.completedWithoutError || running.frozen || running.lastSanitizeFailed);
  EXPECT_EQ(running.progress, 0x8000);
  const auto done = DecodeAtaSanitizeStatus(0x8000, 0, false);
  EXPECT_TRUE(done.completedWithoutError);
  EXPECT_TRUE(DecodeAtaSanitizeStatus(0x2000, 0, false).frozen);
  const auto failed = DecodeAtaSanitizeStatus(0x0000, 0x0001, true);
  EXPECT_TRUE(failed.lastSanitizeFailed);
  EXPECT_EQ(failed.failureReason, 1);
  EXPECT_EQ(std::u16string(AtaSanitizeFailureText(3)), u"the drive is in the sanitize frozen state");
}

std::vector<std::uint8_t> Page(std::size_t size = kNvmeIdentifySize) { return std::vector<std::uint8_t>(size, 0); }

TEST(NvmeController, TextsVersionCapabilitiesAndThresholdsFromTheirOffsets) {
  auto page = Page();
  std::memcpy(page.data() + 4, "S4EWNX0R123456      ", 20);
  std::memcpy(page.data() + 24, "Veltra NVMe 1TB                         ", 40);
  std::memcpy(page.data() + 64, "2B2QEXM7", 8);
  PutU32(page.data(), 80, 0x00010400);
  PutU16(page.data(), 256, 0x0003);
  PutU16(page.data(), 266, 357);
  PutU16(page.data(), 268, 358);
  PutU32(page.data(), 328, 0x60000003);  // crypto, block; NDI; modifier 1
  PutU32(page.data(), 516, 2);
  page[524] = 0x05;
  const NvmeController c = DecodeNvmeController(page.data());
  EXPECT_EQ(c.serial, "S4EWNX0R123456");
  EXPECT_EQ(c.model, "Veltra NVMe 1TB");
  EXPECT_EQ(c.firmware, "2B2QEXM7");
  EXPECT_EQ(c.VersionText(), "1.4");
  EXPECT_TRUE(c.securitySendReceive && c.formatNvm);
  EXPECT_TRUE(c.sanitizeCrypto && c.sanitizeBlock && c.noDeallocateInhibited);
  EXPECT_FALSE(c.sanitizeOverwrite);
  EXPECT_EQ(c.noDeallocateModifies, 1);
  EXPECT_EQ(c.namespaces, 2u);
  EXPECT_TRUE(c.formatAppliesToAll && c.cryptoEraseByFormat);
  EXPECT_FALSE(c.secureEraseAppliesToAll);
  EXPECT_EQ(c.warningTemperature, 357);
  EXPECT_EQ(c.criticalTemperature, 358);
}

TEST(NvmeController, VersionZeroAndATertiaryNumber) {
  auto page = Page();
  EXPECT_EQ(DecodeNvmeController(page.data()).VersionText(), "before 1.2");
  PutU32(page.data(), 80, 0x00020001);
  EXPECT_EQ(DecodeNvmeController(page.data()).VersionText(), "2.0.1");
}

TEST(NvmeNamespace, TheFormatInUseGivesBlockSizeMetadataAndProtection) {
  auto page = Page();
  PutLE(page.data(), 0, 8, 1953525168);
  PutLE(page.data(), 8, 8, 1953525168);
  page[25] = 1;     // two formats
  page[26] = 0x11;  // format 1, metadata at the end of the block
  page[29] = 0x09;  // type 1, first bytes
  PutU16(page.data(), 128 + 4, 8);
  page[128 + 4 + 2] = 12;
  const NvmeNamespace n = DecodeNvmeNamespace(page.data());
  EXPECT_EQ(n.sizeBlocks, 1953525168u);
  EXPECT_EQ(n.formatCount, 2);
  EXPECT_EQ(n.formatInUse, 1);
  EXPECT_TRUE(n.metadataAtEnd);
  EXPECT_EQ(n.blockSize, 4096u);
  EXPECT_EQ(n.metadataSize, 8);
  EXPECT_EQ(n.protectionType, 1);
  EXPECT_TRUE(n.protectionFirst);
  // FLBAS bits 6:5 are the high bits of the index.
  page[26] = 0x20;
  page[128 + 4 * 16 + 2] = 9;
  EXPECT_EQ(DecodeNvmeNamespace(page.data()).formatInUse, 16);
  EXPECT_EQ(DecodeNvmeNamespace(page.data()).blockSize, 512u);
  // A size exponent out of range gives no block size.
  page[128 + 4 * 16 + 2] = 40;
  EXPECT_EQ(DecodeNvmeNamespace(page.data()).blockSize, 0u);
}

TEST(NvmeSanitizeLog, ProgressStateAndTheDrivesEstimates) {
  auto page = Page(kNvmeSanitizeLogSize);
  PutU16(page.data(), 0, 0x8000);
  PutU16(page.data(), 2, 0x0112);  // in progress, 2 passes, global data erased
  PutU32(page.data(), 4, 0x4);
  PutU32(page.data(), 8, 0xFFFFFFFF);
  PutU32(page.data(), 12, 120);
  PutU32(page.data(), 16, 5);
  const NvmeSanitizeLog log = DecodeNvmeSanitizeLog(page.data());
  EXPECT_EQ(log.progress, 0x8000);
  EXPECT_EQ(log.state, NvmeSanitizeState::InProgress);
  EXPECT_EQ(log.overwritePasses, 2);
  EXPECT_TRUE(log.globalDataErased);
  EXPECT_EQ(log.lastCommandDword10, 4u);
  EXPECT_EQ(log.overwriteSeconds, std::nullopt);
  EXPECT_EQ(log.blockEraseSeconds, 120u);
  EXPECT_EQ(log.cryptoEraseSeconds, 5u);
  // A state the program does not know is taken as a failure, never as done.
  PutU16(page.data(), 2, 0x0007);
  EXPECT_EQ(DecodeNvmeSanitizeLog(page.data()).state, NvmeSanitizeState::Failed);
}

}  // namespace
}  // namespace orvella
