// What the user is told of the drives that the walk found but could not
// open: how many, and the system's reasons; and whether the list is empty
// only for want of administrator rights.
#pragma once

#include <string>

namespace orvella {

struct Program;

// "2 drives could not be opened: Access is denied." With several reasons,
// each with its count: "3 drives could not be opened: Access is denied (2);
// The device is not ready (1)." Empty when every drive that exists opened.
std::u16string UnopenedDrivesNote(Program& program);

// True when no drive was entered and some drive refused access: started
// with administrator rights, the program would see drives.
bool RightsMissingForEveryDrive(const Program& program);

inline constexpr char16_t kNoRightsExplanation[] =
    u"No drive could be opened: reading the drives needs administrator rights. "
    u"Start the program again with administrator rights to see them.";

}  // namespace orvella
