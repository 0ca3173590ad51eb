#include "platform/linux/zero_transfers.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>

namespace orvella::linux_backend {
namespace {

constexpr std::align_val_t kPageAlignment{4096};

std::uint8_t* AlignedBytes(std::size_t size) {
  return static_cast<std::uint8_t*>(::operator new(size, kPageAlignment));
}

void FreeAligned(std::uint8_t* bytes) {
  if (bytes != nullptr) ::operator delete(bytes, kPageAlignment);
}

std::uint32_t RoundUp(std::uint32_t value, std::uint32_t unit) { return (value + unit - 1) / unit * unit; }

// The reads of one descriptor through the transfer queue, each into one
// buffer (a vector of one part, kept while the read is in flight).
class DescriptorReads final : public ReadQueue {
 public:
  DescriptorReads(TransferQueue& queue, int fd) : queue_(queue), fd_(fd), parts_(queue.Depth()) {}
  unsigned Depth() const override { return queue_.Depth(); }
  void Start(std::int64_t offset, std::uint8_t* buffer, std::uint32_t length, std::uint64_t tag) override {
    iovec& part = parts_.at(tag);
    part = {buffer, length};
    queue_.Start({fd_, false, offset, &part, 1, tag});
  }
  ReadDone Next() override {
    const Completion done = queue_.Next();
    return {done.tag, done.result};
  }

 private:
  TransferQueue& queue_;
  const int fd_;
  std::vector<iovec> parts_;
};

struct Failure {
  std::uint32_t at = 0;
  long error = 0;
  bool pastEnd = false;
};

}  // namespace

ZeroTransfers::ZeroTransfers(std::unique_ptr<TransferQueue> queue)
    : queue_(std::move(queue)), zeros_(AlignedBytes(kZeroBufferBytes)), slots_(std::min(queue_->Depth(), kTransfersInFlight)) {
  std::memset(zeros_, 0, kZeroBufferBytes);
}

ZeroTransfers::~ZeroTransfers() {
  FreeAligned(zeros_);
  for (std::uint8_t* buffer : readBuffers_) FreeAligned(buffer);
}

TransferOutcome ZeroTransfers::Write(int fd, std::int64_t offset, std::uint32_t length) {
  return Run({fd, offset, length});
}

TransferOutcome ZeroTransfers::Read(int fd, std::int64_t offset, std::uint32_t length, std::uint32_t sectorSize,
                                    std::vector<ByteSpan>& nonZero) {
  const std::unique_ptr<ZeroReadAhead> reader = ReadAhead(fd, sectorSize);
  reader->Queue(offset, length);
  return reader->Take(nonZero);
}

std::unique_ptr<ZeroReadAhead> ZeroTransfers::ReadAhead(int fd, std::uint32_t sectorSize) {
  while (readBuffers_.size() < std::min(queue_->Depth(), kReadsInFlight)) readBuffers_.push_back(AlignedBytes(kReadPart));
  return std::make_unique<ZeroReadAhead>(std::make_unique<DescriptorReads>(*queue_, fd), readBuffers_, kReadPart,
                                         sectorSize);
}

// Writes are cut in as many parts as there are transfers in flight, in whole
// zero buffers.
std::uint32_t ZeroTransfers::PartSize(const Range& range) const {
  const std::uint32_t share = RoundUp((range.length + Depth() - 1) / Depth(), kZeroBufferBytes);
  return std::clamp(share, kZeroBufferBytes, kLargestWritePart);
}

// Keeps the queue full until the range is written or a part has failed, then
// waits for every part in flight: the first part that failed is known only
// once all before it have ended.
TransferOutcome ZeroTransfers::Run(const Range& range) {
  const std::uint32_t partSize = PartSize(range);
  std::uint32_t next = 0;
  unsigned inFlight = 0;
  std::optional<Failure> failure;
  for (;;) {
    for (std::uint32_t tag = 0; tag < slots_.size() && next < range.length && !failure; ++tag) {
      Slot& slot = slots_[tag];
      if (slot.busy) continue;
      slot.from = next;
      slot.to = std::min(range.length, next + partSize);
      slot.done = 0;
      next = slot.to;
      Start(range, slot, tag);
      ++inFlight;
    }
    if (inFlight == 0) break;
    const Completion completion = queue_->Next();
    --inFlight;
    Slot& slot = slots_.at(completion.tag);
    if (completion.result > 0) {
      slot.done += static_cast<std::uint32_t>(completion.result);
      if (slot.from + slot.done < slot.to) {  // a short transfer: the rest goes again
        Start(range, slot, static_cast<std::uint32_t>(completion.tag));
        ++inFlight;
        continue;
      }
    } else {
      const std::uint32_t at = slot.from + slot.done;
      if (!failure || at < failure->at) failure = Failure{at, completion.result, completion.result == 0};
    }
    slot.busy = false;
  }
  if (!failure) return {range.length, 0, false};
  return {failure->at, failure->error, failure->pastEnd};
}

void ZeroTransfers::Start(const Range& range, Slot& slot, std::uint32_t tag) {
  slot.busy = true;
  const std::uint32_t from = slot.from + slot.done;
  slot.parts.clear();
  for (std::uint32_t at = from; at < slot.to; at += kZeroBufferBytes)
    slot.parts.push_back({zeros_, std::min(kZeroBufferBytes, slot.to - at)});
  queue_->Start({range.fd, true, range.offset + from, slot.parts.data(), static_cast<int>(slot.parts.size()), tag});
}

}  // namespace orvella::linux_backend
