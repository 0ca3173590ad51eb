// The read-back of a drive as a stream of blocks: the caller queues the
// next blocks before it takes the oldest, so that a backend able to keep
// reads in flight finds the next block's reads already waiting at the drive
// while a finished one is checked for zeros. Blocks are taken in the order
// they were queued.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/zero_scan.h"

namespace orvella {

class Os;
using Handle = std::intptr_t;

// How one block's read ended.
struct BlockRead {
  std::int64_t offset = 0;
  std::uint32_t length = 0;
  bool positioned = true;  // false: the handle could not be moved to `offset`
  bool read = false;       // the whole block was read; `nonZero` names what was not zero
  std::uint32_t error = 0;  // when not read: the error of the first part that failed
  std::vector<ByteSpan> nonZero;  // offsets from the block's start, ascending, adjacent ones joined
};

class ZeroReader {
 public:
  virtual ~ZeroReader() = default;
  // How many blocks may be queued and not yet taken.
  virtual unsigned BlocksAhead() const = 0;
  // Queues the read of `length` bytes at `offset` (whole sectors).
  virtual void Queue(std::int64_t offset, std::uint32_t length) = 0;
  // The oldest block queued and not yet taken, once it has been read and
  // checked. Blocks still queued when the reader goes are read to no end.
  virtual BlockRead Take() = 0;
};

// One block at a time, each read when it is taken: the file pointer is set
// and Os::ReadZeros reads the block into `buffer` (kept by the caller, as
// Os::ReadZeros asks).
class BlockByBlockReader final : public ZeroReader {
 public:
  BlockByBlockReader(Os& os, Handle handle, void* buffer, std::uint32_t sectorSize)
      : os_(os), handle_(handle), buffer_(buffer), sectorSize_(sectorSize) {}
  unsigned BlocksAhead() const override { return 1; }
  void Queue(std::int64_t offset, std::uint32_t length) override;
  BlockRead Take() override;

 private:
  Os& os_;
  const Handle handle_;
  void* const buffer_;
  const std::uint32_t sectorSize_;
  std::vector<BlockRead> queued_;
};

}  // namespace orvella
