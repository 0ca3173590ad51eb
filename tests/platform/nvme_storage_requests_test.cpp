// NVMe admin commands turned into the Windows storage requests that carry
// them, byte for byte, and the answers read back.
#include "platform/nvme_storage_requests.h"

#include <gtest/gtest.h>

#include "platform/byte_order.h"
#include "platform/control_codes.h"

namespace orvella {
namespace {

constexpr std::size_t kQuery = layout::PropertyQueryAdditionalParameters;

NvmeAdminCommand Command(std::uint8_t opcode, std::uint32_t space, std::uint32_t dword10, std::size_t dataIn) {
  NvmeAdminCommand c;
  c.entry[0] = opcode;
  PutU32(c.entry.data(), 4, space);
  PutU32(c.entry.data(), 40, dword10);
  c.dataIn = dataIn > 0;
  c.data.assign(dataIn, 0);
  return c;
}

std::uint32_t Field(const NvmeStorageRequest& r, std::size_t at) { return GetU32(r.in.data(), at); }

TEST(NvmeStorageRequests, IdentifyControllerAsksTheAdapter) {
  const auto r = NvmeRequestFor(Command(nvme::Identify, 0, 1, 4096));
  ASSERT_TRUE(r);
  EXPECT_EQ(r->controlCode, IOCTL_STORAGE_QUERY_PROPERTY);
  EXPECT_EQ(r->in.size(), 8u + 40u + 4096u);
  EXPECT_EQ(r->outSize, 48u + 4096u);
  EXPECT_EQ(Field(*r, layout::PropertyQueryPropertyId), 49u);
  EXPECT_EQ(Field(*r, layout::PropertyQueryQueryType), 0u);
  EXPECT_EQ(Field(*r, kQuery + layout::ProtocolProtocolType), 3u);
  EXPECT_EQ(Field(*r, kQuery + layout::ProtocolDataType), 1u);
  EXPECT_EQ(Field(*r, kQuery + layout::ProtocolRequestValue), 1u);
  EXPECT_EQ(Field(*r, kQuery + layout::ProtocolRequestSubValue), 0u);
  EXPECT_EQ(Field(*r, kQuery + layout::ProtocolDataOffset), 40u);
  EXPECT_EQ(Field(*r, kQuery + layout::ProtocolDataLength), 4096u);
}

TEST(NvmeStorageRequests, IdentifyNamespaceAsksTheDeviceForThatNamespace) {
  const auto r = NvmeRequestFor(Command(nvme::Identify, 1, 0, 4096));
  ASSERT_TRUE(r);
  EXPECT_EQ(Field(*r, layout::PropertyQueryPropertyId), 50u);
  EXPECT_EQ(Field(*r, kQuery + layout::ProtocolRequestValue), 0u);
  EXPECT_EQ(Field(*r, kQuery + layout::ProtocolRequestSubValue), 1u);
  // Lists of namespaces and the like have no query.
  EXPECT_FALSE(NvmeRequestFor(Command(nvme::Identify, 0, 2, 4096)));
  EXPECT_FALSE(NvmeRequestFor(Command(nvme::Identify, 0, 1, 0)));
}

TEST(NvmeStorageRequests, LogPagesCarryTheirLengthOffsetAndFlags) {
  // Sanitize status log, 512 bytes (NUMDL 127), of the whole controller.
  auto c = Command(nvme::GetLogPage, nvme::AllNamespaces, 0x81 | 127u << 16, 512);
  auto r = NvmeRequestFor(c);
  ASSERT_TRUE(r);
  EXPECT_EQ(Field(*r, layout::PropertyQueryPropertyId), 49u);
  EXPECT_EQ(Field(*r, kQuery + layout::ProtocolDataType), 2u);
  EXPECT_EQ(Field(*r, kQuery + layout::ProtocolRequestValue), 0x81u);
  EXPECT_EQ(Field(*r, kQuery + layout::ProtocolDataLength), 512u);
  EXPECT_EQ(Field(*r, kQuery + layout::ProtocolRequestSubValue4), 0u);

  // A namespace's health log from byte offset 2^32 + 8, retaining the event, log specific field 5.
  c = Command(nvme::GetLogPage, 1, 0x02 | 1u << 15 | 5u << 8 | 127u << 16, 512);
  PutU32(c.entry.data(), 44, 7u << 16);  // log specific identifier 7
  PutU32(c.entry.data(), 48, 8);
  PutU32(c.entry.data(), 52, 1);
  r = NvmeRequestFor(c);
  ASSERT_TRUE(r);
  EXPECT_EQ(Field(*r, layout::PropertyQueryPropertyId), 50u);
  EXPECT_EQ(Field(*r, kQuery + layout::ProtocolRequestSubValue), 8u);
  EXPECT_EQ(Field(*r, kQuery + layout::ProtocolRequestSubValue2), 1u);
  EXPECT_EQ(Field(*r, kQuery + layout::ProtocolRequestSubValue3), 7u);
  EXPECT_EQ(Field(*r, kQuery + layout::ProtocolRequestSubValue4), 1u | 5u << 1);

  // A length that disagrees with the room for the answer is no request.
  EXPECT_FALSE(NvmeRequestFor(Command(nvme::GetLogPage, nvme::AllNamespaces, 0x81 | 63u << 16, 512)));
}

TEST(NvmeStorageRequests, SwappingTheTargetTurnsAdapterAndDevice) {
  auto r = NvmeRequestFor(Command(nvme::Identify, 0, 1, 4096));
  ASSERT_TRUE(r);
  SwapQueryTarget(*r);
  EXPECT_EQ(Field(*r, layout::PropertyQueryPropertyId), 50u);
  SwapQueryTarget(*r);
  EXPECT_EQ(Field(*r, layout::PropertyQueryPropertyId), 49u);
}

TEST(NvmeStorageRequests, BlockAndCryptoSanitizeBecomeReinitializeMedia) {
  auto c = Command(nvme::Sanitize, 0, 2, 0);
  c.timeoutMilliseconds = 60000;
  auto r = NvmeRequestFor(c);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->controlCode, 0x002D9640u);
  EXPECT_EQ(r->outSize, 0u);
  const std::vector<std::uint8_t> block = {16, 0, 0, 0, 16, 0, 0, 0, 60, 0, 0, 0, 0x11, 0, 0, 0};
  EXPECT_EQ(r->in, block) << "version and size 16, 60 s, block erase, no unrestricted exit";

  c = Command(nvme::Sanitize, 0, 4 | 1u << 3, 0);  // crypto erase, unrestricted exit allowed
  c.timeoutMilliseconds = 1500;
  r = NvmeRequestFor(c);
  ASSERT_TRUE(r);
  const std::vector<std::uint8_t> crypto = {16, 0, 0, 0, 16, 0, 0, 0, 2, 0, 0, 0, 0x02, 0, 0, 0};
  EXPECT_EQ(r->in, crypto);
}

TEST(NvmeStorageRequests, WhatWindowsCannotCarryHasNoRequest) {
  EXPECT_FALSE(NvmeRequestFor(Command(nvme::Sanitize, 0, 3 | 1u << 4, 0))) << "overwrite";
  EXPECT_FALSE(NvmeRequestFor(Command(nvme::Sanitize, 0, 1, 0))) << "exit failure mode";
  EXPECT_FALSE(NvmeRequestFor(Command(nvme::Sanitize, 0, 2 | 1u << 9, 0))) << "no-deallocate";
  EXPECT_FALSE(NvmeRequestFor(Command(nvme::FormatNvm, 1, 1u << 9, 0)));
  EXPECT_FALSE(NvmeRequestFor(Command(0x09, 0, 0, 0))) << "set features";
}

std::vector<std::uint8_t> Answer(std::uint32_t offset, std::uint32_t length, std::size_t size) {
  std::vector<std::uint8_t> out(size, 0);
  PutU32(out.data(), layout::ProtocolDescriptorData + layout::ProtocolDataOffset, offset);
  PutU32(out.data(), layout::ProtocolDescriptorData + layout::ProtocolDataLength, length);
  PutU32(out.data(), layout::ProtocolDescriptorData + layout::ProtocolFixedReturnData, 0x1234);
  for (std::size_t i = layout::ProtocolDescriptorData + offset; i < size; ++i) out[i] = static_cast<std::uint8_t>(i);
  return out;
}

TEST(NvmeStorageRequests, AnswersAreReadWhereTheyPointAndRefusedWhenShort) {
  NvmeAdminCommand c = Command(nvme::GetLogPage, nvme::AllNamespaces, 0x81 | 127u << 16, 512);
  c.status = 0x7FF;
  auto out = Answer(40, 512, 48 + 512);
  ASSERT_TRUE(ReadNvmeQueryAnswer(out.data(), static_cast<std::uint32_t>(out.size()), c));
  EXPECT_EQ(c.data[0], 48);
  EXPECT_EQ(c.data[511], static_cast<std::uint8_t>(48 + 511));
  EXPECT_EQ(c.result, 0x1234u);
  EXPECT_EQ(c.status, 0);

  EXPECT_FALSE(ReadNvmeQueryAnswer(out.data(), 48 + 511, c)) << "fewer bytes returned than it says";
  out = Answer(40, 256, 48 + 512);
  EXPECT_FALSE(ReadNvmeQueryAnswer(out.data(), static_cast<std::uint32_t>(out.size()), c)) << "shorter than asked";
  out = Answer(8, 512, 48 + 512);
  EXPECT_FALSE(ReadNvmeQueryAnswer(out.data(), static_cast<std::uint32_t>(out.size()), c)) << "inside the header";
  out = Answer(0xFFFFFFF0u, 512, 48 + 512);
  EXPECT_FALSE(ReadNvmeQueryAnswer(out.data(), static_cast<std::uint32_t>(out.size()), c)) << "outside the answer";
  EXPECT_FALSE(ReadNvmeQueryAnswer(out.data(), 20, c));
}

}  // namespace
}  // namespace orvella
