// The certificate's words for a record, without drawing the page.
#include "certificate/certificate_text.h"

#include <gtest/gtest.h>

#include "support/hostile_text.h"

namespace orvella::certificate {
namespace {

std::string AllText(const Json& record) {
  std::string text = CertificateTitle(record) + "\n" + ResultLine(record) + "\n";
  for (const Section& section : CertificateSections(record))
    for (const Row& row : section.rows) text += row.caption + ": " + row.value + "\n";
  return text;
}

// A record may quote a hostile drive: the page shows the escapes, and an
// override cannot reverse the fields after it.
TEST(CertificateText, WhatTheDriveReportedIsShownWithItsControlCharactersVisible) {
  const Json record = {{"media", {{"model", test::kSpoofingProduct}, {"serial", test::kReversingProduct}}},
                       {"unmounted", Json::array({{{"mountPoint", "E:\\\u009b"}}})},
                       {"operator", "A\u2066B"},
                       {"result", "odd\u001b[0m"}};
  const std::string text = AllText(record);
  EXPECT_FALSE(test::HoldsRawControls(text)) << text;
  EXPECT_NE(text.find("Model: Stick\\x1b[2K\\x0d\\x1b[1A"), std::string::npos) << text;
  EXPECT_NE(text.find("Serial number: Stick<U+202E>KSID PUKCAB"), std::string::npos) << text;
  EXPECT_NE(text.find("Unmounted: E:\\\\x9b"), std::string::npos) << text;
  EXPECT_NE(text.find("Operator: A<U+2066>B"), std::string::npos) << text;
  EXPECT_NE(text.find("Result: odd\\x1b[0m"), std::string::npos) << text;
}

// A purge's certificate names its category and technique first, says the
// drive erased itself and what the sample found, and claims no proof.
TEST(CertificateText, APurgeNamesItsCategoryTechniqueCommandAndSample) {
  const Json record = {
      {"result", "complete"},
      {"mode", "full"},
      {"erasureProven", false},
      {"sanitization", {{"category", "Purge"}, {"technique", "cryptographic erase"}, {"thenZeros", false}}},
      {"purge",
       {{"command", "NVMe Sanitize (84h) crypto erase (SANACT 4)"},
        {"check", {{"sectors", 4002}, {"expect", "every sector changed"}, {"passed", true}}}}},
      {"verification", {{"method", "off"}, {"result", "not-run"}}}};
  EXPECT_EQ(CategoryLine(record),
            "Sanitization category: Purge \u2014 technique: cryptographic erase (NIST SP 800-88, IEEE 2883)");
  EXPECT_EQ(CertificateTitle(record), "Purge Record (checked on a sample, NOT every sector)");
  EXPECT_EQ(CertificateMark(record), "NOT PROVEN COMPLETE");
  const std::string result = ResultLine(record);
  EXPECT_NE(result.find("the drive erased itself (NVMe Sanitize (84h) crypto erase (SANACT 4))"), std::string::npos)
      << result;
  EXPECT_NE(result.find("4,002 sample sectors read before and after: every one changed"), std::string::npos) << result;
  EXPECT_EQ(result.find("NOT VERIFIED"), std::string::npos) << "a purge is checked by its sample: " << result;
  const std::string text = AllText(record);
  EXPECT_NE(text.find("Category: Purge\nTechnique: cryptographic erase\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Drive command: NVMe Sanitize (84h)"), std::string::npos) << text;
}

TEST(CertificateText, AZeroOverwriteIsAClearAndAQuickWipeNoCategory) {
  const Json clear = {{"result", "complete"},
                      {"sanitization", {{"category", "Clear"}, {"technique", "overwrite"}}},
                      {"purge", nullptr}};
  EXPECT_EQ(CategoryLine(clear), "Sanitization category: Clear \u2014 technique: overwrite (NIST SP 800-88, IEEE 2883)");
  EXPECT_NE(AllText(clear).find("Drive command: none: the host wrote zeros"), std::string::npos);
  const Json quick = {{"result", "quick-wipe-complete"}, {"mode", "quick"}, {"sanitization", {{"category", nullptr}}}};
  EXPECT_EQ(CategoryLine(quick), "Sanitization category: none (a quick wipe is neither a Clear nor a Purge)");
}

}  // namespace
}  // namespace orvella::certificate
