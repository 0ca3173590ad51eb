// An NVMe drive identifies through the miniport request from its Identify
// Controller and Identify Namespace data, and decodes as the program decodes
// ATA IDENTIFY data.
#include <gtest/gtest.h>

#include <cstring>

#include "device/identify_device.h"
#include "device/identify_parser.h"
#include "platform/byte_order.h"
#include "platform/linux/linux_os.h"
#include "platform_linux/fake_kernel.h"
#include "platform_linux/linux_test_support.h"

namespace orvella::test {
namespace {

constexpr int kNvme = 2;  // in the desktop tree

// A 4Kn namespace of 244,190,646 blocks (1 TB) on a Samsung controller.
int AnswerIdentify(nvme_admin_cmd& command) {
  auto* data = reinterpret_cast<std::uint8_t*>(static_cast<std::uintptr_t>(command.addr));
  std::memset(data, 0, command.data_len);
  if (command.opcode != 0x06) return 0x01;  // invalid opcode
  if (command.cdw10 == 1) {
    std::memcpy(data + 4, "S4EWNX0R123456A     ", 20);
    std::memcpy(data + 24, "Samsung SSD 970 EVO Plus 1TB            ", 40);
    std::memcpy(data + 64, "2B2QEXM7", 8);
  } else {
    PutI64(data, 0, 244190646);
    data[26] = 1;                // format 1 in use
    data[128 + 4 * 1 + 2] = 12;  // 4096-byte blocks
  }
  return 0;
}

TEST(NvmeIdentify, ModelSerialFirmwareAndCapacityDecodeAsAtaIdentify) {
  FakeKernel kernel(FixtureRoot("desktop"));
  kernel.nvmeAdmin = AnswerIdentify;
  LinuxOs os(kernel, FixtureRoot("desktop"));
  const Handle nvme = os.CreateFileW(DrivePath(kNvme), GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, 0);
  AtaSector data{};
  ASSERT_TRUE(IdentifyDevice(os, nvme, 0, data));
  const T_IDE_PASSPORT passport = ParseIdentifyData(os, data);
  EXPECT_EQ(passport.name, u"Samsung SSD 970 EVO Plus 1TB");
  EXPECT_EQ(passport.sn, u"S4EWNX0R123456A");
  EXPECT_EQ(passport.fw, u"2B2QEXM7");
  EXPECT_TRUE(passport.lba48support);
  EXPECT_EQ(passport.lbasectors, 244190646LL * 8);
  EXPECT_FALSE(passport.smartsupport);
  EXPECT_EQ(kernel.CountCalls("ioctl NVME_IOCTL_ADMIN_CMD"), 2);
}

TEST(NvmeIdentify, DriveRefusingIdentifyLeavesTheDriveUnidentified) {
  FakeKernel kernel(FixtureRoot("desktop"));
  kernel.nvmeAdmin = [](nvme_admin_cmd&) { return 0x4002; };  // invalid field, do not retry
  LinuxOs os(kernel, FixtureRoot("desktop"));
  const Handle nvme = os.CreateFileW(DrivePath(kNvme), GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, 0);
  AtaSector data{};
  EXPECT_FALSE(IdentifyDevice(os, nvme, 0, data));
  EXPECT_EQ(os.GetLastError(), ERROR_INVALID_FUNCTION);
}

}  // namespace
}  // namespace orvella::test
