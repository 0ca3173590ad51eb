// The system-disk query on the machine the tests run on: it only reads
// (volume names, disk extents, the registry) and opens no drive.
#include "platform/windows/win32_system_use.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "core/text.h"

namespace orvella {
namespace {

bool NamesTheWindowsFolder(const std::vector<std::u16string>& parts) {
  for (const std::u16string& part : parts)
    if (part.starts_with(u"the Windows folder ")) return true;
  return false;
}

// The Windows folder is on some drive, or the query says on every drive
// that it could not tell which, or its volume is made of no disk extents
// (Windows PE's RAM disk; under Wine a folder of the host) and it lies on
// no drive. Whatever it finds, each part it names is said in words.
TEST(Win32SystemUse, TheWindowsFolderIsOnADriveOrOnEveryDriveUnknownOrOnNoDisk) {
  const SystemUseQuery query = Win32SystemUse();
  ASSERT_TRUE(query);
  int drivesNamingIt = 0;
  for (std::uint32_t drive = 0; drive < 64; ++drive) {
    const std::vector<std::u16string> parts = query(drive);
    for (const std::u16string& part : parts) EXPECT_FALSE(part.empty());
    if (NamesTheWindowsFolder(parts)) ++drivesNamingIt;
  }
  if (drivesNamingIt == 64) {
    EXPECT_NE(TextToUtf8(query(63).front()).find("could not be told"), std::string::npos);
  }
}

}  // namespace
}  // namespace orvella
