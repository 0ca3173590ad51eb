#include "platform/windows/scsi_pass_through_direct.h"

#include <algorithm>
#include <cstring>

#include "platform/byte_order.h"

namespace orvella {

std::vector<std::uint8_t> ScsiPassThroughDirectRequest(const ScsiCommand& command, void* data) {
  namespace l = layout;
  std::vector<std::uint8_t> request(l::SptdRequestSize, 0);
  PutU16(request.data(), l::SptdLength, static_cast<std::uint16_t>(l::SptdSize));
  request[l::SptdCdbLength] = command.cdbLength;
  request[l::SptdSenseInfoLength] = static_cast<std::uint8_t>(kScsiSenseSize);
  switch (command.direction) {
    case ScsiCommand::Direction::In: request[l::SptdDataIn] = l::SptdDirectionIn; break;
    case ScsiCommand::Direction::Out: request[l::SptdDataIn] = l::SptdDirectionOut; break;
    case ScsiCommand::Direction::None: request[l::SptdDataIn] = l::SptdDirectionNone; break;
  }
  const bool carries = command.direction != ScsiCommand::Direction::None && !command.data.empty();
  PutU32(request.data(), l::SptdDataTransferLength, carries ? static_cast<std::uint32_t>(command.data.size()) : 0);
  PutU32(request.data(), l::SptdTimeOutValue, (command.timeoutMilliseconds + 999) / 1000);
  void* buffer = carries ? data : nullptr;
  std::memcpy(request.data() + l::SptdDataBuffer, &buffer, sizeof buffer);
  PutU32(request.data(), l::SptdSenseInfoOffset, static_cast<std::uint32_t>(l::SptdSense));
  std::copy_n(command.cdb.begin(), std::min<std::size_t>(command.cdbLength, kScsiMaxCdbSize),
              request.begin() + static_cast<std::ptrdiff_t>(l::SptdCdb));
  return request;
}

void ReadScsiPassThroughDirectAnswer(const std::vector<std::uint8_t>& request, ScsiCommand& command) {
  namespace l = layout;
  command.status = request[l::SptdScsiStatus];
  const std::size_t senseLength = std::min<std::size_t>(request[l::SptdSenseInfoLength], kScsiSenseSize);
  command.sense.assign(request.begin() + static_cast<std::ptrdiff_t>(l::SptdSense),
                       request.begin() + static_cast<std::ptrdiff_t>(l::SptdSense + senseLength));
  // Windows leaves the bytes it moved in DataTransferLength.
  const std::uint32_t moved = GetU32(request.data(), l::SptdDataTransferLength);
  const auto asked = static_cast<std::uint32_t>(command.direction == ScsiCommand::Direction::None ? 0 : command.data.size());
  command.residual = asked - std::min(moved, asked);
}

}  // namespace orvella
