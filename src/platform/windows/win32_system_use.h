// The drives that hold the running Windows: the disks under the volumes of
// the Windows folder, the boot loader's system partition, the page files
// and the program's own file. Found once, when the query is made.
#pragma once

#include "platform/system_use.h"

namespace orvella {

SystemUseQuery Win32SystemUse();

}  // namespace orvella
