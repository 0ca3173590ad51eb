// Builds without libsodium (the Windows cross build): no key is made and no
// signature checks out, and Ed25519Available() says why.
#include "record/ed25519.h"

namespace orvella {

bool Ed25519Available() { return false; }
std::optional<Ed25519KeyPair> Ed25519Generate() { return std::nullopt; }
std::optional<std::string> Ed25519PublicKeyOf(std::string_view) { return std::nullopt; }
std::string Ed25519Sign(std::string_view, std::string_view) { return {}; }
bool Ed25519Verify(std::string_view, std::string_view, std::string_view) { return false; }

}  // namespace orvella
