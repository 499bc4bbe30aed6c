// The GEDCOM reader: one pass over the file named by GEDFILE, filling the
// work files, and the cross-reference check that follows it.
#ifndef KINLOOM_GEDCOM_READER_H_
#define KINLOOM_GEDCOM_READER_H_

#include <cstdint>
#include <string_view>

#include "run/run.h"

namespace kinloom {

// Reads run.settings.gedfile into the open work files of run.store: one
// IndividualRecord per INDI record, one FamilyRecord per FAM record, the
// NoteLines of every note, one SourceRecord per stored source, one
// PhotoRecord per multimedia link, counted in run.store.counters (which it
// clears first). Record numbers come from the file's cross-reference
// identifiers, one number space per kind of record, distinct identifiers
// always getting distinct numbers from 1. Logs ">ReadGedcom", and on
// success the statistics block and "<ReadGedcom".
// Returns 0, 1 (the file cannot be opened; nothing is stored) or 2 (the
// file spells out tag names; what was stored before that line stays).
int ReadGedcom(Run& run);

// The last run of digits before the second "@" of the line; when the
// cross-reference holds no digits the walk goes on to the left (to the
// line's level). 0 when there is no second "@" or no digit before it, or
// when the value exceeds 2147483647.
std::int32_t XrefNumber(std::string_view line);

// Whether the line's value is a cross-reference pointer rather than text,
// judged by the positions of its "@" and blanks.
bool IsPointer(std::string_view line);

// Logs every family or individual reference that has no stored record,
// one line each, families first, noting each in run.missing_records;
// returns 0, or 5 when there is one. With SKIPMISSING on, such references
// are removed from the records that hold them instead, and the result is 0.
int IsValidGedcom(Run& run);

}  // namespace kinloom

#endif  // KINLOOM_GEDCOM_READER_H_
