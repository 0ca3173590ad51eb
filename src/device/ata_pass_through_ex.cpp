#include "device/ata_pass_through_ex.h"

#include <algorithm>
#include <vector>

#include "platform/byte_order.h"

namespace orvella {
namespace {

constexpr std::uint32_t kTimeoutSeconds = 20;

void PutTaskFile(std::uint8_t* at, const TIDERegisterBlock& r) {
  at[layout::IdeRegsFeatures] = r.bFeaturesReg;
  at[layout::IdeRegsSectorCount] = r.bSectorCountReg;
  at[layout::IdeRegsSectorNumber] = r.bSectorNumberReg;
  at[layout::IdeRegsCylLow] = r.bCylLowReg;
  at[layout::IdeRegsCylHigh] = r.bCylHighReg;
  at[layout::IdeRegsDriveHead] = r.bDriveHeadReg;
  at[layout::IdeRegsCommand] = r.bCommandReg;
}

TIDERegisterBlock TaskFileAt(const std::uint8_t* at) {
  return {at[layout::IdeRegsFeatures], at[layout::IdeRegsSectorCount], at[layout::IdeRegsSectorNumber],
          at[layout::IdeRegsCylLow],   at[layout::IdeRegsCylHigh],     at[layout::IdeRegsDriveHead],
          at[layout::IdeRegsCommand]};
}

}  // namespace

std::uint64_t AtaTaskFileResult::Lba48() const {
  const auto byte = [](std::uint8_t value, int index) { return std::uint64_t{value} << (8 * index); };
  return byte(current.bSectorNumberReg, 0) | byte(current.bCylLowReg, 1) | byte(current.bCylHighReg, 2) |
         byte(previous.bSectorNumberReg, 3) | byte(previous.bCylLowReg, 4) | byte(previous.bCylHighReg, 5);
}

bool AtaPassThrough(Os& os, Handle handle, const AtaTaskFileCommand& command, AtaTaskFileResult& result,
                    AtaSector* data) {
  const std::uint32_t dataLength = command.dataIn ? kAtaSectorSize : 0;
  const std::uint32_t size = layout::AtaPtSize + dataLength;
  std::vector<std::uint8_t> buffer(size, 0);
  std::uint16_t flags = ATA_FLAGS_DRDY_REQUIRED;
  if (command.dataIn) flags |= ATA_FLAGS_DATA_IN;
  if (command.ext48) flags |= ATA_FLAGS_48BIT_COMMAND;
  PutU16(buffer.data(), layout::AtaPtLength, layout::AtaPtSize);
  PutU16(buffer.data(), layout::AtaPtFlags, flags);
  PutU32(buffer.data(), layout::AtaPtDataTransferLength, dataLength);
  PutU32(buffer.data(), layout::AtaPtTimeOutValue, kTimeoutSeconds);
  PutLE(buffer.data(), layout::AtaPtDataBufferOffset, 8, layout::AtaPtSize);
  if (command.ext48) PutTaskFile(buffer.data() + layout::AtaPtPreviousTaskFile, command.previous);
  PutTaskFile(buffer.data() + layout::AtaPtCurrentTaskFile, command.current);

  std::uint32_t returned = 0;
  if (!os.DeviceIoControl(handle, IOCTL_ATA_PASS_THROUGH, buffer.data(), size, buffer.data(), size, &returned))
    return false;
  if (returned < size) return false;
  const TIDERegisterBlock current = TaskFileAt(buffer.data() + layout::AtaPtCurrentTaskFile);
  // The command register holds the status on return.
  if ((current.bCommandReg & (ata::StatusError | ata::StatusDeviceFault)) != 0) return false;
  result.current = current;
  result.previous = TaskFileAt(buffer.data() + layout::AtaPtPreviousTaskFile);
  if (data != nullptr && command.dataIn)
    std::copy_n(buffer.begin() + layout::AtaPtSize, kAtaSectorSize, data->begin());
  return true;
}

}  // namespace orvella
