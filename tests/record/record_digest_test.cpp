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

// Whatever follows the seal is not sealed in the reader's eyes; a file of
// brackets nested beyond any record is refused before it is walked.
TEST(RecordDigest, ASealThatIsNotLastOrADeepNestingIsRefused) {
  Json record = Sample();
  SealRecord(record);
  Json moved = {{"sha256", record["sha256"]}};
  const Json sample = Sample();
  for (const auto& [key, value] : sample.items()) moved[key] = value;
  EXPECT_EQ(RecordDigest(moved), record["sha256"]);  // the digest itself still matches
  EXPECT_NE(ReadSealedRecord(RecordText(moved)).problem.find("not its last member"), std::string::npos);

  const std::string deep = "{\"a\":" + std::string(100'000, '[') + std::string(100'000, ']') + "}";
  EXPECT_NE(ReadSealedRecord(deep).problem.find("nests deeper than 32 levels"), std::string::npos);
  // Brackets inside texts are no nesting.
  Json bracketed = Sample();
  bracketed["log"] = Json::array({std::string(100, '[') + "\"\\[{"});
  SealRecord(bracketed);
  EXPECT_TRUE(ReadSealedRecord(RecordText(bracketed)).record.has_value());
}

// The file escapes what would act on a terminal or reorder an editor's line
// (C1 controls, DEL, U+202E and its kind) and still reads back, and checks,
// as the bytes the drive reported.
TEST(RecordDigest, TheFileEscapesHiddenCharactersAndKeepsTheirValues) {
  Json record = Sample();
  const std::string hostile = "A\x7f" "B\xc2\x9b" "C\xe2\x80\xae" "D\xe2\x81\xa6" "E\xd8\x9c" "F\xe2\x80\xa8";
  record["operator"] = hostile;
  SealRecord(record);
  const std::string text = RecordText(record);
  EXPECT_NE(text.find("A\\u007fB\\u009bC\\u202eD\\u2066E\\u061cF\\u2028"), std::string::npos) << text;
  const RecordCheck check = ReadSealedRecord(text);
  ASSERT_TRUE(check.record.has_value()) << check.problem;
  EXPECT_EQ((*check.record)["operator"], hostile);
  // Other text beyond ASCII stays as it is.
  EXPECT_NE(text.find("Disque dur \xC3\xA9t\xC3\xA9 \xF0\x9F\x92\xBE"), std::string::npos);
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

  record["media"]["model"] = "C1 \xc2\x9b and override \xe2\x80\xae, escaped in the file";
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
