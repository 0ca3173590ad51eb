// The platform facts of the seam answered for Linux: the version query gives
// the kernel's release with the NT platform id (start-up accepts any NT-family
// system, and Linux offers everything the program asks of one), the 32-bit
// emulation question is answered for a 64-bit kernel so that the platform
// line names its width, and there is no device-installation library to load.
#include <sys/utsname.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <new>
#include <sstream>
#include <thread>

#include "core/text.h"
#include "platform/linux/linux_os.h"
#include "platform/linux/windows_1252.h"

namespace orvella {

namespace {

std::size_t PageSize() {
  const long size = ::sysconf(_SC_PAGESIZE);
  return size > 0 ? static_cast<std::size_t>(size) : 4096;
}

}  // namespace

OsVersionInfo LinuxOs::GetVersionExW() {
  OsVersionInfo info;
  struct utsname names {};
  if (::uname(&names) != 0) return info;
  std::istringstream release(names.release);  // "6.18.44-generic"
  char dot = 0;
  release >> info.majorVersion >> dot >> info.minorVersion >> dot >> info.buildNumber;
  info.ok = true;
  info.platformId = VER_PLATFORM_WIN32_NT;
  info.servicePack = Utf8ToText(std::string(names.sysname) + " " + names.release + " " + names.machine);
  return info;
}

Wow64Answer LinuxOs::IsWow64Process() {
  struct utsname names {};
  if (::uname(&names) != 0) return Wow64Answer::QueryMissing;
  const std::string machine = names.machine;
  const bool wideKernel = sizeof(void*) == 8 || machine.find("64") != std::string::npos || machine == "s390x";
  return wideKernel ? Wow64Answer::Yes : Wow64Answer::No;
}

std::u16string LinuxOs::ModuleFileName() {
  std::string path(4096, '\0');
  const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
  if (length <= 0) return {};
  path.resize(static_cast<std::size_t>(length));
  return Utf8ToText(path);
}

// The host name from the kernel; the firmware's system information from
// /sys/class/dmi/id, whose serial number only root may read.
HostIdentity LinuxOs::QueryHostIdentity() {
  HostIdentity host;
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) == 0) host.name = Utf8ToText(name);
  const auto dmi = [this](const char* field) {
    return Utf8ToText(tree_.ReadLine(std::string("/sys/class/dmi/id/") + field).value_or(""));
  };
  host.vendor = dmi("sys_vendor");
  host.model = dmi("product_name");
  host.serial = dmi("product_serial");
  return host;
}

void LinuxOs::Sleep(std::uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void* LinuxOs::AllocateAligned(std::size_t size) {
  return ::operator new (size, std::align_val_t{PageSize()}, std::nothrow);
}

void LinuxOs::FreeAligned(void* memory) { ::operator delete (memory, std::align_val_t{PageSize()}); }

std::u16string LinuxOs::AnsiToText(const std::uint8_t* bytes, std::size_t count) {
  return linux_backend::Windows1252ToText(bytes, count);
}

}  // namespace orvella
