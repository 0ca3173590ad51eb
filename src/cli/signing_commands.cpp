#include "cli/signing_commands.h"

#include "cli/key_files.h"
#include "core/bounded_file.h"
#include "record/record_digest.h"
#include "record/record_signature.h"
#include "record/record_trust.h"

namespace orvella::cli {
namespace {

constexpr char kNoSigning[] =
    "this build cannot sign or check signatures: it was built without libsodium (Windows builds are); "
    "sign and verify records with the Linux build";

std::string SignatureWords(const SignatureCheck& check) {
  switch (check.state) {
    case SignatureState::Valid: return "signed, Ed25519 key fingerprint " + check.fingerprint;
    case SignatureState::Unsigned:
      return "not signed \u2014 integrity only (the digest shows accidental damage; anyone who edits the record "
             "can compute it again)";
    case SignatureState::Invalid: break;
  }
  return "INVALID: " + check.problem;
}

}  // namespace

ExitCode RunKeygen(const Options& options, Console& console) {
  const std::optional<Ed25519KeyPair> pair = Ed25519Generate();
  if (!pair) {
    console.Problem(kNoSigning);
    return kExitFailed;
  }
  if (const auto failure = WriteKeyFiles(options.keyFile, *pair)) {
    console.Problem("cannot write the key: " + *failure);
    return kExitFailed;
  }
  console.Out("Secret key: " + options.keyFile + " (keep it to yourself; erase --sign-key " + options.keyFile + ")");
  console.Out("Public key: " + options.keyFile + ".pub (give it to whoever checks the records: verify --key)");
  console.Out("Fingerprint: " + KeyFingerprint(pair->publicKey));
  return kExitOk;
}

ExitCode RunVerify(const Options& options, Console& console) {
  std::optional<std::string> trustedKey;
  if (!options.trustedKeyFile.empty()) {
    const KeyRead key = ReadPublicKeyFile(options.trustedKeyFile);
    if (!key.pair) {
      console.Problem(key.problem);
      return kExitUsage;
    }
    trustedKey = key.pair->publicKey;
  }
  const FileRead file = ReadBoundedFile(options.recordFile, kRecordFileLimit);
  if (!file.text) {
    console.Problem(options.recordFile + ": cannot be read: " + file.problem);
    return kExitFailed;
  }
  const RecordVerdict verdict = JudgeRecord(*file.text, trustedKey);
  if (!verdict.sealProblem.empty()) {
    console.Out("Seal: BROKEN: " + verdict.sealProblem);
  } else {
    console.Out("Seal: intact (SHA-256 " + (*verdict.record)[kDigestKey].get<std::string>() + ")");
    console.Out(verdict.contradictions.empty() ? "Contents: consistent"
                                               : "Contents: CONTRADICTORY: " + verdict.Problem());
    console.Out("Signature: " + SignatureWords(verdict.signature));
  }
  if (!verdict.Holds()) {
    console.Problem(options.recordFile + ": " + verdict.Problem() + "; the record cannot be vouched for");
    return kExitFailed;
  }
  if (verdict.signature.state != SignatureState::Valid) {
    console.Problem(options.recordFile + ": not signed; only its integrity was checked");
    return kExitFailed;
  }
  return kExitOk;
}

std::optional<Ed25519KeyPair> SigningKeyFor(const Options& options, Console& console) {
  if (options.signKeyFile.empty()) return Ed25519KeyPair{};
  if (!Ed25519Available()) {
    console.Problem(std::string(kNoSigning) + "; nothing was erased");
    return std::nullopt;
  }
  KeyRead key = ReadSecretKeyFile(options.signKeyFile);
  if (!key.pair) {
    console.Problem(key.problem + "; nothing was erased");
    return std::nullopt;
  }
  return std::move(key.pair);
}

}  // namespace orvella::cli
