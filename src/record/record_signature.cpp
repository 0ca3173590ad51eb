#include "record/record_signature.h"

#include "record/record_digest.h"
#include "record/sha256.h"

namespace orvella {
namespace {

constexpr char kAlgorithm[] = "Ed25519";

// What the signature covers: the record without its seal and signature.
std::string SignedText(const Json& record) {
  Json content = record;
  content.erase(kDigestKey);
  content.erase(kSignatureKey);
  return CompactText(content);
}

std::optional<std::string> HexMember(const Json& object, const char* key, std::size_t bytes) {
  const auto member = object.find(key);
  if (member == object.end() || !member->is_string()) return std::nullopt;
  std::optional<std::string> raw = BytesOfHex(member->get<std::string>());
  if (!raw || raw->size() != bytes) return std::nullopt;
  return raw;
}

SignatureCheck Invalid(std::string problem) { return {SignatureState::Invalid, {}, std::move(problem)}; }

}  // namespace

std::string HexOf(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 0xF];
  }
  return hex;
}

std::optional<std::string> BytesOfHex(std::string_view hex) {
  const auto digit = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  if (hex.size() % 2 != 0) return std::nullopt;
  std::string bytes;
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const int high = digit(hex[i]), low = digit(hex[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes += static_cast<char>(high * 16 + low);
  }
  return bytes;
}

std::string KeyFingerprint(std::string_view publicKey) { return Sha256Hex(publicKey); }

void SignRecord(Json& record, const Ed25519KeyPair& key) {
  record.erase(kSignatureKey);
  const std::string signature = Ed25519Sign(SignedText(record), key.secretKey);
  record.erase(kDigestKey);
  record[kSignatureKey] = {{"algorithm", kAlgorithm},
                           {"publicKey", HexOf(key.publicKey)},
                           {"fingerprint", KeyFingerprint(key.publicKey)},
                           {"value", HexOf(signature)}};
  SealRecord(record);
}

SignatureCheck CheckSignature(const Json& record, const std::optional<std::string>& trustedKey) {
  const auto member = record.find(kSignatureKey);
  if (member == record.end()) {
    if (trustedKey) return Invalid("the record is not signed, and a key to check it with was given");
    return {};
  }
  if (!member->is_object() || member->value("algorithm", "") != kAlgorithm)
    return Invalid("the record's signature is not an Ed25519 signature of this program");
  if (!Ed25519Available())
    return Invalid("this build of the program cannot check signatures (it was built without libsodium)");
  const std::optional<std::string> publicKey = HexMember(*member, "publicKey", kEd25519PublicKeyBytes);
  const std::optional<std::string> value = HexMember(*member, "value", kEd25519SignatureBytes);
  if (!publicKey || !value) return Invalid("the record's signature is malformed");
  const std::string fingerprint = KeyFingerprint(*publicKey);
  if (member->value("fingerprint", "") != fingerprint)
    return Invalid("the record's signature names a fingerprint that is not its key's");
  if (!Ed25519Verify(SignedText(record), *value, *publicKey))
    return Invalid("the record's signature does not match its content: it was changed after it was signed");
  if (trustedKey && *trustedKey != *publicKey)
    return Invalid("the record is signed by the key " + fingerprint + ", not by the key that was given");
  return {SignatureState::Valid, fingerprint, {}};
}

}  // namespace orvella
