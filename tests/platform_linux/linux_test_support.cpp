#include "platform_linux/linux_test_support.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "core/text.h"
#include "platform/byte_order.h"
#include "platform/linux/volume_use.h"

namespace orvella::test {

namespace fs = std::filesystem;

std::string FixtureRoot(const std::string& name) { return std::string(ORVELLA_LINUX_FIXTURES) + "/" + name; }

TreeCopy::TreeCopy(const std::string& fixture) {
  std::string pattern = (fs::temp_directory_path() / "orvella-tree-XXXXXX").string();
  root_ = ::mkdtemp(pattern.data());
  fs::copy(FixtureRoot(fixture), root_, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
}

TreeCopy::~TreeCopy() {
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

void TreeCopy::RemoveMount(const std::string& mountPoint) {
  const std::string path = root_ + "/proc/self/mountinfo";
  std::ifstream in(path);
  std::ostringstream kept;
  for (std::string line; std::getline(in, line);) {
    const auto mounts = linux_backend::ParseMountInfo(line);
    if (mounts.empty() || mounts[0].mountPoint != mountPoint) kept << line << '\n';
  }
  WriteFile("/proc/self/mountinfo", kept.str());
}

void TreeCopy::WriteFile(const std::string& path, const std::string& content) {
  fs::create_directories(fs::path(root_ + path).parent_path());
  std::ofstream(root_ + path, std::ios::trunc) << content;
}

std::u16string DrivePath(int number) { return u"\\\\.\\PhysicalDrive" + IntToStr(number); }

std::u16string VolumePath(const std::string& name) { return u"\\\\.\\" + Utf8ToText(name); }

QueriedDrive QueryDrive(Os& os, int number) {
  QueriedDrive drive;
  const Handle handle =
      os.CreateFileW(DrivePath(number), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
  if (handle == INVALID_HANDLE_VALUE) return drive;
  drive.opened = true;
  std::vector<std::uint8_t> reply(512, 0);
  std::uint32_t returned = 0;
  if (os.DeviceIoControl(handle, IOCTL_DISK_GET_DRIVE_GEOMETRY, reply.data(), 512, reply.data(), 512, &returned))
    drive.sectorSize = GetU32(reply.data(), layout::DiskGeometryBytesPerSector);
  std::fill(reply.begin(), reply.end(), 0);
  if (os.DeviceIoControl(handle, IOCTL_DISK_GET_LENGTH_INFO, reply.data(), 512, reply.data(), 512, &returned))
    drive.length = GetI64(reply.data(), layout::LengthInfoLength);
  std::uint8_t query[layout::PropertyQuerySize] = {};
  PutU32(query, layout::PropertyQueryPropertyId, layout::StorageAdapterProperty);
  std::fill(reply.begin(), reply.end(), 0);
  if (os.DeviceIoControl(handle, IOCTL_STORAGE_QUERY_PROPERTY, query, sizeof query, reply.data(), 512, &returned))
    drive.maxTransfer = GetU32(reply.data(), layout::AdapterMaximumTransferLength);
  PutU32(query, layout::PropertyQueryPropertyId, layout::StorageDeviceProperty);
  std::fill(reply.begin(), reply.end(), 0);
  if (os.DeviceIoControl(handle, IOCTL_STORAGE_QUERY_PROPERTY, query, sizeof query, reply.data(), 512, &returned))
    drive.removable = GetU8(reply.data(), layout::DeviceRemovableMedia) != 0;
  os.CloseHandle(handle);
  return drive;
}

std::string DriveStrings(Os& os) {
  std::u16string buffer(1024, u'\0');
  const std::uint32_t length = os.GetLogicalDriveStringsW(1024, buffer.data());
  buffer.resize(std::min<std::uint32_t>(length, 1024));
  std::replace(buffer.begin(), buffer.end(), u'\0', u'|');
  return TextToUtf8(buffer);
}

}  // namespace orvella::test
