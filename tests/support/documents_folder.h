// A documents folder of a test's own, for the records a desktop keeps by
// itself in "Orvella records" there; removed with everything in it when
// the test ends.
#pragma once

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace orvella::test {

class DocumentsFolder {
 public:
  explicit DocumentsFolder(const std::string& name)
      : path(std::filesystem::temp_directory_path() / (name + "-" + std::to_string(std::random_device{}()))) {
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
  }
  ~DocumentsFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  DocumentsFolder(const DocumentsFolder&) = delete;
  DocumentsFolder& operator=(const DocumentsFolder&) = delete;

  std::filesystem::path Records() const { return path / "Orvella records"; }

  // The kept files ending in `extension` (all of them for an empty one),
  // in name order.
  std::vector<std::filesystem::path> Kept(const std::string& extension = {}) const {
    std::vector<std::filesystem::path> files;
    if (!std::filesystem::exists(Records())) return files;
    for (const auto& entry : std::filesystem::directory_iterator(Records()))
      if (extension.empty() || entry.path().extension() == extension) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
  }

  const std::filesystem::path path;
};

}  // namespace orvella::test
