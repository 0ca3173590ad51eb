#include "platform/zero_read_ahead.h"

#include <algorithm>
#include <tuple>

namespace orvella {

ZeroReadAhead::ZeroReadAhead(std::unique_ptr<ReadQueue> queue, std::span<std::uint8_t* const> buffers,
                             std::uint32_t partSize, std::uint32_t sectorSize)
    : queue_(std::move(queue)), partSize_(partSize), sectorSize_(sectorSize) {
  const std::size_t count = std::min<std::size_t>(buffers.size(), queue_->Depth());
  slots_.resize(count);
  for (std::size_t i = 0; i < count; ++i) slots_[i].buffer = buffers[i];
}

ZeroReadAhead::~ZeroReadAhead() {
  for (; inFlight_ > 0; --inFlight_) queue_->Next();
}

void ZeroReadAhead::Queue(std::int64_t offset, std::uint32_t length) {
  Block block;
  block.offset = offset;
  block.length = length;
  blocks_.push_back(std::move(block));
}

TransferOutcome ZeroReadAhead::Take(std::vector<ByteSpan>& nonZero) {
  nonZero.clear();
  for (;;) {
    StartParts();
    const Block& oldest = blocks_.front();
    if (oldest.Started() && oldest.inFlight == 0) break;
    Complete(queue_->Next());
  }
  Block block = std::move(blocks_.front());
  blocks_.pop_front();
  ++firstBlock_;
  if (block.failure) return {block.failure->at, block.failure->error, block.failure->pastEnd};
  nonZero = std::move(block.nonZero);
  JoinSpans(nonZero);
  return {block.length, 0, false};
}

// Gives every free buffer the next part, the oldest block's first; a block
// with a failed part starts no more of them.
void ZeroReadAhead::StartParts() {
  std::size_t index = 0;
  for (std::uint32_t tag = 0; tag < slots_.size(); ++tag) {
    Slot& slot = slots_[tag];
    if (slot.busy) continue;
    while (index < blocks_.size() && blocks_[index].Started()) ++index;
    if (index == blocks_.size()) return;
    Block& block = blocks_[index];
    slot.block = firstBlock_ + index;
    slot.from = block.next;
    slot.to = std::min(block.length, block.next + partSize_);
    slot.done = 0;
    block.next = slot.to;
    ++block.inFlight;
    Start(slot, tag);
  }
}

void ZeroReadAhead::Start(Slot& slot, std::uint32_t tag) {
  slot.busy = true;
  queue_->Start(BlockNumbered(slot.block).offset + slot.from + slot.done, slot.buffer + slot.done,
                slot.to - slot.from - slot.done, tag);
  ++inFlight_;
}

void ZeroReadAhead::Complete(const ReadDone& completion) {
  --inFlight_;
  Slot& slot = slots_.at(completion.tag);
  Block& block = BlockNumbered(slot.block);
  if (completion.result > 0) {
    slot.done += static_cast<std::uint32_t>(completion.result);
    if (slot.from + slot.done < slot.to) return Start(slot, static_cast<std::uint32_t>(completion.tag));  // short
    if (!block.failure) AddNonZeroSectors(slot.buffer, slot.to - slot.from, sectorSize_, slot.from, block.nonZero);
  } else {
    const std::uint32_t at = slot.from + slot.done;
    if (!block.failure || at < block.failure->at) block.failure = Failure{at, completion.result, completion.result == 0};
  }
  slot.busy = false;
  --block.inFlight;
}

void ReadAheadZeroReader::Queue(std::int64_t offset, std::uint32_t length) {
  reads_->Queue(offset, length);
  lengths_.push_back({offset, length});
}

BlockRead ReadAheadZeroReader::Take() {
  BlockRead block;
  std::tie(block.offset, block.length) = lengths_.front();
  lengths_.pop_front();
  const TransferOutcome outcome = reads_->Take(block.nonZero);
  block.read = !outcome.Failed();
  if (!block.read) block.error = errorOf_(outcome);
  return block;
}

}  // namespace orvella
