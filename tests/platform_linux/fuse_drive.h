// A loop device (direct I/O) over the one file of a small FUSE file system
// (faulty_fs.py) that refuses writes in some ranges with EIO and silently
// drops the writes in others: real kernel-level write errors and a drive
// that lies, for end-to-end tests. Root only; everything lives in a temporary
// folder of its own, and teardown detaches the loop device, unmounts the
// file system and removes the folder only once nothing is mounted in it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace orvella::test {

class FuseDrive {
 public:
  using Range = std::pair<std::uint64_t, std::uint64_t>;  // [from, to) in bytes
  struct Options {
    std::uint64_t size = 32ull << 20;
    std::uint8_t fillByte = 0xAB;  // the old contents
    std::vector<Range> failing;    // writes touching these fail with EIO
    std::vector<Range> dropped;    // writes here report success and are lost
  };

  // Empty with `whyNot` set where it cannot be had (not root, no FUSE, no
  // fusepy, no loop devices, no direct I/O on the loop device).
  static std::unique_ptr<FuseDrive> Attach(const Options& options, std::string& whyNot);
  ~FuseDrive();
  FuseDrive(const FuseDrive&) = delete;
  FuseDrive& operator=(const FuseDrive&) = delete;

  std::string Node() const { return "/dev/" + loopName_; }
  // The byte ranges of the backing file, in 512-byte sectors, that are not
  // all zero, merged.
  std::vector<Range> NonZeroRanges() const;

 private:
  FuseDrive() = default;
  std::string folder_, backing_, mountPoint_, loopName_;
  int serverPid_ = -1;
};

}  // namespace orvella::test
