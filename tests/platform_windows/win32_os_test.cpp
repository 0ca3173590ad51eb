// The Win32 backend on the calls that need no drive: positioned writes and
// reads, the flush and the last error on a temporary file (never on a
// disk), the system's error texts, the drive roots, the version and width
// answers, the program path, the setup library, aligned memory and the ANSI
// page.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "core/text.h"
#include "platform/windows/win32_os.h"

namespace orvella {
namespace {

namespace fs = std::filesystem;

// Each test has a file of its own: ctest runs the tests side by side, and a
// file one test holds open without sharing cannot be opened by another.
class TemporaryFile {
 public:
  TemporaryFile() : path_(fs::temp_directory_path() / OwnName()) {}
  ~TemporaryFile() {
    std::error_code ignored;
    fs::remove(path_, ignored);
  }
  std::u16string Path() const { return path_.u16string(); }
  std::string Bytes() const {
    std::ifstream in(path_, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

 private:
  static std::string OwnName() {
    return std::string("orvella-win32-os-") + ::testing::UnitTest::GetInstance()->current_test_info()->name() +
           ".bin";
  }
  fs::path path_;
};

constexpr std::uint32_t kCreateAlways = 2;

TEST(Win32Os, WritesAtThePositionItWasMovedTo) {
  TemporaryFile file;
  Win32Os os;
  const Handle handle = os.CreateFileW(file.Path(), GENERIC_READ | GENERIC_WRITE, 0, kCreateAlways, 0);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE) << os.GetLastError();
  std::int64_t position = -1;
  ASSERT_TRUE(os.SetFilePointerEx(handle, 4, &position, FILE_BEGIN));
  EXPECT_EQ(position, 4);
  std::uint32_t written = 0;
  ASSERT_TRUE(os.WriteFile(handle, "abc", 3, &written));
  EXPECT_EQ(written, 3u);
  EXPECT_TRUE(os.FlushFileBuffers(handle));
  EXPECT_TRUE(os.CloseHandle(handle));
  EXPECT_EQ(file.Bytes(), std::string("\0\0\0\0abc", 7));
}

// The read-back of a verification reads where the pointer was moved, and
// each read moves the pointer on; at the end a read succeeds with nothing.
TEST(Win32Os, ReadsFromThePositionAndMovesPastWhatWasRead) {
  TemporaryFile file;
  Win32Os os;
  const Handle handle = os.CreateFileW(file.Path(), GENERIC_READ | GENERIC_WRITE, 0, kCreateAlways, 0);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE) << os.GetLastError();
  std::uint32_t count = 0;
  ASSERT_TRUE(os.WriteFile(handle, "abcdef", 6, &count));
  ASSERT_TRUE(os.SetFilePointerEx(handle, 2, nullptr, FILE_BEGIN));
  char bytes[8] = {};
  ASSERT_TRUE(os.ReadFile(handle, bytes, 3, &count));
  EXPECT_EQ(std::string(bytes, count), "cde");
  ASSERT_TRUE(os.ReadFile(handle, bytes, 3, &count));
  EXPECT_EQ(std::string(bytes, count), "f");
  ASSERT_TRUE(os.ReadFile(handle, bytes, 3, &count));
  EXPECT_EQ(count, 0u);
  EXPECT_TRUE(os.CloseHandle(handle));
}

TEST(Win32Os, AFailedOpenGivesTheInvalidHandleAndItsError) {
  Win32Os os;
  const Handle handle = os.CreateFileW(u"C:\\orvella-no-such-folder\\file", GENERIC_READ, FILE_SHARE_READ,
                                       OPEN_EXISTING, 0);
  EXPECT_EQ(handle, INVALID_HANDLE_VALUE);
  const std::uint32_t error = os.GetLastError();
  EXPECT_TRUE(error == ERROR_FILE_NOT_FOUND || error == 3u /* path not found */) << error;
  EXPECT_FALSE(os.DeviceIoControl(handle, IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, nullptr, 0, nullptr));
  EXPECT_FALSE(Trim(os.SystemErrorText(ERROR_FILE_NOT_FOUND)).empty());
}

TEST(Win32Os, ListsTheDriveRootsAsADoubleZeroTerminatedList) {
  Win32Os os;
  char16_t roots[256] = {};
  const std::uint32_t length = os.GetLogicalDriveStringsW(256, roots);
  ASSERT_GT(length, 0u);
  ASSERT_LT(length, 256u);
  EXPECT_EQ(roots[length], u'\0');
  EXPECT_EQ(roots[length - 1], u'\0');
  EXPECT_NE(std::u16string(roots, length).find(u"C:\\"), std::u16string::npos);
  EXPECT_GT(os.GetLogicalDriveStringsW(1, roots), 1u) << "too small a buffer gives the length needed";
}

TEST(Win32Os, PlatformFacts) {
  Win32Os os;
  const OsVersionInfo version = os.GetVersionExW();
  EXPECT_TRUE(version.ok);
  EXPECT_EQ(version.platformId, VER_PLATFORM_WIN32_NT);
  EXPECT_GE(version.majorVersion, 5u);
  // A 64-bit program runs on 64-bit Windows only, and says so.
  if constexpr (sizeof(void*) == 8) {
    EXPECT_EQ(os.IsWow64Process(), Wow64Answer::Yes);
  }
  EXPECT_TRUE(AsciiLower(os.ModuleFileName()).ends_with(u".exe"));
  EXPECT_TRUE(os.LoadSetupLibrary());
}

TEST(Win32Os, AlignedMemoryAndAnsiText) {
  Win32Os os;
  void* memory = os.AllocateAligned(1 << 20);
  ASSERT_NE(memory, nullptr);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(memory) % 4096, 0u);
  std::memset(memory, 0, 1 << 20);
  os.FreeAligned(memory);

  const std::uint8_t bytes[] = {'W', 'D', 0, ' ', '1'};
  EXPECT_EQ(os.AnsiToText(bytes, sizeof bytes), std::u16string(u"WD\0 1", 5));
}

// The read-back on a file held exclusively, as a run holds its drive:
// reads stay in flight across blocks, every block names its own non-zero
// sectors, and a block past the end fails with the end of the file while
// the blocks before it read.
TEST(Win32Os, TheReadBackKeepsReadsInFlightOnTheRunsOwnHandle) {
  TemporaryFile file;
  Win32Os os;
  const Handle handle = os.CreateFileW(file.Path(), GENERIC_READ | GENERIC_WRITE, 0, kCreateAlways, 0);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE) << os.GetLastError();
  constexpr std::uint32_t kFile = 5 << 20;  // 5 MiB: parts of 1 MiB, blocks across them
  std::string bytes(kFile, '\0');
  bytes[3 * 512 + 7] = 'x';                  // sector 3
  bytes[(3 << 20) + 512] = 'y';              // the sector after 3 MiB
  std::uint32_t count = 0;
  ASSERT_TRUE(os.WriteFile(handle, bytes.data(), kFile, &count));
  ASSERT_EQ(count, kFile);

  void* buffer = os.AllocateAligned(1 << 20);
  const auto reader = os.StartZeroReader(handle, buffer, 512);
  EXPECT_GT(reader->BlocksAhead(), 1u) << "reads kept in flight, not one block at a time";
  reader->Queue(0, 1536 << 10);              // 1.5 MiB
  reader->Queue(1536 << 10, 2 << 20);        // to 3.5 MiB
  reader->Queue(3584 << 10, 2 << 20);        // 2 MiB, of which 0.5 MiB lies past the end
  reader->Queue(0, 4096);

  BlockRead first = reader->Take();
  EXPECT_TRUE(first.read);
  EXPECT_EQ(first.nonZero, (std::vector<ByteSpan>{{3 * 512, 4 * 512}}));
  BlockRead second = reader->Take();
  EXPECT_TRUE(second.read);
  const std::uint32_t at = (3 << 20) + 512 - (1536 << 10);
  EXPECT_EQ(second.nonZero, (std::vector<ByteSpan>{{at, at + 512}}));
  BlockRead past = reader->Take();
  EXPECT_FALSE(past.read);
  EXPECT_EQ(past.error, ERROR_HANDLE_EOF);
  EXPECT_EQ(past.offset, 3584 << 10);
  BlockRead again = reader->Take();
  EXPECT_TRUE(again.read);
  EXPECT_EQ(again.nonZero, (std::vector<ByteSpan>{{3 * 512, 4 * 512}}));

  // The seam's own reads on the same handle still read where it points.
  std::int64_t position = -1;
  ASSERT_TRUE(os.SetFilePointerEx(handle, (3 << 20) + 512, &position, FILE_BEGIN));
  char one = 0;
  ASSERT_TRUE(os.ReadFile(handle, &one, 1, &count));
  EXPECT_EQ(one, 'y');
  os.FreeAligned(buffer);
  EXPECT_TRUE(os.CloseHandle(handle));
}

// A reader that goes with reads still in flight waits for them.
TEST(Win32Os, AReaderThatGoesWithReadsInFlightWaitsForThem) {
  TemporaryFile file;
  Win32Os os;
  const Handle handle = os.CreateFileW(file.Path(), GENERIC_READ | GENERIC_WRITE, 0, kCreateAlways, 0);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE) << os.GetLastError();
  const std::string bytes(4 << 20, '\0');
  std::uint32_t count = 0;
  ASSERT_TRUE(os.WriteFile(handle, bytes.data(), static_cast<std::uint32_t>(bytes.size()), &count));
  {
    const auto reader = os.StartZeroReader(handle, nullptr, 512);
    reader->Queue(0, 2 << 20);
    reader->Queue(2 << 20, 2 << 20);
    EXPECT_TRUE(reader->Take().read);
  }
  EXPECT_TRUE(os.CloseHandle(handle));
}

// A file is no NVMe drive: its queries are refused as a drive's that is
// not one; what Windows cannot carry is refused without a request; and a
// full Windows (Wine is one) passes no ATA erase command.
TEST(Win32Os, NvmeCommandsOnAFileAndTheErasesWindowsPasses) {
  TemporaryFile file;
  Win32Os os;
  const Handle handle = os.CreateFileW(file.Path(), GENERIC_READ | GENERIC_WRITE, 0, kCreateAlways, 0);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE) << os.GetLastError();
  NvmeAdminCommand identify;
  identify.entry[0] = nvme::Identify;
  identify.entry[40] = 1;  // the controller
  identify.dataIn = true;
  identify.data.assign(4096, 0);
  EXPECT_NE(os.SendNvmeAdmin(handle, identify), 0u);
  NvmeAdminCommand format;
  format.entry[0] = nvme::FormatNvm;
  EXPECT_EQ(os.SendNvmeAdmin(handle, format), ERROR_NOT_SUPPORTED);
  EXPECT_TRUE(os.CloseHandle(handle));

  const EraseCommandLimits limits = os.EraseLimits();
  EXPECT_TRUE(limits.ataSanitize.has_value());
  EXPECT_TRUE(limits.nvmeFormat.has_value());
  EXPECT_FALSE(limits.ataUndelivered.empty());
}

}  // namespace
}  // namespace orvella
