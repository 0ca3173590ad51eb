// The storage probe. Each step sends one request into a zeroed 512-byte reply
// buffer and writes what it learnt to the debug log; the answers are then
// condensed into a TIdentifyDeviceData.
#include "device/storage_probe.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

#include "core/halt.h"
#include "core/log_sinks.h"
#include "core/program.h"
#include "core/system_error_text.h"
#include "core/text.h"
#include "platform/byte_order.h"

namespace orvella {
namespace {

constexpr std::uint32_t kReplySize = 512;
using ReplyBuffer = std::array<std::uint8_t, kReplySize>;
using PropertyQuery = std::array<std::uint8_t, layout::PropertyQuerySize>;

constexpr std::int64_t kSmallestSectorSize = 512;
constexpr std::int64_t kTransferSectorCap = 250;
constexpr std::size_t kHexSerialLength = 40;

// How the probe judges one request: only a False answer that comes with an
// error code counts as a failure. False with code 0 is taken as a success
// with the zeroed reply.
struct Answer {
  bool returnedTrue = false;
  std::uint32_t error = 0;
  bool Failed() const { return !returnedTrue && error != 0; }
  // The boolean the request returned, as debug lines write it.
  std::u16string Flag() const { return returnedTrue ? u"-1" : u"0"; }
};

Answer Send(Os& os, Handle handle, std::uint32_t code, const void* in, std::uint32_t inSize, void* out,
            std::uint32_t outSize) {
  std::uint32_t returned = 0;
  Answer answer;
  answer.returnedTrue = os.DeviceIoControl(handle, code, in, inSize, out, outSize, &returned);
  answer.error = answer.returnedTrue ? 0 : os.GetLastError();
  return answer;
}

Answer SendInPlace(Os& os, Handle handle, std::uint32_t code, ReplyBuffer& reply) {
  reply.fill(0);
  return Send(os, handle, code, reply.data(), kReplySize, reply.data(), kReplySize);
}

Answer SendPropertyQuery(Os& os, Handle handle, std::uint32_t propertyId, ReplyBuffer& reply) {
  reply.fill(0);
  PropertyQuery query{};
  PutU32(query.data(), layout::PropertyQueryPropertyId, propertyId);
  PutU32(query.data(), layout::PropertyQueryQueryType, layout::PropertyStandardQuery);
  return Send(os, handle, IOCTL_STORAGE_QUERY_PROPERTY, query.data(), layout::PropertyQuerySize, reply.data(),
              kReplySize);
}

// The adapter descriptor the probe goes on with when the adapter cannot be
// asked: 64 KB transfers on a bus shown as "FLASH".
std::array<std::uint8_t, layout::AdapterDescriptorSize> AdapterDefaults() {
  std::array<std::uint8_t, layout::AdapterDescriptorSize> d{};
  PutU32(d.data(), layout::AdapterVersion, layout::AdapterDescriptorSize);
  PutU32(d.data(), layout::AdapterSize, layout::AdapterDescriptorSize);
  PutU32(d.data(), layout::AdapterMaximumTransferLength, 65536);
  PutU32(d.data(), layout::AdapterMaximumPhysicalPages, 1);
  PutU32(d.data(), layout::AdapterAlignmentMask, 1);
  PutU8(d.data(), layout::AdapterBusType, static_cast<std::uint8_t>(BusTypeFlash));
  return d;
}

// The bytes of a device descriptor text: from Offset up to the first 0 byte,
// never past the descriptor's Size nor the end of the reply. Offset 0 means
// the device reports no such text.
std::string_view DescriptorText(const ReplyBuffer& reply, std::uint32_t offset) {
  const std::size_t end = std::min<std::size_t>(GetU32(reply.data(), layout::DeviceSize), kReplySize);
  if (offset == 0 || offset >= end) return {};
  const auto* first = reply.data() + offset;
  const auto* last = std::find(first, reply.data() + end, std::uint8_t{0});
  return {reinterpret_cast<const char*>(first), static_cast<std::size_t>(last - first)};
}

// The storage stack hands the serial number over with the two bytes of each
// 16-bit word swapped. The raw bytes are laid into a zeroed 512-byte area
// and every byte pair is read back the other way round.
std::u16string UnswappedSerial(std::string_view raw) {
  std::array<std::uint8_t, 512> work{};
  std::copy(raw.begin(), raw.end(), work.begin());
  std::u16string serial;
  serial.reserve(work.size());
  for (std::size_t k = 0; k < work.size() / 2; ++k) {
    serial.push_back(work[2 * k + 1]);
    serial.push_back(work[2 * k]);
  }
  return Trim(serial);
}

std::optional<int> HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return std::nullopt;
}

// Some drivers report the serial number as 40 hexadecimal digits: the codes
// of its 20 characters, two digits each, with the characters of every pair
// swapped. Blanks and "_" stand for the digit 2 (the code of a blank is 20h).
// Gives the decoded serial, or nothing when the text is not of that form.
std::optional<std::u16string> DecodeHexSerial(const std::u16string& serial) {
  std::u16string digits;
  for (char16_t c : serial) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    if (c == u'_' || c == u' ') c = u'2';
    if (!HexDigit(c)) return std::nullopt;
    digits.push_back(c);
  }
  if (digits.size() != kHexSerialLength) return std::nullopt;
  const auto code = [&digits](std::size_t at) {
    return static_cast<char16_t>(*HexDigit(digits[at]) * 16 + *HexDigit(digits[at + 1]));
  };
  std::u16string decoded;
  for (std::size_t group = 0; group < digits.size(); group += 4) {
    decoded.push_back(code(group + 2));
    decoded.push_back(code(group));
  }
  return Trim(decoded);
}

std::u16string OrDefault(const std::u16string& text, const std::u16string& fallback) {
  return Trim(text).empty() ? fallback : text;
}

// The texts and the removable flag of the device descriptor.
struct DeviceTexts {
  std::u16string vendor, product, revision, serial;
  bool removable = false;
};

DeviceTexts ParseDeviceDescriptor(Program& program, const ReplyBuffer& reply) {
  const auto text = [&reply](std::size_t offsetField) {
    return Latin1ToText(DescriptorText(reply, GetU32(reply.data(), offsetField)));
  };
  DeviceTexts texts;
  texts.vendor = Trim(text(layout::DeviceVendorIdOffset)) + u" ";
  AddDebugLog(program, u"VendorID: " + texts.vendor);
  texts.product = Trim(text(layout::DeviceProductIdOffset));
  AddDebugLog(program, u"ProductID: " + texts.product);
  texts.revision = Trim(text(layout::DeviceProductRevisionOffset));
  AddDebugLog(program, u"ProductRevision: " + texts.revision);
  const std::uint32_t serialOffset = GetU32(reply.data(), layout::DeviceSerialNumberOffset);
  texts.serial = UnswappedSerial(DescriptorText(reply, serialOffset));
  AddDebugLog(program, u"SerialNumber: " + texts.serial);
  texts.removable = GetU8(reply.data(), layout::DeviceRemovableMedia) != 0;
  return texts;
}

std::u16string DecodedSerial(Program& program, const std::u16string& serial) {
  if (serial.size() != kHexSerialLength) return serial;
  AddDebugLog(program, u"Performing the WinXP SN trick...");
  return DecodeHexSerial(serial).value_or(serial);
}

}  // namespace

std::int64_t ProbeStorageDevice(Program& program, Handle handle, TIdentifyDeviceData& Info) {
  Os& os = program.os;
  TIdentifyDeviceData record;
  ReplyBuffer reply{};

  AddDebugLog(program, u"Getting geometry...");
  Answer answer = SendInPlace(os, handle, IOCTL_DISK_GET_DRIVE_GEOMETRY, reply);
  if (answer.Failed()) return -1;
  AddDebugLog(program, u"Done " + answer.Flag());
  std::int64_t sectorSize = GetU32(reply.data(), layout::DiskGeometryBytesPerSector);
  AddDebugLog(program, u"Sector size = " + IntToStr(sectorSize));

  AddDebugLog(program, u"Getting disk length...");
  answer = SendInPlace(os, handle, IOCTL_DISK_GET_LENGTH_INFO, reply);
  if (answer.Failed()) {
    AddDebugLog(program, u"Error accessing device: " + SystemErrorMessage(os, answer.error));
    return -1;
  }
  AddDebugLog(program, u"Done " + answer.Flag());
  const std::int64_t length = GetI64(reply.data(), layout::LengthInfoLength);
  AddDebugLog(program, u"Media \"Length\" = " + IntToStr(length));

  AddDebugLog(program, u"Querying storage property (adapter)...");
  auto adapter = AdapterDefaults();
  // Unlike the other steps, any False answer of the adapter query counts as
  // a failure, whatever the error code.
  if (SendPropertyQuery(os, handle, layout::StorageAdapterProperty, reply).returnedTrue) {
    AddDebugLog(program, u"Done -1");
    std::copy_n(reply.begin(), adapter.size(), adapter.begin());
  } else {
    AddDebugLog(program, u"Skipped 0");
  }

  AddDebugLog(program, u"Querying storage property (device)...");
  answer = SendPropertyQuery(os, handle, layout::StorageDeviceProperty, reply);
  if (answer.Failed())
    FatalError(program, u"Error accessing device: " + SystemErrorMessage(os, answer.error), u"Error");
  AddDebugLog(program, u"Done " + answer.Flag());
  AddDebugLog(program, u"Parsing data...");
  const DeviceTexts texts = ParseDeviceDescriptor(program, reply);

  // A sector size beyond any disk's is taken as none: the drive then has no
  // sectors to choose, rather than blocks the size of the whole memory.
  const bool sensibleSectors = sectorSize >= kSmallestSectorSize && sectorSize <= kLargestSectorSize;
  const std::int64_t sectors = sensibleSectors ? length / sectorSize : 0;
  AddDebugLog(program, u"Sectors: " + IntToStr(sectors));
  AddDebugLog(program, u"SectorSize: " + IntToStr(sectorSize));

  record.BusType = GetU8(adapter.data(), layout::AdapterBusType);
  if (record.BusType == BusTypeAta || record.BusType == BusTypeSata)
    record.IsIDESlave = DetectIDESlave(program, handle);
  record.RemovableMedia = texts.removable;

  sectorSize = std::max(sectorSize, kSmallestSectorSize);
  const std::int64_t transferLength = GetU32(adapter.data(), layout::AdapterMaximumTransferLength);
  record.MaximumSectorsTransfer = std::min(transferLength / sectorSize, kTransferSectorCap);
  AddDebugLog(program, u"MaxTransfer: " + IntToStr(record.MaximumSectorsTransfer));

  record.LBA = sectors;
  record.SectorSize = sectorSize;
  if (sectors > 0) record.UnaddressableBytes = length - sectors * sectorSize;
  record.Model = OrDefault(Trim(texts.vendor) + u" " + texts.product, u"Storage Device");
  record.FW = OrDefault(texts.revision, u"0000");
  record.SN = OrDefault(DecodedSerial(program, texts.serial), kNoSerialPlaceholder);
  Info = record;
  return 0;
}

std::uint8_t DetectIDESlave(Program& program, Handle handle) {
  // The S.M.A.R.T. version reply maps the drives of the two IDE channels:
  // bits 1, 3, 5 and 7 are the slave positions (ATA and ATAPI).
  constexpr std::uint8_t kSlavePositions = 0xAA;
  std::array<std::uint8_t, 28> version{};
  const Answer answer = Send(program.os, handle, SMART_GET_VERSION, nullptr, 0, version.data(), version.size());
  if (!answer.Failed()) return (GetU8(version.data(), layout::VersionBIdeDeviceMap) & kSlavePositions) != 0 ? 1 : 0;

  // Drivers without the S.M.A.R.T. requests are asked for the SCSI address,
  // but its target id does not tell master from slave reliably (a SATA port
  // is its own channel), so such a drive is always taken as drive 0.
  ReplyBuffer address{};
  Send(program.os, handle, IOCTL_SCSI_GET_ADDRESS, nullptr, 0, address.data(), kReplySize);
  return 0;
}

}  // namespace orvella
