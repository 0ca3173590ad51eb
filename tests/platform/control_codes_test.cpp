// The seam's control codes against the fields they are made of: device
// type, function, transfer method and access, as CTL_CODE packs them. A
// code that is off by one field sends another request on real Windows.
#include <gtest/gtest.h>

#include "platform/control_codes.h"

namespace orvella {
namespace {

constexpr std::uint32_t CtlCode(std::uint32_t deviceType, std::uint32_t function, std::uint32_t method,
                                std::uint32_t access) {
  return deviceType << 16 | access << 14 | function << 2 | method;
}

constexpr std::uint32_t kDisk = 0x07, kStorage = 0x2D, kScsi = 0x04, kFileSystem = 0x09;
constexpr std::uint32_t kBuffered = 0, kNeither = 3;
constexpr std::uint32_t kAnyAccess = 0, kRead = 1, kReadWrite = 3;

TEST(ControlCodes, AreTheRequestsTheirNamesSay) {
  EXPECT_EQ(IOCTL_DISK_GET_DRIVE_GEOMETRY, CtlCode(kDisk, 0x000, kBuffered, kAnyAccess));
  EXPECT_EQ(IOCTL_DISK_GET_LENGTH_INFO, CtlCode(kDisk, 0x017, kBuffered, kRead));
  EXPECT_EQ(IOCTL_DISK_UPDATE_PROPERTIES, CtlCode(kDisk, 0x050, kBuffered, kAnyAccess));
  EXPECT_EQ(IOCTL_STORAGE_QUERY_PROPERTY, CtlCode(kStorage, 0x500, kBuffered, kAnyAccess));
  EXPECT_EQ(IOCTL_STORAGE_GET_DEVICE_NUMBER, CtlCode(kStorage, 0x420, kBuffered, kAnyAccess));
  EXPECT_EQ(SMART_GET_VERSION, CtlCode(kDisk, 0x020, kBuffered, kRead));
  EXPECT_EQ(SMART_SEND_DRIVE_COMMAND, CtlCode(kDisk, 0x021, kBuffered, kReadWrite));
  EXPECT_EQ(SMART_RCV_DRIVE_DATA, CtlCode(kDisk, 0x022, kBuffered, kReadWrite));
  EXPECT_EQ(IOCTL_SCSI_MINIPORT, CtlCode(kScsi, 0x402, kBuffered, kReadWrite));
  // Function 0x403 beside it is IOCTL_SCSI_GET_INQUIRY_DATA.
  EXPECT_EQ(IOCTL_SCSI_GET_ADDRESS, CtlCode(kScsi, 0x406, kBuffered, kAnyAccess));
  EXPECT_EQ(IOCTL_SCSI_PASS_THROUGH_DIRECT, CtlCode(kScsi, 0x405, kBuffered, kReadWrite));
  EXPECT_EQ(FSCTL_LOCK_VOLUME, CtlCode(kFileSystem, 6, kBuffered, kAnyAccess));
  EXPECT_EQ(FSCTL_DISMOUNT_VOLUME, CtlCode(kFileSystem, 8, kBuffered, kAnyAccess));
  EXPECT_EQ(FSCTL_ALLOW_EXTENDED_DASD_IO, CtlCode(kFileSystem, 32, kNeither, kAnyAccess));
  // A miniport control code, not a device request: (type << 16) + function.
  EXPECT_EQ(IOCTL_SCSI_MINIPORT_IDENTIFY, (0x1Bu << 16) + 0x501u);
}

}  // namespace
}  // namespace orvella
