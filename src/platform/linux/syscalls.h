// The few kernel calls the Linux backend makes on device nodes, behind an
// interface so that tests can stand in a fake kernel: fixture trees replay
// captured machines without their device nodes, and the ATA pass-through is
// checked against a fake SG_IO.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace orvella::linux_backend {

// Every call returns its result, or minus the errno value when it fails.
class Syscalls {
 public:
  virtual ~Syscalls() = default;

  virtual int Open(const std::string& path, int flags) = 0;
  virtual int Close(int fd) = 0;
  virtual int Ioctl(int fd, unsigned long request, void* argument) = 0;
  virtual long PWrite(int fd, const void* buffer, std::size_t length, std::int64_t offset) = 0;
  virtual long PRead(int fd, void* buffer, std::size_t length, std::int64_t offset) = 0;
  virtual int Fsync(int fd) = 0;
  virtual int Flock(int fd, int operation) = 0;
  // Unmounts one mount point. Never lazy and never forced: a busy file
  // system refuses.
  virtual int Unmount(const std::string& mountPoint) = 0;
  // The device number of an open block device; -ENOTBLK for anything else.
  virtual int BlockDeviceNumber(int fd, std::uint32_t* major, std::uint32_t* minor) = 0;
  virtual void SleepMilliseconds(std::uint32_t milliseconds) = 0;
};

std::unique_ptr<Syscalls> MakeRealSyscalls();

}  // namespace orvella::linux_backend
