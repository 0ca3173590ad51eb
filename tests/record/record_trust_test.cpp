// Whether a record can be vouched for: its seal, what it says, and its
// signature. A forged record (edited and sealed again) is refused when it
// is signed, and is intact only when it is not.
#include "record/record_trust.h"

#include <gtest/gtest.h>

#include "record/record_checks.h"
#include "record/record_digest.h"

namespace orvella::test {
namespace {

// The members every record has, for a proven erase.
Json Proven() {
  return {{"program", "Orvella 4.30"},
          {"recordFormat", 1},
          {"mode", "full"},
          {"result", "complete"},
          {"erasureProven", true},
          {"exitCode", 0},
          {"failed", Json::array()},
          {"verification", {{"method", "full"}, {"result", "passed"}}}};
}

// A record that did not erase everything.
Json NotComplete() {
  Json record = Proven();
  record["result"] = "not-complete";
  record["erasureProven"] = false;
  record["exitCode"] = 3;
  record["failed"] = Json::array({{{"from", 0}, {"to", 512}}, {{"from", 4096}, {"to", 8192}}});
  return record;
}

std::string Sealed(Json record) {
  SealRecord(record);
  return RecordText(record);
}

// What an editor does to make a record claim success: the claims changed,
// the documented digest computed again.
std::string Forged(const std::string& text) {
  Json record = Json::parse(text);
  record["result"] = "complete";
  record["erasureProven"] = true;
  record["exitCode"] = 0;
  record["failed"] = Json::array();
  return Sealed(record);
}

Ed25519KeyPair Key() {
  std::optional<Ed25519KeyPair> pair = Ed25519Generate();
  return pair ? *pair : Ed25519KeyPair{};
}

TEST(RecordChecks, ARecordThatHoldsTogetherHasNoProblems) {
  EXPECT_TRUE(RecordContradictions(Proven()).empty());
  EXPECT_TRUE(RecordContradictions(NotComplete()).empty());
}

TEST(RecordChecks, ClaimsThatContradictEachOtherAreNamed) {
  Json complete = NotComplete();
  complete["result"] = "complete";
  ASSERT_EQ(RecordContradictions(complete).size(), 1u);
  EXPECT_EQ(RecordContradictions(complete)[0], "it says \"complete\" but lists 2 ranges that were not written");

  Json unread = Proven();
  unread.erase("exitCode");
  unread["verification"]["result"] = "mismatch";
  EXPECT_EQ(RecordContradictions(unread),
            std::vector<std::string>{"it says the erasure is proven, but the read-back did not pass"});
  Json quick = Proven();
  quick.erase("exitCode");
  quick["mode"] = "quick";
  EXPECT_EQ(RecordContradictions(quick), std::vector<std::string>{"it says a quick wipe proves an erasure"});
  Json exitZero = NotComplete();
  exitZero["exitCode"] = 0;
  EXPECT_EQ(RecordContradictions(exitZero),
            std::vector<std::string>{"it gives exit status 0, which only an erase that was checked and passed ends with"});
}

// The drive's own erase writes nothing and reads nothing back: its record
// stands on the before and after sample, and a malformed member is a claim
// that does not hold, never a crash.
TEST(RecordChecks, APurgeStandsOnItsSampleCheckAndMalformedMembersDoNotThrow) {
  Json purge = Proven();
  purge["erasureProven"] = false;
  purge["verified"] = "sample";
  purge["verification"] = {{"method", "full"}, {"result", "not-run"}};
  purge["purge"] = {{"check", {{"passed", true}}}};
  EXPECT_TRUE(RecordContradictions(purge).empty());
  purge["purge"]["check"]["passed"] = false;
  EXPECT_EQ(RecordContradictions(purge),
            std::vector<std::string>{"it gives exit status 0, which only an erase that was checked and passed ends with"});
  Json malformed = NotComplete();
  malformed["verification"]["result"] = 108864;
  malformed["verification"]["method"] = Json::array();
  malformed["verified"] = "full";
  malformed["purge"] = {{"check", "passed"}};
  EXPECT_NO_THROW(RecordContradictions(malformed));
}

// A purge followed by zeros stands on both checks: exit 0 with a failed
// zero read-back is a claim that does not hold.
TEST(RecordChecks, APurgeThenZerosNeedsBothChecks) {
  Json both = Proven();
  both["erasureProven"] = false;
  both["verified"] = "sample";
  both["sanitization"] = {{"category", "Purge"}, {"thenZeros", true}};
  both["purge"] = {{"check", {{"passed", true}}}};
  both["verification"] = {{"method", "full"}, {"result", "passed"}};
  EXPECT_TRUE(RecordContradictions(both).empty());
  both["verification"]["result"] = "mismatch";
  EXPECT_EQ(RecordContradictions(both),
            std::vector<std::string>{"it gives exit status 0, which only an erase that was checked and passed ends with"});
  both["sanitization"] = "Purge";  // malformed: no crash
  EXPECT_NO_THROW(RecordContradictions(both));
}

// A sample that held zeros is no proof: the sample cannot see a sector that
// silently kept its data.
TEST(RecordChecks, OnlyAFullReadBackProvesAnErasure) {
  Json proven = Proven();
  proven["verified"] = "full";
  EXPECT_TRUE(RecordContradictions(proven).empty());
  Json sampled = Proven();
  sampled["verification"]["method"] = "sample";
  sampled["verified"] = "sample";
  EXPECT_EQ(RecordContradictions(sampled),
            std::vector<std::string>{"it says the erasure is proven without a full read-back"});
  sampled["erasureProven"] = false;
  EXPECT_TRUE(RecordContradictions(sampled).empty());  // exit status 0: erased, and the sample held zeros
  sampled["verified"] = "full";
  EXPECT_EQ(RecordContradictions(sampled),
            std::vector<std::string>{"its \"verified\" does not name the read-back it describes"});
}

TEST(RecordChecks, AnEmptyOrForeignObjectIsNoRecord) {
  EXPECT_EQ(RecordContradictions(Json::object()).size(), 7u);
  Json format = Proven();
  format["recordFormat"] = 7;
  EXPECT_EQ(RecordContradictions(format),
            std::vector<std::string>{"the record format 7 is not one this program knows"});
  Json missing = Proven();
  missing.erase("program");
  EXPECT_EQ(RecordContradictions(missing),
            std::vector<std::string>{"the member \"program\" is missing or malformed"});
  // The digest of {} seals nothing worth a certificate.
  const RecordVerdict empty = JudgeRecord(Sealed(Json::object()));
  EXPECT_FALSE(empty.Holds());
  EXPECT_EQ(empty.Problem().rfind("the record contradicts itself: the member \"program\" is missing", 0), 0u);
}

TEST(RecordTrust, AnUnsignedForgeryIsIntactOnlyAndSaysSo) {
  const RecordVerdict verdict = JudgeRecord(Forged(Sealed(NotComplete())));
  EXPECT_TRUE(verdict.Holds());
  EXPECT_EQ(verdict.signature.state, SignatureState::Unsigned);
}

TEST(RecordTrust, ASignedRecordHoldsAndAnEditOfItDoesNot) {
  if (!Ed25519Available()) GTEST_SKIP() << "built without libsodium";
  const Ed25519KeyPair key = Key();
  Json record = NotComplete();
  SealRecord(record);
  SignRecord(record, key);
  EXPECT_EQ((--record.end()).key(), "sha256");
  EXPECT_EQ((--(--record.end())).key(), "signature");
  const std::string text = RecordText(record);

  const RecordVerdict signedRecord = JudgeRecord(text, key.publicKey);
  EXPECT_TRUE(signedRecord.Holds()) << signedRecord.Problem();
  EXPECT_EQ(signedRecord.signature.state, SignatureState::Valid);
  EXPECT_EQ(signedRecord.signature.fingerprint, KeyFingerprint(key.publicKey));
  EXPECT_EQ(signedRecord.signature.fingerprint.size(), 64u);

  const RecordVerdict forged = JudgeRecord(Forged(text));
  EXPECT_FALSE(forged.Holds());
  EXPECT_EQ(forged.Problem(),
            "the record's signature does not match its content: it was changed after it was signed");

  // Signed again by another key: only a check against the trusted key
  // catches it, and the fingerprint shows it to anyone who compares.
  Json resigned = Json::parse(Forged(text));
  const Ed25519KeyPair other = Key();
  SignRecord(resigned, other);
  EXPECT_TRUE(JudgeRecord(RecordText(resigned)).Holds());
  EXPECT_NE(JudgeRecord(RecordText(resigned)).signature.fingerprint, signedRecord.signature.fingerprint);
  EXPECT_EQ(JudgeRecord(RecordText(resigned), key.publicKey).Problem(),
            "the record is signed by the key " + KeyFingerprint(other.publicKey) + ", not by the key that was given");
  // A signature taken away is a record that is not signed by the key.
  Json stripped = Json::parse(text);
  stripped.erase("signature");
  EXPECT_EQ(JudgeRecord(Sealed(stripped), key.publicKey).Problem(),
            "the record is not signed, and a key to check it with was given");
}

TEST(RecordTrust, AMalformedSignatureIsRefused) {
  if (!Ed25519Available()) GTEST_SKIP() << "built without libsodium";
  Json record = NotComplete();
  SignRecord(record, Key());
  Json wrongPrint = record;
  wrongPrint["signature"]["fingerprint"] = std::string(64, '0');
  EXPECT_EQ(JudgeRecord(Sealed(wrongPrint)).Problem(),
            "the record's signature names a fingerprint that is not its key's");
  Json shortValue = record;
  shortValue["signature"]["value"] = "abcd";
  EXPECT_EQ(JudgeRecord(Sealed(shortValue)).Problem(), "the record's signature is malformed");
  Json other = record;
  other["signature"] = "RSA";
  EXPECT_EQ(JudgeRecord(Sealed(other)).Problem(),
            "the record's signature is not an Ed25519 signature of this program");
}

}  // namespace
}  // namespace orvella::test
