// What the certificate page says, as rows of a caption and a value grouped
// under headings: the page layout (certificate_page.cpp) only draws them.
#pragma once

#include <string>
#include <vector>

#include "record/record_json.h"

namespace orvella::certificate {

struct Row {
  std::string caption;
  std::string value;
};

struct Section {
  std::string heading;
  std::vector<Row> rows;
};

// "Media Sanitization Record" for a complete, proven erase; otherwise a
// title that says what happened ("Erase NOT completed: cancelled",
// "Nothing was erased", the quick wipe's title that says it is none).
std::string CertificateTitle(const Json& record);

// The mark stamped beside the title of anything but a complete, proven
// erase ("NOT COMPLETED", "NOTHING WAS ERASED", ...); empty for one.
std::string CertificateMark(const Json& record);

// How to check the digest, in words, for a reader without the sources.
std::string DigestWords();

// "Sanitization category: Purge — technique: cryptographic erase (...)",
// stated large under the title; a quick wipe's says it is none.
std::string CategoryLine(const Json& record);

// The result in words, as the page states it under the title.
std::string ResultLine(const Json& record);

std::vector<Section> CertificateSections(const Json& record);

// Who vouches for the record: "signed by the Ed25519 key with fingerprint
// F", or that it is "not signed — integrity only" and what that means.
std::string SignatureLine(const Json& record);

}  // namespace orvella::certificate
