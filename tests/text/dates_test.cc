#include "text/dates.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace kinloom {
namespace {

TEST(LatestYear, ReadsTheLatestYearAndNothingThatMightBeADayOrAnotherCalendar) {
  struct Case {
    std::string date;
    std::optional<int> expected;
  };
  const Case cases[] = {
      // Plain dates, qualifiers and ranges: the latest year named.
      {"1850", 1850},
      {"12 MAR 1850", 1850},
      {"ABT 1850", 1850},
      {"BEF 1900", 1900},
      {"AFT 1900", 1900},
      {"BET 1900 AND 1990", 1990},
      {"BET 1990 AND 1900", 1990},
      {"FROM 1890 TO 1930", 1930},
      {"EST 1799", 1799},
      {"INT 1901 (about then)", 1901},
      // Dual years.
      {"ABT 1850/51", 1851},
      {"1699/00", 1700},
      {"24 FEB 1712/3", 1713},
      // Numeric dates: only the part of three or more digits is a year.
      {"12.03.1950", 1950},
      {"1950-03-12", 1950},
      {"3/4/1950", 1950},
      {"1850/3/12", 1850},
      {"3/4/85", std::nullopt},
      // Short years: three digits are read, one or two only with BC.
      {"850", 850},
      {"ABT 999", 999},
      {"85", std::nullopt},
      {"5 MAR", std::nullopt},
      {"2 BC", -2},
      {"44 B.C.", -44},
      {"500 BCE", -500},
      {"BET 10 BC AND 1850", 1850},
      // Calendars.
      {"@#DJULIAN@ 1700", 1700},
      {"@#DGREGORIAN@ 3 JAN 1800", 1800},
      {"@#DHEBREW@ 5500", std::nullopt},
      {"@#DFRENCH R@ 12", std::nullopt},
      {"BET @#DJULIAN@ 1700 AND @#DHEBREW@ 5500", std::nullopt},
      {"@#DJULIAN 1700", std::nullopt},  // an escape that never closes
      // Not dates at all.
      {"", std::nullopt},
      {"UNKNOWN", std::nullopt},
      {"abt", std::nullopt},
      {"Y", std::nullopt},
      {"(1880)", std::nullopt},
      {"1880s", std::nullopt},
      {"19th century", std::nullopt},
      {"1234567", std::nullopt},
      {"@@@", std::nullopt},
      // Years in the future are still years; the caller weighs them.
      {"2090", 2090},
      {"999999", 999999},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LatestYear(c.date), c.expected) << '"' << c.date << '"';
  }
}

}  // namespace
}  // namespace kinloom
