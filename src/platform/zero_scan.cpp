#include "platform/zero_scan.h"

#include <algorithm>
#include <cstring>

namespace orvella {
namespace {

constexpr std::size_t kZeroPage = 4096;
alignas(64) const std::uint8_t kZeros[kZeroPage] = {};

void AddSpan(std::vector<ByteSpan>& spans, ByteSpan span) {
  if (!spans.empty() && spans.back().to == span.from)
    spans.back().to = span.to;
  else
    spans.push_back(span);
}

}  // namespace

bool AllZero(const std::uint8_t* bytes, std::size_t length) {
  for (std::size_t at = 0; at < length; at += kZeroPage)
    if (std::memcmp(bytes + at, kZeros, std::min(kZeroPage, length - at)) != 0) return false;
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
