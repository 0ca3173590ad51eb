#include "device/identify_parser.h"

#include <algorithm>

#include "core/text.h"
#include "platform/byte_order.h"

namespace orvella {
namespace {

// One past the largest sector count that 48-bit commands can address.
constexpr std::uint64_t kLba48Limit = std::uint64_t{1} << 48;

class IdentifyWords {
 public:
  explicit IdentifyWords(const AtaSector& data) : data_(data) {}
  std::uint16_t operator()(int n) const { return GetU16(data_.data(), 2 * static_cast<std::size_t>(n)); }
  bool Bit(int n, int bit) const { return ((*this)(n) >> bit & 1) != 0; }

  // Words first..last as one number, the first word lowest.
  std::uint64_t Number(int first, int last) const {
    std::uint64_t value = 0;
    for (int n = last; n >= first; --n) value = value << 16 | (*this)(n);
    return value;
  }

  // ATA keeps two characters per word, the first in the high byte. The bytes
  // are set in reading order at the start of a zero-filled 80-byte area, and
  // the whole area becomes text, so the trim removes the padding zeros.
  std::u16string Text(Os& os, int first, int last) const {
    std::array<std::uint8_t, 80> bytes{};
    for (int n = first; n <= last; ++n) {
      const std::uint16_t word = (*this)(n);
      bytes[2 * (n - first)] = static_cast<std::uint8_t>(word >> 8);
      bytes[2 * (n - first) + 1] = static_cast<std::uint8_t>(word);
    }
    return Trim(os.AnsiToText(bytes.data(), bytes.size()));
  }

 private:
  const AtaSector& data_;
};

// The number of the highest set bit among `count` bits from `lowest`; 0 when
// none is set.
std::uint8_t HighestModeBit(std::uint16_t word, int lowest, int count) {
  for (int mode = count - 1; mode > 0; --mode)
    if ((word >> (lowest + mode) & 1) != 0) return static_cast<std::uint8_t>(mode);
  return 0;
}

// Words 106 and 119 count only when bit 14 is set and bit 15 clear.
bool WordValid(std::uint16_t value) { return (value & 0xC000) == 0x4000; }

// Word 106 bit 12 says the logical sector is longer than 256 words; words
// 117-118 then give its length in words. Anything shorter is not a sector
// size a drive can have, and 512 bytes stand.
std::int64_t LogicalSectorSize(const IdentifyWords& word) {
  constexpr std::int64_t kDefault = 512;
  if (!WordValid(word(106)) || !word.Bit(106, 12)) return kDefault;
  const auto words = static_cast<std::int64_t>(word.Number(117, 118));
  return words > 256 ? 2 * words : kDefault;
}

}  // namespace

T_IDE_PASSPORT ParseIdentifyData(Os& os, const AtaSector& data) {
  const IdentifyWords word(data);
  T_IDE_PASSPORT p;
  p.sn = word.Text(os, 10, 19);
  p.fw = word.Text(os, 23, 26);
  p.name = word.Text(os, 27, 46);

  p.lba28support = word.Bit(49, 9);
  if (p.lba28support) {
    p.lba28sectors = static_cast<std::int64_t>(word.Number(60, 61));
    if (word.Bit(83, 10)) {
      // A 48-bit count that only equals the 28-bit one does not count as
      // 48-bit addressing, and neither does one beyond what 48 bits can
      // address (word 103 is reserved): that is no count at all, and would
      // turn negative as a signed number.
      const std::uint64_t lba48 = word.Number(100, 103);
      if (lba48 > static_cast<std::uint64_t>(p.lba28sectors) && lba48 < kLba48Limit) {
        p.lba48sectors = static_cast<std::int64_t>(lba48);
        p.lba48support = true;
      }
    }
  }
  p.lbasectors = p.lba48support ? p.lba48sectors : p.lba28sectors;
  p.readmultiplesectors = static_cast<std::uint8_t>(word(47) & 0xFF);

  // Word 128: bit 1 a password is set (enabled), bit 2 the drive is locked
  // now, bit 3 frozen. A drive with a password is unlocked after power-on
  // once the password is given, so only bit 2 says it refuses access.
  p.securitysupport = word.Bit(82, 1);
  p.locked = p.securitysupport && word.Bit(128, 2);
  p.lockedmax = p.securitysupport && word.Bit(128, 8);
  p.securityenabled = p.securitysupport && word.Bit(128, 1);
  p.securityfrozen = p.securitysupport && word.Bit(128, 3);
  p.hpasupport = word.Bit(82, 10);
  p.smartsupport = word.Bit(82, 0);
  p.smartenabled = p.smartsupport && word.Bit(85, 0);
  p.aamsupport = word.Bit(83, 9);

  p.dmasupport = word.Bit(49, 8) && word.Bit(53, 2);
  if (p.dmasupport) {
    p.dmamodesupport = HighestModeBit(word(88), 0, 6);
    p.dmamodeselected = HighestModeBit(word(88), 8, 6);
    p.udma6supported = word.Bit(88, 6);
    p.udma6selected = word.Bit(88, 14);
  }
  p.lba48featureset = word.Bit(83, 10);
  p.logicalsectorsize = LogicalSectorSize(word);
  p.amasupport = WordValid(word(119)) && word.Bit(119, 8);
  p.dcosupport = word.Bit(83, 11);

  p.buffersize = static_cast<std::uint32_t>(word(21)) * 512;
  p.sectorsize = 512;
  p.QueueSupported = word(75) != 0;
  p.QueueDepth = p.QueueSupported ? word(75) : 0;
  p.StreamingSupported = word.Bit(84, 4);
  return p;
}

}  // namespace orvella
