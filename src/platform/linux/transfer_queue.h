// Positioned transfers of a drive, several in flight at once where the
// kernel allows it (io_uring), one at a time where it does not: io_uring
// missing from the kernel, switched off, or refused by a seccomp filter.
#pragma once

#include <sys/uio.h>

#include <cstdint>
#include <memory>

namespace orvella::linux_backend {

class Syscalls;

struct Transfer {
  int fd = -1;
  bool write = false;
  std::int64_t offset = 0;
  const iovec* parts = nullptr;
  int partCount = 0;
  std::uint64_t tag = 0;  // handed back with the completion
};

struct Completion {
  std::uint64_t tag = 0;
  long result = 0;  // bytes moved, or minus the errno value
};

class TransferQueue {
 public:
  virtual ~TransferQueue() = default;
  // How many transfers may be in flight at once.
  virtual unsigned Depth() const = 0;
  // Starts a transfer; at most Depth() may be started and not yet waited for.
  // A transfer the queue cannot start completes at once with its error.
  virtual void Start(const Transfer& transfer) = 0;
  // Waits for one started transfer to end, in whatever order they end.
  virtual Completion Next() = 0;
};

// One transfer at a time through the positioned vector calls of `syscalls`.
std::unique_ptr<TransferQueue> MakeSerialQueue(Syscalls& syscalls);

// An io_uring queue of `depth` transfers; nullptr where io_uring is missing,
// switched off or refused.
std::unique_ptr<TransferQueue> MakeUringQueue(unsigned depth);

}  // namespace orvella::linux_backend
