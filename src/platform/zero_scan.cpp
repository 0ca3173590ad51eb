#include "platform/zero_scan.h"

#include <algorithm>
#include <cstring>

namespace orvella {
namespace {

// Sectors are looked at one by one only within a page that is not zero.
constexpr std::size_t kZeroPage = 4096;
// Words ORed together before the result is looked at: a stretch long
// enough for the compiler to OR whole vector registers, short enough that
// a buffer that is not zero is left soon.
constexpr std::size_t kStretchWords = 32;

// Whether a stretch of words is zero: one load and OR per word and a
// single test, reading the memory once (a compare with a zero page reads
// twice as much).
bool WordsZero(const unsigned char* bytes, std::size_t words) {
  std::uint64_t any = 0;
  for (std::size_t i = 0; i < words; ++i) {
    std::uint64_t word;
    std::memcpy(&word, bytes + i * sizeof word, sizeof word);
    any |= word;
  }
  return any == 0;
}

void AddSpan(std::vector<ByteSpan>& spans, ByteSpan span) {
  if (!spans.empty() && spans.back().to == span.from)
    spans.back().to = span.to;
  else
    spans.push_back(span);
}

}  // namespace

bool AllZero(const std::uint8_t* bytes, std::size_t length) {
  constexpr std::size_t stretch = kStretchWords * sizeof(std::uint64_t);
  std::size_t at = 0;
  for (; at + stretch <= length; at += stretch)
    if (!WordsZero(bytes + at, kStretchWords)) return false;
  for (; at < length; ++at)
    if (bytes[at] != 0) return false;
  return true;
}

void AddNonZeroSectors(const std::uint8_t* bytes, std::uint32_t length, std::uint32_t sectorSize, std::uint32_t at,
                       std::vector<ByteSpan>& spans) {
  if (length == 0) return;
  const std::uint32_t step = sectorSize > 0 ? sectorSize : length;
  // Pages of whole sectors are passed over at once where they are zero.
  const std::uint32_t page = std::max<std::uint32_t>(step, kZeroPage / step * step);
  for (std::uint32_t pageAt = 0; pageAt < length; pageAt += page) {
    const std::uint32_t pageEnd = std::min(length, pageAt + page);
    if (AllZero(bytes + pageAt, pageEnd - pageAt)) continue;
    for (std::uint32_t sector = pageAt; sector < pageEnd; sector += step) {
      const std::uint32_t end = std::min(pageEnd, sector + step);
      if (!AllZero(bytes + sector, end - sector)) AddSpan(spans, {at + sector, at + end});
    }
  }
}

void JoinSpans(std::vector<ByteSpan>& spans) {
  std::sort(spans.begin(), spans.end(), [](const ByteSpan& a, const ByteSpan& b) { return a.from < b.from; });
  std::vector<ByteSpan> joined;
  for (const ByteSpan& span : spans) {
    if (!joined.empty() && span.from <= joined.back().to)
      joined.back().to = std::max(joined.back().to, span.to);
    else
      joined.push_back(span);
  }
  spans = std::move(joined);
}

}  // namespace orvella
