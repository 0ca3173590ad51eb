#include "platform_linux/fuse_drive.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <fstream>
#include <thread>

#include "platform_linux/loop_device.h"

namespace orvella::test {
namespace {

namespace fs = std::filesystem;

// Debian's fusepy lives with the system's python, which an interpreter
// earlier on PATH may not see.
std::string Python() { return fs::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3"; }

std::string RangeArgument(const char* option, const FuseDrive::Range& r) {
  return std::string(" ") + option + " " + std::to_string(r.first) + ":" + std::to_string(r.second);
}

bool Mounted(const std::string& mountPoint) { return Shell("mountpoint -q " + mountPoint) == 0; }

bool WaitFor(const std::function<bool()>& condition) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

}  // namespace

std::unique_ptr<FuseDrive> FuseDrive::Attach(const Options& options, std::string& whyNot) {
  if (::geteuid() != 0) {
    whyNot = "FUSE under a loop device needs root";
    return nullptr;
  }
  if (!fs::exists("/dev/fuse") || !fs::exists("/dev/loop-control")) {
    whyNot = "this machine has no FUSE (/dev/fuse) or no loop devices";
    return nullptr;
  }
  if (Shell(Python() + " -c 'import fusepy' || " + Python() + " -c 'import fuse'") != 0) {
    whyNot = "fusepy is missing (python3-fusepy; scripts/install-deps.sh installs it)";
    return nullptr;
  }
  std::unique_ptr<FuseDrive> drive(new FuseDrive);
  std::string pattern = (fs::temp_directory_path() / "orvella-fuse-XXXXXX").string();
  drive->folder_ = ::mkdtemp(pattern.data());
  drive->backing_ = drive->folder_ + "/backing.img";
  drive->mountPoint_ = drive->folder_ + "/mnt";
  fs::create_directory(drive->mountPoint_);
  {
    std::ofstream file(drive->backing_, std::ios::binary);
    const std::vector<char> block(1 << 20, static_cast<char>(options.fillByte));
    for (std::uint64_t at = 0; at < options.size; at += block.size())
      file.write(block.data(), static_cast<std::streamsize>(std::min<std::uint64_t>(block.size(), options.size - at)));
  }
  std::string command = Python() + " " ORVELLA_FAULTY_FS " " + drive->backing_ + " " + drive->mountPoint_;
  for (const Range& r : options.failing) command += RangeArgument("--fail", r);
  for (const Range& r : options.dropped) command += RangeArgument("--drop", r);
  std::string pid;
  Shell("setsid " + command + " >" + drive->folder_ + "/server.log 2>&1 & echo $!", &pid);
  drive->serverPid_ = std::atoi(pid.c_str());
  if (drive->serverPid_ <= 0 || !WaitFor([&] { return Mounted(drive->mountPoint_); })) {
    whyNot = "the FUSE file system did not come up (see " + drive->folder_ + "/server.log)";
    return nullptr;
  }
  std::string node;
  if (Shell("losetup --find --show --direct-io=on " + drive->mountPoint_ + "/drive.img", &node) != 0 ||
      node.rfind("/dev/loop", 0) != 0) {
    whyNot = "losetup could not attach a loop device over the FUSE file";
    return nullptr;
  }
  while (!node.empty() && node.back() == '\n') node.pop_back();
  drive->loopName_ = node.substr(5);
  std::string dio;
  Shell("cat /sys/block/" + drive->loopName_ + "/loop/dio", &dio);
  if (dio.rfind("1", 0) != 0) {
    whyNot = "the loop device over the FUSE file runs without direct I/O";
    return nullptr;
  }
  Shell("udevadm settle");
  return drive;
}

FuseDrive::~FuseDrive() {
  if (!loopName_.empty()) Shell("losetup -d " + Node());
  bool unmounted = !Mounted(mountPoint_) || WaitFor([&] { return Shell("umount " + mountPoint_) == 0; });
  if (serverPid_ > 0) {
    WaitFor([&] { return ::kill(serverPid_, 0) != 0; });
    ::kill(serverPid_, SIGTERM);  // ours alone: started by Attach
  }
  // Nothing inside a mount point is ever deleted: a folder still mounted stays.
  unmounted = unmounted && !Mounted(mountPoint_);
  if (!unmounted) {
    std::fprintf(stderr, "%s is still mounted; the test folder %s is left in place\n", mountPoint_.c_str(),
                 folder_.c_str());
    return;
  }
  std::error_code ignored;
  fs::remove_all(folder_, ignored);
}

std::vector<FuseDrive::Range> FuseDrive::NonZeroRanges() const {
  std::vector<Range> ranges;
  std::ifstream file(backing_, std::ios::binary);
  std::vector<char> sector(512);
  const std::vector<char> zeros(512, 0);
  for (std::uint64_t at = 0; file.read(sector.data(), 512); at += 512) {
    if (sector == zeros) continue;
    if (!ranges.empty() && ranges.back().second == at) ranges.back().second += 512;
    else ranges.push_back({at, at + 512});
  }
  return ranges;
}

}  // namespace orvella::test
