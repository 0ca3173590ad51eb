#include "record/media_facts.h"

#include <array>
#include <cctype>
#include <string_view>

#include "device/device_records.h"

namespace orvella {
namespace {

constexpr std::uint16_t kNonRotating = 0x0001;
constexpr std::uint16_t kSlowestRpm = 0x0401;
constexpr std::uint16_t kFastestRpm = 0xFFFE;
constexpr std::int64_t kBusNvme = 17;  // STORAGE_BUS_TYPE BusTypeNvme

struct MakerPrefix {
  std::string_view prefix;  // compared without letter case
  bool digitFollows;        // "ST" only names Seagate before a digit: ST1000DM003
  std::string_view maker;
};

constexpr std::array<MakerPrefix, 18> kMakerPrefixes = {{
    {"WDC ", false, "Western Digital"}, {"WD", true, "Western Digital"},  {"ST", true, "Seagate"},
    {"SAMSUNG ", false, "Samsung"},     {"TOSHIBA ", false, "Toshiba"},   {"HGST ", false, "HGST"},
    {"HITACHI ", false, "Hitachi"},     {"INTEL ", false, "Intel"},       {"CRUCIAL", false, "Crucial"},
    {"CT", true, "Crucial"},            {"KINGSTON ", false, "Kingston"}, {"SANDISK ", false, "SanDisk"},
    {"MICRON ", false, "Micron"},       {"MAXTOR ", false, "Maxtor"},     {"FUJITSU ", false, "Fujitsu"},
    {"SK HYNIX ", false, "SK hynix"},   {"KIOXIA ", false, "Kioxia"},     {"SEAGATE ", false, "Seagate"},
}};

bool StartsWithNoCase(const std::string& text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  return true;
}

bool Rotates(std::uint16_t rate) { return rate >= kSlowestRpm && rate <= kFastestRpm; }

}  // namespace

std::string MediaType(std::int64_t busType, std::uint16_t rotationRate) {
  if (busType == kBusNvme) return "NVMe";
  if (busType == BusTypeSd || busType == BusTypeMmc) return "card";
  if (busType == BusTypeVirtual || busType == BusTypeFileBackedVirtual) return "virtual";
  if (rotationRate == kNonRotating) return "SSD";
  if (Rotates(rotationRate)) return "HDD";
  // A USB drive that does not say it spins is taken for a flash stick.
  if (busType == BusTypeUsb) return "USB flash";
  return "unknown";
}

std::string MediaManufacturer(const std::string& model) {
  for (const MakerPrefix& m : kMakerPrefixes) {
    if (!StartsWithNoCase(model, m.prefix)) continue;
    const bool digitNext = model.size() > m.prefix.size() &&
                           std::isdigit(static_cast<unsigned char>(model[m.prefix.size()]));
    if (!m.digitFollows || digitNext) return std::string(m.maker);
  }
  return {};
}

}  // namespace orvella
