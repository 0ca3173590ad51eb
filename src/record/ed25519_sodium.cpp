#include <sodium.h>

#include "record/ed25519.h"

namespace orvella {
namespace {

const unsigned char* Bytes(std::string_view text) { return reinterpret_cast<const unsigned char*>(text.data()); }
unsigned char* Bytes(std::string& text) { return reinterpret_cast<unsigned char*>(text.data()); }

bool Ready() {
  static const bool ready = sodium_init() >= 0;
  return ready;
}

}  // namespace

bool Ed25519Available() { return Ready(); }

std::optional<Ed25519KeyPair> Ed25519Generate() {
  if (!Ready()) return std::nullopt;
  Ed25519KeyPair pair{std::string(crypto_sign_PUBLICKEYBYTES, '\0'), std::string(crypto_sign_SECRETKEYBYTES, '\0')};
  crypto_sign_keypair(Bytes(pair.publicKey), Bytes(pair.secretKey));
  return pair;
}

std::optional<std::string> Ed25519PublicKeyOf(std::string_view secretKey) {
  if (!Ready() || secretKey.size() != crypto_sign_SECRETKEYBYTES) return std::nullopt;
  // The secret key is the seed and the public key: derive again from the
  // seed, so that a file whose two halves do not belong together is caught.
  std::string publicKey(crypto_sign_PUBLICKEYBYTES, '\0');
  std::string secret(crypto_sign_SECRETKEYBYTES, '\0');
  crypto_sign_seed_keypair(Bytes(publicKey), Bytes(secret), Bytes(secretKey));
  const bool matches = sodium_memcmp(secret.data(), secretKey.data(), secret.size()) == 0;
  sodium_memzero(secret.data(), secret.size());
  if (!matches) return std::nullopt;
  return publicKey;
}

std::string Ed25519Sign(std::string_view message, std::string_view secretKey) {
  std::string signature(crypto_sign_BYTES, '\0');
  if (!Ready() || secretKey.size() != crypto_sign_SECRETKEYBYTES) return {};
  crypto_sign_detached(Bytes(signature), nullptr, Bytes(message), message.size(), Bytes(secretKey));
  return signature;
}

bool Ed25519Verify(std::string_view message, std::string_view signature, std::string_view publicKey) {
  if (!Ready() || signature.size() != crypto_sign_BYTES || publicKey.size() != crypto_sign_PUBLICKEYBYTES)
    return false;
  return crypto_sign_verify_detached(Bytes(signature), Bytes(message), message.size(), Bytes(publicKey)) == 0;
}

}  // namespace orvella
