// The platform answers of the Linux backend: version, width, program path,
// aligned buffers and the ANSI code page.
#include <gtest/gtest.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "core/text.h"
#include "platform/linux/linux_os.h"
#include "platform_linux/fake_kernel.h"
#include "platform_linux/linux_test_support.h"

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

TEST(PlatformFacts, HostIdentityIsTheHostNameAndTheFirmwaresSystemFacts) {
  TreeCopy tree("desktop");
  tree.WriteFile("/sys/class/dmi/id/sys_vendor", "Tuxedo Works\n");
  tree.WriteFile("/sys/class/dmi/id/product_name", "Bench 7  \n");
  FakeKernel kernel(tree.Root());
  LinuxOs os(kernel, tree.Root());
  const HostIdentity host = os.QueryHostIdentity();
  char name[256] = {};
  ASSERT_EQ(gethostname(name, sizeof name - 1), 0);
  EXPECT_EQ(TextToUtf8(host.name), name);
  EXPECT_EQ(host.vendor, u"Tuxedo Works");
  EXPECT_EQ(host.model, u"Bench 7");
  EXPECT_TRUE(host.serial.empty());  // not there, as for a user who may not read it
}

}  // namespace
}  // namespace orvella::test
