// Whether the mount table or the list of swap areas may have changed since
// the last look, without reading either: the kernel marks an open descriptor
// of /proc/self/mountinfo or /proc/swaps with a priority event (POLLPRI)
// after every mount, unmount, swapon and swapoff, and poll() sees the mark
// and clears it. Where either file cannot be opened, every look counts as a
// change, so that callers fall back to reading the files each time.
#pragma once

#include <cstdint>

#include "platform/linux/syscalls.h"
#include "platform/linux/system_tree.h"

namespace orvella::linux_backend {

class TableWatch {
 public:
  TableWatch(Syscalls& syscalls, const SystemTree& tree) : sys_(syscalls), tree_(tree) {}
  ~TableWatch();
  TableWatch(const TableWatch&) = delete;
  TableWatch& operator=(const TableWatch&) = delete;

  // A number that grows at every look that finds a change (the first look
  // included). What was read from the tables after a look that answered N
  // still holds while later looks answer N.
  std::uint64_t Generation();

 private:
  // Whether the descriptor is marked; an unopened or failing one counts as
  // marked.
  bool Changed(int fd);

  Syscalls& sys_;
  const SystemTree& tree_;
  bool opened_ = false;
  int mounts_ = -1;
  int swaps_ = -1;
  std::uint64_t generation_ = 0;
};

}  // namespace orvella::linux_backend
