// The read-back on Windows with reads kept in flight across blocks:
// overlapped ReadFile on the drive's own handle (opened for overlapped I/O,
// see win32_os.h), several at once into buffers of their own, each part
// checked for zeros while the others are still being read (ZeroReadAhead).
#include "platform/windows/win32_os.h"
#include "platform/zero_read_ahead.h"
// <windows.h> last, as the header rule of win32_os.h says.
#include "platform/windows/win32_api.h"

#include <deque>
#include <vector>

namespace orvella {
namespace {

constexpr unsigned kReadsInFlight = 6;
constexpr std::uint32_t kReadPart = 1024 * 1024;

// The reads in flight on one handle (not owned), each with its buffer and
// event; they end in the order they were started.
class OverlappedReads final : public ReadQueue {
 public:
  explicit OverlappedReads(HANDLE handle) : handle_(handle), slots_(kReadsInFlight) {
    for (Slot& slot : slots_) {
      slot.event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
      slot.buffer = static_cast<std::uint8_t*>(
          ::VirtualAlloc(nullptr, kReadPart, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    }
  }
  ~OverlappedReads() override {
    for (const Slot& slot : slots_) {
      if (slot.event != nullptr) ::CloseHandle(slot.event);
      if (slot.buffer != nullptr) ::VirtualFree(slot.buffer, 0, MEM_RELEASE);
    }
  }
  OverlappedReads(const OverlappedReads&) = delete;
  OverlappedReads& operator=(const OverlappedReads&) = delete;

  // False when an event or a buffer could not be had.
  bool Ready() const {
    for (const Slot& slot : slots_)
      if (slot.event == nullptr || slot.buffer == nullptr) return false;
    return true;
  }
  std::vector<std::uint8_t*> Buffers() const {
    std::vector<std::uint8_t*> buffers;
    for (const Slot& slot : slots_) buffers.push_back(slot.buffer);
    return buffers;
  }

  unsigned Depth() const override { return static_cast<unsigned>(slots_.size()); }

  void Start(std::int64_t offset, std::uint8_t* buffer, std::uint32_t length, std::uint64_t tag) override {
    OVERLAPPED& overlapped = slots_.at(tag).overlapped;
    overlapped = OVERLAPPED{};
    overlapped.Offset = static_cast<DWORD>(offset);
    overlapped.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
    overlapped.hEvent = slots_[tag].event;
    if (::ReadFile(handle_, buffer, length, nullptr, &overlapped) != FALSE || ::GetLastError() == ERROR_IO_PENDING)
      inFlight_.push_back(tag);
    else
      ended_.push_back({tag, Failed(::GetLastError())});
  }

  ReadDone Next() override {
    if (!ended_.empty()) {
      const ReadDone done = ended_.front();
      ended_.pop_front();
      return done;
    }
    const std::uint64_t tag = inFlight_.front();
    inFlight_.pop_front();
    DWORD read = 0;
    if (::GetOverlappedResult(handle_, &slots_[tag].overlapped, &read, TRUE) != FALSE)
      return {tag, static_cast<long>(read)};
    return {tag, Failed(::GetLastError())};
  }

 private:
  struct Slot {
    OVERLAPPED overlapped{};
    HANDLE event = nullptr;
    std::uint8_t* buffer = nullptr;
  };
  // The end of the file reads as nothing read, as at the end of a drive.
  static long Failed(DWORD error) { return error == ERROR_HANDLE_EOF ? 0 : -static_cast<long>(error); }

  const HANDLE handle_;
  std::vector<Slot> slots_;
  std::deque<std::uint64_t> inFlight_;  // in the order started
  std::deque<ReadDone> ended_;          // reads that could not start
};

}  // namespace

std::unique_ptr<ZeroReader> Win32Os::StartZeroReader(Handle handle, void* buffer, std::uint32_t sectorSize) {
  auto reads = std::make_unique<OverlappedReads>(win32::ToWin32(handle));
  if (!PositionOf(handle) || !reads->Ready()) return Os::StartZeroReader(handle, buffer, sectorSize);
  const std::vector<std::uint8_t*> buffers = reads->Buffers();
  auto readAhead = std::make_unique<ZeroReadAhead>(std::move(reads), buffers, kReadPart, sectorSize);
  const auto errorOf = [](const TransferOutcome& outcome) -> std::uint32_t {
    return outcome.pastEnd ? ERROR_HANDLE_EOF : static_cast<std::uint32_t>(-outcome.error);
  };
  return std::make_unique<ReadAheadZeroReader>(std::move(readAhead), kReadsInFlight, errorOf);
}

}  // namespace orvella
