// Texts and figures that the write pass and the read-back pass show alike:
// the error table's texts, the speed in MB/s, the rounding of percentages
// and sector numbers, offsets with their LBA.
#pragma once

#include <cstdint>
#include <string>

namespace orvella {

// "1117 - Device I/O error", or the bare code when the table has no text.
std::u16string CodeAndText(std::uint32_t code);

// Error 2 or 55: the drive is gone, and the run must end at once.
bool MeansUnplugged(std::uint32_t code);

// Rounds to the nearest whole number, halves to even.
std::int64_t RoundHalfToEven(double value);

// Millions of bytes per second with one decimal and the locale's separator,
// followed by " MB/s"; elapsedMs must be positive.
std::u16string SpeedText(std::int64_t bytes, std::int64_t elapsedMs, char16_t decimalSeparator);

// The sector that `offset` falls on (rounded as the progress label rounds);
// 0 for an entry without a sector size.
std::int64_t SectorOf(std::int64_t offset, std::int64_t sectorSize);

// "1,048,576    LBA 2048".
std::u16string OffsetAndLba(std::int64_t offset, std::int64_t sectorSize);

// "1 sector (512 bytes)", "8 sectors (4,096 bytes)".
std::u16string SectorsAndBytes(std::int64_t bytes, std::int64_t sectorSize);

}  // namespace orvella

namespace orvella {

// Block sizes of the passes: both passes send at most the 32 MiB buffer at
// once, and a pass that took more than two seconds halves the block (down
// to 64 KiB), so that Stop and the progress figures stay prompt on slow or
// throttling drives.
inline constexpr std::int64_t kLargestBlock = 33'554'432;
inline constexpr std::int64_t kSmallestBlock = 65'536;
inline constexpr std::int64_t kSlowPassMs = 2'000;

// The block for the next pass after one of `block` bytes took `passMs`.
std::int64_t BlockAfterPass(std::int64_t block, std::int64_t passMs);

}  // namespace orvella
