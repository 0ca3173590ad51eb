// Positioned reads of one drive with several in flight at once, as the
// system offers them (io_uring on Linux, overlapped ReadFile on Windows).
#pragma once

#include <cstdint>

namespace orvella {

struct ReadDone {
  std::uint64_t tag = 0;  // the start's tag
  long result = 0;        // bytes read; 0 at the end of the drive; minus the system's error code
};

class ReadQueue {
 public:
  virtual ~ReadQueue() = default;
  // How many reads may be in flight at once.
  virtual unsigned Depth() const = 0;
  // Starts reading `length` bytes at `offset` into `buffer`; at most Depth()
  // may be started and not yet waited for. A read that cannot start ends
  // at once with its error.
  virtual void Start(std::int64_t offset, std::uint8_t* buffer, std::uint32_t length, std::uint64_t tag) = 0;
  // Waits for one started read to end, in whatever order they end.
  virtual ReadDone Next() = 0;
};

}  // namespace orvella
