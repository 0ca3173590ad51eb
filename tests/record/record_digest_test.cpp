// The seal of a record: the digest covers every member but itself, any
// change breaks it, and the check that docs/erase-record.md gives (run with
// python3, exactly as written there) agrees with the program's own.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "record/record_digest.h"
#include "record/sha256.h"

namespace orvella::test {
namespace {

namespace fs = std::filesystem;

Json Sample() {
  return {{"program", "Orvella 4.30"},
          {"media", {{"model", "Disque dur \xC3\xA9t\xC3\xA9 \xF0\x9F\x92\xBE"}, {"serial", "S\"N\\1\t\x01\x7F/"}}},
          {"operator", nullptr},
          {"bytes", 2'000'398'934'016},
          {"failed", Json::array({{{"from", 0}, {"to", 512}}})},
          {"quick", false},
          {"log", Json::array()}};
}

TEST(RecordDigest, SealsEveryMemberButItselfAsTheLastMember) {
  Json record = Sample();
  SealRecord(record);
  EXPECT_EQ(record.back(), RecordDigest(Sample()));
  EXPECT_EQ((--record.end()).key(), "sha256");
  EXPECT_EQ(RecordDigest(record), Sha256Hex(CompactText(Sample())));
  EXPECT_TRUE(ReadSealedRecord(RecordText(record)).record.has_value());
}

TEST(RecordDigest, ChangedUnsealedOrBrokenRecordsAreRefused) {
  Json record = Sample();
  SealRecord(record);
  std::string text = RecordText(record);
  const std::size_t serial = text.find("S\\\"N");
  text[serial] = 'Z';
  EXPECT_NE(ReadSealedRecord(text).problem.find("does not match"), std::string::npos);

  const Json sample = Sample();
  Json reordered = {{"media", sample["media"]}};
  for (const auto& [key, value] : sample.items())
    if (key != "media") reordered[key] = value;
  reordered["sha256"] = record["sha256"];
  EXPECT_FALSE(ReadSealedRecord(RecordText(reordered)).record.has_value());

  EXPECT_NE(ReadSealedRecord(RecordText(Sample())).problem.find("no \"sha256\""), std::string::npos);
  EXPECT_NE(ReadSealedRecord("{\"program\": ").problem.find("not valid JSON"), std::string::npos);
  EXPECT_NE(ReadSealedRecord("[1, 2]").problem.find("not a JSON object"), std::string::npos);
}

#ifndef _WIN32  // the check runs python3, which a Windows build under Wine does not have
// The indented line of the document that starts with "python3 -c".
std::string DocumentedCheck() {
  std::ifstream doc(ORVELLA_RECORD_DOC);
  for (std::string line; std::getline(doc, line);)
    if (line.rfind("    python3 -c ", 0) == 0) return line.substr(4);
  return {};
}

std::string RunCheck(const std::string& command, const fs::path& record) {
  std::string line = command;
  line.replace(line.find("RECORD.json"), 11, record.string());
  FILE* pipe = popen(line.c_str(), "r");
  if (pipe == nullptr) return "cannot run python3";
  std::string out;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
  pclose(pipe);
  return out;
}

TEST(RecordDigest, TheDocumentedPythonCheckAgrees) {
  const std::string check = DocumentedCheck();
  ASSERT_FALSE(check.empty()) << "no python3 line in " << ORVELLA_RECORD_DOC;
  const fs::path file = fs::temp_directory_path() / ("orvella-record-" + std::to_string(getpid()) + ".json");
  Json record = Sample();
  SealRecord(record);
  std::ofstream(file) << RecordText(record);
  EXPECT_EQ(RunCheck(check, file), "OK\n");

  record["quick"] = true;  // changed after sealing
  std::ofstream(file) << RecordText(record);
  EXPECT_EQ(RunCheck(check, file), "MISMATCH\n");
  fs::remove(file);
}
#endif

}  // namespace
}  // namespace orvella::test
