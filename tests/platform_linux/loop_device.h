// Loop devices that a test creates over sparse files in a folder of its own,
// and detaches again: the only block devices the end-to-end tests write to.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace orvella::test {

class LoopDevice {
 public:
  struct Options {
    std::uint64_t size = 64ull << 20;
    bool readOnly = false;
    bool partitions = false;   // ask the kernel to scan a partition table
    int fillByte = -1;         // fill the file with this byte first (-1: leave it sparse)
    std::string sfdiskScript;  // partition the file with sfdisk first
  };

  // Empty with `whyNot` set where loop devices cannot be had (not root, no
  // loop support, losetup failing).
  static std::unique_ptr<LoopDevice> Attach(const Options& options, std::string& whyNot);
  ~LoopDevice();
  LoopDevice(const LoopDevice&) = delete;
  LoopDevice& operator=(const LoopDevice&) = delete;

  const std::string& Name() const { return name_; }  // "loop3"
  std::string Node() const { return "/dev/" + name_; }
  const std::string& Folder() const { return folder_; }
  const std::string& File() const { return file_; }

  // FNV-1a of every byte of the backing file, after a sync.
  std::uint64_t Checksum() const;
  // Whether bytes [from, to) of the backing file all equal `value`.
  bool All(std::uint64_t from, std::uint64_t to, std::uint8_t value) const;

 private:
  LoopDevice() = default;
  std::string folder_, file_, name_;
};

// Options for a sparse drive file of `size` bytes, filled with `fillByte`
// unless that is -1.
LoopDevice::Options LoopOptions(std::uint64_t size, int fillByte = -1);

// Gives `loop` the test's own loop device, or skips the test with the reason.
#define ATTACH_LOOP_OR_SKIP(loop, options)                 \
  std::string whyNot;                                      \
  const auto loop = LoopDevice::Attach((options), whyNot); \
  if (!loop) GTEST_SKIP() << whyNot

// Runs a shell command; its exit status, its standard output in `output`.
int Shell(const std::string& command, std::string* output = nullptr);

}  // namespace orvella::test
