// What the Linux backend reads from the kernel as text: mountinfo, the swap
// list, and a drive's sysfs attributes (its size, device number, limits,
// type, vendor, model, revision and the serial number pages). The input is
// cut into length-prefixed fields; the sysfs ones are written into a small
// tree of the fuzzer's own, which the backend then reads as a live machine.
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/linux/block_devices.h"
#include "platform/linux/drive_facts.h"
#include "platform/linux/storage_replies.h"
#include "platform/linux/system_tree.h"
#include "platform/linux/volume_use.h"

namespace {

namespace fs = std::filesystem;
using namespace orvella::linux_backend;

// The files each field of the input goes to, below the tree's root.
constexpr std::array<const char*, 17> kFields = {
    "proc/self/mountinfo", "proc/swaps", "sys/block/sdx/size", "sys/block/sdx/dev",
    "sys/block/sdx/removable", "sys/block/sdx/ro", "sys/block/sdx/queue/max_hw_sectors_kb",
    "sys/block/sdx/queue/max_segments", "sys/block/sdx/queue/dma_alignment", "sys/devices/d0/type",
    "sys/devices/d0/queue_depth", "sys/devices/d0/vendor", "sys/devices/d0/model", "sys/devices/d0/rev",
    "sys/devices/d0/vpd_pg80", "sys/devices/d0/vpd_pg89", "sys/block/sdx/sdx1/dev"};

fs::path treeRoot;

void RemoveTree() {
  std::error_code ignored;
  fs::remove_all(treeRoot, ignored);
}

// Made once per process, and removed when it ends.
const fs::path& Root() {
  if (treeRoot.empty()) {
    treeRoot = fs::temp_directory_path() / ("orvella-fuzz-sys-" + std::to_string(getpid()));
    for (const char* field : kFields) fs::create_directories((treeRoot / field).parent_path());
    fs::create_directory_symlink("../../devices/d0", treeRoot / "sys/block/sdx/device");
    std::ofstream(treeRoot / "sys/block/sdx/sdx1/partition") << "1\n";
    std::atexit(RemoveTree);
  }
  return treeRoot;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::array<std::string, kFields.size()> fields;
  for (std::size_t f = 0, at = 0; f < fields.size() && at < size; ++f) {
    const std::size_t stated = data[at++];
    const std::size_t length = std::min(stated, size - at);
    fields[f].assign(reinterpret_cast<const char*>(data + at), length);
    at += length;
  }
  ParseMountInfo(fields[0]);
  ParseSwaps(fields[1]);
  ParseDeviceNumber(fields[3]);
  for (std::size_t f = 0; f < fields.size(); ++f) std::ofstream(Root() / kFields[f], std::ios::binary) << fields[f];

  const SystemTree tree(Root().string());
  const std::vector<BlockDevice> drives = ListDrives(tree);
  const DriveFacts facts = ReadDriveFacts(tree, "sdx");
  DeviceDescriptorReply(facts);
  AdapterDescriptorReply(facts);
  ProbeOrderSerial(facts.serial);
  const VolumeUse use = VolumeUse::Read(tree);
  for (std::size_t d = 0; d < drives.size(); ++d)
    for (const Volume& volume : VolumesOfDrive(tree, drives, d)) use.InUse(tree, drives, volume);
  return 0;
}
