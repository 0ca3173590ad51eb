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

}  // namespace
}  // namespace orvella::certificate
