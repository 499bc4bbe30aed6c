// The GEDCOM reader: one pass over the file named by GEDFILE, filling the
// work files, and the cross-reference check that follows it.
#ifndef KINLOOM_GEDCOM_READER_H_
#define KINLOOM_GEDCOM_READER_H_

#include <cstdint>
#include <string_view>

#include "run/run.h"

namespace kinloom {

// Returns 0, 1 (the file cannot be opened) or 2 (long tag names).
int ReadGedcom(Run& run);

// The last run of digits before the second "@" of the line (0 when none,
// or when the value exceeds 2147483647).
std::int32_t XrefNumber(std::string_view line);

// Whether the line's value is a cross-reference pointer rather than text.
bool IsPointer(std::string_view line);

// Logs every family or individual reference without a record; 0 or 5.
int IsValidGedcom(Run& run);

}  // namespace kinloom

#endif  // KINLOOM_GEDCOM_READER_H_
