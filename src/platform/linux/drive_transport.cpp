// The bus type of a drive, decided from its sysfs device path the way lsblk
// decides a transport: the kernel name for NVMe, virtio, MMC and loop; for a
// drive on a SCSI host, USB in the path first, then the host's transport
// class (SAS, Fibre Channel, iSCSI), then libata by driver name.
#include <cctype>
#include <sstream>
#include <vector>

#include "platform/linux/drive_facts.h"

namespace orvella::linux_backend {
namespace {

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

std::vector<std::string> Components(const std::string& path) {
  std::vector<std::string> parts;
  std::stringstream stream(path);
  for (std::string part; std::getline(stream, part, '/');)
    if (!part.empty()) parts.push_back(part);
  return parts;
}

bool IsDigits(const std::string& text) {
  if (text.empty() || text.size() > 9) return false;
  for (char c : text)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

// "usb2" is Numbered(part, "usb").
bool Numbered(const std::string& part, const std::string& prefix) {
  return StartsWith(part, prefix) && IsDigits(part.substr(prefix.size()));
}

std::uint8_t ScsiHostBusType(const SystemTree& tree, const std::string& hostDirectory, const std::string& host,
                             bool underLibata) {
  if (tree.Exists(hostDirectory + "/sas_host")) return kBusSas;
  if (tree.Exists(hostDirectory + "/fc_host")) return kBusFibre;
  if (tree.Exists(hostDirectory + "/iscsi_host")) return kBusIscsi;
  const std::string driver = tree.ReadLine(hostDirectory + "/scsi_host/" + host + "/proc_name").value_or("");
  if (StartsWith(driver, "ahci") || StartsWith(driver, "sata")) return kBusSata;
  if (underLibata || driver.find("ata") != std::string::npos) return kBusAta;
  return kBusScsi;
}

}  // namespace

std::uint8_t BusTypeOf(const SystemTree& tree, const std::string& name, const std::string& devicePath) {
  if (StartsWith(name, "nvme")) return kBusNvme;
  if (StartsWith(name, "loop")) return kBusFileBackedVirtual;
  if (StartsWith(name, "vd")) return kBusVirtual;
  if (StartsWith(name, "mmcblk"))
    return tree.ReadLine("/sys/block/" + name + "/device/type").value_or("") == "SD" ? kBusSd : kBusMmc;

  const std::vector<std::string> parts = Components(devicePath);
  std::string hostDirectory, host;
  bool usb = false, libata = false;
  std::string walked;
  for (const std::string& part : parts) {
    walked += "/" + part;
    if (Numbered(part, "usb")) usb = true;
    if (Numbered(part, "ata")) libata = true;
    if (Numbered(part, "host")) {
      hostDirectory = walked;
      host = part;
    }
  }
  if (usb) return kBusUsb;
  if (host.empty()) return kBusUnknown;
  return ScsiHostBusType(tree, hostDirectory, host, libata);
}

std::optional<ScsiAddress> ScsiAddressOf(const std::string& devicePath) {
  std::stringstream last(devicePath.substr(devicePath.find_last_of('/') + 1));
  std::vector<std::uint8_t> numbers;
  for (std::string part; std::getline(last, part, ':');) {
    if (!IsDigits(part)) return std::nullopt;
    numbers.push_back(static_cast<std::uint8_t>(std::stoul(part) & 0xFF));
  }
  if (numbers.size() != 4) return std::nullopt;
  return ScsiAddress{numbers[0], numbers[1], numbers[2], numbers[3]};
}

}  // namespace orvella::linux_backend
