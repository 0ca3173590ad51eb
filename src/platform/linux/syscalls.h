// The few kernel calls the Linux backend makes on device nodes, behind an
// interface so that tests can stand in a fake kernel: fixture trees replay
// captured machines without their device nodes, and the ATA pass-through is
// checked against a fake SG_IO.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/linux/transfer_queue.h"

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
  virtual long PWriteV(int fd, const iovec* parts, int partCount, std::int64_t offset) = 0;
  virtual long PReadV(int fd, const iovec* parts, int partCount, std::int64_t offset) = 0;
  // A queue for up to `depth` transfers in flight; one at a time where the
  // kernel offers no more.
  virtual std::unique_ptr<TransferQueue> QueueOf(unsigned) { return MakeSerialQueue(*this); }
  virtual int Fsync(int fd) = 0;
  virtual int Flock(int fd, int operation) = 0;
  // Unmounts one mount point. Never lazy and never forced: a busy file
  // system refuses.
  virtual int Unmount(const std::string& mountPoint) = 0;
  // The device number of an open block device; -ENOTBLK for anything else.
  virtual int BlockDeviceNumber(int fd, std::uint32_t* major, std::uint32_t* minor) = 0;
  virtual void SleepMilliseconds(std::uint32_t milliseconds) = 0;
  // Opens a /proc table (the mount table, the swap areas) for reading, to
  // be polled for changes.
  virtual int OpenTable(const std::string& path) = 0;
  // Whether the kernel has marked the descriptor with a priority event or an
  // error (a pollable /proc file that changed), without waiting; the mark is
  // cleared. 1 when marked, 0 when not.
  virtual int PollPriority(int fd) = 0;
};

std::unique_ptr<Syscalls> MakeRealSyscalls();

}  // namespace orvella::linux_backend
