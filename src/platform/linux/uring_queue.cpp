// The io_uring queue, through liburing: transfers are submitted as they are
// started, so the drive finds the next one waiting when it ends one.
#include <liburing.h>

#include <cerrno>
#include <deque>

#include "platform/linux/transfer_queue.h"

namespace orvella::linux_backend {
namespace {

class UringQueue final : public TransferQueue {
 public:
  explicit UringQueue(unsigned depth) : depth_(depth), ready_(io_uring_queue_init(depth, &ring_, 0) == 0) {}
  ~UringQueue() override {
    if (ready_) io_uring_queue_exit(&ring_);
  }
  UringQueue(const UringQueue&) = delete;
  UringQueue& operator=(const UringQueue&) = delete;

  // False where the kernel has no io_uring, has it switched off, or a
  // seccomp filter refuses it.
  bool Ready() const { return ready_; }
  unsigned Depth() const override { return depth_; }

  void Start(const Transfer& t) override {
    io_uring_sqe* sqe = io_uring_get_sqe(&ring_);
    if (sqe == nullptr) return Refuse(t.tag, -EBUSY);
    if (t.write)
      io_uring_prep_writev(sqe, t.fd, t.parts, static_cast<unsigned>(t.partCount), static_cast<__u64>(t.offset));
    else
      io_uring_prep_readv(sqe, t.fd, t.parts, static_cast<unsigned>(t.partCount), static_cast<__u64>(t.offset));
    io_uring_sqe_set_data64(sqe, t.tag);
    int submitted;
    do submitted = io_uring_submit(&ring_);
    while (submitted == -EINTR);
    if (submitted < 0) Refuse(t.tag, submitted);
  }

  Completion Next() override {
    if (!refused_.empty()) {
      const Completion c = refused_.front();
      refused_.pop_front();
      return c;
    }
    io_uring_cqe* cqe = nullptr;
    int waited;
    do waited = io_uring_wait_cqe(&ring_, &cqe);
    while (waited == -EINTR);
    if (waited < 0) return {0, waited};
    const Completion c{io_uring_cqe_get_data64(cqe), cqe->res};
    io_uring_cqe_seen(&ring_, cqe);
    return c;
  }

 private:
  // A transfer the ring would not take ends at once with the error.
  void Refuse(std::uint64_t tag, int error) { refused_.push_back({tag, error}); }

  io_uring ring_{};
  const unsigned depth_;
  const bool ready_;
  std::deque<Completion> refused_;
};

}  // namespace

std::unique_ptr<TransferQueue> MakeUringQueue(unsigned depth) {
  auto queue = std::make_unique<UringQueue>(depth);
  if (!queue->Ready()) return nullptr;
  return queue;
}

}  // namespace orvella::linux_backend
