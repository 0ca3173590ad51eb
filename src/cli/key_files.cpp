#include "cli/key_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#include "core/bounded_file.h"
#include "record/record_signature.h"

namespace orvella::cli {
namespace {

constexpr char kSecretWord[] = "orvella-ed25519-secret-key";
constexpr char kPublicWord[] = "orvella-ed25519-public-key";
constexpr std::uintmax_t kKeyFileLimit = 4096;

// A new file, for its owner only from the start: a secret key is never
// readable by others, not even for a moment.
std::optional<std::string> CreateWith(const std::string& path, const std::string& text, bool secret) {
#ifdef _WIN32
  (void)secret;
  std::FILE* file = std::fopen(path.c_str(), "wbx");
  if (file == nullptr) return path + ": " + std::strerror(errno);
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  if (std::fclose(file) != 0 || !written) return path + ": " + std::strerror(errno);
#else
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, secret ? 0600 : 0644);
  if (fd < 0) return path + ": " + std::strerror(errno);
  const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) && ::fsync(fd) == 0;
  const int writeError = errno;
  if (::close(fd) != 0 || !written) {
    ::unlink(path.c_str());
    return path + ": " + std::strerror(written ? errno : writeError);
  }
#endif
  return std::nullopt;
}

// The key of a file of one line "WORD HEX", checked for its length.
KeyRead ReadKeyLine(const std::string& path, const char* word, std::size_t bytes, std::string& key) {
  const FileRead file = ReadBoundedFile(path, kKeyFileLimit);
  if (!file.text) return {std::nullopt, path + ": cannot be read: " + file.problem};
  std::string line = *file.text;
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  const std::string prefix = std::string(word) + " ";
  const std::optional<std::string> raw =
      line.starts_with(prefix) ? BytesOfHex(line.substr(prefix.size())) : std::nullopt;
  if (!raw || raw->size() != bytes) return {std::nullopt, path + ": not a key file of this kind (" + word + ")"};
  key = *raw;
  return {};
}

}  // namespace

std::optional<std::string> WriteKeyFiles(const std::string& secretPath, const Ed25519KeyPair& pair) {
  const std::string publicPath = secretPath + ".pub";
  std::error_code error;
  if (std::filesystem::exists(publicPath, error)) return publicPath + ": already exists; no key was written";
  if (auto failure = CreateWith(secretPath, std::string(kSecretWord) + " " + HexOf(pair.secretKey) + "\n", true))
    return failure;
  if (auto failure = CreateWith(publicPath, std::string(kPublicWord) + " " + HexOf(pair.publicKey) + "\n", false)) {
    std::filesystem::remove(secretPath, error);
    return failure;
  }
  return std::nullopt;
}

KeyRead ReadSecretKeyFile(const std::string& path) {
  Ed25519KeyPair pair;
  KeyRead read = ReadKeyLine(path, kSecretWord, kEd25519SecretKeyBytes, pair.secretKey);
  if (!read.problem.empty()) return read;
  const std::optional<std::string> publicKey = Ed25519PublicKeyOf(pair.secretKey);
  if (!publicKey) return {std::nullopt, path + ": the secret key is damaged (its halves do not belong together)"};
  pair.publicKey = *publicKey;
  return {std::move(pair), {}};
}

KeyRead ReadPublicKeyFile(const std::string& path) {
  Ed25519KeyPair pair;
  KeyRead read = ReadKeyLine(path, kPublicWord, kEd25519PublicKeyBytes, pair.publicKey);
  if (!read.problem.empty()) return read;
  return {std::move(pair), {}};
}

}  // namespace orvella::cli
