#include "platform/linux/ata_pass_through.h"

#include <scsi/sg.h>

#include <algorithm>
#include <cerrno>

#include "platform/error_codes.h"
#include "platform/linux/error_mapping.h"

namespace orvella::linux_backend {
namespace {

constexpr std::uint8_t kAtaPassThrough16 = 0x85;
constexpr std::uint8_t kExtend = 0x01;  // byte 1: a 48-bit command
constexpr std::uint8_t kProtocolNonData = 3;
constexpr std::uint8_t kProtocolPioDataIn = 4;
constexpr std::uint8_t kProtocolPioDataOut = 5;
// Byte 2 of the command block.
constexpr std::uint8_t kCheckCondition = 0x20;  // CK_COND: return the registers
constexpr std::uint8_t kFromDevice = 0x08;      // T_DIR
constexpr std::uint8_t kLengthInBlocks = 0x04;  // BYTE_BLOCK
constexpr std::uint8_t kLengthInCount = 0x02;   // T_LENGTH: the sector count field

// Sense keys.
constexpr std::uint8_t kNoSense = 0x0;
constexpr std::uint8_t kRecoveredError = 0x1;
constexpr std::uint8_t kNotReady = 0x2;
constexpr std::uint8_t kIllegalRequest = 0x5;
constexpr std::uint8_t kAbortedCommand = 0xB;

// SCSI status, host and driver codes of the SCSI generic driver.
constexpr std::uint8_t kScsiGood = 0x00;
constexpr std::uint8_t kScsiCheckCondition = 0x02;
constexpr std::uint16_t kHostNoConnect = 0x01;
constexpr std::uint16_t kHostTimeOut = 0x03;
constexpr std::uint16_t kHostBadTarget = 0x04;
constexpr std::uint16_t kDriverMask = 0x0F;
constexpr std::uint16_t kDriverTimeout = 0x06;
constexpr std::uint16_t kDriverSense = 0x08;

// ATA status and error bits.
constexpr std::uint8_t kStatusError = 0x01;
constexpr std::uint8_t kStatusDeviceFault = 0x20;
constexpr std::uint8_t kStatusBusy = 0x80;
constexpr std::uint8_t kErrorAbort = 0x04;

constexpr std::uint8_t kAtaStatusDescriptor = 0x09;

bool IsNotSupported(int errnoValue) {
  return errnoValue == ENOTTY || errnoValue == EINVAL || errnoValue == ENOSYS || errnoValue == EOPNOTSUPP;
}

AtaOutcome Failure(std::uint32_t error) {
  AtaOutcome outcome;
  outcome.error = error;
  return outcome;
}

// The drive's own verdict: ABRT is the drive refusing the command.
AtaOutcome JudgeAtaRegisters(const SenseFacts& sense) {
  AtaOutcome outcome{ERROR_SUCCESS, sense.ataError, sense.ataStatus, sense.registers, std::nullopt};
  if (sense.highBytesKnown) outcome.previous = sense.previous;
  if ((sense.ataStatus & (kStatusError | kStatusDeviceFault)) != 0)
    outcome.error = (sense.ataError & kErrorAbort) != 0 ? ERROR_INVALID_FUNCTION : ERROR_IO_DEVICE;
  else if ((sense.ataStatus & kStatusBusy) != 0)
    outcome.error = ERROR_IO_DEVICE;
  return outcome;
}

AtaOutcome JudgeSense(const SenseFacts& sense) {
  if (!sense.valid) return Failure(ERROR_IO_DEVICE);
  switch (sense.key) {
    case kIllegalRequest: return Failure(ERROR_INVALID_FUNCTION);
    case kNotReady: return Failure(ERROR_NOT_READY);
    case kNoSense:
    case kRecoveredError: return sense.hasAtaRegisters ? JudgeAtaRegisters(sense) : AtaOutcome{};
    case kAbortedCommand: return sense.hasAtaRegisters ? JudgeAtaRegisters(sense) : Failure(ERROR_IO_DEVICE);
    default: return Failure(ERROR_IO_DEVICE);
  }
}

}  // namespace

Cdb16 AtaPassThroughCdb(const TIDERegisterBlock& r, AtaTransfer transfer,
                        const std::optional<TIDERegisterBlock>& previous) {
  Cdb16 cdb{};
  cdb[0] = kAtaPassThrough16;
  if (transfer == AtaTransfer::PioIn512) {
    cdb[1] = kProtocolPioDataIn << 1;
    cdb[2] = kFromDevice | kLengthInBlocks | kLengthInCount;
  } else if (transfer == AtaTransfer::PioOut512) {
    cdb[1] = kProtocolPioDataOut << 1;
    cdb[2] = kLengthInBlocks | kLengthInCount;
  } else {
    cdb[1] = kProtocolNonData << 1;
    cdb[2] = kCheckCondition;
  }
  if (previous) {
    cdb[1] |= kExtend;
    cdb[3] = previous->bFeaturesReg;
    cdb[5] = previous->bSectorCountReg;
    cdb[7] = previous->bSectorNumberReg;
    cdb[9] = previous->bCylLowReg;
    cdb[11] = previous->bCylHighReg;
  }
  cdb[4] = r.bFeaturesReg;
  cdb[6] = r.bSectorCountReg;
  cdb[8] = r.bSectorNumberReg;
  cdb[10] = r.bCylLowReg;
  cdb[12] = r.bCylHighReg;
  cdb[13] = r.bDriveHeadReg;
  cdb[14] = r.bCommandReg;
  return cdb;
}

SenseFacts DecodeSense(const std::uint8_t* sb, std::size_t length) {
  SenseFacts facts;
  if (sb == nullptr || length < 4) return facts;
  const std::uint8_t response = sb[0] & 0x7F;
  if (response == 0x72 || response == 0x73) {
    facts.valid = true;
    facts.key = sb[1] & 0x0F;
    facts.asc = sb[2];
    facts.ascq = sb[3];
    const std::size_t end = length < 8 ? length : std::min<std::size_t>(length, 8u + sb[7]);
    for (std::size_t at = 8; at + 1 < end; at += 2u + sb[at + 1]) {
      if (sb[at] != kAtaStatusDescriptor || sb[at + 1] < 12 || at + 14 > end) continue;
      // ERROR, COUNT (15:8, 7:0), LBA (31:24, 7:0, 39:32, 15:8, 47:40,
      // 23:16), DEVICE, STATUS.
      facts.hasAtaRegisters = true;
      facts.ataError = sb[at + 3];
      facts.ataStatus = sb[at + 13];
      facts.registers = {sb[at + 3], sb[at + 5], sb[at + 7], sb[at + 9], sb[at + 11], sb[at + 12], sb[at + 13]};
      facts.previous = {0, sb[at + 4], sb[at + 6], sb[at + 8], sb[at + 10], 0, 0};
      facts.highBytesKnown = true;
      break;
    }
  } else if ((response == 0x70 || response == 0x71) && length >= 14) {
    facts.valid = true;
    facts.key = sb[2] & 0x0F;
    facts.asc = sb[12];
    facts.ascq = sb[13];
    // The INFORMATION field carries ERROR and STATUS for ATA PASS-THROUGH.
    facts.hasAtaRegisters = (sb[0] & 0x80) != 0 || (facts.asc == 0x00 && facts.ascq == 0x1D);
    facts.ataError = sb[3];
    facts.ataStatus = sb[4];
    // ERROR, STATUS, DEVICE and COUNT (7:0) in INFORMATION; LBA (7:0,
    // 15:8, 23:16) in COMMAND-SPECIFIC INFORMATION after its flags byte.
    const std::uint8_t flags = length >= 12 ? sb[8] : 0;
    facts.registers = {sb[3], sb[6], length >= 12 ? sb[9] : std::uint8_t{0}, length >= 12 ? sb[10] : std::uint8_t{0},
                       length >= 12 ? sb[11] : std::uint8_t{0}, sb[5], sb[4]};
    // Flags bits 6 and 5: the upper count or LBA bytes are not zero.
    facts.highBytesKnown = length >= 12 && (flags & 0x60) == 0;
  }
  return facts;
}

std::uint32_t SgDeliveryError(const SgAnswer& answer) {
  if (answer.ioctlResult < 0) {
    const int errnoValue = -answer.ioctlResult;
    return IsNotSupported(errnoValue) ? ERROR_INVALID_FUNCTION : WindowsErrorOf(errnoValue);
  }
  if (answer.hostStatus == kHostNoConnect || answer.hostStatus == kHostBadTarget) return ERROR_DEV_NOT_EXIST;
  if (answer.hostStatus == kHostTimeOut) return ERROR_SEM_TIMEOUT;
  if (answer.hostStatus != 0) return ERROR_IO_DEVICE;
  const std::uint16_t driver = answer.driverStatus & kDriverMask;
  if (driver == kDriverTimeout) return ERROR_SEM_TIMEOUT;
  if (driver != 0 && driver != kDriverSense) return ERROR_IO_DEVICE;
  return 0;
}

AtaOutcome JudgeAtaAnswer(const SgAnswer& answer) {
  if (const std::uint32_t error = SgDeliveryError(answer); error != 0) return Failure(error);
  const SenseFacts sense = DecodeSense(answer.sense, answer.senseLength);
  if (answer.scsiStatus == kScsiGood) return sense.valid ? JudgeSense(sense) : AtaOutcome{};
  if (answer.scsiStatus == kScsiCheckCondition) return JudgeSense(sense);
  return Failure(ERROR_IO_DEVICE);
}

AtaOutcome RunAtaCommand(Syscalls& syscalls, int fd, const TIDERegisterBlock& registers, AtaTransfer transfer,
                         std::uint8_t* data, const std::optional<TIDERegisterBlock>& previous,
                         std::uint32_t timeoutMilliseconds) {
  Cdb16 cdb = AtaPassThroughCdb(registers, transfer, previous);
  std::array<std::uint8_t, 32> sense{};
  sg_io_hdr_t request{};
  request.interface_id = 'S';
  request.cmdp = cdb.data();
  request.cmd_len = static_cast<unsigned char>(cdb.size());
  request.sbp = sense.data();
  request.mx_sb_len = static_cast<unsigned char>(sense.size());
  request.timeout = timeoutMilliseconds;
  if (transfer == AtaTransfer::PioIn512 || transfer == AtaTransfer::PioOut512) {
    request.dxfer_direction = transfer == AtaTransfer::PioIn512 ? SG_DXFER_FROM_DEV : SG_DXFER_TO_DEV;
    request.dxferp = data;
    request.dxfer_len = kAtaSectorSize;
  } else {
    request.dxfer_direction = SG_DXFER_NONE;
  }
  SgAnswer answer;
  answer.ioctlResult = syscalls.Ioctl(fd, SG_IO, &request);
  answer.hostStatus = request.host_status;
  answer.driverStatus = request.driver_status;
  answer.scsiStatus = request.status;
  answer.sense = sense.data();
  answer.senseLength = request.sb_len_wr;
  return JudgeAtaAnswer(answer);
}

}  // namespace orvella::linux_backend
