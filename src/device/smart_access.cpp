#include "device/smart_access.h"

#include "platform/byte_order.h"

namespace orvella {
namespace {

constexpr std::uint8_t kSmartCommand = 0xB0;
constexpr std::uint8_t kSmartReadData = 0xD0;
constexpr std::uint8_t kSmartEnableOperations = 0xD8;
constexpr std::uint8_t kSmartDisableOperations = 0xD9;

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
  registers.bCylLowReg = 0x4F;
  registers.bCylHighReg = 0xC2;
  registers.bDriveHeadReg = DriveHeadFor(driveNumber);
  registers.bCommandReg = kSmartCommand;
  return registers;
}

}  // namespace

bool SmartEnable(Os& os, Handle handle, std::uint8_t driveNumber) {
  return SmartSendCommand(os, handle, driveNumber, SmartRegisters(kSmartEnableOperations, driveNumber));
}

bool SmartDisable(Os& os, Handle handle, std::uint8_t driveNumber) {
  return SmartSendCommand(os, handle, driveNumber, SmartRegisters(kSmartDisableOperations, driveNumber));
}

bool SmartReadData(Os& os, Handle handle, std::uint8_t driveNumber, AtaSector& page) {
  const TIDERegisterBlock registers = SmartRegisters(kSmartReadData, driveNumber);
  return SmartReceiveData(os, handle, driveNumber, registers, page) ||
         SmartSendDataCommand(os, handle, driveNumber, registers, page);
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

}  // namespace orvella
