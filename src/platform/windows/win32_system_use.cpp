#include "platform/windows/win32_system_use.h"

#include <array>
#include <string>
#include <vector>

#include "platform/os.h"
#include "platform/system_volumes.h"
// <windows.h> last, as the header rule of win32_os.h says.
#include "platform/windows/win32_api.h"
#include <winioctl.h>

namespace orvella {
namespace {

std::u16string Hex(DWORD code) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  std::u16string text;
  for (int shift = 28; shift >= 0; shift -= 4) text.push_back(kDigits[(code >> shift) & 0xF]);
  return u"error " + text + u"h";
}

// A volume that is not made of disk extents (a RAM disk such as the one
// Windows PE runs from, a network share) lies on no drive.
bool LiesOnNoDisk(DWORD error) { return error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED; }

// The disks the volume `device` ("\\?\Volume{...}" without its last
// backslash) spans; `place.unknown` says why where that cannot be told.
void FindDisks(const std::wstring& device, SystemPlace& place) {
  const HANDLE volume = ::CreateFileW(device.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      0, nullptr);
  if (volume == INVALID_HANDLE_VALUE) {
    place.unknown = u"the volume could not be opened (" + Hex(::GetLastError()) + u")";
    return;
  }
  std::vector<std::uint8_t> reply(8 + 24 * 32);
  DWORD returned = 0;
  const BOOL answered = ::DeviceIoControl(volume, IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0, reply.data(),
                                          static_cast<DWORD>(reply.size()), &returned, nullptr);
  const DWORD error = answered ? 0 : ::GetLastError();
  ::CloseHandle(volume);
  if (!answered) {
    if (!LiesOnNoDisk(error)) place.unknown = u"its disk extents could not be read (" + Hex(error) + u")";
    return;
  }
  if (const auto disks = DisksOfExtents(reply.data(), returned)) {
    place.disks = *disks;
  } else {
    place.unknown = u"the volume's disk extents came back cut short";
  }
}

// The place of the file or folder `path`: the volume it lives on, found
// through its mount point.
SystemPlace PlaceOfPath(const std::u16string& what, const std::wstring& path) {
  SystemPlace place{what + u" " + win32::Text(path.data(), path.size()), {}, {}};
  std::array<wchar_t, MAX_PATH + 1> mountPoint{};
  std::array<wchar_t, 64> volumeName{};
  if (!::GetVolumePathNameW(path.c_str(), mountPoint.data(), static_cast<DWORD>(mountPoint.size())) ||
      !::GetVolumeNameForVolumeMountPointW(mountPoint.data(), volumeName.data(),
                                           static_cast<DWORD>(volumeName.size()))) {
    const DWORD error = ::GetLastError();
    if (!LiesOnNoDisk(error)) place.unknown = u"its volume could not be found (" + Hex(error) + u")";
    return place;
  }
  std::wstring device(volumeName.data());
  if (!device.empty() && device.back() == L'\\') device.pop_back();  // the volume, not its root folder
  FindDisks(device, place);
  return place;
}

// A text or list of texts under HKEY_LOCAL_MACHINE; none where it is missing.
std::vector<std::wstring> MachineTexts(const wchar_t* key, const wchar_t* value) {
  DWORD size = 0;
  const DWORD kinds = RRF_RT_REG_SZ | RRF_RT_REG_MULTI_SZ;
  if (::RegGetValueW(HKEY_LOCAL_MACHINE, key, value, kinds, nullptr, nullptr, &size) != ERROR_SUCCESS) return {};
  std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
  if (::RegGetValueW(HKEY_LOCAL_MACHINE, key, value, kinds, nullptr, data.data(), &size) != ERROR_SUCCESS) return {};
  std::vector<std::wstring> texts;
  for (std::size_t at = 0; at < data.size() && data[at] != L'\0';) {
    const std::size_t end = data.find(L'\0', at);
    texts.push_back(data.substr(at, end - at));
    at = end + 1;
  }
  return texts;
}

std::wstring WindowsFolder() {
  std::array<wchar_t, MAX_PATH + 1> folder{};
  const UINT length = ::GetWindowsDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
  return length > 0 && length < folder.size() ? std::wstring(folder.data(), length) : std::wstring();
}

std::wstring ProgramFile() {
  std::wstring path(32768, L'\0');
  const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  return length > 0 && length < path.size() ? path.substr(0, length) : std::wstring();
}

std::vector<SystemPlace> FindSystemPlaces() {
  std::vector<SystemPlace> places;
  const std::wstring windows = WindowsFolder();
  if (windows.empty())
    places.push_back({u"the Windows folder", {}, u"GetWindowsDirectoryW failed (" + Hex(::GetLastError()) + u")"});
  else
    places.push_back(PlaceOfPath(u"the Windows folder", windows));
  // The partition the firmware boots from, named as a kernel device.
  for (const std::wstring& partition : MachineTexts(L"SYSTEM\\Setup", L"SystemPartition")) {
    SystemPlace place{u"the system partition " + win32::Text(partition.data(), partition.size()), {}, {}};
    FindDisks(L"\\\\?\\GLOBALROOT" + partition, place);
    places.push_back(place);
  }
  std::vector<std::u16string> pageFiles;
  for (const std::wstring& file :
       MachineTexts(L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management", L"ExistingPageFiles"))
    pageFiles.push_back(win32::Text(file.data(), file.size()));
  for (const std::u16string& file : PageFilePaths(pageFiles))
    places.push_back(PlaceOfPath(u"the page file", std::wstring(file.begin(), file.end())));
  const std::wstring program = ProgramFile();
  if (!program.empty()) places.push_back(PlaceOfPath(u"the program's own file", program));
  return places;
}

}  // namespace

SystemUseQuery Win32SystemUse() { return SystemUseOfPlaces(FindSystemPlaces()); }

}  // namespace orvella
