// Reading a whole file that the user names (a drive description, an erase
// record, a key) without trusting it: a folder, a device or a pipe is
// refused, and so is a file larger than the caller's limit, before it is
// read whole into memory. Errors are the system's words; nothing throws.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orvella {

struct FileRead {
  std::optional<std::string> text;
  std::string problem;  // why it could not be read, when `text` is empty
};

FileRead ReadBoundedFile(const std::string& path, std::uintmax_t limit);

// "64 MiB", "4 KiB": a limit as the messages and docs name it.
std::string BytesInWords(std::uintmax_t bytes);

}  // namespace orvella
