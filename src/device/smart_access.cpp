#include "device/smart_access.h"

#include "platform/byte_order.h"
#include "platform/control_codes.h"

namespace orvella {
namespace {

constexpr std::size_t kFirstEntry = 2;
constexpr std::size_t kEntrySize = 12;
constexpr std::size_t kEntryCurrent = 3;
constexpr std::size_t kEntryWorst = 4;
constexpr std::size_t kEntryRaw = 5;
constexpr std::size_t kRawSize = 6;

// The SMART command with its signature 4Fh/C2h in the cylinder registers;
// the features register picks the operation.
TIDERegisterBlock SmartRegisters(std::uint8_t feature, std::uint8_t driveNumber) {
  TIDERegisterBlock registers;
  registers.bFeaturesReg = feature;
  registers.bSectorCountReg = 1;
  registers.bSectorNumberReg = 1;
  registers.bCylLowReg = ata::SmartSignatureLow;
  registers.bCylHighReg = ata::SmartSignatureHigh;
  registers.bDriveHeadReg = DriveHeadFor(driveNumber);
  registers.bCommandReg = ata::Smart;
  return registers;
}

bool ReadSmartPage(Os& os, Handle handle, std::uint8_t driveNumber, std::uint8_t feature, AtaSector& page) {
  const TIDERegisterBlock registers = SmartRegisters(feature, driveNumber);
  return SmartReceiveData(os, handle, driveNumber, registers, page) ||
         SmartSendDataCommand(os, handle, driveNumber, registers, page);
}

}  // namespace

bool SmartEnable(Os& os, Handle handle, std::uint8_t driveNumber) {
  return SmartSendCommand(os, handle, driveNumber, SmartRegisters(ata::SmartEnableOperations, driveNumber));
}

bool SmartDisable(Os& os, Handle handle, std::uint8_t driveNumber) {
  return SmartSendCommand(os, handle, driveNumber, SmartRegisters(ata::SmartDisableOperations, driveNumber));
}

bool SmartReadData(Os& os, Handle handle, std::uint8_t driveNumber, AtaSector& page) {
  return ReadSmartPage(os, handle, driveNumber, ata::SmartReadData, page);
}

bool SmartReadThresholds(Os& os, Handle handle, std::uint8_t driveNumber, AtaSector& page) {
  return ReadSmartPage(os, handle, driveNumber, ata::SmartReadThresholds, page);
}

SmartVerdict SmartReturnStatus(Os& os, Handle handle, std::uint8_t driveNumber) {
  TIDERegisterBlock answer;
  if (!SmartSendCommandForRegisters(os, handle, driveNumber, SmartRegisters(ata::SmartReturnStatus, driveNumber),
                                    answer)) {
    return SmartVerdict::Unknown;
  }
  if (answer.bCylLowReg == ata::SmartSignatureLow && answer.bCylHighReg == ata::SmartSignatureHigh)
    return SmartVerdict::Passed;
  if (answer.bCylLowReg == ata::SmartFailingLow && answer.bCylHighReg == ata::SmartFailingHigh)
    return SmartVerdict::Failing;
  return SmartVerdict::Unknown;
}

SmartAttributeEntry SmartAttributeAt(const AtaSector& page, int slot) {
  const std::size_t at = kFirstEntry + kEntrySize * static_cast<std::size_t>(slot);
  SmartAttributeEntry entry;
  entry.id = page.at(at);
  entry.current = page[at + kEntryCurrent];
  entry.worst = page[at + kEntryWorst];
  entry.raw = GetLE(page.data(), at + kEntryRaw, kRawSize);
  return entry;
}

SmartThresholdEntry SmartThresholdAt(const AtaSector& page, int slot) {
  const std::size_t at = kFirstEntry + kEntrySize * static_cast<std::size_t>(slot);
  return {page.at(at), page.at(at + 1)};
}

}  // namespace orvella
