// The run driver: one press of Create Page.
#ifndef KINLOOM_RUN_DRIVER_H_
#define KINLOOM_RUN_DRIVER_H_

#include <string>
#include <string_view>

#include "run/run.h"
#include "run/run_lock.h"

namespace kinloom {

// Logs the settings block, opens the work files and the "html" tree,
// refuses placeholder addresses (3, 4), then reads, checks and writes the
// site phase by phase, stopping at the first non-zero result; the work files
// are always closed and deleted. An individual page, names page or listed
// pedigree chart that could not be written does not stop the phases, but
// makes the result 6 in the end. A work file that lost a write (a full
// disk) stops the run with 6 after the phase, logging "Unable to write work
// file %s.". When references without a record were skipped (SKIPMISSING),
// their count is logged (SkippedReferencesText) right before the closing
// line. Returns the RunResult.
int CreateKinloom(Run& run);

// Takes the run lock of the current directory for a run: kResultOk when it
// is held, kResultRunLocked when another run holds it, kResultCannotWrite
// (and the notice that says why) when the lock file cannot be had.
[[nodiscard]] int TakeRunLock(RunLock& lock, RunNotices& notices);

// For the programs, once at their start: blocks of half a megabyte or
// more are taken from the system for each allocation and given back when
// freed. Otherwise the allocator raises that bound to the largest block
// freed so far, and the buffers of the names sort and the work-file moves
// stay in the heap for the rest of the run.
void KeepLargeBlocksApart();

// Creates the twelve work files and the output directories. Returns 0, or 6
// after logging "Unable to create work file %s." when a work file cannot be
// opened or is the GEDCOM file itself (the files opened so far are closed
// and deleted again).
int OpenKinloomFiles(Run& run);
void CloseKinloomFiles(Run& run);

// What a person would call the phase the run entered (Progress::phase),
// for a progress display: "Family pages" for BuildFamilyGroupRecords.
// Empty for the run's own start.
[[nodiscard]] std::string_view PhaseTitle(std::string_view phase);

enum class MessageIcon { kNone, kWarning };
struct ResultMessage {
  std::string_view text;
  MessageIcon icon;
};
inline constexpr std::string_view kResultMessageTitle = "Kinloom Create";

// The message box a front end shows for a RunResult.
ResultMessage RunResultMessage(int result);

// The line that tells how many references without a record a run went
// on without (SKIPMISSING): the log's last line but one, and a line of
// its own in each front end's report, whenever there were any.
[[nodiscard]] std::string SkippedReferencesText(long skipped);

// The notice of a run that stopped at references without records (5): how
// many, and that SKIPMISSING publishes the tree without them.
[[nodiscard]] std::string MissingRecordsNotice(long found);

// The lines appended to the log after the message for RunResult 6: the
// first page or file the run could not write with the system's reason
// (when a page was the cause), then two fixed lines.
void LogCannotWriteFollowUp(const Run& run);

}  // namespace kinloom

#endif  // KINLOOM_RUN_DRIVER_H_
