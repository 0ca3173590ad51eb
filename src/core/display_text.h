// Text that came from outside the program (a drive's model, serial and
// firmware, a device path, a volume's mount point, a process name, a record
// file) made safe to show. A drive decides what it reports about itself: an
// escape sequence in its product name could erase a line of the erase
// question on a terminal and print a false one, a right-to-left override
// could reverse the rest of a field on a page. Control characters (C0, DEL,
// C1) become "\x1b" and the like, the characters that reorder or break a
// line (bidirectional overrides, isolates and marks, the Unicode line and
// paragraph separators) "<U+202E>"; everything else stays as it is.
// Records keep the bytes as reported: only what is shown is changed.
#pragma once

#include <string>
#include <string_view>

namespace orvella {

std::u16string DisplaySafe(std::u16string_view text);

// The same for UTF-8; ill-formed bytes become U+FFFD.
std::string DisplaySafeUtf8(std::string_view text);

// At most the first `limit` bytes of a text a message quotes (cut at a
// character's start), "..." and its length after them when it is longer:
// a file's key of a hundred megabytes must not come back as the message.
std::string Excerpt(std::string_view text, std::size_t limit = 40);

// Whether DisplaySafe would change anything.
bool NeedsDisplayEscape(std::u16string_view text);

}  // namespace orvella
