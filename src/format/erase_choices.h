// What the person (or script) starting an erase chose for it, handed to the
// procedure as it stands: nothing is read back out of controls.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "device/erase_methods.h"
#include "format/verify_method.h"

namespace orvella {

struct EraseChoices {
  bool quickWipe = false;
  // How the run is read back; none: the mode's own default.
  std::optional<VerifyMethod> verify;
  std::optional<std::uint64_t> seed;  // the sample's seed; none: a fresh random one
  std::string operatorName;  // who runs the erase, for its record; empty when not given
  std::string assetTag;      // the organisation's tag of the medium, for its record
  std::string organisation;  // for whom the erase is done, for its record
  // The parts of the running system the drive holds, which the person
  // starting the erase has said they know of; the question names them.
  std::vector<std::u16string> systemUse;
  // The zero overwrite, or the drive's own erase (purge_run.h).
  EraseMethod method = EraseMethod::Zeros;
  // After a drive's own erase that ended complete, the zero overwrite and
  // its read-back as well, for a drive that must read as zeros afterwards.
  bool thenZeros = false;

  // The read-back the run makes: the one chosen, or the mode's default.
  VerifyMethod Verification() const { return verify.value_or(DefaultVerifyMethod(quickWipe)); }
};

}  // namespace orvella
