#include "device/device_records.h"

#include <limits>

#include "core/text.h"

namespace orvella {

std::optional<std::int64_t> DriveBytes(const TIdentifyDeviceData& data) {
  if (data.LBA < 0 || data.SectorSize < 0) return std::nullopt;
  constexpr auto kLargest = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  const auto sectors = static_cast<std::uint64_t>(data.LBA);
  const auto sectorSize = static_cast<std::uint64_t>(data.SectorSize);
  if (sectorSize != 0 && sectors > kLargest / sectorSize) return std::nullopt;
  return static_cast<std::int64_t>(sectors * sectorSize);
}

std::u16string ReportedSerial(const TIdentifyDeviceData& data) {
  std::u16string serial = Trim(data.SN);
  return serial == kNoSerialPlaceholder ? std::u16string() : serial;
}

std::u16string BusTypeToStr(std::int64_t busType) {
  switch (static_cast<std::int32_t>(static_cast<std::uint32_t>(busType))) {
    case BusTypeScsi: return u"SCSI";
    case BusTypeAtapi: return u"ATAPI";
    case BusTypeAta: return u"ATA";
    case BusType1394: return u"IEEE 1394";
    case BusTypeSsa: return u"SSA";
    case BusTypeFibre: return u"FIBRE";
    case BusTypeUsb: return u"USB";
    case BusTypeRAID: return u"RAID";
    case BusTypeiScsi: return u"ISCSI";
    case BusTypeSas: return u"SAS";
    case BusTypeSata: return u"SATA";
    case BusTypeSd: return u"SD";
    case BusTypeMmc: return u"MMC";
    case BusTypeVirtual: return u"VIRTUAL";
    case BusTypeFileBackedVirtual: return u"FBVIRTUAL";
    case BusTypeNvme: return u"NVME";
    case BusTypeImage: return u"IMAGE";
    case BusTypeFlash: return u"FLASH";
    default: return u"UNKNOWN";
  }
}

}  // namespace orvella
