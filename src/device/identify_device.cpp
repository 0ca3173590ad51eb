#include "device/identify_device.h"

#include <algorithm>
#include <cstring>

#include "platform/byte_order.h"
#include "platform/control_codes.h"

namespace orvella {
namespace {

// The version reply is only asked for; its content does not matter.
constexpr std::uint32_t kVersionOutputLength = 28;
// The identify receive request passes the whole SENDCMDINPARAMS and expects
// exactly the reply header and one sector.
constexpr std::uint32_t kReceiveOutputLength = layout::CmdOutBuffer + kAtaSectorSize;

// The miniport request: SRB_IO_CONTROL, then SENDCMDINPARAMS going in and
// SENDCMDOUTPARAMS coming back, in one buffer used both ways.
constexpr std::uint32_t kMiniportBufferSize = 572;
constexpr std::uint32_t kMiniportTimeoutSeconds = 120;
constexpr std::size_t kMiniportData = layout::SrbIoControlSize + layout::CmdOutBuffer;  // 44
constexpr std::uint32_t kMiniportMinimumReply = kMiniportData + kAtaSectorSize;         // 556

TIDERegisterBlock IdentifyRegisters(std::uint8_t driveNumber) {
  TIDERegisterBlock registers;
  registers.bSectorCountReg = 1;
  registers.bSectorNumberReg = 1;
  registers.bDriveHeadReg = DriveHeadFor(driveNumber);
  registers.bCommandReg = ata::IdentifyDevice;
  return registers;
}

bool IdentifyThroughReceive(Os& os, Handle handle, std::uint8_t driveNumber, AtaSector& data) {
  std::array<std::uint8_t, kVersionOutputLength> version{};
  std::uint32_t returned = 0;
  if (!os.DeviceIoControl(handle, SMART_GET_VERSION, nullptr, 0, version.data(), kVersionOutputLength,
                          &returned)) {
    return false;
  }
  // This request keeps the drive number field at 0; the drive/head register
  // alone says master or slave.
  const CommandBlock block = BuildCommandBlock(kAtaSectorSize, 0, IdentifyRegisters(driveNumber));
  std::array<std::uint8_t, kReceiveOutputLength> reply{};
  if (!os.DeviceIoControl(handle, SMART_RCV_DRIVE_DATA, block.data(), layout::CmdInParamsSize, reply.data(),
                          kReceiveOutputLength, &returned)) {
    return false;
  }
  std::copy_n(reply.begin() + layout::CmdOutBuffer, kAtaSectorSize, data.begin());
  return true;
}

bool IdentifyThroughMiniport(Os& os, Handle handle, std::uint8_t driveNumber, AtaSector& data) {
  std::array<std::uint8_t, kMiniportBufferSize> buffer{};
  PutU32(buffer.data(), layout::SrbHeaderLength, layout::SrbIoControlSize);
  std::memcpy(buffer.data() + layout::SrbSignature, "SCSIDISK", 8);
  PutU32(buffer.data(), layout::SrbTimeout, kMiniportTimeoutSeconds);
  PutU32(buffer.data(), layout::SrbControlCode, IOCTL_SCSI_MINIPORT_IDENTIFY);
  PutU32(buffer.data(), layout::SrbLength, kMiniportBufferSize - layout::SrbIoControlSize);
  const CommandBlock block = BuildCommandBlock(kAtaSectorSize, driveNumber, IdentifyRegisters(driveNumber));
  std::copy(block.begin(), block.end(), buffer.begin() + layout::SrbIoControlSize);

  std::uint32_t returned = 0;
  if (!os.DeviceIoControl(handle, IOCTL_SCSI_MINIPORT, buffer.data(), kMiniportBufferSize, buffer.data(),
                          kMiniportBufferSize, &returned)) {
    return false;
  }
  if (returned < kMiniportMinimumReply) return false;
  std::copy_n(buffer.begin() + kMiniportData, kAtaSectorSize, data.begin());
  return true;
}

}  // namespace

bool IdentifyDevice(Os& os, Handle handle, std::uint8_t driveNumber, AtaSector& data) {
  return IdentifyThroughReceive(os, handle, driveNumber, data) ||
         IdentifyThroughMiniport(os, handle, driveNumber, data);
}

}  // namespace orvella
