// The records of what the runs with CHANGEDONLY wrote: their line format,
// how they are read and written, and where they live.
//
// The record of what the runs wrote lives in the current directory:
//   kinloom.manifest  the record of the last run, one line per file;
//   kinloom.journal   the record of the run going on, appended to as pages
//                     are done, and renamed to kinloom.manifest at its end;
//   kinloom.tmp/      the pages being written, before they are renamed.
// Both records have the same lines:
//   "kinloom record 1 NUMBER"         (the html directory's file number)
//   "HASH SIZE MTIME FLAG PATH[\tINPUTS]" per file, one or more
//   "end COUNT CHECK"                 (the manifest only)
// HASH is the 16 hex digits of the page content's hash with the date left
// out, SIZE and MTIME (nanoseconds) what the file had on disk when it was
// written, FLAG "w" for a file written by the run and "p" for one written
// by a run that was cut off before it listed its changes, "r" for a file
// the run removed, "x" for one removed by a run that was cut off before it
// listed it, "-" otherwise;
// CHECK is the hash of every byte before the "end" line. A page whose hash
// and whose size and time on disk match its line is unchanged. INPUTS, when
// there, lists the records the page was made from (see publish/page_inputs.h);
// it is after the last tab of the line.
//
// A record that does not follow these lines exactly (a missing header or
// end line, a field out of place, a check that does not match) is refused
// whole: the run then says why on standard error (RecordWarning) and
// writes every page.
#ifndef KINLOOM_PUBLISH_RECORD_FILE_H_
#define KINLOOM_PUBLISH_RECORD_FILE_H_

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace kinloom {

inline constexpr std::string_view kRecordManifestFile = "kinloom.manifest";
inline constexpr std::string_view kRecordJournalFile = "kinloom.journal";
inline constexpr std::string_view kRecordChangesFile = "kinloom.changes";
inline constexpr std::string_view kRecordTemporaryDirectory = "kinloom.tmp";

// The fields of one record line; path views the line.
struct RecordFields {
  std::uint64_t hash = 0;
  long long size = 0;
  long long modified_ns = 0;
  char flag = '-';
  std::string_view path;
  std::string_view inputs;
};

// Where the run's thread reads lines of the previous record, apart from
// the thread that writes the pages: a piece of the file and its offset.
struct RecordCursor {
  std::string piece;
  long long offset = -1;
};

// A page's path as the records and kinloom.changes keep it, with "/"
// between its steps whatever the system's separator (the system takes "/"
// too).
[[nodiscard]] std::string RecordPath(std::string_view path);

// One record line, "HASH SIZE MTIME FLAG PATH\n", or with "\tINPUTS"
// before the line end when inputs is not empty (or the path holds a tab).
[[nodiscard]] std::string RecordLine(std::uint64_t hash, long long size, long long modified_ns,
                                     char flag, std::string_view path,
                                     std::string_view inputs = {});
// The first line of a record for the html directory whose file number is
// identity, and the last line of a manifest of count lines whose bytes
// before it hash to check.
[[nodiscard]] std::string RecordHeaderLine(std::string_view identity);
[[nodiscard]] std::string RecordEndLine(long long count, std::uint64_t check);

// Parses one record line (without its line end). False for a line that is
// not one, or whose path is not under html/ or steps out of it.
[[nodiscard]] bool ParseRecord(std::string_view line, RecordFields& record);

enum class RecordState { kGood, kMissing, kDamaged, kOtherFolder };

// What a whole manifest says of itself: its count and check.
struct RecordSeal {
  long long count = 0;
  std::uint64_t check = 0;
};

// Reads a record file line by line: the header must name identity, each
// record line goes to on_record with its offset, and with needs_end (a
// manifest) the "end" line must close the file with the right count and
// check, which go to seal. Without it (a journal), reading stops quietly
// at the first line that is cut off or not a record. kMissing when file
// is not open.
[[nodiscard]] RecordState ReadRecordFile(
    platform::FileHandle file, std::string_view identity, bool needs_end,
    const std::function<void(const RecordFields& record, long long offset)>& on_record,
    RecordSeal* seal = nullptr);

// The line said on standard error when the previous run's manifest is
// refused, without its common ending (not for kGood).
[[nodiscard]] std::string_view RecordWarning(RecordState state);

}  // namespace kinloom

#endif  // KINLOOM_PUBLISH_RECORD_FILE_H_
