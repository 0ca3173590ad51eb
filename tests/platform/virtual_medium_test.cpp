#include <gtest/gtest.h>

#include "support/test_program.h"

namespace orvella {
namespace {

VirtualVolume Volume(const char* name) {
  VirtualVolume v;
  v.name = name;
  return v;
}

VirtualDrive Drive(std::int64_t length) {
  VirtualDrive d;
  d.length = length;
  return d;
}

Handle OpenForWriting(Os& os, const std::u16string& path = u"\\\\.\\PhysicalDrive0") {
  return os.CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, 0);
}

bool WriteAt(Os& os, Handle h, std::int64_t offset, std::uint32_t length) {
  static std::vector<std::uint8_t> zeros(1 << 20);
  std::int64_t at = -1;
  if (!os.SetFilePointerEx(h, offset, &at, FILE_BEGIN)) return false;
  std::uint32_t written = 0;
  return os.WriteFile(h, zeros.data(), length, &written) && written == length;
}

// A read gives zeros where the medium was written and the old, never-zero
// contents elsewhere; writes into a lost range report success and leave the
// old contents there.
TEST(VirtualMedium, ReadsGiveZerosWhereWrittenAndOldDataWhereWritesWereLost) {
  VirtualDrive d = Drive(1 << 20);
  d.lostWrites = {{4096, 4608}};
  VirtualOs os(test::MachineWith(d));
  const Handle h = OpenForWriting(os);
  EXPECT_TRUE(WriteAt(os, h, 0, 8192));
  EXPECT_EQ(os.Medium(0).BytesWritten(), 8192 - 512);
  std::vector<std::uint8_t> data(16384, 0x11);
  std::int64_t at = -1;
  ASSERT_TRUE(os.SetFilePointerEx(h, 0, &at, FILE_BEGIN));
  std::uint32_t read = 0;
  ASSERT_TRUE(os.ReadFile(h, data.data(), 16384, &read));
  EXPECT_EQ(read, 16384u);
  for (std::size_t i = 0; i < data.size(); ++i) {
    const bool old = (i >= 4096 && i < 4608) || i >= 8192;
    ASSERT_EQ(data[i], old ? OldByteAt(static_cast<std::int64_t>(i)) : 0) << i;
    ASSERT_TRUE(!old || data[i] != 0) << i;
  }
  EXPECT_EQ(os.Medium(0).bytesRead, 16384);
  // Reads follow the rules of writes: whole sectors, inside the drive.
  EXPECT_FALSE(os.ReadFile(h, data.data(), 100, &read));
  EXPECT_EQ(os.GetLastError(), ERROR_INVALID_PARAMETER);
  ASSERT_TRUE(os.SetFilePointerEx(h, (1 << 20) - 512, &at, FILE_BEGIN));
  EXPECT_FALSE(os.ReadFile(h, data.data(), 1024, &read));
}

TEST(VirtualMedium, RecordsMergedExtentsOfWhatWasWritten) {
  VirtualOs os(test::MachineWith(Drive(1 << 20)));
  const Handle h = OpenForWriting(os);
  EXPECT_TRUE(WriteAt(os, h, 0, 4096));
  EXPECT_TRUE(WriteAt(os, h, 4096, 512));
  EXPECT_TRUE(WriteAt(os, h, 65536, 512));
  const MediumRecord& m = os.Medium(0);
  ASSERT_EQ(m.extents.size(), 2u);
  EXPECT_EQ(m.extents[0].to, 4608);
  EXPECT_EQ(m.BytesWritten(), 4608 + 512);
  EXPECT_TRUE(m.Covers(0, 4608));
  EXPECT_FALSE(m.Covers(0, 4609));
}

TEST(VirtualMedium, RefusesWritesPastTheEndOrOffTheSectorGrid) {
  VirtualOs os(test::MachineWith(Drive(8192)));
  const Handle h = OpenForWriting(os);
  EXPECT_FALSE(WriteAt(os, h, 4096, 8192));
  EXPECT_EQ(os.GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(WriteAt(os, h, 100, 512));
  EXPECT_EQ(os.Medium(0).BytesWritten(), 0);
}

TEST(VirtualMedium, InjectedFaultsFailWithTheirCodes) {
  VirtualDrive d = Drive(1 << 20);
  d.writeErrors.push_back({{8192, 9000}, ERROR_IO_DEVICE});
  d.seekErrors.push_back({16384, 16385});
  d.unplugAt = 65536;
  VirtualOs os(test::MachineWith(d));
  const Handle h = OpenForWriting(os);
  EXPECT_FALSE(WriteAt(os, h, 8192, 512));
  EXPECT_EQ(os.GetLastError(), ERROR_IO_DEVICE);
  std::int64_t at = 0;
  EXPECT_FALSE(os.SetFilePointerEx(h, 16384, &at, FILE_BEGIN));
  EXPECT_TRUE(WriteAt(os, h, 32768, 512));
  EXPECT_FALSE(WriteAt(os, h, 65536 - 512, 1024));
  EXPECT_EQ(os.GetLastError(), ERROR_DEV_NOT_EXIST);
  EXPECT_TRUE(os.IsUnplugged(0));
  EXPECT_FALSE(WriteAt(os, h, 0, 512));  // gone for good
}

TEST(VirtualMedium, WriteProtectionAndReadOnlyHandlesWriteNothing) {
  VirtualDrive protectedDrive = Drive(1 << 20);
  protectedDrive.writeProtected = true;
  VirtualOs os(test::MachineWith(protectedDrive));
  EXPECT_FALSE(WriteAt(os, OpenForWriting(os), 0, 512));
  EXPECT_EQ(os.GetLastError(), ERROR_WRITE_PROTECT);
  VirtualOs os2(test::MachineWith(Drive(1 << 20)));
  const Handle ro = os2.CreateFileW(u"\\\\.\\PhysicalDrive0", GENERIC_READ, 3, OPEN_EXISTING, 0);
  EXPECT_FALSE(WriteAt(os2, ro, 0, 512));
  EXPECT_EQ(os2.Medium(0).BytesWritten(), 0);
}

TEST(VirtualMedium, SpeedLimitPassesSimulatedTime) {
  VirtualDrive slow = Drive(100'000'000);
  slow.speedLimitBytesPerSecond = 50e6;
  test::TestProgram t(test::MachineWith(slow));
  const std::int64_t before = t.clock.Milliseconds();
  EXPECT_TRUE(WriteAt(t.os, OpenForWriting(t.os), 0, 50'000'000 - 50'000'000 % 512));
  EXPECT_NEAR(static_cast<double>(t.clock.Milliseconds() - before), 1000.0, 1.0);
}

TEST(VirtualMedium, AnAbsurdlyLowSpeedPassesADayAtMostPerWrite) {
  VirtualDrive crawling = Drive(1 << 20);
  crawling.speedLimitBytesPerSecond = 1e-300;
  test::TestProgram t(test::MachineWith(crawling));
  const std::int64_t before = t.clock.Milliseconds();
  EXPECT_TRUE(WriteAt(t.os, OpenForWriting(t.os), 0, 512));
  EXPECT_EQ(t.clock.Milliseconds() - before, 86'400'000);
}

TEST(VirtualMedium, CountsWritesMadeWhileAVolumeOfTheDriveIsUnlocked) {
  VirtualOs os(test::MachineWith(Drive(1 << 20), {Volume("C:")}));
  const Handle disk = OpenForWriting(os);
  EXPECT_TRUE(WriteAt(os, disk, 0, 512));
  EXPECT_EQ(os.Medium(0).writesOverUnlockedVolumes, 1);
  const Handle volume = os.CreateFileW(u"\\\\.\\C:", GENERIC_READ, 3, OPEN_EXISTING, 0);
  EXPECT_TRUE(os.DeviceIoControl(volume, FSCTL_LOCK_VOLUME, nullptr, 0, nullptr, 0, nullptr));
  EXPECT_TRUE(os.IsVolumeLocked("C:"));
  EXPECT_TRUE(WriteAt(os, disk, 512, 512));
  EXPECT_EQ(os.Medium(0).writesOverUnlockedVolumes, 1);
  os.CloseHandle(volume);
  EXPECT_FALSE(os.IsVolumeLocked("C:"));
}

}  // namespace
}  // namespace orvella
