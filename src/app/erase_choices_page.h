// The words of the format page's choices: each erase method as the method
// choice lists it, and the note under the choices that says what they will
// do to the drive. The page's warning lines stay as they are; this note
// stands beside them and says where they do not hold (a quick wipe erases
// nothing).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/main_view.h"
#include "device/erase_methods.h"

namespace orvella {

// "zeros (Clear, overwrite)", "crypto-erase (not available: ...)".
std::vector<MethodLine> MethodLinesOf(const std::vector<MethodChoice>& choices);

// The note for the choices as they stand; `method` is the chosen one as
// the drive offers it (none: the drive's methods are not known).
std::u16string ChoiceNote(bool quickWipe, const std::optional<MethodChoice>& method);

// "zeros is not available on this drive: <why>.": the note, and the
// refusal, for a chosen method the drive does not offer.
std::u16string NotAvailableNote(const MethodChoice& method);

// The note when the user picks a method the drive does not offer.
std::u16string UnavailableMethodNote(const MethodChoice& method);

}  // namespace orvella
