#include "platform_linux/fake_kernel.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/file.h>

#include <cerrno>
#include <cstring>

#include "platform/linux/system_tree.h"

namespace orvella::test {

using linux_backend::DeviceNodePath;
using linux_backend::SystemTree;

FakeKernel::FakeKernel(const std::string& root) {
  if (root.empty()) return;
  const SystemTree tree(root);
  for (const std::string& name : tree.List("/sys/block")) {
    const std::string base = "/sys/block/" + name;
    const auto number = linux_backend::ParseDeviceNumber(tree.ReadLine(base + "/dev").value_or(""));
    if (!number) continue;
    Node node;
    node.number = *number;
    node.length = std::stoull(tree.ReadLine(base + "/size").value_or("0")) * 512;
    node.sectorSize = std::stoi(tree.ReadLine(base + "/queue/logical_block_size").value_or("512"));
    nodes[root + DeviceNodePath(name)] = node;
    for (const auto& partition : linux_backend::ListPartitions(tree, name)) {
      nodes[root + DeviceNodePath(partition.name)] = {partition.device, 0, node.sectorSize};
      wholeDiskOf_[root + DeviceNodePath(partition.name)] = root + DeviceNodePath(name);
    }
  }
}

int FakeKernel::CountCalls(const std::string& prefix) const {
  int n = 0;
  for (const std::string& call : calls) n += call.rfind(prefix, 0) == 0 ? 1 : 0;
  return n;
}

bool FakeKernel::HeldExclusively(const std::string& path) const {
  if (claimed.count(path) != 0) return true;
  for (const auto& [fd, file] : openFiles)
    if (file.path == path && (file.flags & O_EXCL) != 0) return true;
  return false;
}

// As the kernel has it: a claim of a partition and a claim of its whole disk
// exclude each other, whoever holds them.
bool FakeKernel::ClaimRefused(const std::string& path) const {
  if (HeldExclusively(path)) return true;
  if (const auto disk = wholeDiskOf_.find(path); disk != wholeDiskOf_.end()) return HeldExclusively(disk->second);
  for (const auto& [partition, disk] : wholeDiskOf_)
    if (disk == path && HeldExclusively(partition)) return true;
  return false;
}

int FakeKernel::Open(const std::string& path, int flags) {
  calls.push_back("open " + path);
  if (const auto it = openErrors.find(path); it != openErrors.end()) return -it->second;
  if (const auto it = writeOpenErrors.find(path); it != writeOpenErrors.end() && (flags & O_ACCMODE) != O_RDONLY)
    return -it->second;
  if (nodes.count(path) == 0) return -ENOENT;
  if ((flags & O_EXCL) != 0 && ClaimRefused(path)) return -EBUSY;
  const int fd = nextFd_++;
  openFiles[fd] = {path, flags};
  return fd;
}

int FakeKernel::OpenTable(const std::string& path) {
  calls.push_back("watch " + path);
  if (pollable.count(path) == 0) return -ENOENT;
  const int fd = nextFd_++;
  openFiles[fd] = {path, O_RDONLY};
  return fd;
}

int FakeKernel::PollPriority(int fd) {
  calls.push_back("poll");
  const auto file = openFiles.find(fd);
  if (file == openFiles.end()) return 1;  // as poll() marks a closed descriptor
  return changed.erase(file->second.path) == 1 ? 1 : 0;
}

int FakeKernel::Close(int fd) {
  calls.push_back("close");
  return openFiles.erase(fd) == 1 ? 0 : -EBADF;
}

int FakeKernel::Ioctl(int fd, unsigned long request, void* argument) {
  calls.push_back("ioctl " + IoctlName(request));
  const auto file = openFiles.find(fd);
  if (file == openFiles.end()) return -EBADF;
  const Node& node = nodes.at(file->second.path);
  switch (request) {
    case BLKGETSIZE64: *static_cast<std::uint64_t*>(argument) = node.length; return 0;
    case BLKSSZGET: *static_cast<int*>(argument) = node.sectorSize; return 0;
    case BLKRRPART:
      if (rereadErrors.empty()) return 0;
      {
        const int error = rereadErrors.front();
        rereadErrors.erase(rereadErrors.begin());
        return -error;
      }
    case SG_IO: {
      auto& header = *static_cast<sg_io_hdr_t*>(argument);
      cdbs.emplace_back(header.cmdp, header.cmdp + header.cmd_len);
      return sgIo ? sgIo(header) : -ENOTTY;
    }
    case NVME_IOCTL_ID: return nvmeAdmin ? 1 : -ENOTTY;
    case NVME_IOCTL_ADMIN_CMD: return nvmeAdmin ? nvmeAdmin(*static_cast<nvme_admin_cmd*>(argument)) : -ENOTTY;
    default: return -ENOTTY;
  }
}

// A block device moves nothing at or past its end: that is also all a
// drive answers that the kernel shrank to nothing while taking it away.
bool FakeKernel::AtEnd(int fd, std::int64_t offset) const {
  const auto node = nodes.find(openFiles.at(fd).path);
  return node != nodes.end() && static_cast<std::uint64_t>(offset) >= node->second.length;
}

long FakeKernel::PWrite(int fd, const void*, std::size_t length, std::int64_t offset) {
  calls.push_back("pwrite");
  if (openFiles.count(fd) == 0) return -EBADF;
  if (writeError != 0) return -writeError;
  if (AtEnd(fd, offset)) return 0;
  writes.push_back({fd, offset, length});
  return static_cast<long>(length);
}

// Reads give zeros, as from a freshly erased drive.
long FakeKernel::PRead(int fd, void* buffer, std::size_t length, std::int64_t offset) {
  calls.push_back("pread");
  if (openFiles.count(fd) == 0) return -EBADF;
  if (readError != 0) return -readError;
  if (AtEnd(fd, offset)) return 0;
  reads.push_back({fd, offset, length});
  std::memset(buffer, 0, length);
  return static_cast<long>(length);
}

namespace {
std::size_t TotalLength(const iovec* parts, int partCount) {
  std::size_t total = 0;
  for (int i = 0; i < partCount; ++i) total += parts[i].iov_len;
  return total;
}
}  // namespace

long FakeKernel::PWriteV(int fd, const iovec* parts, int partCount, std::int64_t offset) {
  calls.push_back("pwritev");
  if (openFiles.count(fd) == 0) return -EBADF;
  if (writeError != 0) return -writeError;
  if (AtEnd(fd, offset)) return 0;
  const std::size_t length = TotalLength(parts, partCount);
  writes.push_back({fd, offset, length});
  return static_cast<long>(length);
}

long FakeKernel::PReadV(int fd, const iovec* parts, int partCount, std::int64_t offset) {
  calls.push_back("preadv");
  if (openFiles.count(fd) == 0) return -EBADF;
  if (readError != 0) return -readError;
  if (AtEnd(fd, offset)) return 0;
  reads.push_back({fd, offset, TotalLength(parts, partCount)});
  for (int i = 0; i < partCount; ++i) std::memset(parts[i].iov_base, 0, parts[i].iov_len);
  return static_cast<long>(TotalLength(parts, partCount));
}

int FakeKernel::Fsync(int fd) {
  calls.push_back("fsync");
  return openFiles.count(fd) != 0 ? 0 : -EBADF;
}

int FakeKernel::Flock(int, int operation) {
  calls.push_back(operation == (LOCK_EX | LOCK_NB) ? "flock exclusive" : "flock other");
  if (flockErrors.empty()) return 0;
  const int error = flockErrors.front();
  flockErrors.erase(flockErrors.begin());
  return -error;
}

int FakeKernel::Unmount(const std::string& mountPoint) {
  calls.push_back("unmount " + mountPoint);
  if (const auto it = unmountErrors.find(mountPoint); it != unmountErrors.end()) return -it->second;
  if (onUnmount) onUnmount(mountPoint);
  return 0;
}

int FakeKernel::BlockDeviceNumber(int fd, std::uint32_t* major, std::uint32_t* minor) {
  const auto file = openFiles.find(fd);
  if (file == openFiles.end()) return -EBADF;
  const Node& node = nodes.at(file->second.path);
  *major = node.number.major;
  *minor = node.number.minor;
  return 0;
}

std::string IoctlName(unsigned long request) {
  switch (request) {
    case BLKGETSIZE64: return "BLKGETSIZE64";
    case BLKSSZGET: return "BLKSSZGET";
    case BLKRRPART: return "BLKRRPART";
    case SG_IO: return "SG_IO";
    case NVME_IOCTL_ADMIN_CMD: return "NVME_IOCTL_ADMIN_CMD";
    default: return "other";
  }
}

}  // namespace orvella::test
