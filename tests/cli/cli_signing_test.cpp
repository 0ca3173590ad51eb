// Signed records: keygen makes the key pair, erase --sign-key signs the
// record, verify checks seal, contents and signature. A forged record
// (edited and its digest computed again) is refused when signed and is
// "integrity only" when not.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "cli/cli_process.h"
#include "record/record_digest.h"

namespace orvella::test {
namespace {

using Lines = std::vector<std::string>;
namespace fs = std::filesystem;

class Signing : public testing::Test {
 protected:
  void SetUp() override { fs::create_directories(folder_); }
  void TearDown() override { fs::remove_all(folder_); }

  std::string PathOf(const std::string& name) const { return (folder_ / name).string(); }
  std::string Read(const std::string& name) const {
    std::ifstream in(folder_ / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  void Write(const std::string& name, const std::string& text) const {
    std::ofstream(folder_ / name, std::ios::binary) << text;
  }
  // A report of a quick wipe of drive 0, signed with `key` when given.
  std::string Erase(const std::string& name, const std::string& key = {}) const {
    Lines args = {"--drives", ORVELLA_CLI_DRIVES, "erase", "0", "--quick", "--yes", "--report", PathOf(name)};
    if (!key.empty()) args.insert(args.end(), {"--sign-key", key});
    const CliResult r = RunCli(args);
    EXPECT_EQ(r.exitCode, 9) << r.err;
    return PathOf(name);
  }
  // The record made to claim a proven erase, its digest computed again.
  void Forge(const std::string& name) const {
    Json record = Json::parse(Read(name));
    record["erasureProven"] = true;
    record["result"] = "complete";
    record["mode"] = "full";
    record["exitCode"] = 0;
    SealRecord(record);
    Write(name, RecordText(record));
  }

  fs::path folder_ = fs::temp_directory_path() / ("orvella-cli-signing-" + std::to_string(getpid()));
};

TEST_F(Signing, KeygenWritesASecretKeyForItsOwnerAndAPublicKeyBeside) {
  const CliResult r = RunCli({"keygen", PathOf("key")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(fs::status(PathOf("key")).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_TRUE(Read("key").starts_with("orvella-ed25519-secret-key "));
  EXPECT_EQ(Read("key").size(), 27u + 128u + 1u);
  EXPECT_TRUE(Read("key.pub").starts_with("orvella-ed25519-public-key "));
  ASSERT_EQ(r.OutLines().size(), 3u);
  EXPECT_TRUE(r.OutLines()[2].starts_with("Fingerprint: ")) << r.out;

  // An existing key is never replaced.
  const std::string before = Read("key");
  const CliResult again = RunCli({"keygen", PathOf("key")});
  EXPECT_EQ(again.exitCode, 1);
  EXPECT_EQ(Read("key"), before);
}

TEST_F(Signing, ASignedRecordVerifiesAndAForgedOneIsRefused) {
  ASSERT_EQ(RunCli({"keygen", PathOf("key")}).exitCode, 0);
  const std::string record = Erase("record.json", PathOf("key"));
  const CliResult good = RunCli({"verify", record, "--key", PathOf("key.pub")});
  EXPECT_EQ(good.exitCode, 0) << good.err;
  ASSERT_EQ(good.OutLines().size(), 3u) << good.out;
  EXPECT_TRUE(good.OutLines()[0].starts_with("Seal: intact (SHA-256 "));
  EXPECT_EQ(good.OutLines()[1], "Contents: consistent");
  EXPECT_TRUE(good.OutLines()[2].starts_with("Signature: signed, Ed25519 key fingerprint ")) << good.out;
  EXPECT_EQ(good.err, "");

  Forge("record.json");
  const CliResult forged = RunCli({"verify", record});
  EXPECT_EQ(forged.exitCode, 1);
  EXPECT_EQ(forged.OutLines()[2],
            "Signature: INVALID: the record's signature does not match its content: it was changed after it was "
            "signed");
  EXPECT_NE(forged.err.find("the record cannot be vouched for"), std::string::npos);
}

TEST_F(Signing, AnUnsignedForgeryIsIntegrityOnlyAndNeverPasses) {
  const std::string record = Erase("record.json");
  Forge("record.json");
  const CliResult r = RunCli({"verify", record});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.OutLines()[2],
            "Signature: not signed \u2014 integrity only (the digest shows accidental damage; anyone who edits the "
            "record can compute it again)");
  EXPECT_EQ(r.err, "orvella-cli: " + record + ": not signed; only its integrity was checked\n");

  // A record that contradicts itself is refused even unsigned.
  Json contradicting = Json::parse(Read("record.json"));
  contradicting["failed"] = Json::array({{{"from", 0}, {"to", 512}}});
  SealRecord(contradicting);
  Write("record.json", RecordText(contradicting));
  const CliResult refused = RunCli({"verify", record});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_TRUE(refused.OutLines()[1].starts_with("Contents: CONTRADICTORY: the record contradicts itself: it says "
                                                "\"complete\" but lists 1 ranges"))
      << refused.out;
}

TEST_F(Signing, AKeyThatCannotSignStopsTheEraseBeforeItBegins) {
  Write("bad-key", "orvella-ed25519-secret-key 00\n");
  const CliResult r = RunCli({"--drives", ORVELLA_CLI_DRIVES, "erase", "0", "--quick", "--yes", "--report",
                              PathOf("record.json"), "--sign-key", PathOf("bad-key")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.ErrLines().back(), "orvella-cli: " + PathOf("bad-key") +
                                     ": not a key file of this kind (orvella-ed25519-secret-key); nothing was erased");
  EXPECT_FALSE(fs::exists(PathOf("record.json")));
  EXPECT_EQ(RunCli({"--drives", ORVELLA_CLI_DRIVES, "erase", "0", "--yes", "--sign-key", ""}).exitCode, 2);
  EXPECT_EQ(RunCli({"verify", PathOf("missing.json")}).exitCode, 1);
}

}  // namespace
}  // namespace orvella::test
