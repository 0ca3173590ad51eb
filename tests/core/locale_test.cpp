// The C library's locale on a machine whose locale is not UTF-8: the
// locale is compiled for the test into a folder of its own (LOCPATH), so
// that nothing of the machine's set-up is needed or changed.
#include "core/locale.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>

#include <unistd.h>

namespace orvella {
namespace {

namespace fs = std::filesystem;

class NonUtf8Locale : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("orvella-locales-" + std::to_string(getpid()));
    fs::create_directories(folder_);
    if (!Compile("EUC-KR", "ko_KR.euckr"))
      GTEST_SKIP() << "localedef cannot build ko_KR here (package locales missing?)";
    setenv("LOCPATH", folder_.c_str(), 1);
  }
  void TearDown() override {
    std::setlocale(LC_ALL, "C");
    unsetenv("LOCPATH");
    fs::remove_all(folder_);
  }

  bool Compile(const std::string& charset, const std::string& name) {
    const std::string command = "localedef -i ko_KR -f " + charset + " '" + (folder_ / name).string() +
                                "' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
  }

  // Short date and long time of a fixed moment under the named locale.
  std::u16string StampUnder(const char* name) {
    if (std::setlocale(LC_ALL, name) == nullptr) ADD_FAILURE() << "no locale " << name;
    CLibraryLocale locale;
    const LocalDateTime time{2024, 5, 1, 14, 3, 27, 0};
    return locale.ShortDate(time) + u"|" + locale.LongTime(time);
  }

  fs::path folder_;
};

// Korean dates and times name their units ("2024년 05월 01일"), which
// EUC-KR writes in bytes that are no UTF-8.
TEST_F(NonUtf8Locale, StampsAreDecodedInTheLocalesOwnCharacterSet) {
  EXPECT_EQ(StampUnder("ko_KR.euckr"), u"2024\uB144 05\uC6D4 01\uC77C|14\uC2DC 03\uBD84 27\uCD08");
}

}  // namespace
}  // namespace orvella
