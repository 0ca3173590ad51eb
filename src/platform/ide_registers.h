// The seven ATA registers of a command or of a drive's answer, and their one
// packing into and out of the IDEREGS block that the S.M.A.R.T. requests and
// both task files of an ATA pass-through request carry. The system's own
// request code and every backend use this type.
#pragma once

#include <cstdint>

#include "platform/control_codes.h"

namespace orvella {

// In the order of the IDEREGS fields they fill. On return the features
// register holds the drive's error register and the command register its
// status; with LBA addressing the sector number and cylinder registers hold
// the address's low, middle and high bytes, and the drive/head register the
// device register.
struct TIDERegisterBlock {
  std::uint8_t bFeaturesReg = 0;
  std::uint8_t bSectorCountReg = 0;
  std::uint8_t bSectorNumberReg = 0;
  std::uint8_t bCylLowReg = 0;
  std::uint8_t bCylHighReg = 0;
  std::uint8_t bDriveHeadReg = 0;
  std::uint8_t bCommandReg = 0;

  bool operator==(const TIDERegisterBlock&) const = default;
};

// Writes the registers to the IDEREGS block at `at`; its eighth byte
// (bReserved) is left as it is.
inline void PutIdeRegisters(std::uint8_t* at, const TIDERegisterBlock& r) {
  at[layout::IdeRegsFeatures] = r.bFeaturesReg;
  at[layout::IdeRegsSectorCount] = r.bSectorCountReg;
  at[layout::IdeRegsSectorNumber] = r.bSectorNumberReg;
  at[layout::IdeRegsCylLow] = r.bCylLowReg;
  at[layout::IdeRegsCylHigh] = r.bCylHighReg;
  at[layout::IdeRegsDriveHead] = r.bDriveHeadReg;
  at[layout::IdeRegsCommand] = r.bCommandReg;
}

// The registers of the IDEREGS block at `at`.
inline TIDERegisterBlock IdeRegistersAt(const std::uint8_t* at) {
  return {at[layout::IdeRegsFeatures], at[layout::IdeRegsSectorCount], at[layout::IdeRegsSectorNumber],
          at[layout::IdeRegsCylLow],   at[layout::IdeRegsCylHigh],     at[layout::IdeRegsDriveHead],
          at[layout::IdeRegsCommand]};
}

}  // namespace orvella
