// The queue of one transfer at a time: each transfer is done when it is
// started, and its completion waits to be collected.
#include <deque>

#include "platform/linux/syscalls.h"
#include "platform/linux/transfer_queue.h"

namespace orvella::linux_backend {
namespace {

class SerialQueue final : public TransferQueue {
 public:
  explicit SerialQueue(Syscalls& syscalls) : sys_(syscalls) {}
  unsigned Depth() const override { return 1; }
  void Start(const Transfer& t) override {
    const long result = t.write ? sys_.PWriteV(t.fd, t.parts, t.partCount, t.offset)
                                : sys_.PReadV(t.fd, t.parts, t.partCount, t.offset);
    done_.push_back({t.tag, result});
  }
  Completion Next() override {
    const Completion c = done_.front();
    done_.pop_front();
    return c;
  }

 private:
  Syscalls& sys_;
  std::deque<Completion> done_;
};

}  // namespace

std::unique_ptr<TransferQueue> MakeSerialQueue(Syscalls& syscalls) { return std::make_unique<SerialQueue>(syscalls); }

}  // namespace orvella::linux_backend
