// Reading /sys, /proc and /dev through a root prefix. On a live machine the
// prefix is empty; tests point it at a small tree captured from another
// machine, so that the same code reads SATA, NVMe or USB drives that this
// machine does not have.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace orvella::linux_backend {

class SystemTree {
 public:
  explicit SystemTree(std::string root = {});

  // Paths are absolute paths of the machine ("/sys/block/sda/size").
  std::optional<std::string> ReadBytes(const std::string& path) const;
  // The first line of a text attribute, without trailing blanks and newline.
  std::optional<std::string> ReadLine(const std::string& path) const;
  bool Exists(const std::string& path) const;
  // Entry names of a directory, sorted; empty when it does not exist.
  std::vector<std::string> List(const std::string& directory) const;
  // The path with every symbolic link resolved, as a path of the machine
  // (the root prefix taken off again); empty when it does not resolve.
  std::string Resolve(const std::string& path) const;

  // Where a path of the machine lives in this tree.
  std::string Locate(const std::string& path) const { return root_ + path; }
  const std::string& Root() const { return root_; }

 private:
  std::string root_;
  std::string canonicalRoot_;  // the root with its links resolved
};

}  // namespace orvella::linux_backend
