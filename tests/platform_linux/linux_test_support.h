// Helpers of the Linux backend tests: fixture trees (copied where a test
// changes them), and the storage queries a drive is probed with.
#pragma once

#include <cstdint>
#include <string>

#include "platform/os.h"

namespace orvella::test {

std::string FixtureRoot(const std::string& name);

// A private copy of a fixture tree, removed at the end of the test.
class TreeCopy {
 public:
  explicit TreeCopy(const std::string& fixture);
  ~TreeCopy();
  TreeCopy(const TreeCopy&) = delete;
  TreeCopy& operator=(const TreeCopy&) = delete;

  const std::string& Root() const { return root_; }
  // Drops the mountinfo lines of a mount point, as unmounting it does.
  void RemoveMount(const std::string& mountPoint);
  void WriteFile(const std::string& path, const std::string& content);

 private:
  std::string root_;
};

std::u16string DrivePath(int number);
std::u16string VolumePath(const std::string& name);

// What the storage queries tell about a drive's size and adapter.
struct QueriedDrive {
  bool opened = false;
  std::uint32_t sectorSize = 0;
  std::int64_t length = 0;
  std::uint32_t maxTransfer = 0;
  bool removable = false;
};
QueriedDrive QueryDrive(Os& os, int number);

// The texts of a drive string list.
std::string DriveStrings(Os& os);

}  // namespace orvella::test
