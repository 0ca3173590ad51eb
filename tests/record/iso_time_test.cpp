// Record times: local time with the offset from UTC worked out by the
// program itself, east and west of Greenwich and across a summer-time change.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "record/iso_time.h"

namespace orvella::test {
namespace {

class TimeZone {
 public:
  explicit TimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) old_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~TimeZone() {
    if (old_.empty()) unsetenv("TZ"); else setenv("TZ", old_.c_str(), 1);
    tzset();
  }

 private:
  std::string old_;
};

// 2024-05-01 12:03:27 UTC
const auto kMayNoon = std::chrono::system_clock::from_time_t(1714565007);
// 2024-01-15 23:30:00 UTC
const auto kJanuaryNight = std::chrono::system_clock::from_time_t(1705361400);

TEST(IsoTime, UtcHasAZeroOffset) {
  TimeZone zone("UTC0");
  EXPECT_EQ(IsoLocalTime(kMayNoon), "2024-05-01T12:03:27+00:00");
}

TEST(IsoTime, OffsetsEastAndWestWithHalfHours) {
  {
    TimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    EXPECT_EQ(IsoLocalTime(kMayNoon), "2024-05-01T14:03:27+02:00");       // summer time
    EXPECT_EQ(IsoLocalTime(kJanuaryNight), "2024-01-16T00:30:00+01:00");  // the next day
  }
  {
    TimeZone zone("NST3:30");
    EXPECT_EQ(IsoLocalTime(kMayNoon), "2024-05-01T08:33:27-03:30");
  }
  {
    TimeZone zone("XST-5:45");
    EXPECT_EQ(IsoLocalTime(kJanuaryNight), "2024-01-16T05:15:00+05:45");
  }
}

}  // namespace
}  // namespace orvella::test
