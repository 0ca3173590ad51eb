// Zeros written over a drive and read back with several transfers in
// flight, so that the drive finds the next one waiting when it ends one.
// Writes repeat one small page-aligned zero buffer (pwritev), so that no
// block-sized buffer is pinned for every write; reads land in a small set of
// buffers and are checked for zeros as they arrive (zero_read_ahead.h). A
// failure names the first part of the range that failed, whatever order the
// parts ended in.
#pragma once

#include <sys/uio.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/linux/transfer_queue.h"
#include "platform/zero_read_ahead.h"
#include "platform/zero_scan.h"

namespace orvella::linux_backend {

inline constexpr unsigned kTransfersInFlight = 4;
// Reads in flight: more than writes, which the drive's cache takes at once,
// so that a drive with latency finds as much waiting as a large plain read
// gives it; their buffers (one read part each) stay within a few MiB.
inline constexpr unsigned kReadsInFlight = 6;
inline constexpr std::uint32_t kZeroBufferBytes = 64 * 1024;
inline constexpr std::uint32_t kLargestWritePart = 8 * 1024 * 1024;
inline constexpr std::uint32_t kReadPart = 1024 * 1024;

class ZeroTransfers {
 public:
  explicit ZeroTransfers(std::unique_ptr<TransferQueue> queue);
  ~ZeroTransfers();
  ZeroTransfers(const ZeroTransfers&) = delete;
  ZeroTransfers& operator=(const ZeroTransfers&) = delete;

  // The writes in flight: the queue's depth, at most kTransfersInFlight.
  unsigned Depth() const { return static_cast<unsigned>(slots_.size()); }
  TransferOutcome Write(int fd, std::int64_t offset, std::uint32_t length);
  // Sets `nonZero` to the sectors read that are not zero (as Os::ReadZeros).
  TransferOutcome Read(int fd, std::int64_t offset, std::uint32_t length, std::uint32_t sectorSize,
                       std::vector<ByteSpan>& nonZero);
  // A reader that keeps reads in flight across the blocks queued at it,
  // into this object's read buffers; one at a time, and no writes meanwhile.
  std::unique_ptr<ZeroReadAhead> ReadAhead(int fd, std::uint32_t sectorSize);

 private:
  struct Slot {
    std::uint32_t from = 0;  // the part, as offsets from the range's start
    std::uint32_t to = 0;
    std::uint32_t done = 0;  // bytes of it moved so far
    bool busy = false;
    std::vector<iovec> parts;
  };
  struct Range {
    int fd;
    std::int64_t offset;
    std::uint32_t length;
  };

  TransferOutcome Run(const Range& range);
  void Start(const Range& range, Slot& slot, std::uint32_t tag);
  std::uint32_t PartSize(const Range& range) const;

  std::unique_ptr<TransferQueue> queue_;
  std::uint8_t* zeros_;
  std::vector<Slot> slots_;
  std::vector<std::uint8_t*> readBuffers_;  // made for the first read
};

}  // namespace orvella::linux_backend
