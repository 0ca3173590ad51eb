// The erase record as a one-page PDF certificate: the medium, the method,
// the verification, the result, the times, the people, the failed ranges,
// the digest and a line for the signature. QtGui only (QPdfWriter).
#pragma once

#include <QString>

#include "record/record_json.h"

namespace orvella::certificate {

// Writes the page of a sealed record to `pdfPath`; false, with `problem`
// set, when the file cannot be written.
bool WriteCertificate(const Json& record, const QString& pdfPath, QString& problem);

}  // namespace orvella::certificate
