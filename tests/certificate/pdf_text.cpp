#include "certificate/pdf_text.h"

#include <sys/wait.h>

#include <cstdio>

namespace orvella::test {

ShellRun Shell(const std::string& command) {
  ShellRun run;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) run.out += buffer;
  const int status = pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::string Quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

std::string PdfText(const std::filesystem::path& pdf) {
  std::string text;
  // -q: poppler's warnings about a font's mapping table are not the page's text.
  for (const char c : Shell("pdftotext -q " + Quoted(pdf) + " -").out) {
    const bool blank = c == ' ' || c == '\n';
    if (!blank || text.empty() || text.back() != ' ') text += blank ? ' ' : c;
  }
  return text;
}

}  // namespace orvella::test
