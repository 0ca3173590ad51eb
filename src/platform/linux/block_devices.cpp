#include "platform/linux/block_devices.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

namespace orvella::linux_backend {
namespace {

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// Kernel names that are not physical drives.
bool IsLeftOut(const std::string& name) {
  constexpr std::array<std::string_view, 5> kPrefixes{"ram", "zram", "dm-", "md", "sr"};
  return std::any_of(kPrefixes.begin(), kPrefixes.end(), [&](std::string_view p) { return StartsWith(name, p); });
}

int KindRank(const std::string& name) {
  constexpr std::array<std::string_view, 6> kKinds{"sd", "hd", "nvme", "vd", "xvd", "mmcblk"};
  if (StartsWith(name, "loop")) return static_cast<int>(kKinds.size()) + 1;
  for (std::size_t i = 0; i < kKinds.size(); ++i)
    if (StartsWith(name, kKinds[i])) return static_cast<int>(i);
  return static_cast<int>(kKinds.size());
}

// Splits off the leading run of digits or of non-digits.
std::string_view TakeRun(std::string_view& text) {
  const bool digits = std::isdigit(static_cast<unsigned char>(text[0])) != 0;
  std::size_t n = 1;
  while (n < text.size() && (std::isdigit(static_cast<unsigned char>(text[n])) != 0) == digits) ++n;
  const std::string_view run = text.substr(0, n);
  text.remove_prefix(n);
  return run;
}

bool IsDigitRun(std::string_view run) { return std::isdigit(static_cast<unsigned char>(run[0])) != 0; }

// Digit runs compare as numbers, letter runs shorter first (sdz < sdaa); a
// digit run comes before a letter run at the same place. Names equal but for
// leading zeros fall back to their plain order, so that this is a strict
// order for every pair of names (std::sort needs one).
bool NaturalLess(std::string_view a, std::string_view b) {
  const std::string_view wholeA = a, wholeB = b;
  while (!a.empty() && !b.empty()) {
    std::string_view ra = TakeRun(a), rb = TakeRun(b);
    if (IsDigitRun(ra) != IsDigitRun(rb)) return IsDigitRun(ra);
    if (IsDigitRun(ra)) {
      while (ra.size() > 1 && ra[0] == '0') ra.remove_prefix(1);
      while (rb.size() > 1 && rb[0] == '0') rb.remove_prefix(1);
    }
    if (ra.size() != rb.size()) return ra.size() < rb.size();
    if (ra != rb) return ra < rb;
  }
  if (a.empty() != b.empty()) return a.empty();
  return wholeA < wholeB;
}

std::string BlockPath(const std::string& name) { return "/sys/block/" + name; }

}  // namespace

std::optional<DeviceNumber> ParseDeviceNumber(const std::string& text) {
  const auto colon = text.find(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 >= text.size()) return std::nullopt;
  DeviceNumber number;
  try {
    std::size_t used = 0;
    number.major = static_cast<std::uint32_t>(std::stoul(text.substr(0, colon), &used));
    if (used != colon) return std::nullopt;
    number.minor = static_cast<std::uint32_t>(std::stoul(text.substr(colon + 1), &used));
    if (used != text.size() - colon - 1) return std::nullopt;
  } catch (const std::exception&) {
    return std::nullopt;
  }
  return number;
}

bool DriveOrderLess(const std::string& a, const std::string& b) {
  const int rankA = KindRank(a), rankB = KindRank(b);
  if (rankA != rankB) return rankA < rankB;
  return NaturalLess(a, b);
}

std::vector<BlockDevice> ListDrives(const SystemTree& tree) {
  std::vector<BlockDevice> drives;
  for (const std::string& name : tree.List("/sys/block")) {
    const std::string base = BlockPath(name);
    if (IsLeftOut(name) || tree.Exists(base + "/partition")) continue;
    if (tree.ReadLine(base + "/hidden").value_or("0") == "1") continue;
    const std::string size = tree.ReadLine(base + "/size").value_or("0");
    if (size.empty() || size == "0") continue;
    const auto number = ParseDeviceNumber(tree.ReadLine(base + "/dev").value_or(""));
    if (!number) continue;
    drives.push_back({name, *number, tree.ReadLine(base + "/diskseq").value_or("")});
  }
  std::sort(drives.begin(), drives.end(),
            [](const BlockDevice& a, const BlockDevice& b) { return DriveOrderLess(a.name, b.name); });
  return drives;
}

std::vector<Partition> ListPartitions(const SystemTree& tree, const std::string& disk) {
  std::vector<Partition> partitions;
  for (const std::string& entry : tree.List(BlockPath(disk))) {
    const std::string base = BlockPath(disk) + "/" + entry;
    const auto number = tree.ReadLine(base + "/partition");
    const auto device = ParseDeviceNumber(tree.ReadLine(base + "/dev").value_or(""));
    if (!number || !device) continue;
    try {
      partitions.push_back({entry, static_cast<std::uint32_t>(std::stoul(*number)), *device});
    } catch (const std::exception&) {
      continue;
    }
  }
  std::sort(partitions.begin(), partitions.end(),
            [](const Partition& a, const Partition& b) { return a.number < b.number; });
  return partitions;
}

std::string DeviceNodePath(const std::string& name) {
  std::string path = "/dev/" + name;
  std::replace(path.begin(), path.end(), '!', '/');
  return path;
}

bool StillPresent(const SystemTree& tree, const BlockDevice& drive) {
  const std::string base = BlockPath(drive.name);
  const auto number = ParseDeviceNumber(tree.ReadLine(base + "/dev").value_or(""));
  if (!number || *number != drive.number) return false;
  return tree.ReadLine(base + "/diskseq").value_or("") == drive.diskSequence;
}

}  // namespace orvella::linux_backend
