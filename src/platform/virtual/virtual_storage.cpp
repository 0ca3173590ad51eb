// Disk and storage queries of a simulated drive: geometry, length, the
// adapter and device properties, the property refresh and the claim of the
// whole drive.
#include <algorithm>
#include <array>
#include <cstring>

#include "platform/byte_order.h"
#include "platform/virtual/virtual_os.h"

namespace orvella {
namespace {

// Copies a reply into the caller's area, as far as it reaches.
void Reply(const std::uint8_t* data, std::size_t size, void* out, std::uint32_t outSize,
           std::uint32_t* returned) {
  const std::size_t n = std::min<std::size_t>(size, out == nullptr ? 0 : outSize);
  if (n > 0) std::memcpy(out, data, n);
  if (returned != nullptr) *returned = static_cast<std::uint32_t>(n);
}

std::array<std::uint8_t, 512> AdapterDescriptor(const VirtualDrive& drive) {
  std::array<std::uint8_t, 512> d{};
  PutU32(d.data(), layout::AdapterVersion, layout::AdapterDescriptorSize);
  PutU32(d.data(), layout::AdapterSize, layout::AdapterDescriptorSize);
  PutU32(d.data(), layout::AdapterMaximumTransferLength, drive.maxTransferLength);
  PutU32(d.data(), layout::AdapterMaximumPhysicalPages, 33);
  PutU32(d.data(), layout::AdapterAlignmentMask, 1);
  PutU8(d.data(), layout::AdapterBusType, drive.busType);
  return d;
}

// The device descriptor followed by its zero-terminated texts.
std::vector<std::uint8_t> DeviceDescriptor(const VirtualDrive& drive) {
  std::vector<std::uint8_t> d(40, 0);
  const auto place = [&d](std::size_t field, const std::optional<std::string>& text) {
    if (!text) return;
    PutU32(d.data(), field, static_cast<std::uint32_t>(d.size()));
    d.insert(d.end(), text->begin(), text->end());
    d.push_back(0);
  };
  place(layout::DeviceVendorIdOffset, drive.vendor);
  place(layout::DeviceProductIdOffset, drive.product);
  place(layout::DeviceProductRevisionOffset, drive.revision);
  place(layout::DeviceSerialNumberOffset, drive.serial);
  PutU32(d.data(), layout::DeviceVersion, 40);
  PutU32(d.data(), layout::DeviceSize, drive.deviceDescriptorSize.value_or(static_cast<std::uint32_t>(d.size())));
  PutU8(d.data(), layout::DeviceRemovableMedia, drive.removable ? 1 : 0);
  PutU32(d.data(), layout::DeviceBusType, drive.busType);
  return d;
}

}  // namespace

bool VirtualOs::StorageRequest(OpenObject& object, std::uint32_t code, const void* in, std::uint32_t inSize,
                               void* out, std::uint32_t outSize, std::uint32_t* returned) {
  const VirtualDrive& drive = machine_.drives[object.index];
  switch (code) {
    case IOCTL_DISK_GET_DRIVE_GEOMETRY: {
      if (outSize < layout::DiskGeometrySize) return Fail(ERROR_INSUFFICIENT_BUFFER);
      std::array<std::uint8_t, layout::DiskGeometrySize> g{};
      const std::int64_t sector = std::max<std::int64_t>(drive.bytesPerSector, 1);
      PutI64(g.data(), 0, drive.length / sector / (255 * 63));  // cylinders
      PutU32(g.data(), 8, 12);                                    // fixed media
      PutU32(g.data(), 12, 255);
      PutU32(g.data(), 16, 63);
      PutU32(g.data(), layout::DiskGeometryBytesPerSector, drive.bytesPerSector);
      Reply(g.data(), g.size(), out, outSize, returned);
      return Succeed();
    }
    case IOCTL_DISK_GET_LENGTH_INFO: {
      if (outSize < layout::LengthInfoSize) return Fail(ERROR_INSUFFICIENT_BUFFER);
      std::array<std::uint8_t, layout::LengthInfoSize> l{};
      PutI64(l.data(), layout::LengthInfoLength, drive.length);
      Reply(l.data(), l.size(), out, outSize, returned);
      return Succeed();
    }
    case IOCTL_STORAGE_QUERY_PROPERTY: {
      if (in == nullptr || inSize < layout::PropertyQuerySize) return Fail(ERROR_INVALID_PARAMETER);
      const std::uint32_t property = GetU32(in, layout::PropertyQueryPropertyId);
      if (GetU32(in, layout::PropertyQueryQueryType) != layout::PropertyStandardQuery)
        return Fail(ERROR_INVALID_FUNCTION);
      if (property == layout::StorageAdapterProperty) {
        const auto d = AdapterDescriptor(drive);
        Reply(d.data(), layout::AdapterDescriptorSize, out, outSize, returned);
        return Succeed();
      }
      if (property == layout::StorageDeviceProperty) {
        const auto d = DeviceDescriptor(drive);
        Reply(d.data(), d.size(), out, outSize, returned);
        return Succeed();
      }
      if (property == layout::StorageDeviceProtocolSpecificProperty)
        return NvmeLogRequest(object, in, inSize, out, outSize, returned);
      return Fail(ERROR_INVALID_FUNCTION);
    }
    case IOCTL_DISK_UPDATE_PROPERTIES:
      return Succeed();
    // The claim of the whole drive for an erase; a drive file refuses it
    // with a request fault.
    case FSCTL_LOCK_VOLUME:
    case FSCTL_UNLOCK_VOLUME:
      return (object.access & GENERIC_WRITE) != 0 ? Succeed() : Fail(ERROR_ACCESS_DENIED);
    default:
      return Fail(ERROR_INVALID_FUNCTION);
  }
}

}  // namespace orvella
