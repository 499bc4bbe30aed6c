#include "run/run_date.h"

#include <gtest/gtest.h>

namespace kinloom {
namespace {

TEST(RunDateTest, EpochSecondsGiveTheUtcCalendarDate) {
  const struct {
    long long seconds;
    CalendarDate date;
  } cases[] = {
      {0, {1970, 1, 1}},
      {86399, {1970, 1, 1}},  // the last second of the first day
      {86400, {1970, 1, 2}},
      {951782400, {2000, 2, 29}},  // a leap day of a year divisible by 400
      {1000000000, {2001, 9, 9}},
      {4107456000, {2100, 2, 28}},  // 2100 is no leap year: March follows
      {4107542400, {2100, 3, 1}},
      {kLatestEpoch, {9999, 12, 31}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DateOfEpoch(c.seconds), c.date) << c.seconds;
  }
}

TEST(RunDateTest, FixedMomentIsTheRunsDateAndPrintsLikeThePageFoot) {
  RunDate fixed;
  fixed.fixed_epoch = 1000000000;
  EXPECT_EQ(CurrentRunDate(fixed), (CalendarDate{2001, 9, 9}));
  EXPECT_EQ(FormatPageDate(CurrentRunDate(fixed)), "09 September 2001");
  EXPECT_EQ(FormatPageDate({1999, 12, 31}), "31 December 1999");
}

TEST(RunDateTest, OnlyPlainDecimalSecondsAreTaken) {
  EXPECT_FALSE(ParseSourceDateEpoch(nullptr).seconds);
  EXPECT_EQ(ParseSourceDateEpoch(nullptr).problem, "");
  EXPECT_EQ(ParseSourceDateEpoch("1000000000").seconds, 1000000000);
  EXPECT_EQ(ParseSourceDateEpoch("00042").seconds, 42);
  EXPECT_EQ(ParseSourceDateEpoch("253402300799").seconds, kLatestEpoch);
  for (const char* bad :
       {"", "12a", "-1", " 1", "1 ", "+5", "1e9", "253402300800", "99999999999999999999999"}) {
    const EpochValue value = ParseSourceDateEpoch(bad);
    EXPECT_FALSE(value.seconds) << bad;
    EXPECT_EQ(value.problem,
              "SOURCE_DATE_EPOCH is not a number of seconds since 1970; the pages show today's "
              "date.")
        << bad;
  }
}

}  // namespace
}  // namespace kinloom
