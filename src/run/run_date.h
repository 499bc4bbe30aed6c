// The date a run puts on its pages, worked out in one place: today's local
// date, or the fixed moment given by SOURCE_DATE_EPOCH (seconds since 1970,
// read as UTC) so that two runs of one tree give byte-identical sites.
#ifndef KINLOOM_RUN_RUN_DATE_H_
#define KINLOOM_RUN_RUN_DATE_H_

#include <optional>
#include <string>
#include <string_view>

namespace kinloom {

struct CalendarDate {
  int year = 1970;
  int month = 1;  // 1 to 12
  int day = 1;    // 1 to 31
  bool operator==(const CalendarDate&) const = default;
};

// Where the date of a run comes from. Empty: the local date at the moment
// it is asked for (a run that goes past midnight shows both dates, as
// pages are written).
struct RunDate {
  std::optional<long long> fixed_epoch;  // seconds since 1970-01-01 00:00 UTC
};

// The date of the run: the UTC date of the fixed moment, or today's local
// date.
[[nodiscard]] CalendarDate CurrentRunDate(const RunDate& date);

// The UTC calendar date of a moment given in seconds since 1970.
[[nodiscard]] CalendarDate DateOfEpoch(long long seconds);

// "%d %B %Y" with English month names, the day of two digits ("08 December
// 2026").
[[nodiscard]] std::string FormatPageDate(const CalendarDate& date);

// The largest moment accepted: the last second of the year 9999.
inline constexpr long long kLatestEpoch = 253402300799LL;

struct EpochValue {
  std::optional<long long> seconds;  // set when the text is a usable number
  std::string problem;               // one line for standard error, or empty
};

// Reads the value of SOURCE_DATE_EPOCH (nullptr: not set). A usable value
// is decimal digits only, at most kLatestEpoch; anything else is ignored
// and described in problem.
[[nodiscard]] EpochValue ParseSourceDateEpoch(const char* value);

}  // namespace kinloom

#endif  // KINLOOM_RUN_RUN_DATE_H_
