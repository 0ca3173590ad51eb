// Zeros written over a drive and read back with several transfers in
// flight, so that the drive finds the next one waiting when it ends one.
// Writes repeat one small page-aligned zero buffer (pwritev), so that no
// block-sized buffer is pinned for every write; reads land in a small set of
// buffers and are checked for zeros as they arrive. A failure names the
// first part of the range that failed, whatever order the parts ended in.
#pragma once

#include <sys/uio.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/linux/transfer_queue.h"
#include "platform/zero_scan.h"

namespace orvella::linux_backend {

inline constexpr unsigned kTransfersInFlight = 4;
inline constexpr std::uint32_t kZeroBufferBytes = 64 * 1024;
inline constexpr std::uint32_t kLargestWritePart = 8 * 1024 * 1024;
inline constexpr std::uint32_t kReadPart = 1024 * 1024;

struct TransferOutcome {
  std::uint32_t done = 0;  // the bytes before the first part that failed; all of them on success
  long error = 0;          // minus the errno of that part; 0 when none failed
  bool pastEnd = false;    // that part met the end of the drive
  bool Failed() const { return error != 0 || pastEnd; }
};

class ZeroTransfers {
 public:
  explicit ZeroTransfers(std::unique_ptr<TransferQueue> queue);
  ~ZeroTransfers();
  ZeroTransfers(const ZeroTransfers&) = delete;
  ZeroTransfers& operator=(const ZeroTransfers&) = delete;

  unsigned Depth() const { return queue_->Depth(); }
  TransferOutcome Write(int fd, std::int64_t offset, std::uint32_t length);
  // Sets `nonZero` to the sectors read that are not zero (as Os::ReadZeros).
  TransferOutcome Read(int fd, std::int64_t offset, std::uint32_t length, std::uint32_t sectorSize,
                       std::vector<ByteSpan>& nonZero);

 private:
  struct Slot {
    std::uint32_t from = 0;  // the part, as offsets from the range's start
    std::uint32_t to = 0;
    std::uint32_t done = 0;  // bytes of it moved so far
    bool busy = false;
    std::uint8_t* buffer = nullptr;  // reads only
    std::vector<iovec> parts;
  };
  struct Range {
    int fd;
    std::int64_t offset;
    std::uint32_t length;
    bool write;
    std::uint32_t sectorSize;
    std::vector<ByteSpan>* nonZero;
  };

  TransferOutcome Run(const Range& range);
  void Start(const Range& range, Slot& slot, std::uint32_t tag);
  void Finish(const Range& range, Slot& slot);
  std::uint32_t PartSize(const Range& range) const;
  void EnsureReadBuffers();

  std::unique_ptr<TransferQueue> queue_;
  std::uint8_t* zeros_;
  std::vector<Slot> slots_;
};

}  // namespace orvella::linux_backend
