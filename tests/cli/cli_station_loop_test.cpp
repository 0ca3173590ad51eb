// orvella-cli station on loop devices the test makes (root only; skipped
// with the reason where loop devices cannot be had). A loop device reports
// no serial number: attached before or after the start it is left alone,
// and only one named with --include is erased. Records go onto a FAT
// volume, which has no hard links, as onto any other.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "cli/cli_process.h"
#include "cli/record_folder.h"
#include "platform_linux/loop_device.h"

namespace orvella::test {
namespace {

constexpr std::uint64_t kSize = 64ull << 20;

TEST(CliStationLoop, OnlyTheIncludedDriveIsErasedAndADriveWithoutSerialAttachedLaterIsLeftAlone) {
  ATTACH_LOOP_OR_SKIP(included, LoopOptions(kSize, 0xA5));
  const auto present = LoopDevice::Attach(LoopOptions(kSize, 0xA5), whyNot);
  ASSERT_TRUE(present) << whyNot;
  const std::uint64_t presentBefore = present->Checksum();
  RecordFolder folder("orvella-station-loop");

  CliProcess station({"station", "--yes", "--report-dir", folder.Path(), "--include", included->Node()});
  ASSERT_TRUE(station.WaitForOutput("Waiting for drives to be attached"));
  const auto later = LoopDevice::Attach(LoopOptions(kSize, 0xA5), whyNot);
  ASSERT_TRUE(later) << whyNot;
  const std::uint64_t laterBefore = later->Checksum();
  EXPECT_TRUE(station.WaitForOutput("Leaving alone the new drive " + later->Node() +
                                    ": it reports no serial number to name it by."));
  EXPECT_TRUE(station.WaitForOutput(included->Node() + "] finished: complete, exit status 0", std::chrono::seconds(60)));
  station.Signal(SIGINT);
  const CliResult r = station.Finish();
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(included->All(0, kSize, 0x00));
  EXPECT_EQ(present->Checksum(), presentBefore);
  EXPECT_EQ(later->Checksum(), laterBefore);
  const auto records = folder.Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records.begin()->second["result"], "complete");
  EXPECT_EQ(r.out.find("New drive"), std::string::npos) << r.out;
}

// A file system made on a loop device and mounted in a folder of the
// test's own, unmounted again; its files stay on the volume, which goes with
// the loop device.
class MountedVolume {
 public:
  MountedVolume(const LoopDevice& loop, const std::string& mkfs, const std::string& type)
      : folder_(std::filesystem::temp_directory_path() / ("orvella-volume-" + std::to_string(getpid()))) {
    std::filesystem::create_directories(folder_);
    mounted_ = Shell(mkfs + " " + loop.Node() + " >/dev/null && mount -t " + type + " " + loop.Node() + " " +
                     folder_.string()) == 0;
  }
  ~MountedVolume() {
    if (mounted_) Shell("umount " + folder_.string());
    std::filesystem::remove(folder_);
  }
  bool Mounted() const { return mounted_; }
  std::string Folder() const { return folder_.string(); }

 private:
  std::filesystem::path folder_;
  bool mounted_ = false;
};

TEST(CliStationLoop, RecordsAreWrittenOntoAFatStickAndNeverOverEachOther) {
  ATTACH_LOOP_OR_SKIP(stick, LoopOptions(kSize));
  const auto drive = LoopDevice::Attach(LoopOptions(kSize), whyNot);
  ASSERT_TRUE(drive) << whyNot;
  MountedVolume fat(*stick, "mkfs.vfat -n ORVELLA", "vfat");
  if (!fat.Mounted()) GTEST_SKIP() << "cannot make and mount a FAT volume (mkfs.vfat, vfat module)";
  for (int run = 0; run < 2; ++run) {
    const CliResult r = RunCli({"erase", drive->Node(), "--quick", "--yes", "--report-dir", fat.Folder()});
    EXPECT_EQ(r.exitCode, 9) << r.err;
    EXPECT_EQ(r.err.find("could not be written"), std::string::npos) << r.err;
  }
  std::size_t records = 0;
  for (const auto& entry : std::filesystem::directory_iterator(fat.Folder()))
    records += entry.path().extension() == ".json" && entry.path().filename().string().find(".part-") == std::string::npos;
  EXPECT_EQ(records, 2u);
}

// The records of the erases would go with the drive they are kept on.
TEST(CliStationLoop, TheDriveOfTheRecordFolderIsNeverErasedEvenWhenNamed) {
  ATTACH_LOOP_OR_SKIP(records, LoopOptions(kSize));
  MountedVolume volume(*records, "mkfs.ext4 -q", "ext4");
  if (!volume.Mounted()) GTEST_SKIP() << "cannot make and mount an ext4 volume";
  const std::string earlier = volume.Folder() + "/earlier-record.json";
  std::ofstream(earlier) << "{}";
  const CliResult r =
      RunCli({"station", "--yes", "--report-dir", volume.Folder(), "--include", records->Node()});
  EXPECT_EQ(r.exitCode, 8) << r.err;
  EXPECT_NE(r.err.find("not erasing " + records->Node() + ": it holds the record folder " + volume.Folder() +
                       "; nothing was written."),
            std::string::npos)
      << r.err;
  EXPECT_TRUE(std::filesystem::exists(earlier));  // the mounted volume's own files are there still
}

}  // namespace
}  // namespace orvella::test
