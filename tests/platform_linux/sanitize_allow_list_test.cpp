// The drive's own erase on Linux: SANITIZE STATUS EXT passes always, the
// erasing SANITIZE commands and the Security commands only while the run
// holds the whole disk.
#include <gtest/gtest.h>

#include "platform/linux/task_file_requests.h"

namespace orvella::linux_backend {
namespace {

// SANITIZE (B4h) with a 16-bit feature, COUNT and 48-bit LBA.
TaskFileCommand Sanitize(std::uint16_t feature, std::uint16_t count, std::uint64_t lba) {
  TaskFileCommand c;
  const auto b = [](std::uint64_t v, int i) { return static_cast<std::uint8_t>(v >> (8 * i)); };
  c.current = {b(feature, 0), b(count, 0), b(lba, 0), b(lba, 1), b(lba, 2), 0x40, 0xB4};
  c.previous = TIDERegisterBlock{b(feature, 1), b(count, 1), b(lba, 3), b(lba, 4), b(lba, 5), 0, 0};
  return c;
}

TEST(SanitizeAllowList, StatusPassesAlwaysAndClearsNothing) {
  EXPECT_EQ(PermittedTaskFile(Sanitize(0x0000, 0, 0)), AtaTransfer::None);
  // COUNT bit 0 would clear a failed sanitize: not a read.
  EXPECT_EQ(PermittedTaskFile(Sanitize(0x0000, 1, 0)), std::nullopt);
  TaskFileCommand withData = Sanitize(0x0000, 0, 0);
  withData.dataIn = true;
  EXPECT_EQ(PermittedTaskFile(withData), std::nullopt);
}

TEST(SanitizeAllowList, ErasingCommandsPassOnlyOnAClaimedDiskWithTheirKeys) {
  const TaskFileCommand block = Sanitize(0x0012, 0x10, 0x426B4572);
  const TaskFileCommand crypto = Sanitize(0x0011, 0x10, 0x43727970);
  const TaskFileCommand overwrite = Sanitize(0x0014, 0x11, 0x4F5700000000);
  for (const TaskFileCommand& c : {block, crypto, overwrite}) {
    EXPECT_EQ(PermittedTaskFile(c), std::nullopt);
    EXPECT_EQ(PermittedTaskFile(c, true), AtaTransfer::None);
  }
  // A wrong key, freeze lock (0020h), antifreeze (0040h) never pass.
  EXPECT_EQ(PermittedTaskFile(Sanitize(0x0012, 0x10, 0x426B4573), true), std::nullopt);
  EXPECT_EQ(PermittedTaskFile(Sanitize(0x0020, 0, 0), true), std::nullopt);
  EXPECT_EQ(PermittedTaskFile(Sanitize(0x0040, 0, 0), true), std::nullopt);
  // A 28-bit SANITIZE is no command of the feature set.
  TaskFileCommand short28 = block;
  short28.previous.reset();
  EXPECT_EQ(PermittedTaskFile(short28, true), std::nullopt);
}

// A 28-bit Security command; `dataOut` carries one sector after the block.
TaskFileCommand Security(std::uint8_t command, bool dataOut) {
  TaskFileCommand c;
  c.current = {0, static_cast<std::uint8_t>(dataOut ? 1 : 0), 0, 0, 0, 0x40, command};
  c.dataOut = dataOut;
  c.dataLength = dataOut ? 512 : 0;
  c.dataOffset = 48;
  c.bufferSize = dataOut ? 560 : 48;
  return c;
}

TEST(SecurityAllowList, PasswordCommandsPassOnlyOnAClaimedDiskWithTheirSector) {
  for (const std::uint8_t command : {0xF1, 0xF2, 0xF4, 0xF6}) {
    EXPECT_EQ(PermittedTaskFile(Security(command, true)), std::nullopt) << int{command};
    EXPECT_EQ(PermittedTaskFile(Security(command, true), true), AtaTransfer::PioOut512) << int{command};
    // Without its password sector, or with a sector outside the request.
    EXPECT_EQ(PermittedTaskFile(Security(command, false), true), std::nullopt) << int{command};
    TaskFileCommand outside = Security(command, true);
    outside.bufferSize = 48;
    EXPECT_EQ(PermittedTaskFile(outside, true), std::nullopt) << int{command};
  }
  EXPECT_EQ(PermittedTaskFile(Security(0xF3, false)), std::nullopt);
  EXPECT_EQ(PermittedTaskFile(Security(0xF3, false), true), AtaTransfer::None);
  // FREEZE LOCK (F5h) would stop a later erase: never.
  EXPECT_EQ(PermittedTaskFile(Security(0xF5, false), true), std::nullopt);
  TaskFileCommand ext = Security(0xF4, true);
  ext.previous = TIDERegisterBlock{};
  EXPECT_EQ(PermittedTaskFile(ext, true), std::nullopt);
}

TEST(SecurityAllowList, ThePasswordGoesOutAsPioDataOutOfOneSector) {
  const Cdb16 cdb = AtaPassThroughCdb({0, 1, 0, 0, 0, 0x40, 0xF1}, AtaTransfer::PioOut512);
  EXPECT_EQ(cdb[0], 0x85);
  EXPECT_EQ(cdb[1], 0x0A) << "protocol 5, PIO data-out";
  EXPECT_EQ(cdb[2], 0x06) << "to the device, length in blocks, from COUNT";
  EXPECT_EQ(cdb[6], 1);
  EXPECT_EQ(cdb[14], 0xF1);
}

}  // namespace
}  // namespace orvella::linux_backend
