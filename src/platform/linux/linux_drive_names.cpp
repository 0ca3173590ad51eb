// How users know a drive: its device node, the stable link udev gives it in
// /dev/disk/by-id (or, where udev made none, a stable name from sysfs), and whether it is read-only or holds volumes in use. All
// of it read from /dev links, sysfs and mountinfo; no device is opened.
#include <algorithm>

#include "core/text.h"
#include "platform/linux/linux_os.h"

namespace orvella {

using namespace linux_backend;

namespace {

constexpr char kStableLinks[] = "/dev/disk/by-id";

// The by-id link of a drive, preferring the names that carry the model and
// serial over the bare world-wide names; empty when udev made none.
std::string StableLinkOf(const SystemTree& tree, const std::string& node) {
  std::vector<std::string> links;
  for (const std::string& entry : tree.List(kStableLinks)) {
    const std::string link = std::string(kStableLinks) + "/" + entry;
    if (tree.Resolve(link) == node) links.push_back(link);
  }
  const auto descriptive = std::find_if(links.begin(), links.end(), [](const std::string& link) {
    return link.find("/wwn-") == std::string::npos && link.find("/nvme-eui.") == std::string::npos;
  });
  if (descriptive != links.end()) return *descriptive;
  return links.empty() ? std::string() : links.front();
}

// Blanks inside a kernel text (a t10 WWID pads its fields) as single "_".
std::string Joined(const std::string& text) {
  std::string joined;
  for (const char c : text) {
    const bool blank = static_cast<unsigned char>(c) <= 32;
    if (!blank) joined.push_back(c);
    else if (!joined.empty() && joined.back() != '_') joined.push_back('_');
  }
  while (!joined.empty() && joined.back() == '_') joined.pop_back();
  return joined;
}

// Where udev made no link (a rescue system, an initramfs, a container), the
// kernel's world-wide name of the disk (SCSI VPD page 83h, the NVMe
// namespace's ids), else its serial number, names it as steadily:
// "wwid:t10.ATA_Model_SERIAL", "serial:0xdeadbeef".
std::string SysfsStableName(const SystemTree& tree, const std::string& name) {
  for (const std::string& path : {"/sys/block/" + name + "/wwid", "/sys/block/" + name + "/device/wwid"})
    if (const std::string wwid = Joined(tree.ReadLine(path).value_or("")); !wwid.empty()) return "wwid:" + wwid;
  const std::string serial = Joined(ReadDriveFacts(tree, name).serial);
  return serial.empty() ? std::string() : "serial:" + serial;
}

}  // namespace

DriveNames LinuxOs::DriveNamesOf(std::uint32_t driveNumber) {
  if (driveNumber >= Drives().size()) return Os::DriveNamesOf(driveNumber);
  const BlockDevice& drive = Drives()[driveNumber];
  const std::string node = DeviceNodePath(drive.name);
  DriveNames names;
  names.devicePath = Utf8ToText(node);
  std::string stable = StableLinkOf(tree_, node);
  if (stable.empty()) stable = SysfsStableName(tree_, drive.name);
  names.stableLink = Utf8ToText(stable);
  names.readOnly = tree_.ReadLine("/sys/block/" + drive.name + "/ro").value_or("0") == "1";
  const VolumeUse use = VolumeUse::Read(tree_);
  for (const Volume& volume : VolumesOfDrive(tree_, Drives(), driveNumber)) {
    names.mounted = names.mounted || use.InUse(tree_, Drives(), volume);
    for (const std::string& mountPoint : use.MountPointsOf(tree_, volume))
      names.fileSystems.push_back(Unmount{Utf8ToText(mountPoint), Utf8ToText(DeviceNodePath(volume.name))});
  }
  return names;
}

}  // namespace orvella
