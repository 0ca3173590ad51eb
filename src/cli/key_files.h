// The key files of signed records. `orvella-cli keygen FILE` writes the
// secret key to FILE (readable by its owner only, never over an existing
// file) and the public key to FILE.pub; each is one line, a word naming what
// it holds and the key in hexadecimal:
//   orvella-ed25519-secret-key 128 HEX DIGITS   (the seed and the public key)
//   orvella-ed25519-public-key 64 HEX DIGITS
#pragma once

#include <optional>
#include <string>

#include "record/ed25519.h"

namespace orvella::cli {

// Writes both files; the reason when it could not, in which case neither
// stays behind.
std::optional<std::string> WriteKeyFiles(const std::string& secretPath, const Ed25519KeyPair& pair);

struct KeyRead {
  std::optional<Ed25519KeyPair> pair;  // the secret key with its public key, or the public key alone
  std::string problem;
};

KeyRead ReadSecretKeyFile(const std::string& path);
KeyRead ReadPublicKeyFile(const std::string& path);

}  // namespace orvella::cli
