// Saving the report of the main window's last erase: the record as JSON
// where the user says, and its certificate as PDF beside it.
#pragma once

#include <string>

#include "record/record_json.h"

namespace orvella {

// "erase-SERIAL-2024-05-01.json", from the record's serial and start date;
// characters that do not belong in a file name become "_".
std::u16string SuggestedReportName(const Json& record);

// The certificate's path beside the record: ".json" becomes ".pdf", any
// other name gets ".pdf" added.
std::u16string CertificatePathOf(const std::u16string& recordPath);

// Writes the record's text to `path`; empty on success, else what went wrong.
std::u16string SaveRecordFile(const Json& record, const std::u16string& path);

}  // namespace orvella
