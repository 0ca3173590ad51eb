// The read-back of a drive with reads kept in flight across blocks: the
// blocks queued are cut into parts the size of one read buffer, and every
// free buffer is given the next part, of whichever block it is, so that the
// drive finds the next read waiting when it ends one. A part is checked for
// zeros as soon as it arrives, while the others are still being read.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "platform/read_queue.h"
#include "platform/zero_reader.h"
#include "platform/zero_scan.h"

namespace orvella {

// How a range's transfers ended.
struct TransferOutcome {
  std::uint32_t done = 0;  // the bytes before the first part that failed; all of them on success
  long error = 0;          // minus the system's error code of that part; 0 when none failed
  bool pastEnd = false;    // that part met the end of the drive
  bool Failed() const { return error != 0 || pastEnd; }
};

class ZeroReadAhead {
 public:
  // Reads through `queue` into `buffers` (page-aligned, `partSize` bytes
  // each, no more than the queue's depth), checking sectors of `sectorSize`
  // bytes (0: each part whole).
  ZeroReadAhead(std::unique_ptr<ReadQueue> queue, std::span<std::uint8_t* const> buffers, std::uint32_t partSize,
                std::uint32_t sectorSize);
  // Waits for the reads still in flight: their buffers are the caller's.
  ~ZeroReadAhead();
  ZeroReadAhead(const ZeroReadAhead&) = delete;
  ZeroReadAhead& operator=(const ZeroReadAhead&) = delete;

  void Queue(std::int64_t offset, std::uint32_t length);
  // Waits until every part of the oldest queued block has ended and takes
  // it: the first part that failed, whatever order the parts ended in, or
  // the sectors that are not zero (`nonZero`, joined; empty on a failure).
  TransferOutcome Take(std::vector<ByteSpan>& nonZero);

 private:
  struct Failure {
    std::uint32_t at = 0;
    long error = 0;
    bool pastEnd = false;
  };
  struct Block {
    std::int64_t offset = 0;
    std::uint32_t length = 0;
    std::uint32_t next = 0;  // where its next part starts
    unsigned inFlight = 0;
    std::optional<Failure> failure;
    std::vector<ByteSpan> nonZero;
    bool Started() const { return next == length || failure.has_value(); }
  };
  struct Slot {
    std::uint64_t block = 0;  // the number of the block the part is of
    std::uint32_t from = 0;   // the part, as offsets from the block's start
    std::uint32_t to = 0;
    std::uint32_t done = 0;  // bytes of it read so far
    bool busy = false;
    std::uint8_t* buffer = nullptr;
  };

  Block& BlockNumbered(std::uint64_t number) { return blocks_[number - firstBlock_]; }
  void StartParts();
  void Start(Slot& slot, std::uint32_t tag);
  void Complete(const ReadDone& completion);

  const std::unique_ptr<ReadQueue> queue_;
  const std::uint32_t partSize_;
  const std::uint32_t sectorSize_;
  std::vector<Slot> slots_;
  std::deque<Block> blocks_;       // queued and not yet taken, oldest first
  std::uint64_t firstBlock_ = 0;   // the number of blocks_.front()
  unsigned inFlight_ = 0;
};

// The read-back's reader over a ZeroReadAhead: a block that failed carries
// the error `errorOf` makes of its outcome, as the program knows errors.
class ReadAheadZeroReader final : public ZeroReader {
 public:
  using ErrorOf = std::function<std::uint32_t(const TransferOutcome&)>;
  // As many blocks ahead as reads in flight: then even blocks smaller than
  // a read buffer, as samples are, keep every buffer busy.
  ReadAheadZeroReader(std::unique_ptr<ZeroReadAhead> reads, unsigned blocksAhead, ErrorOf errorOf)
      : reads_(std::move(reads)), blocksAhead_(blocksAhead), errorOf_(std::move(errorOf)) {}
  unsigned BlocksAhead() const override { return blocksAhead_; }
  void Queue(std::int64_t offset, std::uint32_t length) override;
  BlockRead Take() override;

 private:
  std::unique_ptr<ZeroReadAhead> reads_;
  const unsigned blocksAhead_;
  const ErrorOf errorOf_;
  std::deque<std::pair<std::int64_t, std::uint32_t>> lengths_;
};

}  // namespace orvella
