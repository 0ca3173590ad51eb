#include "core/bounded_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

namespace orvella {
namespace {

struct Closer {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

FileRead Failed(std::string problem) { return {std::nullopt, std::move(problem)}; }

}  // namespace

std::string BytesInWords(std::uintmax_t bytes) {
  if (bytes >= (1u << 20) && bytes % (1u << 20) == 0) return std::to_string(bytes >> 20) + " MiB";
  if (bytes >= (1u << 10) && bytes % (1u << 10) == 0) return std::to_string(bytes >> 10) + " KiB";
  return std::to_string(bytes) + " bytes";
}

FileRead ReadBoundedFile(const std::string& path, std::uintmax_t limit) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (status.type() == fs::file_type::not_found) return Failed("no such file");
  if (error) return Failed(error.message());
  // A device or a pipe is no such file, and reading one might never end.
  if (!fs::is_regular_file(status)) return Failed("not a regular file");
  const std::uintmax_t size = fs::file_size(path, error);
  if (!error && size > limit) return Failed("larger than " + BytesInWords(limit));
  const std::unique_ptr<std::FILE, Closer> file(std::fopen(path.c_str(), "rb"));
  if (!file) return Failed(std::strerror(errno));
  errno = 0;
  // Files of /proc say they are empty and are not: the limit holds for
  // what is read too.
  std::string text;
  char buffer[65536];
  for (;;) {
    const std::size_t n = std::fread(buffer, 1, sizeof buffer, file.get());
    text.append(buffer, n);
    if (text.size() > limit) return Failed("larger than " + BytesInWords(limit));
    if (n < sizeof buffer) break;
  }
  if (std::ferror(file.get())) return Failed(std::strerror(errno != 0 ? errno : EIO));
  return {std::move(text), {}};
}

}  // namespace orvella
