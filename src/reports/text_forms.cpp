#include "reports/text_forms.h"

#include <stdexcept>

#include "core/display_text.h"
#include "core/text.h"

namespace orvella {

namespace {

std::u16string GroupedDigits(std::uint64_t value) {
  const std::u16string digits = UIntToStr(value);
  const std::size_t length = digits.size();
  std::u16string grouped;
  for (std::size_t i = length; i >= 1; --i) {
    grouped.insert(grouped.begin(), digits[i - 1]);
    if (length > 4 && (length - i + 1) % 3 == 0) grouped.insert(grouped.begin(), u',');
  }
  if (!grouped.empty() && grouped.front() == u',') grouped.erase(grouped.begin());
  return grouped;
}

}  // namespace

std::u16string IntToGroupedStr(std::int64_t value) {
  // The sign stays out of the groups ("-123,456", not "-,123,456").
  if (value < 0) return u"-" + GroupedDigits(0 - static_cast<std::uint64_t>(value));
  return GroupedDigits(static_cast<std::uint64_t>(value));
}

namespace {

// Writes hundredths/100 in general number form: no decimals when whole, no
// trailing zero. The quotient has at most two decimals and at most twelve
// digits, so this is exactly what a 15-significant-digit general format of
// the floating-point quotient gives, without depending on the C library's
// numeric locale.
std::u16string HundredthsToStr(std::int64_t hundredths, char16_t decimalSeparator) {
  std::u16string text = IntToStr(hundredths / 100);
  const std::int64_t fraction = hundredths % 100;
  if (fraction == 0) return text;
  text.push_back(decimalSeparator);
  text.push_back(static_cast<char16_t>(u'0' + fraction / 10));
  if (fraction % 10 != 0) text.push_back(static_cast<char16_t>(u'0' + fraction % 10));
  return text;
}

}  // namespace

std::u16string CapacityToStr(std::int64_t value, char16_t decimalSeparator) {
  // Each unit keeps two decimals: the value is cut down to hundredths of the
  // unit, never rounded up.
  if (value < 99'999) return IntToStr(value) + u" bytes";
  if (value < 9'999'999) return HundredthsToStr(value / 10, decimalSeparator) + u" KB";
  if (value < 9'999'999'999) return HundredthsToStr(value / 10'000, decimalSeparator) + u" MB";
  return HundredthsToStr(value / 10'000'000, decimalSeparator) + u" GB";
}

std::u16string GetDeviceTitle(const DeviceCatalogue& devices, int index, char16_t decimalSeparator) {
  const TDeviceTable& entry = devices.at(static_cast<std::size_t>(index));
  const TIdentifyDeviceData& data = entry.IdentifyData;
  // A drive may report a size no 64-bit count holds: the title says so
  // rather than a wrapped number.
  const std::optional<std::int64_t> bytes = DriveBytes(data);
  const std::u16string capacity = bytes ? CapacityToStr(*bytes, decimalSeparator) : u"size beyond 64 bits";
  return u"[" + UIntToStr(entry.DeviceNumber) + u"]  " + DisplaySafe(Trim(data.Model)) + u"    " +
         DisplaySafe(Trim(data.FW)) + u"    [" + capacity + u"]    (" +
         IntToStr(data.LBA) + u" " + IntToStr(data.SectorSize) + u"-byte sectors)";
}

std::u16string PadRight(std::u16string text, std::uint16_t width) {
  if (text.size() < width) text.append(width - text.size(), u' ');
  return text;
}

std::u16string PadLeft(std::u16string text, std::uint16_t width) {
  if (text.size() < width) text.insert(0, width - text.size(), u' ');
  return text;
}

std::u16string TwoHexDigits(std::uint8_t value) {
  constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  return {kDigits[value >> 4], kDigits[value & 0xF]};
}

}  // namespace orvella
