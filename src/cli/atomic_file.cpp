#include "cli/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
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

// Created new (never an existing file), so the folder's rights and free
// room are tested for real. A record names the machine's serial number,
// which only its administrator may read: the file is its owner's alone,
// unless it replaces a report whose mode (and owner) someone chose.
std::FILE* CreateNew(const fs::path& path, const fs::path& replaced) {
#ifdef _WIN32
  (void)replaced;
  return std::fopen(path.string().c_str(), "wbx");
#else
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return nullptr;
  struct stat earlier {};
  if (!replaced.empty() && ::stat(replaced.c_str(), &earlier) == 0 && S_ISREG(earlier.st_mode)) {
    if (::fchown(fd, earlier.st_uid, earlier.st_gid) != 0) {
      // Not ours to give away: the report stays the writer's, mode kept.
    }
    ::fchmod(fd, earlier.st_mode & 07777);
  }
  std::FILE* file = ::fdopen(fd, "wb");
  if (file == nullptr) ::close(fd);
  return file;
#endif
}

// The file a path names: a link to a file in the same folder is followed
// (the link stays, its file is replaced); anything else is the path itself.
fs::path Resolved(const fs::path& path) {
  std::error_code error;
  if (!fs::is_symlink(fs::symlink_status(path, error))) return path;
  const fs::path target = fs::weakly_canonical(path, error);
  return error ? path : target;
}

std::optional<std::string> WhyNotATarget(const fs::path& path) {
  if (path.empty()) return "no file name was given";
  std::error_code error;
  if (fs::is_symlink(fs::symlink_status(path, error))) {
    // Renaming over the link would replace the link (/dev/stdout is one);
    // following it out of its folder would write where nobody looked.
    const fs::path target = fs::weakly_canonical(path, error);
    const fs::path folder = fs::weakly_canonical(fs::absolute(path, error).parent_path(), error);
    if (error || target.parent_path() != folder) return "it is a link to a file outside its folder";
  }
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
  const fs::path probe = TemporaryBeside(Resolved(path));
  std::FILE* file = CreateNew(probe, {});
  if (file == nullptr) return LastErrorText();
  std::fclose(file);
  std::error_code ignored;
  fs::remove(probe, ignored);
  return std::nullopt;
}

// The text into a new temporary file beside `path`, pushed to the disk,
// then put in place by `place` at the file the path names; the temporary
// file never stays.
template <typename Place>
std::optional<std::string> WriteBeside(const std::string& path, std::string_view text, Place place) {
  if (auto why = WhyNotATarget(path)) return why;
  const fs::path target = Resolved(path);
  const fs::path temporary = TemporaryBeside(target);
  std::FILE* file = CreateNew(temporary, target);
  if (file == nullptr) return LastErrorText();
  std::optional<std::string> failure = WriteWhole(file, text);
  if (std::fclose(file) != 0 && !failure) failure = LastErrorText();
  std::error_code error;
  if (!failure) {
    place(temporary, target, error);
    if (error) failure = error.message();
  }
  fs::remove(temporary, error);
  return failure;
}

std::optional<std::string> ReplaceFile(const std::string& path, std::string_view text) {
  return WriteBeside(path, text, [](const fs::path& temporary, const fs::path& target, std::error_code& error) {
    fs::rename(temporary, target, error);
  });
}

// A hard link is made only where no file has the name: never over one.
// FAT and exFAT volumes (USB sticks, the usual place for records) have no
// hard links; there the rename that refuses an existing name does the same.
std::optional<std::string> CreateNewFile(const std::string& path, std::string_view text) {
  return WriteBeside(path, text, [](const fs::path& temporary, const fs::path& target, std::error_code& error) {
    fs::create_hard_link(temporary, target, error);
#ifdef __linux__
    if (error == std::errc::operation_not_permitted || error == std::errc::operation_not_supported) {
      error.clear();
      if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0)
        error = std::error_code(errno, std::generic_category());
    }
#endif
  });
}

}  // namespace orvella::cli
