#include "platform/virtual/demo_drives.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/virtual/virtual_os.h"

namespace orvella {
namespace {

const VirtualDrive& DriveNumbered(const VirtualMachine& m, std::uint32_t number) {
  for (const auto& d : m.drives)
    if (d.number == number) return d;
  throw std::out_of_range("no drive " + std::to_string(number));
}

TEST(DemoDrives, HoldTheDrivesTheDemoShows) {
  const VirtualMachine m = DemoDrives();
  std::vector<std::uint32_t> numbers;
  for (const auto& d : m.drives) numbers.push_back(d.number);
  EXPECT_EQ(numbers, (std::vector<std::uint32_t>{0, 1, 3, 4, 5, 6, 7}));

  const VirtualDrive& disk = DriveNumbered(m, 0);
  EXPECT_EQ(disk.busType, 3);
  EXPECT_EQ(disk.length, 500107862016);
  ASSERT_TRUE(disk.ata.identify && disk.ata.smart);
  EXPECT_EQ(disk.ata.identify->words.at(75), 31);
  const auto& attributes = disk.ata.smart->attributes;
  EXPECT_GE(attributes.size(), 12u);
  EXPECT_TRUE(std::any_of(attributes.begin(), attributes.end(), [](const auto& a) { return a.id == 194; }));

  EXPECT_EQ(DriveNumbered(m, 1).busType, 11);
  EXPECT_FALSE(DriveNumbered(m, 3).ata.versionAnswers);
  EXPECT_EQ(DriveNumbered(m, 3).busType, 7);
  EXPECT_LT(DriveNumbered(m, 4).length / 512, 65535);
  EXPECT_TRUE(DriveNumbered(m, 5).writeProtected);
  EXPECT_EQ(DriveNumbered(m, 5).busType, 12);
  EXPECT_EQ(DriveNumbered(m, 7).busType, 10);  // SAS
  for (const auto& d : m.drives) EXPECT_GT(d.speedLimitBytesPerSecond, 0) << d.number;
}

TEST(DemoDrives, VolumesSitOnTheirDrives) {
  const VirtualMachine m = DemoDrives();
  std::vector<std::pair<std::string, std::uint32_t>> volumes;
  for (const auto& v : m.volumes) volumes.emplace_back(v.name, v.deviceNumber);
  EXPECT_EQ(volumes, (std::vector<std::pair<std::string, std::uint32_t>>{
                         {"C:", 0}, {"D:", 0}, {"E:", 1}, {"F:", 3}, {"G:", 5}}));
  // E: locks, so that the SSD's own erase can run in the demo.
  EXPECT_EQ(m.volumes[2].lockError, 0u);
}

TEST(DemoDrives, WritesToTheCardAreRefused) {
  VirtualOs os(DemoDrives(), [](std::int64_t) {});
  const Handle h = os.CreateFileW(u"\\\\.\\PhysicalDrive5", GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, 0);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  std::vector<std::uint8_t> zeros(512);
  std::uint32_t written = 0;
  EXPECT_FALSE(os.WriteFile(h, zeros.data(), 512, &written));
  EXPECT_EQ(os.GetLastError(), ERROR_WRITE_PROTECT);
}

}  // namespace
}  // namespace orvella

namespace orvella {
namespace {

// The demo programs take their machine from the command line: the first
// argument that is no option names a drive file and leaves the arguments
// the program sees; without one the demo machine is used.
TEST(DemoMachineOfCommandLine, TakesTheDriveFileOutOfTheArgumentsAndElseUsesTheDemoMachine) {
  const std::filesystem::path file = std::filesystem::temp_directory_path() / "orvella-demo-command-line.json";
  std::ofstream(file) << R"({"drives":[{"number":7,"length":1048576}]})";
  std::string program = "orvella-demo", debug = "--debug", name = file.string();
  char* withFile[] = {program.data(), debug.data(), name.data()};
  std::vector<std::u16string> arguments{u"orvella-demo", u"--debug", u"the file"};
  const VirtualMachine fromFile = DemoMachineOfCommandLine(3, withFile, arguments);
  std::filesystem::remove(file);
  ASSERT_EQ(fromFile.drives.size(), 1u);
  EXPECT_EQ(fromFile.drives[0].number, 7u);
  EXPECT_EQ(arguments, (std::vector<std::u16string>{u"orvella-demo", u"--debug"}));

  char* optionsOnly[] = {program.data(), debug.data()};
  const VirtualMachine demo = DemoMachineOfCommandLine(2, optionsOnly, arguments);
  EXPECT_EQ(demo.drives.size(), DemoDrives().drives.size());
  EXPECT_EQ(arguments.size(), 2u);
}

}  // namespace
}  // namespace orvella
