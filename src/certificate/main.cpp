// orvella-certificate RECORD.json OUT.pdf
//
// Renders an erase record as a one-page PDF certificate. A record that is
// not valid JSON, whose SHA-256 digest does not match its content, that
// contradicts itself, or whose signature does not hold is refused: a
// certificate must not vouch for a record that was changed or that claims
// what it cannot. The page says whether the record is signed, and by which
// key, or only intact.
#include <filesystem>
#include <iostream>

#include "certificate/certificate_page.h"
#include "core/bounded_file.h"
#include "record/record_trust.h"

namespace {

constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;

int Fail(const std::string& message, int code) {
  std::cerr << "orvella-certificate: " << message << '\n';
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return Fail("usage: orvella-certificate RECORD.json OUT.pdf", kExitUsage);
  const orvella::FileRead file = orvella::ReadBoundedFile(argv[1], orvella::kRecordFileLimit);
  if (!file.text) return Fail(std::string("cannot read ") + argv[1] + ": " + file.problem, kExitRefused);
  const orvella::RecordVerdict verdict = orvella::JudgeRecord(*file.text);
  if (!verdict.Holds())
    return Fail(std::string(argv[1]) + ": " + verdict.Problem() + "; no certificate written", kExitRefused);

  std::string problem;
  try {
    if (!orvella::certificate::WriteCertificate(*verdict.record, std::filesystem::path(argv[2]), problem))
      return Fail(problem, kExitRefused);
  } catch (const orvella::Json::exception& error) {
    return Fail(std::string(argv[1]) + ": not an erase record (" + error.what() + ")", kExitRefused);
  }
  return 0;
}
