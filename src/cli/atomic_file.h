// A file that is replaced all at once. The new text goes to a temporary
// file in the same folder, is pushed to the disk, and only then renamed
// over the target: a reader sees the earlier file or the whole new one,
// never a part, and a run that fails or is killed leaves the earlier file
// as it was.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvella::cli {

// Why `path` cannot take a file written this way (empty name, a folder
// that does not exist or refuses new files, a target that is a folder or
// a device); nothing when it can. Leaves nothing behind.
std::optional<std::string> WhyNotReplaceable(const std::string& path);

// Writes `text` to `path` as described above; the reason when it failed,
// in which case `path` is untouched and no temporary file stays.
std::optional<std::string> ReplaceFile(const std::string& path, std::string_view text);

// Writes `text` to a new file `path` the same way, but never over an
// existing file: the reason when it failed (the name is taken, say), in
// which case nothing stays behind.
std::optional<std::string> CreateNewFile(const std::string& path, std::string_view text);

}  // namespace orvella::cli
