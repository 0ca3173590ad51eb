// The erase record as a PDF certificate: the medium, the method, the
// verification, the result, the times, the people, the failed ranges, the
// digest and lines for the signatures, on one A4 page (more where a record
// holds more than fits). Drawn with libharu, the same on every platform.
#pragma once

#include <filesystem>
#include <string>

#include "certificate/font_files.h"
#include "record/record_json.h"

namespace orvella::certificate {

// Writes the page of a sealed record to `pdfPath`, with the machine's
// TrueType fonts where it has them; false, with `problem` set, when the file
// cannot be made or written.
bool WriteCertificate(const Json& record, const std::filesystem::path& pdfPath, std::string& problem);

// The same with the fonts given: an empty file names the built-in font.
bool WriteCertificate(const Json& record, const std::filesystem::path& pdfPath, const FontFiles& fonts,
                      std::string& problem);

// The same as the desktops save it: the path as they hold it, and what went
// wrong in words (empty on success).
std::u16string WriteCertificateFile(const Json& record, const std::u16string& pdfPath);

}  // namespace orvella::certificate
