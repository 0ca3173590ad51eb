// The identity texts and limits of a drive from sysfs: SCSI-attached drives
// from their INQUIRY attributes and VPD pages (the ATA Information page gives
// the full model and firmware of a SATA drive, which INQUIRY cuts to 16 and 4
// characters), NVMe from its controller, virtio and MMC from their own
// attributes (a card's from its CID), and USB serial numbers from the USB device when the bridge has
// no serial number page.
#include "platform/linux/drive_facts.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace orvella::linux_backend {
namespace {

constexpr std::size_t kVpdHeader = 4;
constexpr std::size_t kAtaIdentifyInVpd89 = 60;  // IDENTIFY data starts here in VPD page 89h

std::string Trimmed(std::string text) {
  const auto keep = [](char c) { return static_cast<unsigned char>(c) > 32; };
  text.erase(std::find_if(text.rbegin(), text.rend(), keep).base(), text.end());
  text.erase(text.begin(), std::find_if(text.begin(), text.end(), keep));
  return text;
}

std::uint64_t Number(const std::optional<std::string>& text) {
  if (!text) return 0;
  try {
    return std::stoull(*text);
  } catch (const std::exception&) {
    return 0;
  }
}

std::uint32_t ClampToU32(std::uint64_t value) {
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(value, std::numeric_limits<std::uint32_t>::max()));
}

// A text attribute; numeric ids such as virtio's "0x1af4" are not texts.
std::string TextAttribute(const SystemTree& tree, const std::string& path) {
  std::string text = Trimmed(tree.ReadLine(path).value_or(""));
  return text.rfind("0x", 0) == 0 ? std::string() : text;
}

// A number the kernel shows in hexadecimal ("0x1").
std::optional<std::uint64_t> HexNumber(const std::optional<std::string>& text) {
  if (!text || text->rfind("0x", 0) != 0) return std::nullopt;
  try {
    std::size_t used = 0;
    const std::uint64_t value = std::stoull(text->substr(2), &used, 16);
    if (used + 2 == Trimmed(*text).size()) return value;
  } catch (const std::exception&) {
  }
  return std::nullopt;
}

// An SD or MMC card's identity from its CID register as the kernel shows
// it: the product name; the product revision, hardware and firmware digit
// ("1.0"); the 32-bit serial number in the kernel's "0x" form, which is what
// udev's links and lsblk show too.
void ReadCardIdentity(const SystemTree& tree, const std::string& device, DriveFacts& facts) {
  facts.product = TextAttribute(tree, device + "/name");
  facts.serial = Trimmed(tree.ReadLine(device + "/serial").value_or(""));
  const auto hardware = HexNumber(tree.ReadLine(device + "/hwrev"));
  const auto firmware = HexNumber(tree.ReadLine(device + "/fwrev"));
  if (hardware && firmware) {
    char revision[48];
    std::snprintf(revision, sizeof revision, "%llx.%llx", static_cast<unsigned long long>(*hardware),
                  static_cast<unsigned long long>(*firmware));
    facts.revision = revision;
  }
}

// The serial number of a VPD page 80h.
std::string VpdSerial(const SystemTree& tree, const std::string& device) {
  const std::string page = tree.ReadBytes(device + "/vpd_pg80").value_or("");
  if (page.size() < kVpdHeader || static_cast<unsigned char>(page[1]) != 0x80) return {};
  const std::size_t length = (static_cast<unsigned char>(page[2]) << 8) | static_cast<unsigned char>(page[3]);
  return Trimmed(page.substr(kVpdHeader, length));
}

// An ATA IDENTIFY text field: two characters per word, the first in the
// high byte.
std::string AtaText(const std::string& identify, std::size_t firstWord, std::size_t words) {
  std::string text;
  for (std::size_t w = firstWord; w < firstWord + words; ++w) {
    text.push_back(identify[2 * w + 1]);
    text.push_back(identify[2 * w]);
  }
  return Trimmed(text);
}

// The ATA IDENTIFY data that a SAT layer keeps in VPD page 89h, if any.
std::string AtaIdentifyPage(const SystemTree& tree, const std::string& device) {
  const std::string page = tree.ReadBytes(device + "/vpd_pg89").value_or("");
  if (page.size() < kAtaIdentifyInVpd89 + 512 || static_cast<unsigned char>(page[1]) != 0x89) return {};
  return page.substr(kAtaIdentifyInVpd89, 512);
}

// The serial number of the USB device a drive sits on.
std::string UsbSerial(const SystemTree& tree, std::string devicePath) {
  while (devicePath.size() > 1) {
    if (tree.Exists(devicePath + "/idVendor")) return TextAttribute(tree, devicePath + "/serial");
    devicePath.erase(devicePath.find_last_of('/'));
  }
  return {};
}

void ReadScsiIdentity(const SystemTree& tree, const std::string& device, const std::string& devicePath,
                      DriveFacts& facts) {
  facts.vendor = TextAttribute(tree, device + "/vendor");
  facts.product = TextAttribute(tree, device + "/model");
  facts.revision = TextAttribute(tree, device + "/rev");
  facts.serial = VpdSerial(tree, device);
  if (const std::string identify = AtaIdentifyPage(tree, device); !identify.empty()) {
    if (const std::string model = AtaText(identify, 27, 20); !model.empty()) facts.product = model;
    if (const std::string firmware = AtaText(identify, 23, 4); !firmware.empty()) facts.revision = firmware;
    if (facts.serial.empty()) facts.serial = AtaText(identify, 10, 10);
  }
  if (facts.serial.empty() && facts.busType == kBusUsb) facts.serial = UsbSerial(tree, devicePath);
  facts.scsiDeviceType = static_cast<std::uint8_t>(Number(tree.ReadLine(device + "/type")) & 0x1F);
  facts.commandQueueing = Number(tree.ReadLine(device + "/queue_depth")) > 1;
  facts.scsiAddress = ScsiAddressOf(devicePath);
}

void ReadIdentity(const SystemTree& tree, const std::string& name, const std::string& devicePath, DriveFacts& facts) {
  const std::string block = "/sys/block/" + name;
  const std::string device = block + "/device";
  switch (facts.busType) {
    case kBusNvme:
      facts.vendor = "NVMe";
      facts.product = TextAttribute(tree, device + "/model");
      facts.revision = TextAttribute(tree, device + "/firmware_rev");
      facts.serial = TextAttribute(tree, device + "/serial");
      facts.commandQueueing = true;
      return;
    case kBusVirtual:
      facts.vendor = "VirtIO";
      facts.product = "Block Device";
      facts.serial = TextAttribute(tree, block + "/serial");
      return;
    case kBusFileBackedVirtual:
      facts.vendor = "Linux";
      facts.product = "Loop Device";
      return;
    case kBusSd:
    case kBusMmc: return ReadCardIdentity(tree, device, facts);
    default:
      if (ScsiAddressOf(devicePath)) return ReadScsiIdentity(tree, device, devicePath, facts);
      facts.vendor = TextAttribute(tree, device + "/vendor");
      facts.product = TextAttribute(tree, device + "/model");
      facts.revision = TextAttribute(tree, device + "/rev");
      facts.serial = TextAttribute(tree, block + "/serial");
  }
}

}  // namespace

DriveFacts ReadDriveFacts(const SystemTree& tree, const std::string& name) {
  const std::string block = "/sys/block/" + name;
  const std::string devicePath = tree.Resolve(block + "/device");
  DriveFacts facts;
  facts.busType = BusTypeOf(tree, name, devicePath);
  facts.maxTransferBytes = ClampToU32(Number(tree.ReadLine(block + "/queue/max_hw_sectors_kb")) * 1024);
  facts.maxSegments = ClampToU32(Number(tree.ReadLine(block + "/queue/max_segments")));
  facts.alignmentMask = ClampToU32(Number(tree.ReadLine(block + "/queue/dma_alignment")));
  facts.removable = tree.ReadLine(block + "/removable").value_or("0") == "1";
  facts.readOnly = tree.ReadLine(block + "/ro").value_or("0") == "1";
  ReadIdentity(tree, name, devicePath, facts);
  return facts;
}

}  // namespace orvella::linux_backend
