// The zero scan reads whole stretches of vector registers: a single byte
// that is not zero is found wherever it lies, in a stretch or in the bytes
// after the last one, at any start; and the sectors named are exactly those
// that hold it.
#include "platform/zero_scan.h"

#include <gtest/gtest.h>

#include <vector>

namespace orvella {
namespace {

TEST(ZeroScan, FindsOneByteAnywhereWhateverTheStartAndLength) {
  std::vector<std::uint8_t> bytes(5'000 + 64, 0);
  for (const std::size_t start : {0u, 1u, 8u, 31u}) {
    for (const std::size_t length : {0u, 1u, 255u, 1'024u, 1'025u, 4'096u, 5'000u}) {
      const std::uint8_t* from = bytes.data() + start;
      EXPECT_TRUE(AllZero(from, length)) << start << ' ' << length;
      for (std::size_t at = 0; at < length; ++at) {
        bytes[start + at] = 0x80;
        EXPECT_FALSE(AllZero(from, length)) << start << ' ' << length << ' ' << at;
        bytes[start + at] = 0;
      }
    }
  }
}

TEST(ZeroScan, NamesTheSectorsThatAreNotZeroAndJoinsNeighbours) {
  std::vector<std::uint8_t> bytes(1 << 20, 0);
  std::vector<ByteSpan> spans;
  AddNonZeroSectors(bytes.data(), 1 << 20, 512, 4096, spans);
  EXPECT_TRUE(spans.empty());
  bytes[511] = 1;                 // the first sector...
  bytes[512] = 1;                 // ...and the second: one span
  bytes[(1 << 20) - 1] = 1;       // the last sector
  bytes[300'000] = 1;             // one in the middle
  AddNonZeroSectors(bytes.data(), 1 << 20, 512, 4096, spans);
  EXPECT_EQ(spans, (std::vector<ByteSpan>{{4096, 4096 + 1024},
                                          {4096 + 299'520, 4096 + 300'032},
                                          {4096 + (1 << 20) - 512, 4096 + (1 << 20)}}));
  spans.clear();
  AddNonZeroSectors(bytes.data(), 1000, 0, 0, spans);  // sector size 0: the whole length
  EXPECT_EQ(spans, (std::vector<ByteSpan>{{0, 1000}}));
}

}  // namespace
}  // namespace orvella
