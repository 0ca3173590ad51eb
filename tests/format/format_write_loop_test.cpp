#include "format/format_write_loop.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/text.h"
#include "format/bad_sector_narrowing.h"
#include "format_rig.h"

namespace orvella {
namespace {

using test::Drive;
using test::FormatRig;
using Lines = std::vector<std::u16string>;

constexpr std::int64_t kQuickExtent = 10'240'000;
constexpr std::int64_t kTwoGb = 2'000'000'000;  // 3,906,250 sectors of 512 bytes

// The write pass alone: verification_test.cpp reads back.
WriteLoopResult WritePass(FormatRig& rig, bool quickWipe = false) {
  return FormatWriteLoop(rig.t.drive, rig.page, EraseChoices{quickWipe, VerifyMethod::Off, {}, {}, {}, {}, {}});
}

WriteLoopEnding Erase(FormatRig& rig, bool quickWipe = false) { return WritePass(rig, quickWipe).ending; }

// 156 blocks of 64 KiB and one of 16 KiB: 10,240,000 bytes without growth.
std::vector<std::uint32_t> QuickExtentWrites() {
  std::vector<std::uint32_t> lengths(156, 65'536);
  lengths.push_back(16'384);
  return lengths;
}

// A drive slow enough that ten 64 KiB passes take more than a second.
VirtualDrive SlowDrive(std::int64_t length) {
  VirtualDrive d = Drive(length);
  d.speedLimitBytesPerSecond = 500'000;
  return d;
}

TEST(FormatWriteLoop, QuickWipeZeroesBothEndsWithoutGrowthWhenPassesAreSlow) {
  FormatRig rig(SlowDrive(kTwoGb));
  std::vector<std::u16string> sectorCaptions;
  rig.page.onMessages = [&] { sectorCaptions.push_back(rig.page.Caption(FormatLabel::CurrentPosition)); };
  EXPECT_EQ(Erase(rig, true), WriteLoopEnding::Complete);

  std::vector<std::uint32_t> expected = QuickExtentWrites();
  const std::vector<std::uint32_t> tail = QuickExtentWrites();
  expected.insert(expected.end(), tail.begin(), tail.end());
  EXPECT_EQ(rig.WriteLengths(), expected);

  const auto& m = rig.Medium();
  ASSERT_EQ(m.extents.size(), 2u);
  EXPECT_EQ(m.extents[0].from, 0);
  EXPECT_EQ(m.extents[0].to, kQuickExtent);
  EXPECT_EQ(m.extents[1].from, kTwoGb - kQuickExtent);
  EXPECT_EQ(m.extents[1].to, kTwoGb);
  EXPECT_TRUE(rig.NothingWrittenTwice());
  EXPECT_EQ(m.writes[157].offset, kTwoGb - kQuickExtent);
  EXPECT_EQ(m.flushes, 1);

  // One progress figure over both extents; the sector label tells where on
  // the drive the pass writes.
  ASSERT_EQ(rig.page.positions.size(), 314u + 1);  // every pass, then the ending's 100
  EXPECT_EQ(rig.page.positions[156], 50);
  EXPECT_EQ(rig.page.positions[157], 50);
  EXPECT_TRUE(std::is_sorted(rig.page.positions.begin(), rig.page.positions.end()));
  EXPECT_EQ(rig.page.Position(), 100);
  EXPECT_EQ(sectorCaptions[157], u"Current sector: 20,000");
  EXPECT_EQ(sectorCaptions[158], u"Current sector: 3,886,378");  // (2e9 - 10,240,000 + 65,536) / 512
  // Complete, and plain about what a quick wipe leaves.
  const Lines log = rig.Log();
  EXPECT_EQ(log[log.size() - 2], u"Low-level format is complete.");
  EXPECT_EQ(log.back(), u"Quick wipe: only the first and the last 10,240,000 bytes were zeroed; the rest of the data "
                        u"is still readable.");
}

TEST(FormatWriteLoop, QuickWipeOfASmallDriveWritesItWholeOnce) {
  for (const std::int64_t length : {std::int64_t{8'192'000}, std::int64_t{15'360'000}, 2 * kQuickExtent}) {
    FormatRig rig(Drive(length));
    EXPECT_EQ(Erase(rig, true), WriteLoopEnding::Complete);
    ASSERT_EQ(rig.Medium().extents.size(), 1u) << length;
    EXPECT_EQ(rig.Medium().extents[0].to, length);
    EXPECT_TRUE(rig.NothingWrittenTwice()) << length;
  }
  // Just above twice the extent the two ends are written, one sector apart.
  FormatRig rig(Drive(2 * kQuickExtent + 512));
  Erase(rig, true);
  ASSERT_EQ(rig.Medium().extents.size(), 2u);
  EXPECT_EQ(rig.Medium().BytesWritten(), 2 * kQuickExtent);
  EXPECT_FALSE(rig.Medium().Covers(kQuickExtent, kQuickExtent + 512));
  EXPECT_TRUE(rig.NothingWrittenTwice());
}

TEST(FormatWriteLoop, QuickWipeOnFourKilobyteSectorsEndsOnWholeSectors) {
  FormatRig rig(Drive(4096LL * 1'000'000, 4096));
  EXPECT_EQ(Erase(rig, true), WriteLoopEnding::Complete);
  EXPECT_EQ(rig.Medium().BytesWritten(), 2 * kQuickExtent);  // 2 x 2,500 sectors
  EXPECT_TRUE(rig.NothingWrittenTwice());
}

// Sectors that do not divide the block (520 bytes of some SAS disks, 96 KiB
// of a bridge's make-up) would cut a sector at every block's end, and the
// drive refuses every such write: the blocks are whole sectors.
TEST(FormatWriteLoop, SectorsThatDoNotDivideTheBlockAreWrittenInWholeSectors) {
  for (const std::uint32_t sector : {520u, 49'152u}) {
    FormatRig rig(Drive(std::int64_t{sector} * 40'000, sector));
    const WriteLoopResult r = WritePass(rig);
    EXPECT_EQ(r.ending, WriteLoopEnding::Complete) << sector;
    EXPECT_TRUE(r.failed.empty()) << sector;
    EXPECT_EQ(rig.Medium().BytesWritten(), std::int64_t{sector} * 40'000) << sector;
    for (const std::uint32_t length : rig.WriteLengths()) EXPECT_EQ(length % sector, 0u) << sector;
  }
  // A quick wipe takes whole sectors at both ends too.
  FormatRig quick(Drive(520LL * 1'000'000, 520));
  EXPECT_EQ(Erase(quick, true), WriteLoopEnding::Complete);
  EXPECT_EQ(quick.Medium().BytesWritten(), 2 * 520 * 19'693);
}

// A device whose size is not a whole number of sectors keeps a tail that no
// sector write reaches: the run did not write the whole device.
TEST(FormatWriteLoop, ATailPastTheLastWholeSectorIsNoWholeDrive) {
  FormatRig rig(Drive(8 * 65'536));
  rig.t.program.DeviceTables[1].IdentifyData.UnaddressableBytes = 100;
  const WriteLoopResult r = WritePass(rig);
  EXPECT_EQ(r.ending, WriteLoopEnding::Complete);
  EXPECT_FALSE(r.wholeDrive);
}

TEST(FormatWriteLoop, AFullEraseDoublesTheBlockEveryTenFastPassesUpTo32MiB) {
  FormatRig rig(Drive(1'000'000'000));
  EXPECT_EQ(Erase(rig), WriteLoopEnding::Complete);
  const auto lengths = rig.WriteLengths();
  ASSERT_EQ(lengths.size(), 119u);
  for (std::size_t pass = 1; pass < lengths.size(); ++pass) {
    // Pass 10 only takes the time; 20, 30, ... each double, 32 MiB from 100.
    const int doublings = pass < 20 ? 0 : std::min<int>(static_cast<int>(pass / 10) - 1, 9);
    EXPECT_EQ(lengths[pass - 1], 65'536u << doublings) << "pass " << pass;
  }
  EXPECT_EQ(lengths.back(), 1'000'000'000 - 335'478'784 - 19 * 33'554'432);
  ASSERT_EQ(rig.Medium().extents.size(), 1u);
  EXPECT_EQ(rig.Medium().extents[0].to, 1'000'000'000);
  EXPECT_TRUE(rig.NothingWrittenTwice());
  EXPECT_EQ(rig.page.messageRuns, 1 + 119);  // once at entry, once per pass
}

TEST(FormatWriteLoop, ProgressRoundsHalvesToEvenAndShowsTheSectorAfterTheBlock) {
  FormatRig rig(Drive(8 * 65'536));
  std::vector<std::u16string> percents, sectors;
  rig.page.onMessages = [&] {
    percents.push_back(rig.page.Caption(FormatLabel::CurrentPercent));
    sectors.push_back(rig.page.Caption(FormatLabel::CurrentPosition));
  };
  Erase(rig);
  EXPECT_EQ(rig.page.positions, (std::vector<int>{12, 25, 38, 50, 62, 75, 88, 100, 100}));
  EXPECT_EQ(percents[1], u"12% complete");
  EXPECT_EQ(percents[8], u"100% complete");
  EXPECT_EQ(sectors[1], u"Current sector: 128");
  EXPECT_EQ(sectors[8], u"Current sector: 1024");
}

TEST(FormatWriteLoop, ANothingToWriteRunReportsTheLabelAndCompletes) {
  FormatRig rig(Drive(1 << 20));
  rig.t.program.DeviceTables[1].IdentifyData.LBA = 0;
  rig.page.captions[FormatLabel::Speed] = u"12.5 MB/s";  // the previous run's figure
  EXPECT_EQ(Erase(rig), WriteLoopEnding::Complete);
  EXPECT_EQ(rig.Log(), (Lines{u"Average speed: 12.5 MB/s", u"Low-level format is complete."}));
  EXPECT_EQ(rig.page.positions, std::vector<int>{100});
  EXPECT_TRUE(rig.Medium().writes.empty());
}

TEST(FormatWriteLoop, SpeedIsTheRunsAverageInTheLocalesForm) {
  for (const char16_t separator : {u'.', u','}) {
    // 100,000,000 bytes (128-byte sectors) of which the first pass takes
    // the whole second.
    FormatRig rig(Drive(100'000'000, 128));
    rig.t.locale.decimalSeparator = separator;
    rig.page.onMessages = [&] {
      if (rig.page.messageRuns == 2) rig.t.clock.Advance(1'000);
    };
    Erase(rig);
    EXPECT_EQ(rig.page.Caption(FormatLabel::Speed), separator == u'.' ? u"100.0 MB/s" : u"100,0 MB/s");
    EXPECT_EQ(rig.page.speedCaptions.front(),
              separator == u'.' ? u"0.1 MB/s" : u"0,1 MB/s");  // 65,536 in 1 s
  }
}

TEST(FormatWriteLoop, AClockSteppingBackLeavesTheSpeedLabelAlone) {
  VirtualDrive d = Drive(3 * 65'536);
  d.speedLimitBytesPerSecond = 65'536'000;  // 1 ms per block
  FormatRig rig(d);
  rig.page.onMessages = [&] {
    if (rig.page.messageRuns == 3) rig.t.clock.Advance(-10'000);
  };
  Erase(rig);
  EXPECT_EQ(rig.page.speedCaptions, Lines{u"65.5 MB/s"});
  EXPECT_EQ(rig.Log().front(), u"Average speed: 65.5 MB/s");
}

TEST(FormatWriteLoop, AnUnpluggedDriveEndsTheRunAtTheFailedBlock) {
  for (const std::uint32_t code : {ERROR_FILE_NOT_FOUND, ERROR_DEV_NOT_EXIST}) {
    VirtualDrive d = Drive(100 << 20);
    d.unplugAt = 1'000'000;
    d.unplugError = code;
    FormatRig rig(d);
    EXPECT_EQ(Erase(rig), WriteLoopEnding::Terminated);
    EXPECT_EQ(rig.Log(), (Lines{u"Format Error occurred at offset 983,040:   " + UIntToStr(code) +
                                    u" - Media was unplugged",
                                u"Device was unplugged, aborting...", u"Average speed: ",
                                u"Operation terminated at offset 983,040    LBA 1920"}));
    EXPECT_EQ(rig.Medium().writes.size(), 16u);
    EXPECT_EQ(rig.Medium().flushes, 0);
    EXPECT_FALSE(rig.t.drive.StopRequested);
  }
}

// Nothing can be written to a protected medium, so the run ends at the first
// refused block instead of logging one refusal per block.
TEST(FormatWriteLoop, AWriteProtectedDriveEndsAfterItsFirstBlock) {
  VirtualDrive d = Drive(64 * 65'536);
  d.writeProtected = true;
  FormatRig rig(d);
  const WriteLoopResult r = WritePass(rig);
  EXPECT_EQ(r.ending, WriteLoopEnding::WriteProtected);
  const Lines expected = {u"Format Error occurred at offset 0:   19 - The media is write protected",
                          u"Average speed: ",
                          u"Low-level format did not complete: the media is write protected; nothing was written "
                          u"from offset 0    LBA 0 on."};
  EXPECT_EQ(rig.Log(), expected);
  EXPECT_EQ(rig.WriteLengths().size(), 1u);
  EXPECT_EQ(rig.Medium().BytesWritten(), 0);
  EXPECT_TRUE(rig.page.positions.empty());  // no progress: nothing was written
  EXPECT_TRUE(r.covered.empty());
  EXPECT_EQ(rig.Medium().flushes, 0);
}

TEST(FormatWriteLoop, OtherWriteErrorsSkipTheirBlockWithTheTablesText) {
  VirtualDrive d = SlowDrive(64 * 65'536);
  d.writeErrors = {{{65'536, 65'537}, ERROR_NOT_READY},
                   {{1'048'576, 1'048'577}, ERROR_IO_DEVICE},
                   {{2'097'152, 2'097'153}, ERROR_SEM_TIMEOUT},
                   {{3'145'728, 3'145'729}, ERROR_SEEK}};
  FormatRig rig(d);
  EXPECT_EQ(Erase(rig), WriteLoopEnding::NotComplete);
  const Lines expected = {
      u"Format Error occurred at offset 65,536:   21 - Device not ready (Timeout)",
      u"Not written: offset 65,536    LBA 128, 1 sector (512 bytes):   21 - Device not ready (Timeout)",
      u"Format Error occurred at offset 1,048,576:   1117 - Device I/O error",
      u"Not written: offset 1,048,576    LBA 2048, 1 sector (512 bytes):   1117 - Device I/O error",
      u"Format Error occurred at offset 2,097,152:   121 - Device not ready (Timeout)",
      u"Not written: offset 2,097,152    LBA 4096, 1 sector (512 bytes):   121 - Device not ready (Timeout)",
      u"Format Error occurred at offset 3,145,728:   25",
      u"Not written: offset 3,145,728    LBA 6144, 1 sector (512 bytes):   25",
      u"Average speed: 0.5 MB/s",
      u"Low-level format did not complete: 4 sectors (2048 bytes) could not be written."};
  EXPECT_EQ(rig.Log(), expected);
  EXPECT_EQ(rig.Medium().BytesWritten(), 64 * 65'536 - 4 * 512);
  EXPECT_FALSE(rig.Medium().Covers(65'536, 66'048));
  EXPECT_TRUE(rig.Medium().Covers(66'048, 1'048'576));
}

// Access denied or a sharing violation means another program holds the
// drive: the run ends there, says where, and claims nothing beyond it.
// A full backing file (ENOSPC on Linux) says so instead of a bare number.
TEST(FormatWriteLoop, ADeviceWithNoSpaceLeftSaysSo) {
  VirtualDrive d = Drive(8 * 65'536);
  d.writeErrors = {{{131'072, 131'073}, ERROR_DISK_FULL}};
  FormatRig rig(d);
  FormatWriteLoop(rig.t.drive, rig.page, EraseChoices{false, VerifyMethod::Off, {}, {}, {}, {}, {}});
  EXPECT_EQ(rig.Log().front(), u"Format Error occurred at offset 131,072:   112 - The device has no space left");
}

TEST(FormatWriteLoop, AWriteRefusedBecauseAnotherProgramTookTheDriveEndsTheRunThere) {
  const std::pair<std::uint32_t, std::u16string> refusals[] = {
      {ERROR_ACCESS_DENIED, u"5 - Access denied"}, {ERROR_SHARING_VIOLATION, u"32 - The device is in use by another program"}};
  for (const auto& [code, words] : refusals) {
    VirtualDrive d = Drive(8 * 65'536);
    d.writeErrors = {{{131'072, 131'073}, code}};
    FormatRig rig(d);
    const WriteLoopResult r = FormatWriteLoop(rig.t.drive, rig.page, EraseChoices{false, VerifyMethod::Off, {}, {}, {}, {}, {}});
    EXPECT_EQ(r.ending, WriteLoopEnding::NotComplete);
    const Lines expected = {
        u"Format Error occurred at offset 131,072:   " + words,
        u"Another program has taken the device, aborting...", u"Average speed: ",
        u"Low-level format did not complete: writing was refused at offset 131,072    LBA 256"};
    EXPECT_EQ(rig.Log(), expected) << code;
    EXPECT_EQ(rig.WriteLengths().size(), 3u);  // no skipping ahead block after block
    EXPECT_EQ(rig.Medium().BytesWritten(), 131'072);
    EXPECT_EQ(r.covered, (std::vector<Extent>{{0, 131'072}}));
    EXPECT_TRUE(r.failed.empty());
    EXPECT_EQ(rig.Medium().flushes, 1);  // what was written still reaches the medium
  }
}

TEST(FormatWriteLoop, ASeekFailureSkipsItsBlockAndTheRunGoesOn) {
  VirtualDrive d = Drive(4 * 65'536);
  d.seekErrors = {{131'072, 131'073}};
  FormatRig rig(d);
  EXPECT_EQ(Erase(rig), WriteLoopEnding::NotComplete);
  EXPECT_EQ(rig.Log(),
            (Lines{u"Seek error occurred at offset 131,072", u"Average speed: ",
                   u"Low-level format did not complete: 128 sectors (65,536 bytes) could not be written."}));
  EXPECT_EQ(rig.WriteLengths().size(), 3u);
  EXPECT_FALSE(rig.Medium().Covers(131'072, 196'608));
  EXPECT_TRUE(rig.Medium().Covers(196'608, 262'144));
}

TEST(FormatWriteLoop, CompleteMeansFlushedToTheMedium) {
  VirtualDrive d = Drive(2 * 65'536);
  d.flushError = ERROR_IO_DEVICE;
  FormatRig rig(d);
  EXPECT_EQ(Erase(rig), WriteLoopEnding::NotComplete);
  EXPECT_EQ(rig.Log(),
            (Lines{u"Average speed: ", u"Flush error occurred:   1117 - Device I/O error",
                   u"Low-level format did not complete: the drive could not confirm that the zeros "
                   u"reached the medium."}));
  // The flush follows the last write and precedes the completion line.
  FormatRig good(Drive(2 * 65'536));
  Erase(good);
  const auto& requests = good.t.os.Requests();
  ASSERT_GE(requests.size(), 2u);
  EXPECT_EQ(requests.back().kind, RequestRecord::Kind::Flush);
  EXPECT_EQ(requests[requests.size() - 2].kind, RequestRecord::Kind::Write);
}

TEST(FormatWriteLoop, AStopTakesEffectAfterThePassInProgress) {
  FormatRig rig(Drive(8 * 65'536));
  rig.page.onMessages = [&] {
    if (rig.page.messageRuns == 4) rig.t.drive.StopRequested = true;  // during pass 3
  };
  EXPECT_EQ(Erase(rig), WriteLoopEnding::Cancelled);
  EXPECT_EQ(rig.WriteLengths().size(), 3u);
  EXPECT_EQ(rig.Log(), (Lines{u"Average speed: ", u"Operation cancelled at offset 196,608    LBA 384",
                              u"What was written before the stop has been flushed to the drive."}));
  EXPECT_EQ(rig.Medium().flushes, 1);
  EXPECT_EQ(rig.t.os.Requests().back().kind, RequestRecord::Kind::Flush);
  EXPECT_FALSE(rig.t.drive.StopRequested);
}

TEST(FormatWriteLoop, ACancelledRunWhoseFlushFailsSaysSo) {
  VirtualDrive d = Drive(8 * 65'536);
  d.flushError = ERROR_IO_DEVICE;
  FormatRig rig(d);
  rig.page.onMessages = [&] {
    if (rig.page.messageRuns == 2) rig.t.drive.StopRequested = true;
  };
  const WriteLoopResult r = WritePass(rig);
  EXPECT_EQ(r.ending, WriteLoopEnding::Cancelled);
  EXPECT_FALSE(r.flushed);
  EXPECT_EQ(rig.Log().back(), u"What was written before the stop may not have reached the medium.");
}

TEST(FormatWriteLoop, AStopInTheLastPassIsStillReportedAsCancelled) {
  FormatRig rig(Drive(4 * 65'536));
  rig.page.onMessages = [&] {
    if (rig.page.messageRuns == 5) rig.t.drive.StopRequested = true;
  };
  EXPECT_EQ(Erase(rig), WriteLoopEnding::Cancelled);
  EXPECT_TRUE(rig.Medium().Covers(0, 4 * 65'536));
  EXPECT_EQ(rig.Log().end()[-2], u"Operation cancelled at offset 262,144    LBA 512");
}

TEST(FormatWriteLoop, AStopBetweenTheQuickWipesExtentsReportsTheRealOffset) {
  FormatRig rig(SlowDrive(kTwoGb));
  rig.page.onMessages = [&] {
    if (rig.page.messageRuns == 1 + 157) rig.t.drive.StopRequested = true;  // the head's last pass
  };
  Erase(rig, true);
  EXPECT_EQ(rig.Log().end()[-2], u"Operation cancelled at offset 10,240,000    LBA 20,000");
  EXPECT_EQ(rig.Medium().BytesWritten(), kQuickExtent);
}

TEST(FormatWriteLoop, WithoutItsBufferTheRunWritesNothing) {
  FormatRig rig(Drive(1 << 20));
  rig.t.os.allocationFails_ = true;
  EXPECT_EQ(Erase(rig), WriteLoopEnding::NoBuffer);
  EXPECT_EQ(rig.Log(),
            Lines{u"Not enough memory for the 33,554,432-byte write buffer; nothing was written."});
  EXPECT_TRUE(rig.t.os.Requests().empty());
  EXPECT_TRUE(rig.page.positions.empty());
}

// What the result says the run went over, and which of it was not written.
TEST(FormatWriteLoop, TheResultTellsTheExtentsCoveredAndTheBlocksThatFailed) {
  using Extents = std::vector<Extent>;
  {
    FormatRig rig(Drive(kTwoGb));
    const WriteLoopResult r = WritePass(rig, true);
    EXPECT_EQ(r.covered, (Extents{{0, kQuickExtent}, {kTwoGb - kQuickExtent, kTwoGb}}));
    EXPECT_TRUE(r.failed.empty());
  }
  {
    VirtualDrive d = Drive(8 * 65'536);
    d.writeErrors = {{{65'536, 131'073}, ERROR_IO_DEVICE}, {{393'216, 393'217}, ERROR_IO_DEVICE}};
    FormatRig rig(d);
    const WriteLoopResult r = WritePass(rig);
    EXPECT_EQ(r.covered, (Extents{{0, 8 * 65'536}}));
    // Narrowed to the sectors that refuse; adjacent ones merged across blocks.
    EXPECT_EQ(r.failed, (Extents{{65'536, 131'584}, {393'216, 393'728}}));
    EXPECT_EQ(r.failedBlocks, 3);
    EXPECT_EQ(r.errorLines,
              (Lines{u"Format Error occurred at offset 65,536:   1117 - Device I/O error",
                     u"Not written: offset 65,536    LBA 128, 128 sectors (65,536 bytes):   1117 - Device I/O error",
                     u"Format Error occurred at offset 131,072:   1117 - Device I/O error",
                     u"Not written: offset 131,072    LBA 256, 1 sector (512 bytes):   1117 - Device I/O error",
                     u"Format Error occurred at offset 393,216:   1117 - Device I/O error",
                     u"Not written: offset 393,216    LBA 768, 1 sector (512 bytes):   1117 - Device I/O error"}));
  }
  {
    VirtualDrive d = Drive(100 << 20);
    d.unplugAt = 1'000'000;
    FormatRig rig(d);
    const WriteLoopResult r = WritePass(rig);
    EXPECT_EQ(r.covered, (Extents{{0, 983'040}}));  // up to the block that found the drive gone
    EXPECT_TRUE(r.failed.empty());
    EXPECT_EQ(r.errorLines.back(), u"Device was unplugged, aborting...");
  }
  {
    FormatRig rig(SlowDrive(kTwoGb));
    rig.page.onMessages = [&] {
      if (rig.page.messageRuns == 1 + 157) rig.t.drive.StopRequested = true;
    };
    const WriteLoopResult r = WritePass(rig, true);
    EXPECT_EQ(r.covered, (Extents{{0, kQuickExtent}}));
  }
}

TEST(FormatWriteLoop, OneBadSectorLeavesExactlyThatSectorUnwritten) {
  constexpr std::int64_t kBad = 700'000'256;  // inside a 32 MiB block
  VirtualDrive d = Drive(1'000'000'000);
  d.writeErrors = {{{kBad, kBad + 1}, ERROR_IO_DEVICE}};
  FormatRig rig(d);
  const WriteLoopResult r = WritePass(rig);
  EXPECT_EQ(r.ending, WriteLoopEnding::NotComplete);
  const std::int64_t sector = kBad / 512 * 512;
  EXPECT_EQ(r.failed, (std::vector<Extent>{{sector, sector + 512}}));
  EXPECT_EQ(r.failedBlocks, 1);
  EXPECT_EQ(rig.Medium().BytesWritten(), 1'000'000'000 - 512);
  EXPECT_LT(rig.WriteLengths().size(), 119u + 2 * 17);  // halving: two writes a level
  EXPECT_EQ(rig.Log().back(), u"Low-level format did not complete: 1 sector (512 bytes) could not be written.");
}

TEST(FormatWriteLoop, ThousandsOfBadSectorsStillEndWithTheRestCountedAsNotWritten) {
  VirtualDrive d = Drive(1'000'000'000);
  d.writeErrors = {{{700'000'000, 1'000'000'000}, ERROR_IO_DEVICE}};
  FormatRig rig(d);
  const WriteLoopResult r = WritePass(rig);
  EXPECT_EQ(r.ending, WriteLoopEnding::NotComplete);
  // Every sector of the range is counted as not written, and nothing else.
  const std::int64_t firstBad = 700'000'000 / 512 * 512;
  EXPECT_EQ(r.failed, (std::vector<Extent>{{firstBad, 1'000'000'000}}));
  EXPECT_EQ(rig.Medium().BytesWritten(), firstBad);
  // Each 32 MiB block gets a bounded number of attempts.
  EXPECT_LE(rig.WriteLengths().size(), 119u + 10 * kNarrowingAttemptsPerBlock);
  const Lines log = rig.Log();
  EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::u16string& line) {
    return line.ends_with(u" reached their limit; the rest of the block is counted as not written.");
  }));
  EXPECT_TRUE(std::find(log.begin(), log.end(), u"More ranges could not be written; only the first 200 are listed.") !=
                  log.end() ||
              r.errorLines.size() < 300);
}

TEST(FormatWriteLoop, ProgressAndSpeedCountOnlyWrittenBytes) {
  VirtualDrive d = Drive(8 * 65'536);
  d.seekErrors = {{0, 4 * 65'536}};
  d.speedLimitBytesPerSecond = 65'536'000;  // 1 ms per block written
  FormatRig rig(d);
  WritePass(rig);
  EXPECT_EQ(rig.page.positions, (std::vector<int>{0, 0, 0, 0, 12, 25, 38, 50}));
  EXPECT_EQ(rig.page.Caption(FormatLabel::CurrentPercent), u"50% complete");
  EXPECT_EQ(rig.page.Caption(FormatLabel::Speed), u"65.5 MB/s");  // 4 blocks in 4 ms
}

// The loop times itself with the monotonic clock: a wall clock put back an
// hour (a daylight-saving change) mid-run changes neither the blocks nor the
// speed, while the log stamps follow the wall clock.
TEST(FormatWriteLoop, AWallClockSteppingBackAnHourChangesNothing) {
  std::vector<std::vector<std::uint32_t>> lengths;
  std::vector<Lines> speeds;
  for (const bool step : {false, true}) {
    VirtualDrive d = Drive(200'000'000);
    d.speedLimitBytesPerSecond = 400'000'000;
    FormatRig rig(d);
    rig.page.onMessages = [&] {
      if (step && rig.page.messageRuns == 15) rig.t.clock.StepWall(-3'600'000);
    };
    WritePass(rig);
    lengths.push_back(rig.WriteLengths());
    speeds.push_back(rig.page.speedCaptions);
  }
  EXPECT_EQ(lengths[0], lengths[1]);
  EXPECT_EQ(speeds[0], speeds[1]);
  EXPECT_GT(lengths[0].size(), 20u);
}

TEST(FormatWriteLoop, APassOfMoreThanTwoSecondsHalvesTheBlock) {
  FormatRig rig(Drive(1'000'000'000));
  rig.page.onMessages = [&] {
    if (rig.page.messageRuns == 1 + 35) rig.t.clock.Advance(2'500);  // pass 35 stalls
  };
  WritePass(rig);
  const auto lengths = rig.WriteLengths();
  ASSERT_GT(lengths.size(), 60u);
  EXPECT_EQ(lengths[34], 262'144u);  // pass 35
  EXPECT_EQ(lengths[35], 131'072u);  // halved
  EXPECT_EQ(lengths[49], 262'144u);  // ten fast passes later it grows again
}

TEST(SeekDevice, GivesTheNewPositionOrMinusOne) {
  VirtualDrive d = Drive(1 << 20);
  d.seekErrors = {{512, 1024}};
  FormatRig rig(d);
  Os& os = rig.t.os;
  EXPECT_EQ(SeekDevice(os, rig.t.drive.DeviceHandle, 4096), 4096);
  EXPECT_EQ(SeekDevice(os, rig.t.drive.DeviceHandle, 512), -1);
  EXPECT_EQ(SeekDevice(os, 0x7777, 0), -1);
}

}  // namespace
}  // namespace orvella
