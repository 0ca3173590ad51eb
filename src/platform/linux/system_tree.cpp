#include "platform/linux/system_tree.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace orvella::linux_backend {

namespace fs = std::filesystem;

SystemTree::SystemTree(std::string root) : root_(std::move(root)) {
  std::error_code error;
  if (!root_.empty()) canonicalRoot_ = fs::canonical(root_, error).string();
}

// Some attributes open but refuse the read: a SCSI device's wwid without an
// identification page answers ENXIO. The stream library throws then, and an
// attribute that cannot be read is one that is not there.
std::optional<std::string> SystemTree::ReadBytes(const std::string& path) const {
  std::ifstream file(Locate(path), std::ios::binary);
  if (!file) return std::nullopt;
  try {
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) return std::nullopt;
    return bytes;
  } catch (const std::ios_base::failure&) {
    return std::nullopt;
  }
}

std::optional<std::string> SystemTree::ReadLine(const std::string& path) const {
  std::optional<std::string> text = ReadBytes(path);
  if (!text) return std::nullopt;
  if (const auto end = text->find('\n'); end != std::string::npos) text->resize(end);
  while (!text->empty() && (text->back() == ' ' || text->back() == '\r' || text->back() == '\t')) text->pop_back();
  return text;
}

bool SystemTree::Exists(const std::string& path) const {
  std::error_code error;
  return fs::exists(Locate(path), error);
}

std::vector<std::string> SystemTree::List(const std::string& directory) const {
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator it(Locate(directory), error), end; !error && it != end; it.increment(error))
    names.push_back(it->path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string SystemTree::Resolve(const std::string& path) const {
  std::error_code error;
  const fs::path resolved = fs::canonical(Locate(path), error);
  if (error) return {};
  const std::string text = resolved.string();
  if (root_.empty()) return text;
  if (canonicalRoot_.empty() || text.compare(0, canonicalRoot_.size(), canonicalRoot_) != 0) return {};
  return text.substr(canonicalRoot_.size());
}

}  // namespace orvella::linux_backend
