#include "platform/linux/table_watch.h"

namespace orvella::linux_backend {

TableWatch::~TableWatch() {
  for (const int fd : {mounts_, swaps_})
    if (fd >= 0) sys_.Close(fd);
}

// The descriptors are opened before the caller first reads the tables, so
// that a change between that read and the next look is never missed. Both
// are polled at every look: polling clears a mark, and a mark left standing
// would count the same change again at the next look.
std::uint64_t TableWatch::Generation() {
  if (!opened_) {
    opened_ = true;
    mounts_ = sys_.OpenTable(tree_.Locate("/proc/self/mountinfo"));
    swaps_ = sys_.OpenTable(tree_.Locate("/proc/swaps"));
    return ++generation_;
  }
  const bool mountsChanged = Changed(mounts_);
  const bool swapsChanged = Changed(swaps_);
  if (mountsChanged || swapsChanged) ++generation_;
  return generation_;
}

bool TableWatch::Changed(int fd) { return fd < 0 || sys_.PollPriority(fd) != 0; }

}  // namespace orvella::linux_backend
