// Checks that memory read back from a drive holds zeros, at the speed of
// memory: whole pages are read once, their words ORed together in vector
// registers, and only a page that is not zero is looked at sector by sector
// (bench/zero_scan_bench.cpp measures it).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvella {

// A run of bytes within one transfer, as offsets from the transfer's start.
struct ByteSpan {
  std::uint32_t from = 0;
  std::uint32_t to = 0;
  bool operator==(const ByteSpan&) const = default;
};

// Whether the `length` bytes at `bytes` are all zero.
bool AllZero(const std::uint8_t* bytes, std::size_t length);

// Appends to `spans` the sectors of `sectorSize` bytes among the `length`
// bytes at `bytes` that are not all zero, as offsets from the transfer's
// start (`bytes` lies `at` bytes into it), joining a sector to the last span
// when they touch. A sector size of 0 takes the whole length as one sector.
void AddNonZeroSectors(const std::uint8_t* bytes, std::uint32_t length, std::uint32_t sectorSize, std::uint32_t at,
                       std::vector<ByteSpan>& spans);

// Sorts spans and joins those that touch or overlap.
void JoinSpans(std::vector<ByteSpan>& spans);

}  // namespace orvella
