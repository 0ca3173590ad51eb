#include "platform/zero_scan.h"

#include <algorithm>
#include <cstring>

namespace orvella {
namespace {

// Sectors are looked at one by one only within a page that is not zero.
constexpr std::size_t kZeroPage = 4096;
// Bytes ORed together before the result is looked at: long enough to keep
// four vector registers busy, short enough that a buffer that is not zero is
// left soon.
constexpr std::size_t kStretch = 1024;

// Sixteen and thirty-two bytes as one value.
typedef std::uint64_t Vector16 __attribute__((vector_size(16)));
typedef std::uint64_t Vector32 __attribute__((vector_size(32)));

// ORs the vector at `bytes` into `into`: one unaligned load.
template <typename Vector>
void OrIn(Vector& into, const std::uint8_t* bytes) {
  Vector v;
  std::memcpy(&v, bytes, sizeof v);
  into |= v;
}

// Whether a stretch is zero: each byte is loaded once and ORed into four
// accumulators, and only their OR is tested (a compare with a zero page
// reads twice as much).
template <typename Vector>
bool StretchZero(const std::uint8_t* bytes) {
  constexpr std::size_t width = sizeof(Vector);
  Vector a{}, b{}, c{}, d{};
  for (std::size_t at = 0; at < kStretch; at += 4 * width) {
    OrIn(a, bytes + at);
    OrIn(b, bytes + at + width);
    OrIn(c, bytes + at + 2 * width);
    OrIn(d, bytes + at + 3 * width);
  }
  const Vector any = (a | b) | (c | d);
  std::uint64_t word = 0;
  for (std::size_t i = 0; i < width / sizeof word; ++i) word |= any[i];
  return word == 0;
}

template <typename Vector>
bool StretchesZero(const std::uint8_t* bytes, std::size_t length) {
  for (std::size_t at = 0; at < length; at += kStretch)
    if (!StretchZero<Vector>(bytes + at)) return false;
  return true;
}

#if defined(__x86_64__)
// The same with 32-byte registers, where the processor has them.
__attribute__((target("avx2"))) bool WideStretchesZero(const std::uint8_t* bytes, std::size_t length) {
  return StretchesZero<Vector32>(bytes, length);
}
bool HasWideRegisters() {
  __builtin_cpu_init();  // this runs among the static constructors, maybe before the library's
  return __builtin_cpu_supports("avx2");
}
const bool kWide = HasWideRegisters();
#endif

bool WidestStretchesZero(const std::uint8_t* bytes, std::size_t length) {
#if defined(__x86_64__)
  if (kWide) return WideStretchesZero(bytes, length);
#endif
  return StretchesZero<Vector16>(bytes, length);
}

void AddSpan(std::vector<ByteSpan>& spans, ByteSpan span) {
  if (!spans.empty() && spans.back().to == span.from)
    spans.back().to = span.to;
  else
    spans.push_back(span);
}

}  // namespace

bool AllZero(const std::uint8_t* bytes, std::size_t length) {
  const std::size_t stretches = length / kStretch * kStretch;
  if (!WidestStretchesZero(bytes, stretches)) return false;
  for (std::size_t at = stretches; at < length; ++at)
    if (bytes[at] != 0) return false;
  return true;
}

void AddNonZeroSectors(const std::uint8_t* bytes, std::uint32_t length, std::uint32_t sectorSize, std::uint32_t at,
                       std::vector<ByteSpan>& spans) {
  if (AllZero(bytes, length)) return;  // as nearly all are: the rest is for the few that are not
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
