#include "platform/linux/storage_replies.h"

#include <algorithm>

#include "platform/byte_order.h"
#include "platform/control_codes.h"

namespace orvella::linux_backend {
namespace {

constexpr std::uint32_t kFixedMedia = 12;
constexpr std::uint32_t kRemovableMedia = 11;
constexpr std::uint32_t kHeads = 255;
constexpr std::uint32_t kSectorsPerTrack = 63;
constexpr std::size_t kDeviceTextsStart = 40;  // texts follow the descriptor, 8-byte aligned
constexpr std::size_t kLongestText = 100;      // keeps the whole reply within 512 bytes

}  // namespace

Bytes GeometryReply(std::uint32_t bytesPerSector, std::uint64_t length, bool removable) {
  Bytes reply(layout::DiskGeometrySize, 0);
  const std::uint64_t sectors = bytesPerSector == 0 ? 0 : length / bytesPerSector;
  PutI64(reply.data(), 0, static_cast<std::int64_t>(sectors / (kHeads * kSectorsPerTrack)));
  PutU32(reply.data(), 8, removable ? kRemovableMedia : kFixedMedia);
  PutU32(reply.data(), 12, kHeads);
  PutU32(reply.data(), 16, kSectorsPerTrack);
  PutU32(reply.data(), layout::DiskGeometryBytesPerSector, bytesPerSector);
  return reply;
}

Bytes LengthReply(std::uint64_t length) {
  Bytes reply(layout::LengthInfoSize, 0);
  PutI64(reply.data(), layout::LengthInfoLength, static_cast<std::int64_t>(length));
  return reply;
}

Bytes AdapterDescriptorReply(const DriveFacts& facts) {
  Bytes reply(layout::AdapterDescriptorSize, 0);
  PutU32(reply.data(), layout::AdapterVersion, layout::AdapterDescriptorSize);
  PutU32(reply.data(), layout::AdapterSize, layout::AdapterDescriptorSize);
  PutU32(reply.data(), layout::AdapterMaximumTransferLength, facts.maxTransferBytes);
  PutU32(reply.data(), layout::AdapterMaximumPhysicalPages, facts.maxSegments);
  PutU32(reply.data(), layout::AdapterAlignmentMask, facts.alignmentMask);
  PutU8(reply.data(), layout::AdapterCommandQueueing, facts.commandQueueing ? 1 : 0);
  PutU8(reply.data(), layout::AdapterBusType, facts.busType);
  return reply;
}

Bytes DeviceDescriptorReply(const DriveFacts& facts) {
  Bytes reply(kDeviceTextsStart, 0);
  const auto place = [&reply](std::size_t field, const std::string& text) {
    if (text.empty()) return;
    PutU32(reply.data(), field, static_cast<std::uint32_t>(reply.size()));
    const std::string kept = text.substr(0, kLongestText);
    reply.insert(reply.end(), kept.begin(), kept.end());
    reply.push_back(0);
  };
  place(layout::DeviceVendorIdOffset, facts.vendor);
  place(layout::DeviceProductIdOffset, facts.product);
  place(layout::DeviceProductRevisionOffset, facts.revision);
  place(layout::DeviceSerialNumberOffset, ProbeOrderSerial(facts.serial));
  PutU32(reply.data(), layout::DeviceVersion, kDeviceTextsStart);
  PutU32(reply.data(), layout::DeviceSize, static_cast<std::uint32_t>(reply.size()));
  PutU8(reply.data(), layout::DeviceType, facts.scsiDeviceType);
  PutU8(reply.data(), layout::DeviceRemovableMedia, facts.removable ? 1 : 0);
  PutU8(reply.data(), layout::DeviceCommandQueueing, facts.commandQueueing ? 1 : 0);
  PutU32(reply.data(), layout::DeviceBusType, facts.busType);
  return reply;
}

Bytes DeviceNumberReply(std::uint32_t deviceNumber, std::uint32_t partitionNumber) {
  Bytes reply(layout::DeviceNumberSize, 0);
  PutU32(reply.data(), layout::DeviceNumberDeviceType, layout::FILE_DEVICE_DISK);
  PutU32(reply.data(), layout::DeviceNumberDeviceNumber, deviceNumber);
  PutU32(reply.data(), layout::DeviceNumberPartitionNumber, partitionNumber);
  return reply;
}

std::string ProbeOrderSerial(const std::string& serial) {
  std::string swapped = serial;
  if (swapped.size() % 2 != 0) swapped.push_back(' ');
  for (std::size_t i = 0; i + 1 < swapped.size(); i += 2) std::swap(swapped[i], swapped[i + 1]);
  return swapped;
}

}  // namespace orvella::linux_backend
