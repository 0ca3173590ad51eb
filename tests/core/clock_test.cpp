#include "core/clock.h"

#include <gtest/gtest.h>

namespace orvella {
namespace {

TEST(Milliseconds, CountsFromTheLastDayOf1899) {
  EXPECT_EQ(ToMilliseconds({1899, 12, 30, 0, 0, 0, 0}), 0);
  EXPECT_EQ(ToMilliseconds({1899, 12, 31, 0, 0, 1, 5}), 86'400'000 + 1'005);
  EXPECT_EQ(ToMilliseconds({1900, 3, 1, 0, 0, 0, 0}), 61LL * 86'400'000);  // 1900 is no leap year
}

TEST(Milliseconds, ConvertBackToTheSameLocalTime) {
  for (const LocalDateTime t : {LocalDateTime{2026, 12, 8, 23, 59, 59, 999}, LocalDateTime{2000, 2, 29, 0, 0, 0, 0},
                                LocalDateTime{1899, 12, 29, 12, 0, 0, 0}}) {
    const LocalDateTime back = FromMilliseconds(ToMilliseconds(t));
    EXPECT_EQ(ToMilliseconds(back), ToMilliseconds(t));
    EXPECT_EQ(back.year, t.year);
    EXPECT_EQ(back.day, t.day);
    EXPECT_EQ(back.hour, t.hour);
  }
}

}  // namespace
}  // namespace orvella
