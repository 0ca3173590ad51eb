// The records that carry what the program knows about a physical drive.
// Plain values: copying a record copies its texts; none holds a resource.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orvella {

// What the storage probe learns from the operating system's storage queries.
// No disk has sectors larger than this (64 KiB); a drive that reports
// larger ones reports nonsense, and is not written by sectors that large.
inline constexpr std::int64_t kLargestSectorSize = 65536;

struct TIdentifyDeviceData {
  std::u16string Model;
  std::u16string FW;
  std::u16string SN;
  std::int64_t LBA = 0;
  std::int64_t SectorSize = 0;
  std::int64_t BusType = 0;
  std::int64_t MaximumSectorsTransfer = 0;
  bool RemovableMedia = false;
  std::uint8_t IsIDESlave = 0;
  // The device's bytes past its last whole sector: no sector write reaches
  // them, so no run can say it wrote the whole device.
  std::int64_t UnaddressableBytes = 0;

  bool operator==(const TIdentifyDeviceData&) const = default;
};

// The drive's size in bytes: its sector count times its sector size,
// multiplied unsigned. Empty where either is negative or the product passes
// the largest byte offset a drive position can hold (2^63 - 1): no drive
// comes near it, only a damaged or made-up entry does.
std::optional<std::int64_t> DriveBytes(const TIdentifyDeviceData& data);

// What `SN` holds for a drive that reports no serial number. It fills the
// drive list's column and is nobody's serial number: no drive is checked
// against it, confirmed by it or recorded under it.
inline constexpr char16_t kNoSerialPlaceholder[] = u"000000";

// The serial number the drive reported, trimmed; empty for a drive that
// reported none.
std::u16string ReportedSerial(const TIdentifyDeviceData& data);

// One entry of the device catalogue.
struct TDeviceTable {
  std::u16string DevicePath;
  std::uint32_t DeviceNumber = 0;
  TIdentifyDeviceData IdentifyData;
  // File-backed entries were never produced; the fields stay clear.
  bool IsFile = false;
  std::u16string FilePath;
  std::int64_t FileSize = 0;
  bool IsCompressed = false;
  std::u16string FileVersion;

  bool operator==(const TDeviceTable&) const = default;
};

// The facts decoded from a drive's 512-byte ATA IDENTIFY DEVICE data.
struct T_IDE_PASSPORT {
  std::u16string name;
  std::u16string fw;
  std::u16string sn;
  bool lba28support = false;
  bool lba48support = false;
  std::int64_t lba28sectors = 0;
  std::int64_t lba48sectors = 0;
  std::int64_t lbasectors = 0;
  std::uint8_t readmultiplesectors = 0;
  bool securitysupport = false;
  bool locked = false;  // the drive refuses access until unlocked
  bool lockedmax = false;
  bool hpasupport = false;
  bool smartsupport = false;
  bool smartenabled = false;
  bool aamsupport = false;
  bool dmasupport = false;
  std::uint8_t dmamodesupport = 0;
  std::uint8_t dmamodeselected = 0;
  bool isremovable = false;
  bool ispacket = false;
  std::uint32_t buffersize = 0;
  std::int64_t sectorsize = 0;
  bool QueueSupported = false;
  std::int64_t QueueDepth = 0;
  bool StreamingSupported = false;

  // Beyond what the details report prints: the truth a technician checks.
  bool securityenabled = false;  // a user password is set
  bool securityfrozen = false;   // security commands refused until power-off
  bool udma6supported = false;
  bool udma6selected = false;
  bool lba48featureset = false;  // 48-bit addressing claimed, whatever the counts
  std::int64_t logicalsectorsize = 512;  // bytes per logical sector
  bool amasupport = false;       // Accessible Max Address Configuration
  bool dcosupport = false;       // Device Configuration Overlay

  bool operator==(const T_IDE_PASSPORT&) const = default;
};

// The operating system's STORAGE_BUS_TYPE values and two of the program's own.
enum BusTypeValue : std::int64_t {
  BusTypeUnknown = 0,
  BusTypeScsi = 1,
  BusTypeAtapi = 2,
  BusTypeAta = 3,
  BusType1394 = 4,
  BusTypeSsa = 5,
  BusTypeFibre = 6,
  BusTypeUsb = 7,
  BusTypeRAID = 8,
  BusTypeiScsi = 9,
  BusTypeSas = 10,
  BusTypeSata = 11,
  BusTypeSd = 12,
  BusTypeMmc = 13,
  BusTypeVirtual = 14,
  BusTypeFileBackedVirtual = 15,
  BusTypeNvme = 17,
  BusTypeImage = 200,
  BusTypeFlash = 201,
};

// The display name of a bus type; only the low 32 bits, read as a signed
// 32-bit number, select it, and unknown values give "UNKNOWN".
std::u16string BusTypeToStr(std::int64_t busType);

}  // namespace orvella
