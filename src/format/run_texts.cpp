#include "format/run_texts.h"

#include <algorithm>
#include <cmath>

#include "core/text.h"
#include "platform/error_codes.h"
#include "reports/text_forms.h"

namespace orvella {
namespace {

std::u16string ErrorTableText(std::uint32_t code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_DEV_NOT_EXIST: return u"Media was unplugged";
    case ERROR_WRITE_PROTECT: return u"The media is write protected";
    case ERROR_NOT_READY:
    case ERROR_SEM_TIMEOUT: return u"Device not ready (Timeout)";
    case ERROR_IO_DEVICE: return u"Device I/O error";
    // Every other code the backends report, so that no failure is a bare
    // number.
    case ERROR_INVALID_FUNCTION: return u"The device does not support this request";
    case ERROR_ACCESS_DENIED: return u"Access denied";
    case ERROR_INVALID_HANDLE: return u"The device is not open";
    case ERROR_NOT_ENOUGH_MEMORY: return u"Not enough memory";
    case ERROR_SHARING_VIOLATION: return u"The device is in use by another program";
    case ERROR_INVALID_PARAMETER: return u"Invalid request (past the end of the device?)";
    case ERROR_DISK_FULL: return u"The device has no space left";
    default: return {};
  }
}

}  // namespace

std::u16string CodeAndText(std::uint32_t code) {
  const std::u16string text = ErrorTableText(code);
  return UIntToStr(code) + (text.empty() ? u"" : u" - " + text);
}

bool MeansUnplugged(std::uint32_t code) { return code == ERROR_FILE_NOT_FOUND || code == ERROR_DEV_NOT_EXIST; }

std::int64_t RoundHalfToEven(double value) {
  const double below = std::floor(value);
  const double fraction = value - below;
  const bool up = fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0.0);
  return static_cast<std::int64_t>(up ? below + 1 : below);
}

// Rounded half away from zero, worked in whole numbers so that no float
// error creeps in.
std::u16string SpeedText(std::int64_t bytes, std::int64_t elapsedMs, char16_t decimalSeparator) {
  const std::int64_t tenths = (bytes + elapsedMs * 50) / (elapsedMs * 100);
  return IntToStr(tenths / 10) + decimalSeparator + IntToStr(tenths % 10) + u" MB/s";
}

std::int64_t SectorOf(std::int64_t offset, std::int64_t sectorSize) {
  if (sectorSize <= 0) return 0;
  return RoundHalfToEven(static_cast<double>(offset) / static_cast<double>(sectorSize));
}

std::u16string OffsetAndLba(std::int64_t offset, std::int64_t sectorSize) {
  return IntToGroupedStr(offset) + u"    LBA " + IntToGroupedStr(SectorOf(offset, sectorSize));
}

std::u16string SectorsAndBytes(std::int64_t bytes, std::int64_t sectorSize) {
  const std::int64_t sectors = sectorSize > 0 ? bytes / sectorSize : 0;
  return IntToGroupedStr(sectors) + (sectors == 1 ? u" sector (" : u" sectors (") + IntToGroupedStr(bytes) +
         u" bytes)";
}

}  // namespace orvella

namespace orvella {

std::int64_t BlockAfterPass(std::int64_t block, std::int64_t passMs) {
  if (passMs <= kSlowPassMs) return block;
  return std::max(block / 2, kSmallestBlock);
}

}  // namespace orvella
