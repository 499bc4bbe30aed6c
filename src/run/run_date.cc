#include "run/run_date.h"

#include "platform/platform.h"

namespace kinloom {

namespace {

constexpr const char* kMonthNames[12] = {"January",   "February", "March",    "April",
                                         "May",       "June",     "July",     "August",
                                         "September", "October",  "November", "December"};

}  // namespace

CalendarDate DateOfEpoch(long long seconds) {
  // Days since 1970-01-01 to year, month and day in the proleptic
  // Gregorian calendar, counted in eras of 400 years from 0000-03-01.
  long long days = seconds / 86400;
  if (seconds % 86400 < 0) --days;
  days += 719468;
  const long long era = (days >= 0 ? days : days - 146096) / 146097;
  const long long day_of_era = days - era * 146097;
  const long long year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const long long day_of_year =
      day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const long long shifted_month = (5 * day_of_year + 2) / 153;  // 0 = March
  CalendarDate date;
  date.day = static_cast<int>(day_of_year - (153 * shifted_month + 2) / 5 + 1);
  date.month = static_cast<int>(shifted_month < 10 ? shifted_month + 3 : shifted_month - 9);
  date.year = static_cast<int>(year_of_era + era * 400 + (date.month <= 2 ? 1 : 0));
  return date;
}

CalendarDate CurrentRunDate(const RunDate& date) {
  if (date.fixed_epoch) return DateOfEpoch(*date.fixed_epoch);
  CalendarDate today;
  if (!platform::LocalToday(today.year, today.month, today.day) || today.month < 1 ||
      today.month > 12) {
    return DateOfEpoch(0);
  }
  return today;
}

std::string FormatPageDate(const CalendarDate& date) {
  std::string text;
  if (date.day < 10) text += '0';
  text += std::to_string(date.day);
  text += ' ';
  text += kMonthNames[date.month >= 1 && date.month <= 12 ? date.month - 1 : 0];
  text += ' ';
  text += std::to_string(date.year);
  return text;
}

EpochValue ParseSourceDateEpoch(const char* value) {
  EpochValue result;
  if (value == nullptr) return result;
  const std::string_view text(value);
  long long seconds = 0;
  bool usable = !text.empty();
  for (const char c : text) {
    if (c < '0' || c > '9') {
      usable = false;
      break;
    }
    seconds = seconds * 10 + (c - '0');
    if (seconds > kLatestEpoch) {
      usable = false;
      break;
    }
  }
  if (usable) {
    result.seconds = seconds;
  } else {
    result.problem =
        "SOURCE_DATE_EPOCH is not a number of seconds since 1970; the pages show today's date.";
  }
  return result;
}

}  // namespace kinloom
