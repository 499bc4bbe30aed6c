// One run of Kinloom: everything a run reads and writes travels in this
// object, so tests can build one, fill its store and call any phase.
#ifndef KINLOOM_RUN_RUN_H_
#define KINLOOM_RUN_RUN_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "publish/site_writer.h"
#include "run/installed_data.h"
#include "run/living.h"
#include "run/log.h"
#include "run/notices.h"
#include "run/run_date.h"
#include "run/settings.h"
#include "store/missing_records.h"
#include "store/picture_paths.h"
#include "store/work_files.h"

namespace kinloom {

class NamesSort;
class PageInputs;

// RunResult codes.
inline constexpr int kResultOk = 0;
inline constexpr int kResultGedcomNotOpened = 1;
inline constexpr int kResultLongTags = 2;
inline constexpr int kResultPlaceholderEmail = 3;
inline constexpr int kResultPlaceholderHome = 4;
inline constexpr int kResultInvalidGedcom = 5;
inline constexpr int kResultCannotWrite = 6;
// 7 is no longer returned: it once stopped a run at an ancestry loop.
inline constexpr int kResultRunLocked = 8;

// The page sub-directories of "html" with SUBDIRS "Y", in the order they
// are created.
inline constexpr const char* kPageDirectories[] = {"fam", "ind", "nti", "ntf", "ped", "pho"};

// State of the page being written.
struct PageState {
  // Sources cited on the current family group or individual page, in order
  // of first citation; a source's position (from 1) is its footnote number.
  std::vector<std::int32_t> sources;
};

// The user's include files meta.htm, header.htm and footer.htm, copied
// into every page: read from the current directory the first time a page
// needs them in a run, then kept. Empty for a file that is missing or
// cannot be read.
struct UserFiles {
  bool read = false;
  std::optional<std::string> meta;
  std::optional<std::string> header;
  std::optional<std::string> footer;
};

// Progress of a run, for front ends that show one.
struct Progress {
  std::string phase;       // name of the phase last entered
  long pages_written = 0;  // page and index files written whole so far
  long pages_kept = 0;     // of them, pages kept as the previous run left them
  long lines_read = 0;     // GEDCOM lines read so far (reported now and then)
  // Individual pages, names pages and listed pedigree charts that could not
  // be written. The run goes on past them, but does not end as finished.
  long pages_failed = 0;
};

// Switches that tests set; a run of the programs leaves them as they are.
struct TestOptions {
  // CreateKinloom writes the site's files in a second thread while it
  // builds the pages (same files, same log); false keeps everything in the
  // calling thread.
  bool write_in_background = true;
  // The names sort's thread keeps normal priority and QsortIndividuals
  // always waits for it, so that what it works out is always used.
  bool always_wait_for_names_sort = false;
  // The date text on the foot of every page, in place of the run's date
  // ("%d %B %Y", English month names); empty: the run's date.
  std::string fixed_page_date;
};

struct Run {
  Run() = default;
  Run(const Settings& s, const LabelTexts& l) : settings(s), labels(l) {}
  Run(const Run&) = delete;  // the output writer holds on to the log
  Run& operator=(const Run&) = delete;

  Settings settings;
  LabelTexts labels;
  RunLog log;
  // Every page file and, during CreateKinloom, every log line goes through
  // this writer.
  SiteWriter output{log};
  WorkFiles store;
  PedigreeSelection pedigree;
  // Who is presumed living, when PRIVACY is "Y" (settled after the
  // cross-reference check; nobody otherwise).
  PresumedLiving living;
  PageState page;
  UserFiles user_files;
  Progress progress;
  // References without a record that the cross-reference check found, and
  // how many of them the run went on without.
  MissingRecords missing_records;
  // Each photo's picture path as the GEDCOM file writes it (PHOTOS "Y"
  // only), kept for this run alone.
  PicturePaths picture_paths;
  // What the front end shows under the result's message.
  RunNotices notices;
  // Partners a family names beyond the two it holds (family number,
  // individual number), in the order of the file: the GEDCOM reader finds
  // them, the family pages phase names them in the log.
  std::vector<std::pair<std::int32_t, std::int32_t>> extra_partners;
  // Where the files that come with the program are (the default background
  // picture); the front ends set it from their own path.
  InstalledData installed;

  // With CHANGEDONLY, what each page is made from, so that pages made
  // from nothing that changed are kept as they are (nullptr: every page is
  // made).
  PageInputs* page_inputs = nullptr;

  // Called after each phase entry and each page written; may be empty.
  std::function<void(const Progress&)> on_progress;
  // Receives a warning line meant for standard error (empty: printed
  // there).
  std::function<void(std::string_view)> on_warning;
  // The date of the run: on the foot of every page, and the day the run
  // reckons from.
  RunDate date;
  TestOptions test_options;

  // The names sort, worked out ahead while the pages are built
  // (pages/names_sort.h, StartNamesSort); nullptr when none was started.
  // Shared only so that the run need not see the class: the pointer's
  // deleter, which stops and joins the sort's thread, comes from where it
  // is made. Last, so that it goes first, before the store it reads.
  std::shared_ptr<NamesSort> names_sort;

  // Convenience for the phases.
  const std::string& Text(Label label) const { return labels[label]; }
  // The living get no chart of their own.
  bool InPedigreeSelection(std::int32_t number) {
    return pedigree.InPedigreeSelection(settings, number) && !living.IsLiving(number);
  }
  void EnterPhase(std::string_view name) {
    progress.phase = std::string(name);
    if (on_progress) on_progress(progress);
  }
  // Takes the output's page counters into progress and reports it.
  void ReportProgress() {
    progress.pages_written = output.pages_written();
    progress.pages_failed = output.pages_failed();
    progress.pages_kept = output.pages_kept();
    if (on_progress) on_progress(progress);
  }
};

}  // namespace kinloom

#endif  // KINLOOM_RUN_RUN_H_
