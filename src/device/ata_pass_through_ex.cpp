#include "device/ata_pass_through_ex.h"

#include <algorithm>
#include <vector>

#include "platform/byte_order.h"

namespace orvella {

std::uint64_t AtaTaskFileResult::Lba48() const {
  const auto byte = [](std::uint8_t value, int index) { return std::uint64_t{value} << (8 * index); };
  return byte(current.bSectorNumberReg, 0) | byte(current.bCylLowReg, 1) | byte(current.bCylHighReg, 2) |
         byte(previous.bSectorNumberReg, 3) | byte(previous.bCylLowReg, 4) | byte(previous.bCylHighReg, 5);
}

bool AtaPassThroughRegisters(Os& os, Handle handle, const AtaTaskFileCommand& command, AtaTaskFileResult& result,
                             bool& aborted, AtaSector* data) {
  const bool carriesData = command.dataIn || command.dataOut;
  const std::uint32_t dataLength = carriesData ? kAtaSectorSize : 0;
  const std::uint32_t size = layout::AtaPtSize + dataLength;
  std::vector<std::uint8_t> buffer(size, 0);
  std::uint16_t flags = ATA_FLAGS_DRDY_REQUIRED;
  if (command.dataIn) flags |= ATA_FLAGS_DATA_IN;
  if (command.dataOut) flags |= ATA_FLAGS_DATA_OUT;
  if (command.ext48) flags |= ATA_FLAGS_48BIT_COMMAND;
  PutU16(buffer.data(), layout::AtaPtLength, layout::AtaPtSize);
  PutU16(buffer.data(), layout::AtaPtFlags, flags);
  PutU32(buffer.data(), layout::AtaPtDataTransferLength, dataLength);
  PutU32(buffer.data(), layout::AtaPtTimeOutValue, command.timeoutSeconds);
  PutLE(buffer.data(), layout::AtaPtDataBufferOffset, 8, layout::AtaPtSize);
  if (command.ext48) PutIdeRegisters(buffer.data() + layout::AtaPtPreviousTaskFile, command.previous);
  PutIdeRegisters(buffer.data() + layout::AtaPtCurrentTaskFile, command.current);
  if (command.dataOut && data != nullptr) std::copy(data->begin(), data->end(), buffer.begin() + layout::AtaPtSize);

  std::uint32_t returned = 0;
  if (!os.DeviceIoControl(handle, IOCTL_ATA_PASS_THROUGH, buffer.data(), size, buffer.data(), size, &returned))
    return false;
  const std::uint32_t expected = command.dataIn ? size : layout::AtaPtSize;
  if (returned < expected) return false;
  result.current = IdeRegistersAt(buffer.data() + layout::AtaPtCurrentTaskFile);
  result.previous = IdeRegistersAt(buffer.data() + layout::AtaPtPreviousTaskFile);
  // The command register holds the status on return.
  aborted = (result.current.bCommandReg & (ata::StatusError | ata::StatusDeviceFault)) != 0;
  if (!aborted && data != nullptr && command.dataIn)
    std::copy_n(buffer.begin() + layout::AtaPtSize, kAtaSectorSize, data->begin());
  return true;
}

bool AtaPassThrough(Os& os, Handle handle, const AtaTaskFileCommand& command, AtaTaskFileResult& result,
                    AtaSector* data) {
  AtaTaskFileResult answer;
  bool aborted = false;
  if (!AtaPassThroughRegisters(os, handle, command, answer, aborted, data) || aborted) return false;
  result = answer;
  return true;
}

}  // namespace orvella
