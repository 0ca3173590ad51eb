// orvella-reference-io write|read DEVICE
//
// The best plain writer and reader the erase is measured against: zeros
// written over the whole device with pwritev of one 64 KiB zero buffer,
// 8 MiB per request, and read back in 1 MiB requests checked for zeros, four
// requests in flight through io_uring, O_DIRECT. It knows nothing of the
// program; bench/erase-compare.sh runs it on its own loop device only.
#include <fcntl.h>
#include <linux/fs.h>
#include <liburing.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr unsigned kDepth = 4;
constexpr std::size_t kZeroBuffer = 64 * 1024;
constexpr std::size_t kWriteRequest = 8 * 1024 * 1024;
constexpr std::size_t kReadRequest = 1024 * 1024;

[[noreturn]] void Die(const char* what, int error) {
  std::fprintf(stderr, "%s: %s\n", what, std::strerror(error));
  std::exit(1);
}

struct Request {
  std::vector<iovec> parts;
  void* buffer = nullptr;
  std::uint64_t offset = 0;
  std::size_t length = 0;
};

int Run(bool write, const char* device) {
  const int fd = ::open(device, (write ? O_WRONLY : O_RDONLY) | O_DIRECT | O_CLOEXEC);
  if (fd < 0) Die(device, errno);
  std::uint64_t size = 0;
  if (::ioctl(fd, BLKGETSIZE64, &size) != 0) Die("BLKGETSIZE64", errno);
  void* zeros = std::aligned_alloc(4096, kZeroBuffer);
  std::memset(zeros, 0, kZeroBuffer);
  io_uring ring{};
  if (const int r = io_uring_queue_init(kDepth, &ring, 0); r < 0) Die("io_uring_queue_init", -r);
  std::vector<Request> requests(kDepth);
  for (Request& r : requests) r.buffer = write ? zeros : std::aligned_alloc(4096, kReadRequest);
  const std::size_t step = write ? kWriteRequest : kReadRequest;
  std::uint64_t next = 0;
  std::uint64_t nonZero = 0;
  unsigned inFlight = 0;
  auto submit = [&](unsigned slot) {
    Request& r = requests[slot];
    r.offset = next;
    r.length = static_cast<std::size_t>(std::min<std::uint64_t>(step, size - next));
    next += r.length;
    r.parts.clear();
    if (write)
      for (std::size_t at = 0; at < r.length; at += kZeroBuffer)
        r.parts.push_back({zeros, std::min(kZeroBuffer, r.length - at)});
    else
      r.parts.push_back({r.buffer, r.length});
    io_uring_sqe* sqe = io_uring_get_sqe(&ring);
    if (write)
      io_uring_prep_writev(sqe, fd, r.parts.data(), static_cast<unsigned>(r.parts.size()), r.offset);
    else
      io_uring_prep_readv(sqe, fd, r.parts.data(), 1, r.offset);
    io_uring_sqe_set_data64(sqe, slot);
    ++inFlight;
  };
  for (unsigned slot = 0; slot < kDepth && next < size; ++slot) submit(slot);
  io_uring_submit(&ring);
  while (inFlight > 0) {
    io_uring_cqe* cqe = nullptr;
    if (const int r = io_uring_wait_cqe(&ring, &cqe); r < 0) Die("io_uring_wait_cqe", -r);
    const auto slot = static_cast<unsigned>(io_uring_cqe_get_data64(cqe));
    const int result = cqe->res;
    io_uring_cqe_seen(&ring, cqe);
    --inFlight;
    if (result < 0) Die(write ? "write" : "read", -result);
    if (static_cast<std::size_t>(result) != requests[slot].length) Die("short transfer", EIO);
    if (!write) {
      const auto* bytes = static_cast<const std::uint8_t*>(requests[slot].buffer);
      for (std::size_t at = 0; at < requests[slot].length; at += kZeroBuffer)
        if (std::memcmp(bytes + at, zeros, std::min(kZeroBuffer, requests[slot].length - at)) != 0) ++nonZero;
    }
    if (next < size) {
      submit(slot);
      io_uring_submit(&ring);
    }
  }
  if (write && ::fsync(fd) != 0) Die("fsync", errno);
  io_uring_queue_exit(&ring);
  ::close(fd);
  if (nonZero > 0) std::fprintf(stderr, "%llu pieces not zero\n", static_cast<unsigned long long>(nonZero));
  return nonZero > 0 ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || (std::string(argv[1]) != "write" && std::string(argv[1]) != "read")) {
    std::fprintf(stderr, "usage: orvella-reference-io write|read DEVICE\n");
    return 2;
  }
  return Run(std::string(argv[1]) == "write", argv[2]);
}
