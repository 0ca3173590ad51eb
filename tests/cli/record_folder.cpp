#include "cli/record_folder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "record/record_digest.h"

namespace orvella::test {

namespace fs = std::filesystem;

RecordFolder::RecordFolder(const std::string& name)
    : path_(fs::temp_directory_path() / (name + "-" + std::to_string(getpid()))) {
  fs::remove_all(path_);
  fs::create_directories(path_);
}

RecordFolder::~RecordFolder() { fs::remove_all(path_); }

std::map<std::string, nlohmann::json> RecordFolder::Records() const {
  std::map<std::string, nlohmann::json> records;
  for (const auto& entry : fs::directory_iterator(path_)) {
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    const RecordCheck check = ReadSealedRecord(text);
    EXPECT_TRUE(check.record.has_value()) << entry.path() << ": " << check.problem;
    if (check.record) records[entry.path().filename().string()] = *check.record;
  }
  return records;
}

std::map<std::string, std::string> ResultsBySerial(const std::map<std::string, nlohmann::json>& records) {
  std::map<std::string, std::string> results;
  for (const auto& [name, record] : records) {
    EXPECT_TRUE(name.starts_with(record["media"]["serial"].get<std::string>() + "_")) << name;
    results[record["media"]["serial"]] = record["result"];
  }
  return results;
}

}  // namespace orvella::test
