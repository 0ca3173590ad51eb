#include "device/nvme_health_log.h"

#include <algorithm>
#include <vector>

#include "platform/byte_order.h"

namespace orvella {
namespace {

// Offsets in the log page.
constexpr std::size_t kCriticalWarning = 0;
constexpr std::size_t kCompositeTemperature = 1;  // u16, kelvin
constexpr std::size_t kAvailableSpare = 3;
constexpr std::size_t kAvailableSpareThreshold = 4;
constexpr std::size_t kPercentageUsed = 5;
constexpr std::size_t kDataUnitsRead = 32;  // then 16-byte counters one after another
constexpr std::size_t kWarningTemperatureTime = 192;
constexpr std::size_t kCriticalTemperatureTime = 196;

constexpr std::uint32_t kQuerySize =
    layout::PropertyQueryAdditionalParameters + layout::ProtocolSpecificDataSize + kNvmeLogPageSize;

NvmeCounter CounterAt(const NvmeLogPage& page, std::size_t index) {
  const std::size_t at = kDataUnitsRead + 16 * index;
  return {GetLE(page.data(), at, 8), GetLE(page.data(), at + 8, 8)};
}

// The reply's protocol data must lie wholly inside what came back.
bool TakeLogData(const std::vector<std::uint8_t>& reply, std::uint32_t returned, NvmeLogPage& page) {
  if (returned < layout::ProtocolDescriptorHeaderSize || returned > reply.size()) return false;
  const std::uint8_t* data = reply.data() + layout::ProtocolDescriptorData;
  const std::uint64_t offset = GetU32(data, layout::ProtocolDataOffset);
  const std::uint64_t length = GetU32(data, layout::ProtocolDataLength);
  const std::uint64_t start = layout::ProtocolDescriptorData + offset;
  if (offset < layout::ProtocolSpecificDataSize || length < kNvmeLogPageSize || start + kNvmeLogPageSize > returned)
    return false;
  std::copy_n(reply.begin() + static_cast<std::ptrdiff_t>(start), kNvmeLogPageSize, page.begin());
  return true;
}

}  // namespace

std::u16string NvmeCounter::DecimalText() const {
  // Long division of the 128-bit value by 10, four 32-bit digits at a time.
  std::array<std::uint32_t, 4> parts = {static_cast<std::uint32_t>(high >> 32), static_cast<std::uint32_t>(high),
                                        static_cast<std::uint32_t>(low >> 32), static_cast<std::uint32_t>(low)};
  std::u16string digits;
  do {
    std::uint64_t remainder = 0;
    for (std::uint32_t& part : parts) {
      const std::uint64_t value = remainder << 32 | part;
      part = static_cast<std::uint32_t>(value / 10);
      remainder = value % 10;
    }
    digits.push_back(static_cast<char16_t>(u'0' + remainder));
  } while (std::any_of(parts.begin(), parts.end(), [](std::uint32_t p) { return p != 0; }));
  return {digits.rbegin(), digits.rend()};
}

NvmeHealthLog ParseNvmeHealthLog(const NvmeLogPage& page) {
  NvmeHealthLog log;
  log.criticalWarning = page[kCriticalWarning];
  log.compositeTemperatureKelvin = GetU16(page.data(), kCompositeTemperature);
  log.availableSpare = page[kAvailableSpare];
  log.availableSpareThreshold = page[kAvailableSpareThreshold];
  log.percentageUsed = page[kPercentageUsed];
  log.dataUnitsRead = CounterAt(page, 0);
  log.dataUnitsWritten = CounterAt(page, 1);
  log.hostReadCommands = CounterAt(page, 2);
  log.hostWriteCommands = CounterAt(page, 3);
  log.controllerBusyMinutes = CounterAt(page, 4);
  log.powerCycles = CounterAt(page, 5);
  log.powerOnHours = CounterAt(page, 6);
  log.unsafeShutdowns = CounterAt(page, 7);
  log.mediaErrors = CounterAt(page, 8);
  log.errorLogEntries = CounterAt(page, 9);
  log.warningTemperatureMinutes = GetU32(page.data(), kWarningTemperatureTime);
  log.criticalTemperatureMinutes = GetU32(page.data(), kCriticalTemperatureTime);
  return log;
}

bool ReadNvmeHealthLog(Os& os, Handle handle, NvmeLogPage& page) {
  std::vector<std::uint8_t> query(kQuerySize, 0);
  PutU32(query.data(), layout::PropertyQueryPropertyId, layout::StorageDeviceProtocolSpecificProperty);
  PutU32(query.data(), layout::PropertyQueryQueryType, layout::PropertyStandardQuery);
  std::uint8_t* request = query.data() + layout::PropertyQueryAdditionalParameters;
  PutU32(request, layout::ProtocolProtocolType, layout::ProtocolTypeNvme);
  PutU32(request, layout::ProtocolDataType, layout::NVMeDataTypeLogPage);
  PutU32(request, layout::ProtocolRequestValue, kNvmeHealthLogPage);
  PutU32(request, layout::ProtocolDataOffset, layout::ProtocolSpecificDataSize);
  PutU32(request, layout::ProtocolDataLength, kNvmeLogPageSize);

  std::vector<std::uint8_t> reply(kQuerySize, 0);
  std::uint32_t returned = 0;
  if (!os.DeviceIoControl(handle, IOCTL_STORAGE_QUERY_PROPERTY, query.data(), kQuerySize, reply.data(), kQuerySize,
                          &returned)) {
    return false;
  }
  return TakeLogData(reply, returned, page);
}

}  // namespace orvella
