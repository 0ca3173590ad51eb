#include "device/hidden_areas.h"

#include <numeric>

#include "device/ata_pass_through_ex.h"
#include "device/identify_device.h"
#include "device/identify_parser.h"
#include "platform/byte_order.h"

namespace orvella {
namespace {

constexpr std::uint8_t kLbaMode = 0x40;  // device register: the address is an LBA
constexpr std::size_t kDcoMaxLba = 2 * 3;  // words 3-6
constexpr std::uint8_t kIntegritySignature = 0xA5;

std::optional<std::int64_t> NativeSectors(Os& os, Handle handle, std::uint8_t driveNumber, NativeMaxMethod method) {
  AtaTaskFileCommand command;
  command.ext48 = true;
  command.current.bDriveHeadReg = static_cast<std::uint8_t>(DriveHeadFor(driveNumber) | kLbaMode);
  if (method == NativeMaxMethod::GetNativeMaxExt) {
    command.current.bFeaturesReg = ata::GetNativeMaxAddressExt;
    command.current.bCommandReg = ata::AccessibleMaxAddressConfiguration;
  } else {
    command.current.bCommandReg = ata::ReadNativeMaxAddressExt;
  }
  AtaTaskFileResult result;
  if (!AtaPassThrough(os, handle, command, result)) return std::nullopt;
  return static_cast<std::int64_t>(result.Lba48()) + 1;
}

// The overlay's data ends with the signature A5h and a checksum that makes
// all 512 bytes sum to 0; anything else is not to be trusted.
bool IntegrityHolds(const AtaSector& data) {
  const unsigned sum = std::accumulate(data.begin(), data.end(), 0u);
  return data[kAtaSectorSize - 2] == kIntegritySignature && (sum & 0xFF) == 0;
}

std::optional<std::int64_t> DcoSectors(Os& os, Handle handle, std::uint8_t driveNumber) {
  AtaTaskFileCommand command;
  command.dataIn = true;
  command.current.bFeaturesReg = ata::DeviceConfigurationIdentify;
  command.current.bDriveHeadReg = DriveHeadFor(driveNumber);
  command.current.bCommandReg = ata::DeviceConfiguration;
  AtaTaskFileResult result;
  AtaSector data{};
  if (!AtaPassThrough(os, handle, command, result, &data) || !IntegrityHolds(data)) return std::nullopt;
  return static_cast<std::int64_t>(GetLE(data.data(), kDcoMaxLba, 8)) + 1;
}

NativeMaxMethod MethodFor(const T_IDE_PASSPORT& passport) {
  if (passport.amasupport) return NativeMaxMethod::GetNativeMaxExt;
  if (passport.hpasupport && passport.lba48featureset) return NativeMaxMethod::ReadNativeMaxExt;
  return NativeMaxMethod::None;
}

std::int64_t Excess(std::optional<std::int64_t> larger, std::int64_t smaller) {
  return larger && *larger > smaller ? *larger - smaller : 0;
}

}  // namespace

std::int64_t HiddenAreas::HpaHiddenSectors() const { return Excess(nativeSectors, accessibleSectors); }

std::int64_t HiddenAreas::DcoHiddenSectors() const {
  return Excess(dcoSectors, nativeSectors.value_or(accessibleSectors));
}

HiddenAreas DetectHiddenAreas(Os& os, Handle handle, std::uint8_t driveNumber, const T_IDE_PASSPORT& passport) {
  HiddenAreas areas;
  areas.accessibleSectors = passport.lbasectors;
  areas.method = MethodFor(passport);
  if (areas.method != NativeMaxMethod::None) areas.nativeSectors = NativeSectors(os, handle, driveNumber, areas.method);
  areas.dcoSupported = passport.dcosupport;
  if (areas.dcoSupported) areas.dcoSectors = DcoSectors(os, handle, driveNumber);
  return areas;
}

}  // namespace orvella
