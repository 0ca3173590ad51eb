#include "certificate/font_files.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <system_error>
#include <vector>

namespace orvella::certificate {
namespace {

std::string Existing(const std::filesystem::path& file) {
  std::error_code error;
  return std::filesystem::is_regular_file(file, error) ? file.string() : std::string();
}

constexpr std::size_t kHeaderSize = 12;
constexpr std::size_t kTableRecordSize = 16;

std::uint32_t BigEndian(const unsigned char* bytes, std::size_t size) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < size; ++i) value = (value << 8) | bytes[i];
  return value;
}

}  // namespace

bool IsTrueTypeFont(const std::string& file) {
  std::error_code error;
  const std::uintmax_t fileSize = std::filesystem::file_size(file, error);
  std::ifstream in(file, std::ios::binary);
  std::array<unsigned char, kHeaderSize> header{};
  if (error || !in.read(reinterpret_cast<char*>(header.data()), header.size())) return false;
  const std::uint32_t version = BigEndian(header.data(), 4);
  const std::uint32_t tables = BigEndian(header.data() + 4, 2);
  if ((version != 0x00010000 && version != 0x74727565 /* "true" */) || tables == 0 || tables > 64) return false;
  std::vector<unsigned char> directory(tables * kTableRecordSize);
  if (!in.read(reinterpret_cast<char*>(directory.data()), static_cast<std::streamsize>(directory.size()))) return false;
  std::set<std::string> found;
  for (std::size_t i = 0; i < tables; ++i) {
    const unsigned char* record = directory.data() + i * kTableRecordSize;
    const std::uint64_t offset = BigEndian(record + 8, 4);
    const std::uint64_t length = BigEndian(record + 12, 4);
    if (offset + length > fileSize) return false;
    found.emplace(reinterpret_cast<const char*>(record), 4);
  }
  for (const char* needed : {"cmap", "glyf", "head", "hhea", "hmtx", "loca", "maxp", "name", "OS/2", "post"})
    if (!found.contains(needed)) return false;
  return true;
}

FontFiles SystemFontFiles() {
#ifdef _WIN32
  const char* windows = std::getenv("WINDIR");
  if (windows == nullptr || *windows == '\0') return {};
  const std::filesystem::path folder = std::filesystem::path(windows) / "Fonts";
  return {Existing(folder / "arial.ttf"), Existing(folder / "arialbd.ttf")};
#else
  const std::filesystem::path folder = "/usr/share/fonts/truetype/dejavu";
  return {Existing(folder / "DejaVuSans.ttf"), Existing(folder / "DejaVuSans-Bold.ttf")};
#endif
}

}  // namespace orvella::certificate
