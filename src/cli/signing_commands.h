// orvella-cli keygen FILE: a key pair to sign erase records with.
// orvella-cli verify RECORD [--key PUB]: whether a record can be vouched
// for (seal, contents, signature). Neither needs any drive.
#pragma once

#include <optional>

#include "cli/cli_options.h"
#include "cli/console.h"
#include "cli/exit_codes.h"
#include "record/ed25519.h"

namespace orvella::cli {

ExitCode RunKeygen(const Options& options, Console& console);
ExitCode RunVerify(const Options& options, Console& console);

// The key of --sign-key, read before an erase so that a key that cannot be
// used stops the erase before it begins; nothing, with a message, then.
// Without --sign-key: an empty key pair.
std::optional<Ed25519KeyPair> SigningKeyFor(const Options& options, Console& console);

}  // namespace orvella::cli
