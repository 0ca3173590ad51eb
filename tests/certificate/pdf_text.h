// What a PDF says, as pdftotext (poppler-utils) reads it back: the oracle
// of the certificate tests, independent of the library that drew the page.
#pragma once

#include <filesystem>
#include <string>

namespace orvella::test {

struct ShellRun {
  int exitCode = -1;
  std::string out;  // stdout and stderr together
};

ShellRun Shell(const std::string& command);

std::string Quoted(const std::filesystem::path& path);

// The text of the pages with each run of blanks and line breaks as one
// blank, so that a value the layout wraps is still found whole; each page
// ends with a form feed.
std::string PdfText(const std::filesystem::path& pdf);

}  // namespace orvella::test
