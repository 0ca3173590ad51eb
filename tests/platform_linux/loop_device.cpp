#include "platform_linux/loop_device.h"

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <vector>

namespace orvella::test {

namespace fs = std::filesystem;

int Shell(const std::string& command, std::string* output) {
  FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
  if (pipe == nullptr) return -1;
  std::array<char, 4096> chunk{};
  std::string text;
  for (std::size_t n; (n = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0;) text.append(chunk.data(), n);
  const int status = ::pclose(pipe);
  if (output != nullptr) *output = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

LoopDevice::Options LoopOptions(std::uint64_t size, int fillByte) {
  LoopDevice::Options options;
  options.size = size;
  options.fillByte = fillByte;
  return options;
}

std::unique_ptr<LoopDevice> LoopDevice::Attach(const Options& options, std::string& whyNot) {
  if (::geteuid() != 0) {
    whyNot = "loop devices need root; run the tests as root to cover real block devices";
    return nullptr;
  }
  if (!fs::exists("/dev/loop-control") || Shell("command -v losetup") != 0) {
    whyNot = "this machine has no loop device support (no /dev/loop-control or no losetup)";
    return nullptr;
  }
  std::unique_ptr<LoopDevice> loop(new LoopDevice);
  std::string pattern = (fs::temp_directory_path() / "orvella-loop-XXXXXX").string();
  loop->folder_ = ::mkdtemp(pattern.data());
  loop->file_ = loop->folder_ + "/drive.img";
  {
    std::ofstream file(loop->file_, std::ios::binary);
    if (options.fillByte >= 0) {
      const std::vector<char> block(1 << 20, static_cast<char>(options.fillByte));
      for (std::uint64_t at = 0; at < options.size; at += block.size())
        file.write(block.data(),
                   static_cast<std::streamsize>(std::min<std::uint64_t>(block.size(), options.size - at)));
    }
  }
  fs::resize_file(loop->file_, options.size);
  if (!options.sfdiskScript.empty() && Shell("printf '" + options.sfdiskScript + "' | sfdisk -q " + loop->file_) != 0) {
    whyNot = "sfdisk could not partition the drive file";
    return nullptr;
  }
  std::string node;
  const std::string flags =
      std::string(options.readOnly ? " --read-only" : "") + (options.partitions ? " --partscan" : "");
  if (Shell("losetup --find --show" + flags + " " + loop->file_, &node) != 0 || node.rfind("/dev/loop", 0) != 0) {
    whyNot = "losetup could not attach a loop device here";
    return nullptr;
  }
  while (!node.empty() && node.back() == '\n') node.pop_back();
  loop->name_ = node.substr(5);
  Shell("udevadm settle");
  // A kernel without partition table parsers makes no partitions of its
  // own; partx reads the table and adds them.
  if (options.partitions && !options.sfdiskScript.empty() && !fs::exists(loop->Node() + "p1")) {
    Shell("partx -a " + loop->Node());
    Shell("udevadm settle");
  }
  return loop;
}

namespace {

// Mount points at or below `folder`, from this process's mountinfo.
std::vector<std::string> MountsWithin(const std::string& folder) {
  std::ifstream mountInfo("/proc/self/mountinfo");
  std::vector<std::string> inside;
  for (std::string line; std::getline(mountInfo, line);) {
    std::istringstream fields(line);
    std::string id, parent, device, root, mountPoint;
    fields >> id >> parent >> device >> root >> mountPoint;
    if (mountPoint == folder || mountPoint.rfind(folder + "/", 0) == 0) inside.push_back(mountPoint);
  }
  return inside;
}

}  // namespace

// The folder is deleted only once nothing is mounted inside it: deleting
// into a mounted file system would delete the files of whatever it holds.
LoopDevice::~LoopDevice() {
  if (!name_.empty()) {
    Shell("umount -R " + folder_ + "/mnt");
    Shell("swapoff " + Node());
  }
  const std::vector<std::string> stillMounted = MountsWithin(folder_);
  if (!stillMounted.empty()) {
    std::cerr << "loop device test: " << stillMounted.front() << " could not be unmounted; " << folder_
              << " and " << Node() << " are left as they are\n";
    return;
  }
  if (!name_.empty()) Shell("losetup -d " + Node());
  std::error_code ignored;
  fs::remove_all(folder_, ignored);
}

std::uint64_t LoopDevice::Checksum() const {
  ::sync();
  std::ifstream file(file_, std::ios::binary);
  std::uint64_t hash = 1469598103934665603ull;
  std::vector<char> block(1 << 20);
  while (file.read(block.data(), static_cast<std::streamsize>(block.size())) || file.gcount() > 0) {
    for (std::streamsize i = 0; i < file.gcount(); ++i)
      hash = (hash ^ static_cast<unsigned char>(block[static_cast<std::size_t>(i)])) * 1099511628211ull;
  }
  return hash;
}

bool LoopDevice::All(std::uint64_t from, std::uint64_t to, std::uint8_t value) const {
  ::sync();
  std::ifstream file(file_, std::ios::binary);
  file.seekg(static_cast<std::streamoff>(from));
  std::vector<char> block(1 << 20);
  for (std::uint64_t at = from; at < to;) {
    const auto n = static_cast<std::streamsize>(std::min<std::uint64_t>(block.size(), to - at));
    if (!file.read(block.data(), n)) return false;
    for (std::streamsize i = 0; i < n; ++i)
      if (static_cast<std::uint8_t>(block[static_cast<std::size_t>(i)]) != value) return false;
    at += static_cast<std::uint64_t>(n);
  }
  return true;
}

}  // namespace orvella::test
