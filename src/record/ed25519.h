// Ed25519 signatures, from libsodium where the build has it. Keys and
// signatures are raw bytes: a public key of 32, a secret key of 64 (the
// seed followed by the public key, as libsodium keeps it), a signature of
// 64.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvella {

inline constexpr std::size_t kEd25519PublicKeyBytes = 32;
inline constexpr std::size_t kEd25519SecretKeyBytes = 64;
inline constexpr std::size_t kEd25519SignatureBytes = 64;

struct Ed25519KeyPair {
  std::string publicKey;
  std::string secretKey;
};

// Whether this build can make and check signatures at all (Windows builds
// have no crypto library).
bool Ed25519Available();

// A new key pair from the system's random source; nothing when unavailable.
std::optional<Ed25519KeyPair> Ed25519Generate();

// The public key that belongs to a secret key; nothing for a malformed one.
std::optional<std::string> Ed25519PublicKeyOf(std::string_view secretKey);

std::string Ed25519Sign(std::string_view message, std::string_view secretKey);

// False also when the key or signature has the wrong length.
bool Ed25519Verify(std::string_view message, std::string_view signature, std::string_view publicKey);

}  // namespace orvella
