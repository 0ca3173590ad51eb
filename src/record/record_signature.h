// Signed erase records. The digest alone (record_digest.h) shows that a
// record was not damaged by accident; anyone who edits a record can compute
// it again. A signature says who vouches for the record: changing it needs
// their secret key. It is the member "signature", just before "sha256":
//   {"algorithm": "Ed25519", "publicKey": HEX, "fingerprint": HEX, "value": HEX}
// "value" signs the compact JSON of every member except "signature" and
// "sha256", in the order of the file (the text the digest hashes, less
// those two); the digest then seals the signature too. "fingerprint" is the
// SHA-256 of the public key, what a person compares with the one they trust.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "record/ed25519.h"
#include "record/record_json.h"

namespace orvella {

inline constexpr char kSignatureKey[] = "signature";

// 64 lower-case hexadecimal digits: the SHA-256 of the raw public key.
std::string KeyFingerprint(std::string_view publicKey);

// Adds the signature of `key` to a record and seals it again.
void SignRecord(Json& record, const Ed25519KeyPair& key);

enum class SignatureState { Unsigned, Valid, Invalid };

struct SignatureCheck {
  SignatureState state = SignatureState::Unsigned;
  std::string fingerprint;  // of the key that signed, where the signature holds
  std::string problem;      // why it does not hold
};

// Checks the signature of a record whose seal holds. With `trustedKey` (a
// raw public key) only that key's signature counts as valid.
SignatureCheck CheckSignature(const Json& record, const std::optional<std::string>& trustedKey = std::nullopt);

// Lower-case hexadecimal of bytes, and back (nothing for other text).
std::string HexOf(std::string_view bytes);
std::optional<std::string> BytesOfHex(std::string_view hex);

}  // namespace orvella
