#include "support/test_program.h"

namespace orvella::test {

VirtualMachine MachineWith(VirtualDrive drive, std::vector<VirtualVolume> volumes) {
  VirtualMachine m;
  m.drives.push_back(std::move(drive));
  m.volumes = std::move(volumes);
  return m;
}

std::vector<std::u16string> Unstamped(const std::vector<std::u16string>& lines) {
  std::vector<std::u16string> texts;
  for (const auto& line : lines) {
    const auto at = line.find(u"   ");
    texts.push_back(at == std::u16string::npos ? line : line.substr(at + 3));
  }
  return texts;
}

}  // namespace orvella::test
