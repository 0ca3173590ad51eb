#include "reports/nvme_details_report.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace orvella {
namespace {

DriveEraseFacts Facts() {
  DriveEraseFacts f;
  f.interface = DriveInterface::Nvme;
  NvmeController c;
  c.model = "Veltra NV1 512";
  c.serial = "VNV512B0042X";
  c.firmware = "NV1R2A04";
  c.version = 0x00010400;
  c.namespaces = 1;
  c.sanitizeBlock = c.sanitizeCrypto = true;
  c.formatNvm = c.cryptoEraseByFormat = true;
  c.warningTemperature = 353;
  f.nvme = c;
  NvmeNamespace n;
  n.sizeBlocks = 1000215216;
  n.blockSize = 512;
  n.formatCount = 2;
  f.nvmeNamespace = n;
  NvmeSanitizeLog log;
  log.state = NvmeSanitizeState::InProgress;
  log.progress = 0x8000;
  f.nvmeSanitize = log;
  return f;
}

bool Has(const std::vector<std::u16string>& lines, const std::u16string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(NvmeDetailsReport, TellsTheControllerNamespaceEraseCommandsAndThresholdsWithoutAtaLines) {
  const auto lines = NvmeDetailsLines(Facts(), u'.');
  EXPECT_EQ(lines.at(0), u"Model: Veltra NV1 512");
  EXPECT_EQ(lines.at(3), u"NVMe version: 1.4");
  EXPECT_TRUE(Has(lines, u"Namespace 1: 1,000,215,216 blocks of 512 bytes"));
  EXPECT_TRUE(Has(lines, u"LBA format in use: 0 of 2 (512-byte blocks, no metadata)"));
  EXPECT_TRUE(Has(lines, u"Sanitize: block erase, crypto erase"));
  EXPECT_TRUE(Has(lines, u"Crypto erase by Format NVM: supported"));
  EXPECT_TRUE(Has(lines, u"Last sanitize: in progress, 50% done"));
  EXPECT_TRUE(Has(lines, u"Warning: 80 \u00B0C (353 K)"));
  EXPECT_TRUE(Has(lines, u"Critical: not reported"));
  for (const std::u16string& line : lines) {
    EXPECT_EQ(line.find(u"LBA-48"), std::u16string::npos);
    EXPECT_EQ(line.find(u"SMART"), std::u16string::npos);
    EXPECT_EQ(line.find(u"Queuing"), std::u16string::npos);
  }
}

TEST(NvmeDetailsReport, ANamespaceThatDoesNotAnswerIsSaidSo) {
  DriveEraseFacts f = Facts();
  f.nvmeNamespace.reset();
  f.nvmeSanitize.reset();
  f.nvme->sanitizeBlock = f.nvme->sanitizeCrypto = false;
  const auto lines = NvmeDetailsLines(f, u'.');
  EXPECT_TRUE(Has(lines, u"Namespace 1: its Identify Namespace data could not be read"));
  EXPECT_TRUE(Has(lines, u"Sanitize: not supported"));
  EXPECT_TRUE(Has(lines, u"Last sanitize: not read"));
}

}  // namespace
}  // namespace orvella
