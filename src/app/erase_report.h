// Saving the report of the main window's last erase: the record as JSON
// and its certificate as PDF beside it, kept by themselves in the user's
// records folder after every run, and copied where the user says. No file
// is ever written over.
#pragma once

#include <functional>
#include <string>

#include "record/record_json.h"

namespace orvella {

// The folder of the kept records, inside the user's documents folder.
inline constexpr char16_t kRecordsFolderName[] = u"Orvella records";

// Writes a record's certificate to a PDF path; empty on success, else what
// went wrong.
using CertificateWriter = std::function<std::u16string(const Json& record, const std::u16string& pdfPath)>;

// "erase-SERIAL-2024-05-01.json", from the record's serial and start date;
// characters that do not belong in a file name become "_".
std::u16string SuggestedReportName(const Json& record);

// The certificate's path beside the record: ".json" becomes ".pdf", any
// other name gets ".pdf" added.
std::u16string CertificatePathOf(const std::u16string& recordPath);

// Writes the record's text to `path`, which must not exist yet; empty on
// success, else what went wrong.
std::u16string SaveRecordFile(const Json& record, const std::u16string& path);

// Saves the record and, beside it, its certificate; a file already at
// either place is left alone and reported. Empty on success, else what
// went wrong (a record saved without its certificate says only what kept
// the certificate from being made).
std::u16string SaveRecordAndCertificate(const Json& record, const std::u16string& path,
                                        const CertificateWriter& writeCertificate);

// Where a run's record went by itself.
struct KeptRecord {
  std::u16string recordPath;       // empty when it could not be kept
  std::u16string certificatePath;  // empty when the certificate could not be made
  std::u16string problem;          // what went wrong, in words; empty when nothing did
};

// Keeps the record in `documentsFolder`/Orvella records (made when
// missing) as "erase-SERIAL-2024-05-01T10-20-30.json", with "-2", "-3"...
// added while that name or its certificate's is taken, and its
// certificate beside it.
KeptRecord KeepRecord(const Json& record, const std::u16string& documentsFolder,
                      const CertificateWriter& writeCertificate);

}  // namespace orvella
