// S.M.A.R.T. and miniport requests through SG_IO ATA PASS-THROUGH(16),
// against a fake SG_IO: the command blocks sent, the reply layouts, and the
// order in which the answer is judged.
#include "platform/linux/ata_pass_through.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/byte_order.h"
#include "platform/linux/linux_os.h"
#include "platform_linux/fake_kernel.h"
#include "platform_linux/linux_test_support.h"

namespace orvella::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int kSata = 0;
constexpr int kNvme = 2;

// SENDCMDINPARAMS for a register block, as the program builds it.
Bytes CommandBlock(std::uint32_t bufferSize, Bytes registers, std::uint8_t driveNumber = 0) {
  Bytes block(33, 0);
  PutU32(block.data(), layout::CmdInBufferSize, bufferSize);
  std::copy(registers.begin(), registers.end(), block.begin() + layout::CmdInDriveRegs);
  block[layout::CmdInDriveNumber] = driveNumber;
  return block;
}

const Bytes kIdentify{0x00, 0x01, 0x01, 0x00, 0x00, 0xA0, 0xEC};
const Bytes kSmartReadData{0xD0, 0x01, 0x01, 0x4F, 0xC2, 0xA0, 0xB0};
const Bytes kSmartEnableSlave{0xD8, 0x01, 0x01, 0x4F, 0xC2, 0xB0, 0xB0};

// Descriptor-format sense with an ATA Status Return descriptor.
Bytes DescriptorSense(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq, std::uint8_t error, std::uint8_t status) {
  Bytes sense{0x72, key, asc, ascq, 0, 0, 0, 14, 0x09, 0x0C, 0, error, 0, 1, 0, 1, 0, 0x4F, 0, 0xC2, 0xA0, status};
  return sense;
}

struct Sata {
  Sata() : kernel(FixtureRoot("desktop")), os(kernel, FixtureRoot("desktop")) {
    disk = os.CreateFileW(DrivePath(kSata), GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, 0);
  }
  // The drive answers data-in commands with a sector of 0x5A bytes.
  void DriveAnswers() {
    kernel.sgIo = [](sg_io_hdr_t& h) {
      if (h.dxfer_len > 0) std::memset(h.dxferp, 0x5A, h.dxfer_len);
      return 0;
    };
  }
  void DriveAnswersWithSense(Bytes sense, std::uint8_t status = 0x02) {
    kernel.sgIo = [sense, status](sg_io_hdr_t& h) {
      h.status = status;
      h.driver_status = 0x08;
      std::memcpy(h.sbp, sense.data(), sense.size());
      h.sb_len_wr = static_cast<unsigned char>(sense.size());
      return 0;
    };
  }
  bool Send(std::uint32_t code, const Bytes& in, Bytes& out, std::uint32_t* returned = nullptr) {
    std::uint32_t ignored = 0;
    return os.DeviceIoControl(disk, code, in.data(), static_cast<std::uint32_t>(in.size()), out.data(),
                              static_cast<std::uint32_t>(out.size()), returned != nullptr ? returned : &ignored);
  }
  Bytes Cdb() const { return kernel.cdbs.back(); }

  FakeKernel kernel;
  LinuxOs os;
  Handle disk = INVALID_HANDLE_VALUE;
};

TEST(AtaPassThrough, IdentifyIsPioDataInOfOneSectorAndRepliesAsSendCmdOutParams) {
  Sata sata;
  sata.DriveAnswers();
  sg_io_hdr_t seen{};
  sata.kernel.sgIo = [&seen](sg_io_hdr_t& h) {
    seen = h;
    std::memset(h.dxferp, 0x5A, h.dxfer_len);
    return 0;
  };
  Bytes out(528, 0);
  std::uint32_t returned = 0;
  ASSERT_TRUE(sata.Send(SMART_RCV_DRIVE_DATA, CommandBlock(512, kIdentify), out, &returned));
  EXPECT_EQ(sata.Cdb(), (Bytes{0x85, 0x08, 0x0E, 0, 0x00, 0, 0x01, 0, 0x01, 0, 0x00, 0, 0x00, 0xA0, 0xEC, 0}));
  EXPECT_EQ(seen.dxfer_direction, SG_DXFER_FROM_DEV);
  EXPECT_EQ(seen.dxfer_len, 512u);
  EXPECT_EQ(seen.timeout, 20000u);
  EXPECT_EQ(returned, 528u);
  EXPECT_EQ(GetU32(out.data(), layout::CmdOutBufferSize), 512u);
  EXPECT_EQ(out[layout::CmdOutDriverError], 0);
  EXPECT_EQ(out[16], 0x5A);
  EXPECT_EQ(out[527], 0x5A);
}

TEST(AtaPassThrough, SmartReadDataGoesThroughReceiveOrSendWithTheSignature) {
  Sata sata;
  sata.DriveAnswers();
  Bytes out(1039, 0);
  std::uint32_t returned = 0;
  ASSERT_TRUE(sata.Send(SMART_RCV_DRIVE_DATA, CommandBlock(512, kSmartReadData), out, &returned));
  EXPECT_EQ(sata.Cdb(), (Bytes{0x85, 0x08, 0x0E, 0, 0xD0, 0, 0x01, 0, 0x01, 0, 0x4F, 0, 0xC2, 0xA0, 0xB0, 0}));
  EXPECT_EQ(returned, 528u);
  ASSERT_TRUE(sata.Send(SMART_SEND_DRIVE_COMMAND, CommandBlock(512, kSmartReadData), out, &returned));
  EXPECT_EQ(returned, 528u);
}

TEST(AtaPassThrough, SmartEnableIsNonDataAskingForTheRegisters) {
  Sata sata;
  sata.DriveAnswersWithSense(DescriptorSense(0x01, 0x00, 0x1D, 0x00, 0x50));
  Bytes out(527, 0);
  std::uint32_t returned = 0;
  ASSERT_TRUE(sata.Send(SMART_SEND_DRIVE_COMMAND, CommandBlock(0, kSmartEnableSlave, 1), out, &returned));
  EXPECT_EQ(sata.Cdb(), (Bytes{0x85, 0x06, 0x20, 0, 0xD8, 0, 0x01, 0, 0x01, 0, 0x4F, 0, 0xC2, 0xB0, 0xB0, 0}));
  EXPECT_EQ(returned, 16u);
}

TEST(AtaPassThrough, MiniportIdentifyKeepsTheHeaderAndPutsTheDataAt44) {
  Sata sata;
  sata.DriveAnswers();
  Bytes buffer(572, 0);
  PutU32(buffer.data(), layout::SrbHeaderLength, 28);
  std::memcpy(buffer.data() + layout::SrbSignature, "SCSIDISK", 8);
  PutU32(buffer.data(), layout::SrbTimeout, 120);
  PutU32(buffer.data(), layout::SrbControlCode, IOCTL_SCSI_MINIPORT_IDENTIFY);
  PutU32(buffer.data(), layout::SrbLength, 544);
  const Bytes block = CommandBlock(512, kIdentify);
  std::copy(block.begin(), block.end(), buffer.begin() + 28);
  std::uint32_t returned = 0;
  ASSERT_TRUE(sata.Send(IOCTL_SCSI_MINIPORT, buffer, buffer, &returned));
  EXPECT_EQ(returned, 556u);
  EXPECT_EQ(std::memcmp(buffer.data() + 4, "SCSIDISK", 8), 0);
  EXPECT_EQ(GetU32(buffer.data(), layout::SrbReturnCode), 0u);
  EXPECT_EQ(buffer[43], 0);
  EXPECT_EQ(buffer[44], 0x5A);
  EXPECT_EQ(buffer[555], 0x5A);
}

TEST(AtaPassThrough, OnlyTheReadingCommandsTheProgramUsesReachTheDrive) {
  Sata sata;
  sata.DriveAnswers();
  Bytes out(1039, 0);
  const Bytes writeSectors{0x00, 0x01, 0x00, 0x00, 0x00, 0xE0, 0x30};
  const Bytes smartWriteLog{0xD6, 0x01, 0x01, 0x4F, 0xC2, 0xA0, 0xB0};
  const Bytes securityErase{0x00, 0x00, 0x00, 0x00, 0x00, 0xA0, 0xF4};
  for (const Bytes& registers : {writeSectors, smartWriteLog, securityErase}) {
    EXPECT_FALSE(sata.Send(SMART_SEND_DRIVE_COMMAND, CommandBlock(512, registers), out));
    EXPECT_EQ(sata.os.GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(sata.Send(SMART_RCV_DRIVE_DATA, CommandBlock(512, registers), out));
  }
  EXPECT_FALSE(sata.Send(SMART_RCV_DRIVE_DATA, CommandBlock(0, kSmartEnableSlave), out));
  EXPECT_TRUE(sata.kernel.cdbs.empty());
}

TEST(AtaPassThrough, SmartVersionAndScsiAddressComeFromSysfs) {
  Sata sata;
  Bytes version(28, 0);
  std::uint32_t returned = 0;
  ASSERT_TRUE(sata.Send(SMART_GET_VERSION, {}, version, &returned));
  EXPECT_EQ(returned, 24u);
  EXPECT_EQ(version[layout::VersionBVersion], 1);
  EXPECT_EQ(version[layout::VersionBIdeDeviceMap], 0x01);  // master: not a slave position
  EXPECT_EQ(GetU32(version.data(), layout::VersionFCapabilities), 0x05u);
  Bytes address(512, 0);
  ASSERT_TRUE(sata.Send(IOCTL_SCSI_GET_ADDRESS, {}, address));
  EXPECT_EQ(address[0], 8);
  EXPECT_TRUE(sata.kernel.cdbs.empty());
}

TEST(AtaPassThrough, DrivesWithoutAnAtaTransportAnswerInvalidFunction) {
  FakeKernel kernel(FixtureRoot("desktop"));
  LinuxOs os(kernel, FixtureRoot("desktop"));
  const Handle nvme = os.CreateFileW(DrivePath(kNvme), GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, 0);
  Bytes out(528, 0);
  const Bytes in = CommandBlock(512, kIdentify);
  for (std::uint32_t code : {SMART_GET_VERSION, SMART_RCV_DRIVE_DATA, IOCTL_SCSI_GET_ADDRESS}) {
    EXPECT_FALSE(os.DeviceIoControl(nvme, code, in.data(), 33, out.data(), 528, nullptr));
    EXPECT_EQ(os.GetLastError(), ERROR_INVALID_FUNCTION);
  }
  EXPECT_TRUE(kernel.cdbs.empty());
}

TEST(AtaPassThrough, DriveAbortAndMissingSgIoFailAsUnsupported) {
  Sata sata;
  Bytes out(528, 0);
  sata.DriveAnswersWithSense(DescriptorSense(0x0B, 0x00, 0x00, 0x04, 0x51));
  EXPECT_FALSE(sata.Send(SMART_RCV_DRIVE_DATA, CommandBlock(512, kSmartReadData), out));
  EXPECT_EQ(sata.os.GetLastError(), ERROR_INVALID_FUNCTION);
  sata.kernel.sgIo = nullptr;  // ENOTTY
  EXPECT_FALSE(sata.Send(SMART_RCV_DRIVE_DATA, CommandBlock(512, kIdentify), out));
  EXPECT_EQ(sata.os.GetLastError(), ERROR_INVALID_FUNCTION);
}

TEST(AtaAnswer, IsJudgedInOrderIoctlHostDriverStatusThenAtaRegisters) {
  using linux_backend::JudgeAtaAnswer;
  using linux_backend::SgAnswer;
  const Bytes abort = DescriptorSense(0x0B, 0, 0, 0x04, 0x51);
  const auto answer = [&abort](int ioctl, std::uint16_t host, std::uint16_t driver, std::uint8_t status) {
    return SgAnswer{ioctl, host, driver, status, abort.data(), abort.size()};
  };
  EXPECT_EQ(JudgeAtaAnswer(answer(-EIO, 0x03, 0x06, 2)).error, ERROR_IO_DEVICE);
  EXPECT_EQ(JudgeAtaAnswer(answer(-EINVAL, 0x03, 0x06, 2)).error, ERROR_INVALID_FUNCTION);
  EXPECT_EQ(JudgeAtaAnswer(answer(0, 0x03, 0x06, 2)).error, ERROR_SEM_TIMEOUT);
  EXPECT_EQ(JudgeAtaAnswer(answer(0, 0x01, 0x06, 2)).error, ERROR_DEV_NOT_EXIST);
  EXPECT_EQ(JudgeAtaAnswer(answer(0, 0x07, 0x06, 2)).error, ERROR_IO_DEVICE);
  EXPECT_EQ(JudgeAtaAnswer(answer(0, 0, 0x06, 2)).error, ERROR_SEM_TIMEOUT);
  EXPECT_EQ(JudgeAtaAnswer(answer(0, 0, 0x08, 0x08)).error, ERROR_IO_DEVICE);  // BUSY
  const auto outcome = JudgeAtaAnswer(answer(0, 0, 0x08, 2));
  EXPECT_EQ(outcome.error, ERROR_INVALID_FUNCTION);
  EXPECT_EQ(outcome.ataStatus, 0x51);
  EXPECT_EQ(outcome.ataError, 0x04);
}

TEST(AtaAnswer, SenseInDescriptorAndFixedFormat) {
  using linux_backend::DecodeSense;
  using linux_backend::JudgeAtaAnswer;
  const auto judge = [](const Bytes& sense) {
    return JudgeAtaAnswer({0, 0, 0x08, 0x02, sense.data(), sense.size()}).error;
  };
  // Registers returned on request: the command ran.
  EXPECT_EQ(judge(DescriptorSense(0x01, 0x00, 0x1D, 0x00, 0x50)), 0u);
  // The drive failed the command, but not by refusing it.
  EXPECT_EQ(judge(DescriptorSense(0x0B, 0x00, 0x00, 0x40, 0x51)), ERROR_IO_DEVICE);
  // Fixed format: ERROR and STATUS in the INFORMATION field.
  Bytes fixed(18, 0);
  fixed[0] = 0xF0;
  fixed[2] = 0x0B;
  fixed[3] = 0x04;
  fixed[4] = 0x51;
  fixed[7] = 10;
  const auto facts = DecodeSense(fixed.data(), fixed.size());
  EXPECT_TRUE(facts.hasAtaRegisters);
  EXPECT_EQ(facts.ataStatus, 0x51);
  EXPECT_EQ(judge(fixed), ERROR_INVALID_FUNCTION);
  // The SAT layer does not know the command, or the drive is not ready.
  Bytes illegal(18, 0);
  illegal[0] = 0x70;
  illegal[2] = 0x05;
  illegal[12] = 0x20;
  EXPECT_EQ(judge(illegal), ERROR_INVALID_FUNCTION);
  illegal[2] = 0x02;
  illegal[12] = 0x3A;
  EXPECT_EQ(judge(illegal), ERROR_NOT_READY);
  EXPECT_EQ(judge({}), ERROR_IO_DEVICE);  // check condition without sense
}

}  // namespace
}  // namespace orvella::test
