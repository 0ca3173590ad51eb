// A stand-in kernel for the Linux backend: device nodes that answer the
// block-device ioctls from what a fixture tree says, with the failures a
// test sets up, and a record of the calls made.
#pragma once

#include <linux/nvme_ioctl.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/linux/block_devices.h"
#include "platform/linux/syscalls.h"

namespace orvella::test {

class FakeKernel final : public linux_backend::Syscalls {
 public:
  struct Node {
    linux_backend::DeviceNumber number;
    std::uint64_t length = 0;
    int sectorSize = 512;
  };
  struct OpenFile {
    std::string path;
    int flags = 0;
  };
  struct Write {
    int fd = -1;
    std::int64_t offset = 0;
    std::size_t length = 0;
  };

  // Device nodes for every disk and partition of the tree under root.
  explicit FakeKernel(const std::string& root = {});

  int Open(const std::string& path, int flags) override;
  int Close(int fd) override;
  int Ioctl(int fd, unsigned long request, void* argument) override;
  long PWrite(int fd, const void* buffer, std::size_t length, std::int64_t offset) override;
  long PRead(int fd, void* buffer, std::size_t length, std::int64_t offset) override;
  // One write or read of the parts' total length.
  long PWriteV(int fd, const iovec* parts, int partCount, std::int64_t offset) override;
  long PReadV(int fd, const iovec* parts, int partCount, std::int64_t offset) override;
  int Fsync(int fd) override;
  int Flock(int fd, int operation) override;
  int Unmount(const std::string& mountPoint) override;
  int BlockDeviceNumber(int fd, std::uint32_t* major, std::uint32_t* minor) override;
  void SleepMilliseconds(std::uint32_t milliseconds) override { sleptMilliseconds += milliseconds; }
  int OpenTable(const std::string& path) override;
  int PollPriority(int fd) override;

  // What tests set up.
  std::map<std::string, Node> nodes;           // by the path opened
  std::map<std::string, int> openErrors;       // path → errno
  std::map<std::string, int> writeOpenErrors;  // path → errno of opens for writing
  std::set<std::string> claimed;               // nodes another holder keeps exclusively
                                               // (a claim of a partition or its disk excludes the other)
  std::vector<int> flockErrors;                // errno of successive flock calls, then 0
  std::vector<int> rereadErrors;               // errno of successive BLKRRPART calls, then 0
  std::map<std::string, int> unmountErrors;    // mount point → errno
  std::function<void(const std::string&)> onUnmount;
  std::set<std::string> pollable;  // files that open and report changes (/proc/self/mountinfo, /proc/swaps)
  std::set<std::string> changed;   // pollable files marked with a change until the next poll
  int writeError = 0;                             // errno of every pwrite
  int readError = 0;                              // errno of every pread
  std::function<int(sg_io_hdr_t&)> sgIo;          // answers SG_IO; unset: ENOTTY
  std::function<int(nvme_admin_cmd&)> nvmeAdmin;  // answers NVMe admin commands; unset: ENOTTY

  // What tests look at.
  std::map<int, OpenFile> openFiles;
  std::vector<std::string> calls;  // "open path", "flock", "unmount point", "ioctl BLKRRPART", "sg_io"...
  std::vector<Write> writes;
  std::vector<Write> reads;  // the same fields, for every pread
  std::vector<std::vector<std::uint8_t>> cdbs;  // every SG_IO command block
  std::uint32_t sleptMilliseconds = 0;

  int OpenCount() const { return static_cast<int>(openFiles.size()); }
  int CountCalls(const std::string& prefix) const;
  // Whether someone (a test's other holder, or an O_EXCL open) holds the node.
  bool HeldExclusively(const std::string& path) const;
  // Whether an O_EXCL open of the node is refused.
  bool ClaimRefused(const std::string& path) const;

 private:
  bool AtEnd(int fd, std::int64_t offset) const;

  int nextFd_ = 10;
  std::map<std::string, std::string> wholeDiskOf_;  // partition node → its disk's node
};

// The ioctl requests a test can ask the fake about.
std::string IoctlName(unsigned long request);

}  // namespace orvella::test
