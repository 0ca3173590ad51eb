// orvella-zero-scan-bench [ROUNDS]
//
// The zero scan of the read-back alone: AddNonZeroSectors over a buffer of
// zeros the size of one read (1 MiB, found in the cache as the read-back
// finds it) and over one far larger than the cache (256 MiB), in GB/s,
// beside memcmp of the same bytes with a page of zeros and the memory's own
// read speed (a 64-bit sum over it). Medians over the rounds.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "platform/zero_scan.h"

namespace {

constexpr std::size_t kPage = 4096;
alignas(64) const unsigned char kZeroPage[kPage] = {};
volatile std::uint64_t sink;

double MedianGbPerSecond(std::size_t bytes, std::size_t repeats, int rounds, const std::function<void()>& pass) {
  std::vector<double> rates;
  for (int r = 0; r < rounds; ++r) {
    const auto start = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < repeats; ++i) pass();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    rates.push_back(static_cast<double>(bytes * repeats) / seconds / 1e9);
  }
  std::sort(rates.begin(), rates.end());
  return rates[rates.size() / 2];
}

void Measure(const char* name, std::size_t bytes, std::size_t repeats, int rounds) {
  auto* buffer = static_cast<std::uint8_t*>(std::aligned_alloc(kPage, bytes));
  std::memset(buffer, 0, bytes);
  std::vector<orvella::ByteSpan> spans;
  const double scan = MedianGbPerSecond(bytes, repeats, rounds, [&] {
    spans.clear();
    orvella::AddNonZeroSectors(buffer, static_cast<std::uint32_t>(bytes), 512, 0, spans);
    sink = spans.size();
  });
  const double compare = MedianGbPerSecond(bytes, repeats, rounds, [&] {
    int differs = 0;
    for (std::size_t at = 0; at < bytes; at += kPage) differs |= std::memcmp(buffer + at, kZeroPage, kPage);
    sink = static_cast<std::uint64_t>(differs);
  });
  const double sum = MedianGbPerSecond(bytes, repeats, rounds, [&] {
    std::uint64_t total = 0;
    for (std::size_t at = 0; at < bytes; at += sizeof total) {
      std::uint64_t word;
      std::memcpy(&word, buffer + at, sizeof word);
      total += word;
    }
    sink = total;
  });
  std::printf("%-16s zero scan %6.1f GB/s   memcmp with a zero page %6.1f GB/s   64-bit sum %6.1f GB/s\n", name, scan,
              compare, sum);
  std::free(buffer);
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
  Measure("1 MiB (cache)", 1u << 20, 256, rounds);
  Measure("256 MiB (memory)", 256u << 20, 2, rounds);
  return 0;
}
