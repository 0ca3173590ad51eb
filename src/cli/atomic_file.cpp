#include "cli/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace orvella::cli {
namespace {

namespace fs = std::filesystem;

std::string LastErrorText() { return std::strerror(errno); }

// A name beside the target that no other run picks: the same folder, so
// that the rename never has to move the data.
fs::path TemporaryBeside(const fs::path& target) {
  static std::mt19937_64 random{std::random_device{}()};
  char suffix[24];
  std::snprintf(suffix, sizeof suffix, ".part-%016llx", static_cast<unsigned long long>(random()));
  return fs::path(target).concat(suffix);
}

bool PushToDisk(std::FILE* file) {
#ifdef _WIN32
  return _commit(_fileno(file)) == 0;
#else
  return fsync(fileno(file)) == 0;
#endif
}

// Created new ("x": never an existing file), so the folder's rights and
// free room are tested for real.
std::FILE* CreateNew(const fs::path& path) { return std::fopen(path.string().c_str(), "wbx"); }

std::optional<std::string> WhyNotATarget(const fs::path& path) {
  if (path.empty()) return "no file name was given";
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (fs::is_directory(status)) return "it is a folder";
  // Renaming over a device or a pipe would replace the device node itself.
  if (fs::exists(status) && !fs::is_regular_file(status)) return "it is not a regular file";
  return std::nullopt;
}

std::optional<std::string> WriteWhole(std::FILE* file, std::string_view text) {
  if (std::fwrite(text.data(), 1, text.size(), file) != text.size() || std::fflush(file) != 0 || !PushToDisk(file))
    return LastErrorText();
  return std::nullopt;
}

}  // namespace

std::optional<std::string> WhyNotReplaceable(const std::string& path) {
  if (auto why = WhyNotATarget(path)) return why;
  const fs::path probe = TemporaryBeside(path);
  std::FILE* file = CreateNew(probe);
  if (file == nullptr) return LastErrorText();
  std::fclose(file);
  std::error_code ignored;
  fs::remove(probe, ignored);
  return std::nullopt;
}

// The text into a new temporary file beside `path`, pushed to the disk,
// then put in place by `place`; the temporary file never stays.
template <typename Place>
std::optional<std::string> WriteBeside(const std::string& path, std::string_view text, Place place) {
  if (auto why = WhyNotATarget(path)) return why;
  const fs::path temporary = TemporaryBeside(path);
  std::FILE* file = CreateNew(temporary);
  if (file == nullptr) return LastErrorText();
  std::optional<std::string> failure = WriteWhole(file, text);
  if (std::fclose(file) != 0 && !failure) failure = LastErrorText();
  std::error_code error;
  if (!failure) {
    place(temporary, error);
    if (error) failure = error.message();
  }
  fs::remove(temporary, error);
  return failure;
}

std::optional<std::string> ReplaceFile(const std::string& path, std::string_view text) {
  return WriteBeside(path, text, [&](const fs::path& temporary, std::error_code& error) {
    fs::rename(temporary, path, error);
  });
}

// A hard link is made only where no file has the name: never over one.
std::optional<std::string> CreateNewFile(const std::string& path, std::string_view text) {
  return WriteBeside(path, text, [&](const fs::path& temporary, std::error_code& error) {
    fs::create_hard_link(temporary, path, error);
  });
}

}  // namespace orvella::cli
