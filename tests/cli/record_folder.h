// A fresh folder for the records of an erase of several drives, removed
// with what is in it, and the sealed records it holds.
#pragma once

#include <nlohmann/json.hpp>

#include <filesystem>
#include <map>
#include <string>

namespace orvella::test {

class RecordFolder {
 public:
  explicit RecordFolder(const std::string& name = "orvella-many");
  ~RecordFolder();
  RecordFolder(const RecordFolder&) = delete;
  RecordFolder& operator=(const RecordFolder&) = delete;

  std::string Path() const { return path_.string(); }
  // The sealed records by file name; a record whose seal does not hold fails the test.
  std::map<std::string, nlohmann::json> Records() const;

 private:
  std::filesystem::path path_;
};

// The result of each record by the drive's serial number; a record whose
// file is not named by that serial number fails the test.
std::map<std::string, std::string> ResultsBySerial(const std::map<std::string, nlohmann::json>& records);

}  // namespace orvella::test
