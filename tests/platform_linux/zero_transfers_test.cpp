// Zero writes and read-back checks with several transfers in flight: the
// parts cover the range exactly, a short transfer is finished, the failure
// reported is the first part that failed whatever order parts end in, reads
// name exactly the sectors that are not zero; and where io_uring is refused
// (a seccomp filter) the transfers go one at a time and still work. Reads
// queued block after block are kept in flight across the blocks.
#include "platform/linux/zero_transfers.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/linux/syscalls.h"

namespace orvella::linux_backend {
namespace {

constexpr std::uint32_t kMiB = 1024 * 1024;

// A drive in memory whose queue holds up to four transfers and ends them
// last first (or in order); a transfer starting in a failing range fails with its errno,
// every transfer can be made to move `shortBy` bytes less, or nothing, as
// at the end of the drive.
class ReorderingQueue final : public TransferQueue {
 public:
  explicit ReorderingQueue(std::vector<std::uint8_t>& medium) : medium_(medium) {}
  unsigned Depth() const override { return 4; }
  void Start(const Transfer& t) override {
    EXPECT_LT(started_.size(), 4u);
    started_.push_back(t);
    ++starts;
    startedAt.push_back(t.offset);
  }
  std::size_t InFlight() const { return started_.size(); }
  Completion Next() override {
    const Transfer t = inOrder ? started_.front() : started_.back();
    started_.erase(inOrder ? started_.begin() : started_.end() - 1);
    for (const auto& [range, error] : failing)
      if (t.offset >= range.first && t.offset < range.second) return {t.tag, -error};
    std::size_t moved = 0;
    for (int i = 0; i < t.partCount; ++i) {
      const iovec& part = t.parts[i];
      EXPECT_EQ(part.iov_len % 512, 0u);
      auto* bytes = static_cast<std::uint8_t*>(part.iov_base);
      const std::size_t at = static_cast<std::size_t>(t.offset) + moved;
      if (t.write)
        std::memcpy(medium_.data() + at, bytes, part.iov_len);
      else
        std::memcpy(bytes, medium_.data() + at, part.iov_len);
      moved += part.iov_len;
    }
    if (atEnd) return {t.tag, 0};
    return {t.tag, static_cast<long>(moved > shortBy ? moved - shortBy : moved)};
  }

  std::map<std::pair<std::int64_t, std::int64_t>, int> failing;
  std::size_t shortBy = 0;
  bool atEnd = false;
  bool inOrder = false;  // ends transfers first started first instead
  int starts = 0;
  std::vector<std::int64_t> startedAt;  // the offset of every transfer started, in order

 private:
  std::vector<std::uint8_t>& medium_;
  std::vector<Transfer> started_;
};

struct Rig {
  Rig() : medium(40 * kMiB, 0xAA) {
    auto owned = std::make_unique<ReorderingQueue>(medium);
    queue = owned.get();
    transfers = std::make_unique<ZeroTransfers>(std::move(owned));
  }
  std::vector<std::uint8_t> medium;
  ReorderingQueue* queue;
  std::unique_ptr<ZeroTransfers> transfers;
};

bool AllZero(const std::vector<std::uint8_t>& medium, std::size_t from, std::size_t to) {
  for (std::size_t i = from; i < to; ++i)
    if (medium[i] != 0) return false;
  return true;
}

TEST(ZeroTransfers, WritesZeroExactlyTheRangeInFourPartsAtOnce) {
  Rig rig;
  const TransferOutcome outcome = rig.transfers->Write(-1, kMiB, 32 * kMiB);
  EXPECT_FALSE(outcome.Failed());
  EXPECT_EQ(outcome.done, 32 * kMiB);
  EXPECT_EQ(rig.queue->starts, 4);
  EXPECT_TRUE(AllZero(rig.medium, kMiB, 33 * kMiB));
  EXPECT_EQ(rig.medium[kMiB - 1], 0xAA);
  EXPECT_EQ(rig.medium[33 * kMiB], 0xAA);

  // A range that is no whole number of zero buffers ends where it should.
  EXPECT_EQ(rig.transfers->Write(-1, 34 * kMiB, 10 * 512).done, 10u * 512);
  EXPECT_TRUE(AllZero(rig.medium, 34 * kMiB, 34 * kMiB + 5120));
  EXPECT_EQ(rig.medium[34 * kMiB + 5120], 0xAA);
}

TEST(ZeroTransfers, AShortTransferIsFinishedAndTheFirstFailureIsNamedWhateverEndsFirst) {
  Rig rig;
  rig.queue->shortBy = 4096;
  EXPECT_EQ(rig.transfers->Write(-1, 0, 8 * kMiB).done, 8 * kMiB);
  EXPECT_TRUE(AllZero(rig.medium, 0, 8 * kMiB));
  rig.queue->shortBy = 0;

  // Parts of 8 MiB: the second and the fourth fail; the fourth ends first.
  rig.queue->failing = {{{8 * kMiB, 9 * kMiB}, EIO}, {{24 * kMiB, 25 * kMiB}, ENOSPC}};
  const TransferOutcome outcome = rig.transfers->Write(-1, 0, 32 * kMiB);
  EXPECT_EQ(outcome.done, 8 * kMiB);
  EXPECT_EQ(outcome.error, -EIO);
}

TEST(ZeroTransfers, ReadsNameTheSectorsThatAreNotZeroAcrossParts) {
  Rig rig;
  ASSERT_FALSE(rig.transfers->Write(-1, 0, 8 * kMiB).Failed());
  rig.medium[3 * kMiB + 5] = 1;          // a sector inside a part
  rig.medium[kMiB - 1] = 1;              // the last sector of the first part...
  rig.medium[kMiB] = 1;                  // ...and the first of the second: one span
  std::vector<ByteSpan> nonZero{{1, 2}};  // what was there before is replaced
  const TransferOutcome outcome = rig.transfers->Read(-1, 0, 8 * kMiB, 512, nonZero);
  EXPECT_EQ(outcome.done, 8 * kMiB);
  EXPECT_EQ(nonZero, (std::vector<ByteSpan>{{kMiB - 512, kMiB + 512}, {3 * kMiB, 3 * kMiB + 512}}));

  rig.queue->failing = {{{2 * kMiB, 3 * kMiB}, EIO}};
  const TransferOutcome failed = rig.transfers->Read(-1, 0, 8 * kMiB, 512, nonZero);
  EXPECT_EQ(failed.done, 2 * kMiB);
  EXPECT_EQ(failed.error, -EIO);
  EXPECT_TRUE(nonZero.empty());
}

TEST(ZeroReadAhead, TheNextBlocksReadsAreInFlightBeforeTheOldestIsTakenAndEachBlockNamesItsOwnSectors) {
  Rig rig;
  ASSERT_FALSE(rig.transfers->Write(-1, 0, 8 * kMiB).Failed());
  rig.medium[2 * kMiB + 512] = 1;  // the second block's second sector
  rig.medium[4 * kMiB + 1024] = 1;  // the third block's last sector
  const auto reader = rig.transfers->ReadAhead(-1, 512);
  reader->Queue(0, 2 * kMiB);
  reader->Queue(2 * kMiB, 2 * kMiB);
  reader->Queue(4 * kMiB, 3 * 512);  // shorter than a read buffer
  rig.queue->startedAt.clear();
  std::vector<ByteSpan> nonZero{{1, 2}};
  EXPECT_EQ(reader->Take(nonZero).done, 2 * kMiB);
  EXPECT_TRUE(nonZero.empty());
  // The first block's two parts, then the second block's, before it was taken.
  EXPECT_GE(rig.queue->startedAt.size(), 4u);
  EXPECT_EQ(rig.queue->startedAt[2], 2 * kMiB);
  EXPECT_EQ(reader->Take(nonZero).done, 2 * kMiB);
  EXPECT_EQ(nonZero, (std::vector<ByteSpan>{{512, 1024}}));
  EXPECT_EQ(reader->Take(nonZero).done, 3u * 512);
  EXPECT_EQ(nonZero, (std::vector<ByteSpan>{{1024, 1536}}));
  EXPECT_EQ(rig.queue->InFlight(), 0u);
}

TEST(ZeroReadAhead, AFailedPartFailsItsBlockAloneAndShortReadsAreFinished) {
  Rig rig;
  ASSERT_FALSE(rig.transfers->Write(-1, 0, 8 * kMiB).Failed());
  rig.queue->shortBy = 4096;
  rig.queue->failing = {{{kMiB, 2 * kMiB}, EIO}};
  rig.medium[5 * kMiB - 1] = 1;
  const auto reader = rig.transfers->ReadAhead(-1, 512);
  reader->Queue(0, 3 * kMiB);
  reader->Queue(3 * kMiB, 2 * kMiB);
  std::vector<ByteSpan> nonZero;
  const TransferOutcome failed = reader->Take(nonZero);
  EXPECT_EQ(failed.done, kMiB);
  EXPECT_EQ(failed.error, -EIO);
  EXPECT_TRUE(nonZero.empty());
  const TransferOutcome next = reader->Take(nonZero);
  EXPECT_FALSE(next.Failed());
  EXPECT_EQ(nonZero, (std::vector<ByteSpan>{{2 * kMiB - 512, 2 * kMiB}}));
}

TEST(ZeroReadAhead, ReadsInFlightWhenTheReaderGoesAreWaitedFor) {
  Rig rig;
  rig.queue->inOrder = true;
  {
    const auto reader = rig.transfers->ReadAhead(-1, 512);
    reader->Queue(0, 2 * kMiB);
    reader->Queue(2 * kMiB, 2 * kMiB);
    std::vector<ByteSpan> nonZero;
    EXPECT_EQ(reader->Take(nonZero).done, 2 * kMiB);
    EXPECT_GT(rig.queue->InFlight(), 0u);  // the second block's reads, never taken
  }
  EXPECT_EQ(rig.queue->InFlight(), 0u);
  // The buffers are free again for the next reader.
  std::vector<ByteSpan> nonZero;
  EXPECT_FALSE(rig.transfers->Read(-1, 0, 4 * kMiB, 512, nonZero).Failed());
}

TEST(ZeroTransfers, TheEndOfTheDriveIsNamedAsSuch) {
  Rig rig;
  rig.queue->atEnd = true;
  const TransferOutcome outcome = rig.transfers->Write(-1, 0, 65536);
  EXPECT_TRUE(outcome.pastEnd);
  EXPECT_EQ(outcome.done, 0u);
}

// A seccomp filter that makes io_uring_setup fail with ENOSYS, as container
// runtimes do.
void RefuseIoUring() {
  sock_filter filter[] = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_io_uring_setup, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | ENOSYS),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  sock_fprog program{static_cast<unsigned short>(sizeof filter / sizeof filter[0]), filter};
  if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 || prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0)
    std::_Exit(10);
}

// Zeros over a file in a fresh temporary folder, read back: 0 when all went well.
int WriteAndReadBack(Syscalls& syscalls, unsigned expectedDepth) {
  char folder[] = "/tmp/orvella-transfers-XXXXXX";
  if (mkdtemp(folder) == nullptr) return 11;
  const std::string path = std::string(folder) + "/drive.img";
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  int status = fd < 0 ? 12 : 0;
  if (status == 0) {
    const std::vector<std::uint8_t> old(4 * kMiB, 0x55);
    if (::pwrite(fd, old.data(), old.size(), 0) != static_cast<ssize_t>(old.size())) status = 13;
    ZeroTransfers transfers(syscalls.QueueOf(kTransfersInFlight));
    std::vector<ByteSpan> nonZero;
    if (status == 0 && transfers.Depth() != expectedDepth) status = 14;
    if (status == 0 && transfers.Write(fd, 0, 3 * kMiB).Failed()) status = 15;
    if (status == 0 && transfers.Read(fd, 0, 4 * kMiB, 512, nonZero).Failed()) status = 16;
    if (status == 0 && nonZero != std::vector<ByteSpan>{{3 * kMiB, 4 * kMiB}}) status = 17;
    ::close(fd);
  }
  ::unlink(path.c_str());
  ::rmdir(folder);
  return status;
}

TEST(TransferQueue, WhereIoUringIsRefusedTransfersGoOneAtATime) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    RefuseIoUring();
    const auto syscalls = MakeRealSyscalls();
    std::_Exit(WriteAndReadBack(*syscalls, 1));
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(TransferQueue, WithIoUringFourAreInFlight) {
  if (!MakeUringQueue(kTransfersInFlight)) GTEST_SKIP() << "io_uring is not available here";
  const auto syscalls = MakeRealSyscalls();
  EXPECT_EQ(WriteAndReadBack(*syscalls, kTransfersInFlight), 0);
}

}  // namespace
}  // namespace orvella::linux_backend
