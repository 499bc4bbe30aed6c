// Years read out of the free-form date texts of a GEDCOM file.
#ifndef KINLOOM_TEXT_DATES_H_
#define KINLOOM_TEXT_DATES_H_

#include <optional>
#include <string_view>

namespace kinloom {

// The latest year that a date text names: "12 MAR 1850" gives 1850,
// "BET 1900 AND 1990" and "FROM 1890 TO 1930" the later of the two, the
// dual year "ABT 1850/51" 1851, "2 BC" -2, "@#DJULIAN@ 1700" 1700.
//
// A year is a number of three or more digits, or any number followed by BC
// (or B.C., BCE). A number of one or two digits alone is not read as a
// year: it may be a day, a month or a shortened year ("5 MAR", "12.3.",
// "3/4/85"), and nothing can tell which. A date in a calendar other than
// the Gregorian or the Julian one, text in parentheses (a date phrase) and
// numbers joined to letters ("1880s", "19th") are not read either, nor is a
// number of more than six digits. Nothing when no year can be read.
[[nodiscard]] std::optional<int> LatestYear(std::string_view date);

}  // namespace kinloom

#endif  // KINLOOM_TEXT_DATES_H_
