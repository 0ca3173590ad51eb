// The platform answers of the Linux backend: version, width, program path,
// aligned buffers and the ANSI code page.
#include <gtest/gtest.h>
#include <sys/utsname.h>

#include <cstdint>
#include <string>

#include "core/text.h"
#include "platform/linux/linux_os.h"

namespace orvella::test {
namespace {

TEST(PlatformFacts, VersionIsTheKernelReleaseOnTheNtPlatform) {
  LinuxOs os;
  const OsVersionInfo version = os.GetVersionExW();
  ASSERT_TRUE(version.ok);
  EXPECT_EQ(version.platformId, VER_PLATFORM_WIN32_NT);
  struct utsname names {};
  ASSERT_EQ(uname(&names), 0);
  const std::string release = names.release;
  EXPECT_EQ(release.rfind(std::to_string(version.majorVersion) + "." + std::to_string(version.minorVersion) + ".", 0),
            0u);
  EXPECT_NE(TextToUtf8(version.servicePack).find(release), std::string::npos);
  EXPECT_EQ(os.IsWow64Process(), sizeof(void*) == 8 ? Wow64Answer::Yes : Wow64Answer::No);
  EXPECT_TRUE(os.LoadSetupLibrary());
}

TEST(PlatformFacts, ModuleFileNameIsThisProgram) {
  LinuxOs os;
  const std::string path = TextToUtf8(os.ModuleFileName());
  EXPECT_EQ(path.front(), '/');
  EXPECT_NE(path.find("platform_linux_tests"), std::string::npos);
}

TEST(PlatformFacts, AlignedBuffersStartOnAPage) {
  LinuxOs os;
  void* buffer = os.AllocateAligned(33554432);
  ASSERT_NE(buffer, nullptr);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(buffer) % 4096, 0u);
  os.FreeAligned(buffer);
}

TEST(PlatformFacts, AnsiTextIsWindows1252) {
  LinuxOs os;
  const std::uint8_t bytes[] = {'A', 0x00, 0x80, 0x81, 0x99, 0x9F, 0xA9, 0xFF};
  EXPECT_EQ(os.AnsiToText(bytes, sizeof bytes), (std::u16string{u'A', 0, 0x20AC, 0x0081, 0x2122, 0x0178, 0xA9, 0xFF}));
}

}  // namespace
}  // namespace orvella::test
