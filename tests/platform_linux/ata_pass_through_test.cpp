// S.M.A.R.T. and miniport requests through SG_IO ATA PASS-THROUGH(16),
// against a fake SG_IO: the command blocks sent, the reply layouts, and the
// order in which the answer is judged.
#include "platform/linux/ata_pass_through.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

#include "device/nvme_health_log.h"
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

// ATA_PASS_THROUGH_EX for a task file, as the program builds it; `high`
// makes it a 48-bit command, `dataIn` adds one sector after the block.
Bytes TaskFile(Bytes current, std::optional<Bytes> high = std::nullopt, bool dataIn = false, bool dataOut = false) {
  Bytes block(48 + (dataIn || dataOut ? 512 : 0), 0);
  PutU16(block.data(), layout::AtaPtLength, 48);
  std::uint16_t flags = ATA_FLAGS_DRDY_REQUIRED;
  if (dataIn) flags |= ATA_FLAGS_DATA_IN;
  if (dataOut) flags |= ATA_FLAGS_DATA_OUT;
  if (high) flags |= ATA_FLAGS_48BIT_COMMAND;
  PutU16(block.data(), layout::AtaPtFlags, flags);
  PutU32(block.data(), layout::AtaPtDataTransferLength, dataIn || dataOut ? 512 : 0);
  PutLE(block.data(), layout::AtaPtDataBufferOffset, 8, 48);
  if (high) std::copy(high->begin(), high->end(), block.begin() + layout::AtaPtPreviousTaskFile);
  std::copy(current.begin(), current.end(), block.begin() + layout::AtaPtCurrentTaskFile);
  return block;
}

// Descriptor sense returning a 48-bit LBA in the registers.
Bytes SenseWithLba(std::uint64_t lba) {
  const auto b = [lba](int i) { return static_cast<std::uint8_t>(lba >> (8 * i)); };
  return {0x72, 0x01, 0x00, 0x1D, 0, 0, 0, 14, 0x09, 0x0C, 0x01, 0x00, 0, 0,
          b(3), b(0), b(4), b(1), b(5), b(2), 0xE0, 0x50};
}

TEST(AtaPassThrough, SmartReturnStatusIsNonDataAndRepliesWithTheRegisters) {
  Sata sata;
  Bytes sense = DescriptorSense(0x01, 0x00, 0x1D, 0x00, 0x50);
  sense[17] = 0xF4;  // LBA mid: the failing signature
  sense[19] = 0x2C;
  sata.DriveAnswersWithSense(sense);
  Bytes out(527, 0);
  std::uint32_t returned = 0;
  const Bytes status{0xDA, 0x01, 0x01, 0x4F, 0xC2, 0xA0, 0xB0};
  ASSERT_TRUE(sata.Send(SMART_SEND_DRIVE_COMMAND, CommandBlock(8, status), out, &returned));
  EXPECT_EQ(sata.Cdb(), (Bytes{0x85, 0x06, 0x20, 0, 0xDA, 0, 0x01, 0, 0x01, 0, 0x4F, 0, 0xC2, 0xA0, 0xB0, 0}));
  EXPECT_EQ(returned, 24u);
  EXPECT_EQ(out[16 + layout::IdeRegsCylLow], 0xF4);
  EXPECT_EQ(out[16 + layout::IdeRegsCylHigh], 0x2C);
  // Thresholds are read like the values page.
  sata.DriveAnswers();
  const Bytes thresholds{0xD1, 0x01, 0x01, 0x4F, 0xC2, 0xA0, 0xB0};
  Bytes page(1039, 0);
  ASSERT_TRUE(sata.Send(SMART_RCV_DRIVE_DATA, CommandBlock(512, thresholds), page, &returned));
  EXPECT_EQ(sata.Cdb(), (Bytes{0x85, 0x08, 0x0E, 0, 0xD1, 0, 0x01, 0, 0x01, 0, 0x4F, 0, 0xC2, 0xA0, 0xB0, 0}));
}

TEST(AtaPassThrough, NativeMaximumCommandsAre48BitNonDataWithTheAddressBack) {
  Sata sata;
  const std::uint64_t last = 976774167;  // 1000 sectors beyond an accessible 976,773,168
  sata.DriveAnswersWithSense(SenseWithLba(last));
  Bytes block = TaskFile({0, 0, 0, 0, 0, 0xE0, 0x27}, Bytes(8, 0));
  std::uint32_t returned = 0;
  ASSERT_TRUE(sata.Send(IOCTL_ATA_PASS_THROUGH, block, block, &returned));
  EXPECT_EQ(sata.Cdb(), (Bytes{0x85, 0x07, 0x20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xE0, 0x27, 0}));
  EXPECT_EQ(returned, 48u);
  const std::uint8_t* current = block.data() + layout::AtaPtCurrentTaskFile;
  const std::uint8_t* previous = block.data() + layout::AtaPtPreviousTaskFile;
  const std::uint64_t answered = std::uint64_t{current[2]} | std::uint64_t{current[3]} << 8 |
                                 std::uint64_t{current[4]} << 16 | std::uint64_t{previous[2]} << 24 |
                                 std::uint64_t{previous[3]} << 32 | std::uint64_t{previous[4]} << 40;
  EXPECT_EQ(answered, last);
  EXPECT_EQ(current[6], 0x50);  // the status

  Bytes ama = TaskFile({0x00, 0, 0, 0, 0, 0xE0, 0x78}, Bytes(8, 0));
  ASSERT_TRUE(sata.Send(IOCTL_ATA_PASS_THROUGH, ama, ama));
  EXPECT_EQ(sata.Cdb(), (Bytes{0x85, 0x07, 0x20, 0, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0xE0, 0x78, 0}));

  // Fixed sense can only say that the upper address bytes are not zero: no
  // answer rather than a wrong one.
  Bytes fixed(18, 0);
  fixed[0] = 0x70;
  fixed[2] = 0x01;
  fixed[4] = 0x50;
  fixed[7] = 10;
  fixed[8] = 0xA0;  // EXTEND, LBA upper non-zero
  fixed[12] = 0x00;
  fixed[13] = 0x1D;
  sata.DriveAnswersWithSense(fixed);
  Bytes again = TaskFile({0, 0, 0, 0, 0, 0xE0, 0x27}, Bytes(8, 0));
  EXPECT_FALSE(sata.Send(IOCTL_ATA_PASS_THROUGH, again, again));
  EXPECT_EQ(sata.os.GetLastError(), ERROR_IO_DEVICE);
}

TEST(AtaPassThrough, ARefusedSanitizeStatusHandsBackTheDrivesRegistersWithItsReason) {
  Sata sata;
  // After a failed sanitize the drive aborts SANITIZE STATUS EXT and puts
  // its reason (1: unsuccessful) in LBA 7:0.
  sata.DriveAnswersWithSense(DescriptorSense(0x0B, 0x00, 0x00, 0x04, 0x51));
  Bytes block = TaskFile({0, 0, 0, 0, 0, 0x40, 0xB4}, Bytes(8, 0));
  std::uint32_t returned = 0;
  ASSERT_TRUE(sata.Send(IOCTL_ATA_PASS_THROUGH, block, block, &returned));
  EXPECT_EQ(returned, 48u);
  const std::uint8_t* current = block.data() + layout::AtaPtCurrentTaskFile;
  EXPECT_EQ(current[layout::IdeRegsCommand], 0x51);
  EXPECT_EQ(current[layout::IdeRegsFeatures], 0x04);
  EXPECT_EQ(current[layout::IdeRegsSectorNumber], 0x01);
  // An answer without the drive's registers stays a failed request.
  Bytes noRegisters(18, 0);
  noRegisters[0] = 0x70;
  noRegisters[2] = 0x0B;
  noRegisters[7] = 10;
  sata.DriveAnswersWithSense(noRegisters);
  Bytes again = TaskFile({0, 0, 0, 0, 0, 0x40, 0xB4}, Bytes(8, 0));
  EXPECT_FALSE(sata.Send(IOCTL_ATA_PASS_THROUGH, again, again));
  EXPECT_EQ(sata.os.GetLastError(), ERROR_IO_DEVICE);
}

TEST(AtaPassThrough, DeviceConfigurationIdentifyIsPioDataInOfOneSector) {
  Sata sata;
  sata.DriveAnswers();
  Bytes block = TaskFile({0xC2, 0, 0, 0, 0, 0xA0, 0xB1}, std::nullopt, true);
  std::uint32_t returned = 0;
  ASSERT_TRUE(sata.Send(IOCTL_ATA_PASS_THROUGH, block, block, &returned));
  EXPECT_EQ(sata.Cdb(), (Bytes{0x85, 0x08, 0x0E, 0, 0xC2, 0, 0, 0, 0, 0, 0, 0, 0, 0xA0, 0xB1, 0}));
  EXPECT_EQ(returned, 560u);
  EXPECT_EQ(block[47], 0);
  EXPECT_EQ(block[48], 0x5A);
  EXPECT_EQ(block[559], 0x5A);
}

TEST(AtaPassThrough, TheTaskFileRequestRefusesEverythingThatChangesTheDrive) {
  Sata sata;
  sata.DriveAnswers();
  const Bytes high(8, 0);
  const Bytes refused[] = {
      TaskFile({0, 0, 0, 0, 0, 0xE0, 0x37}, high),                    // SET MAX ADDRESS EXT
      TaskFile({0x01, 0, 0, 0, 0, 0xE0, 0x78}, high),                 // SET ACCESSIBLE MAX ADDRESS EXT
      TaskFile({0x02, 0, 0, 0, 0, 0xE0, 0x78}, high),                 // FREEZE ACCESSIBLE MAX ADDRESS EXT
      TaskFile({0xC0, 0, 0, 0, 0, 0xA0, 0xB1}),                       // DEVICE CONFIGURATION RESTORE
      TaskFile({0xC1, 0, 0, 0, 0, 0xA0, 0xB1}),                       // DEVICE CONFIGURATION FREEZE LOCK
      TaskFile({0xC3, 0, 0, 0, 0, 0xA0, 0xB1}, std::nullopt, false, true),  // DEVICE CONFIGURATION SET
      TaskFile({0, 1, 0, 0, 0, 0xE0, 0x35}, high, false, true),       // WRITE DMA EXT
      TaskFile({0, 0, 0, 0, 0, 0xE0, 0x27}, high, false, true),       // a read with a data-out flag
      TaskFile({0, 0, 0, 0, 0, 0xE0, 0x27}),                          // 27h without its 48-bit registers
      TaskFile({0x00, 0x01, 0x01, 0x00, 0x00, 0xA0, 0xF4}),           // SECURITY ERASE UNIT
      TaskFile({0xD6, 0x01, 0x01, 0x4F, 0xC2, 0xA0, 0xB0}),           // SMART WRITE LOG
  };
  for (const Bytes& in : refused) {
    Bytes out = in;
    EXPECT_FALSE(sata.Send(IOCTL_ATA_PASS_THROUGH, in, out));
    EXPECT_EQ(sata.os.GetLastError(), ERROR_INVALID_PARAMETER);
  }
  Bytes shortBlock(40, 0);
  EXPECT_FALSE(sata.Send(IOCTL_ATA_PASS_THROUGH, shortBlock, shortBlock));
  EXPECT_TRUE(sata.kernel.cdbs.empty());
}

TEST(NvmeHealthLogRequest, GetLogPageForLog02hAnswersTheProtocolQuery) {
  FakeKernel kernel(FixtureRoot("desktop"));
  nvme_admin_cmd seen{};
  kernel.nvmeAdmin = [&seen](nvme_admin_cmd& c) {
    seen = c;
    auto* log = reinterpret_cast<std::uint8_t*>(static_cast<std::uintptr_t>(c.addr));
    log[1] = 0x36;  // 310 K
    log[1 + 1] = 0x01;
    log[32 + 16 * 6] = 0x43;  // power-on hours
    return 0;
  };
  LinuxOs os(kernel, FixtureRoot("desktop"));
  const Handle nvme = os.CreateFileW(DrivePath(kNvme), GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, 0);
  NvmeLogPage page{};
  ASSERT_TRUE(ReadNvmeHealthLog(os, nvme, page));
  EXPECT_EQ(seen.opcode, 0x02);
  EXPECT_EQ(seen.nsid, 0xFFFFFFFFu);
  EXPECT_EQ(seen.cdw10, 0x007F0002u);  // 128 dwords less one, log 02h
  EXPECT_EQ(seen.data_len, 512u);
  const NvmeHealthLog log = ParseNvmeHealthLog(page);
  EXPECT_EQ(log.compositeTemperatureKelvin, 310);
  EXPECT_EQ(log.powerOnHours.low, 0x43u);

  kernel.nvmeAdmin = [](nvme_admin_cmd&) { return 0x4002; };  // invalid field
  EXPECT_FALSE(ReadNvmeHealthLog(os, nvme, page));
  EXPECT_EQ(os.GetLastError(), ERROR_NOT_SUPPORTED);

  // A SATA drive has no NVMe log to give.
  Sata sata;
  EXPECT_FALSE(ReadNvmeHealthLog(sata.os, sata.disk, page));
  EXPECT_EQ(sata.os.GetLastError(), ERROR_NOT_SUPPORTED);
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
