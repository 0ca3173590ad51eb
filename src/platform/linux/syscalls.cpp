// The real kernel calls behind Syscalls.
#include "platform/linux/syscalls.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace orvella::linux_backend {
namespace {

int Result(long value) { return value < 0 ? -errno : static_cast<int>(value); }

class RealSyscalls final : public Syscalls {
 public:
  int Open(const std::string& path, int flags) override { return Result(::open(path.c_str(), flags)); }
  int Close(int fd) override { return Result(::close(fd)); }
  int Ioctl(int fd, unsigned long request, void* argument) override { return Result(::ioctl(fd, request, argument)); }
  long PWrite(int fd, const void* buffer, std::size_t length, std::int64_t offset) override {
    const ssize_t written = ::pwrite(fd, buffer, length, static_cast<off_t>(offset));
    return written < 0 ? -errno : written;
  }
  long PRead(int fd, void* buffer, std::size_t length, std::int64_t offset) override {
    const ssize_t read = ::pread(fd, buffer, length, static_cast<off_t>(offset));
    return read < 0 ? -errno : read;
  }
  long PWriteV(int fd, const iovec* parts, int partCount, std::int64_t offset) override {
    const ssize_t written = ::pwritev(fd, parts, partCount, static_cast<off_t>(offset));
    return written < 0 ? -errno : written;
  }
  long PReadV(int fd, const iovec* parts, int partCount, std::int64_t offset) override {
    const ssize_t read = ::preadv(fd, parts, partCount, static_cast<off_t>(offset));
    return read < 0 ? -errno : read;
  }
  std::unique_ptr<TransferQueue> QueueOf(unsigned depth) override {
    if (auto queue = MakeUringQueue(depth)) return queue;
    return MakeSerialQueue(*this);
  }
  int Fsync(int fd) override { return Result(::fsync(fd)); }
  int Flock(int fd, int operation) override {
    int result;
    do result = ::flock(fd, operation);
    while (result < 0 && errno == EINTR);
    return Result(result);
  }
  int Unmount(const std::string& mountPoint) override { return Result(::umount2(mountPoint.c_str(), UMOUNT_NOFOLLOW)); }
  int BlockDeviceNumber(int fd, std::uint32_t* major, std::uint32_t* minor) override {
    struct stat status {};
    if (::fstat(fd, &status) < 0) return -errno;
    if (!S_ISBLK(status.st_mode)) return -ENOTBLK;
    *major = ::major(status.st_rdev);
    *minor = ::minor(status.st_rdev);
    return 0;
  }
  void SleepMilliseconds(std::uint32_t milliseconds) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
  int OpenTable(const std::string& path) override { return Open(path, O_RDONLY | O_CLOEXEC); }
  int PollPriority(int fd) override {
    pollfd watched{fd, POLLPRI, 0};
    int result;
    do result = ::poll(&watched, 1, 0);
    while (result < 0 && errno == EINTR);
    if (result < 0) return -errno;
    return (watched.revents & (POLLPRI | POLLERR | POLLNVAL)) != 0 ? 1 : 0;
  }
};

}  // namespace

std::unique_ptr<Syscalls> MakeRealSyscalls() { return std::make_unique<RealSyscalls>(); }

}  // namespace orvella::linux_backend
