// The page as drawn, read back with pdftotext: the text a font cannot show
// is shown by number, a TrueType font shows it as it is, a record longer
// than a page goes on to another, and a file that cannot be written is
// reported as such.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "certificate/certificate_page.h"
#include "certificate/pdf_text.h"

namespace orvella::certificate {
namespace {

namespace fs = std::filesystem;
using test::PdfText;

bool Holds(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// What a record carries that the page quotes: a serial and a model beyond
// Latin-1 (a USB or NVMe drive's serial is not always ASCII), an operator
// with an accent, and no signature.
Json Record() {
  return {{"program", "orvella"},
          {"result", "cancelled"},
          {"mode", "full"},
          {"media", {{"model", "Flash \xe4\xb8\xad\xe6\x96\x87 2000"}, {"serial", "SN-7734-QX-\xe2\x84\xa6"}, {"sectorSize", 512}}},
          {"operator", "Zo\xc3\xab Kowalski"},
          {"bytesToWrite", 1000},
          {"bytesWritten", 400},
          {"sha256", std::string(64, 'c')}};
}

class CertificatePage : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("orvella-certificate-page-" + std::to_string(getpid()));
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string Rendered(const Json& record, const FontFiles& fonts) {
    const fs::path pdf = folder_ / "page.pdf";
    std::string problem;
    EXPECT_TRUE(WriteCertificate(record, pdf, fonts, problem)) << problem;
    return PdfText(pdf);
  }

  fs::path folder_;
};

TEST_F(CertificatePage, TheBuiltInFontsShowWhatTheyLackByNumber) {
  const std::string text = Rendered(Record(), {});
  EXPECT_TRUE(Holds(text, "Erase NOT completed: cancelled")) << text;
  EXPECT_TRUE(Holds(text, "SN-7734-QX")) << text;
  EXPECT_TRUE(Holds(text, "Flash <U+4E2D><U+6587> 2000")) << text;
  EXPECT_TRUE(Holds(text, "SN-7734-QX-<U+2126>")) << text;
  EXPECT_TRUE(Holds(text, "Zo\xc3\xab Kowalski")) << text;  // in the set: as it is
  EXPECT_TRUE(Holds(text, "Record: not signed \u2014 integrity only")) << text;
  EXPECT_TRUE(Holds(text, std::string(64, 'c'))) << text;
  EXPECT_EQ(std::count(text.begin(), text.end(), '\f'), 1) << text;
}

TEST_F(CertificatePage, ATrueTypeFontShowsTheTextAsItIs) {
  const FontFiles fonts = SystemFontFiles();
  if (fonts.regular.empty() || fonts.bold.empty()) GTEST_SKIP() << "no TrueType fonts";
  const std::string text = Rendered(Record(), fonts);
  EXPECT_TRUE(Holds(text, "Flash \xe4\xb8\xad\xe6\x96\x87 2000")) << text;
  EXPECT_TRUE(Holds(text, "SN-7734-QX-\xe2\x84\xa6")) << text;
  EXPECT_TRUE(Holds(text, "Zo\xc3\xab Kowalski")) << text;
}

// A file that is not a font, or a font cut short, leaves the built-in one
// (the PDF library would crash on it): the page is still made.
TEST_F(CertificatePage, AFontFileThatIsNoFontLeavesTheBuiltInOne) {
  const fs::path notAFont = folder_ / "broken.ttf";
  std::ofstream(notAFont) << "not a font";
  std::string text = Rendered(Record(), {notAFont.string(), notAFont.string()});
  EXPECT_TRUE(Holds(text, "SN-7734-QX")) << text;
  EXPECT_TRUE(Holds(text, "Flash <U+4E2D><U+6587> 2000")) << text;

  const FontFiles fonts = SystemFontFiles();
  if (fonts.regular.empty()) GTEST_SKIP() << "no TrueType font to cut short";
  EXPECT_TRUE(IsTrueTypeFont(fonts.regular));
  const fs::path cut = folder_ / "cut.ttf";
  fs::copy_file(fonts.regular, cut);
  fs::resize_file(cut, 4096);
  EXPECT_FALSE(IsTrueTypeFont(cut.string()));
  text = Rendered(Record(), {cut.string(), cut.string()});
  EXPECT_TRUE(Holds(text, "Flash <U+4E2D><U+6587> 2000")) << text;
}

// Nothing is drawn below the page's edge: what does not fit goes on, whole,
// on the next page, and the lines to sign come after it.
TEST_F(CertificatePage, ARecordLongerThanAPageGoesOnToTheNext) {
  Json record = Record();
  std::string words;
  for (int i = 0; i < 900; ++i) words += "word" + std::to_string(i) + " ";
  record["operator"] = words + "LAST";
  const std::string text = Rendered(record, {});
  EXPECT_GE(std::count(text.begin(), text.end(), '\f'), 2) << text;
  EXPECT_TRUE(Holds(text, "word0 word1 word2")) << text;
  EXPECT_TRUE(Holds(text, "word898 word899 LAST")) << text;
  EXPECT_LT(text.find("LAST"), text.find("Validator - name and title")) << text;
}

TEST_F(CertificatePage, AFileThatCannotBeWrittenIsReportedAndNotLeft) {
  const fs::path pdf = folder_ / "missing-folder" / "page.pdf";
  std::string problem;
  EXPECT_FALSE(WriteCertificate(Record(), pdf, {}, problem));
  EXPECT_EQ(problem, "cannot write " + pdf.string());
  EXPECT_FALSE(fs::exists(pdf));
}

}  // namespace
}  // namespace orvella::certificate
