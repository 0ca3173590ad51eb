// The storage property query for an NVMe drive's SMART / Health Information
// log, as a backend reads the request and lays out its answer
// (STORAGE_PROTOCOL_DATA_DESCRIPTOR followed by the log).
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/byte_order.h"
#include "platform/control_codes.h"

namespace orvella {

inline constexpr std::size_t kNvmeHealthLogSize = 512;

// A query (already known to ask for the protocol-specific property) for log
// page 02h from its start, with room for the whole log.
inline bool IsNvmeHealthLogQuery(const std::uint8_t* in, std::uint32_t inSize) {
  if (in == nullptr || inSize < layout::PropertyQueryAdditionalParameters + layout::ProtocolSpecificDataSize)
    return false;
  const std::uint8_t* request = in + layout::PropertyQueryAdditionalParameters;
  return GetU32(request, layout::ProtocolProtocolType) == layout::ProtocolTypeNvme &&
         GetU32(request, layout::ProtocolDataType) == layout::NVMeDataTypeLogPage &&
         GetU32(request, layout::ProtocolRequestValue) == 0x02 && GetU32(request, layout::ProtocolRequestSubValue) == 0 &&
         GetU32(request, layout::ProtocolDataLength) >= kNvmeHealthLogSize;
}

// The descriptor echoing the request, with the log right after it.
inline std::vector<std::uint8_t> NvmeHealthLogReply(const std::uint8_t* in, const std::uint8_t* log) {
  std::vector<std::uint8_t> reply(layout::ProtocolDescriptorHeaderSize + kNvmeHealthLogSize, 0);
  PutU32(reply.data(), layout::ProtocolDescriptorVersion, layout::ProtocolDescriptorHeaderSize);
  PutU32(reply.data(), layout::ProtocolDescriptorSize, layout::ProtocolDescriptorHeaderSize);
  std::uint8_t* data = reply.data() + layout::ProtocolDescriptorData;
  std::copy_n(in + layout::PropertyQueryAdditionalParameters, layout::ProtocolSpecificDataSize, data);
  PutU32(data, layout::ProtocolDataOffset, layout::ProtocolSpecificDataSize);
  PutU32(data, layout::ProtocolDataLength, kNvmeHealthLogSize);
  std::copy_n(log, kNvmeHealthLogSize, reply.begin() + layout::ProtocolDescriptorHeaderSize);
  return reply;
}

}  // namespace orvella
