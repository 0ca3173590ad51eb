// What the tests of the format page's choices in both desktops share: the
// machine of one hard disk they start from, the same disk holding the
// running system, and the record a run kept by itself, read back.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include "record/record_json.h"
#include "support/ata_drives.h"

namespace orvella::test {

inline VirtualMachine OneHardDisk() {
  VirtualMachine machine;
  machine.drives = {HardDisk(0)};
  return machine;
}

// The hard disk with the running system's volume `name` mounted at `mountPoint`.
inline VirtualMachine OneHardDiskHoldingTheSystem(const std::string& name, const std::string& mountPoint) {
  VirtualMachine machine = OneHardDisk();
  VirtualVolume system;
  system.name = name;
  system.mountPoint = mountPoint;
  machine.volumes.push_back(system);
  return machine;
}

inline Json RecordIn(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return Json::parse(in);
}

}  // namespace orvella::test
