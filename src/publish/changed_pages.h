// Publishing only what changed: the pages of a run are compared with what
// the previous run in this folder wrote, and only the ones whose content
// differs (the date in the foot aside) are written, each under a temporary
// name and then renamed over the old one. Files that the previous run wrote
// and this one does not are removed at the end of a finished run, and
// kinloom.changes lists what was written and removed.
//
// The records themselves are described in publish/record_file.h.
//
// A journal line is on disk before the page it describes is renamed into
// place, so whenever a run is cut off, the manifest and the journal
// together name every file that a run put into html/. The next run merges
// them first.
//
// Begin, WaitForPrevious and Finish are called from the run's thread, the
// page calls from the thread that writes the pages, one at a time; the
// calls marked below also from the run's thread beside them.
#ifndef KINLOOM_PUBLISH_CHANGED_PAGES_H_
#define KINLOOM_PUBLISH_CHANGED_PAGES_H_

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <latch>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "publish/content_hash.h"
#include "publish/record_file.h"

namespace kinloom {

class ChangedPages {
 public:
  static constexpr std::string_view kManifestFile = kRecordManifestFile;
  static constexpr std::string_view kJournalFile = kRecordJournalFile;
  static constexpr std::string_view kChangesFile = kRecordChangesFile;
  static constexpr std::string_view kTemporaryDirectory = kRecordTemporaryDirectory;
  // A page larger than this goes to its temporary file as it is written,
  // rather than being held until it is complete.
  static constexpr std::size_t kHeldPageLimit = 4 * 1024 * 1024;

  // warn receives the one line said on standard error about an unusable
  // record of the previous run.
  explicit ChangedPages(std::function<void(std::string_view)> warn);
  ~ChangedPages();
  ChangedPages(const ChangedPages&) = delete;
  ChangedPages& operator=(const ChangedPages&) = delete;

  // Reads the previous run's record (after merging what a cut-off run
  // left) and starts this run's journal, after the html directory exists.
  // Returns the file that could not be written, if any. The previous
  // record is read by a thread of its own: every call below waits for it.
  [[nodiscard]] std::optional<platform::FileFault> Begin();
  // Waits for the previous record, then says (from the calling thread) the
  // one line about a record that cannot be used, if there is one.
  void WaitForPrevious();

  // A page: created at path unless it cannot be (the same checks as for
  // creating it in place); 0 then, else the page's handle.
  [[nodiscard]] int Open(const std::string& path);
  // Appends bytes; the mask_size bytes at mask_offset (the date) are left
  // out of the comparison.
  void Append(int page, std::string_view bytes, std::size_t mask_offset = 0,
              std::size_t mask_size = 0);
  // Appends size bytes at offset of the open file source.
  void AppendFrom(int page, int source, long long offset, long long size);
  // Completes the page: unchanged pages stay as they are, changed ones
  // replace the old file. False when the page could not be written whole
  // (the old file is then untouched). inputs goes into its record line.
  [[nodiscard]] bool Close(int page, std::string_view inputs = {});
  // A page that was not made again, because nothing it was made from
  // changed: record (read through FindPreviousLine at position) stays as
  // it is.
  void Keep(const RecordFields& record, std::size_t position);
  // Drops a page that will not be completed.
  void Abandon(int page);

  // Ends the run: when complete (every page was written), removes the
  // files the previous run wrote and this one did not; writes the manifest
  // and kinloom.changes. Returns the file that could not be written, if
  // any.
  // before_manifest receives the count and the check of the new record
  // just before it takes the place of the old one.
  [[nodiscard]] std::optional<platform::FileFault> Finish(
      bool complete,
      const std::function<void(long long count, std::uint64_t check)>& before_manifest = {});

  // --- For the run's thread, beside the page calls ---------------------
  // They read only what Begin left and does not change until Finish.
  //
  // The count and check of the previous record, when it is used.
  [[nodiscard]] bool PreviousSeal(long long& count, std::uint64_t& check) const;
  // The position of path's line in the previous record (the number of
  // lines when there is none).
  [[nodiscard]] std::size_t PreviousPosition(const std::string& path) const;
  // The same, trying first the line after the one found before, as pages
  // mostly come in the order of the record; next keeps the place.
  [[nodiscard]] std::size_t PreviousPosition(const std::string& path, std::size_t& next) const;
  [[nodiscard]] std::size_t previous_lines() const { return previous_.path_hashes.size(); }
  // The line at position, read through cursor; record views the cursor.
  [[nodiscard]] bool FindPreviousLine(std::size_t position, RecordCursor& cursor,
                                      RecordFields& record) const;
  // What a thread of its own, started by Begin, found on disk for the
  // file of the line at position: kOnDiskUnknown while it has not come to
  // it, kOnDiskAsRecorded when the file has the size and time of its line,
  // kOnDiskOther otherwise.
  static constexpr int kOnDiskUnknown = 0, kOnDiskAsRecorded = 1, kOnDiskOther = 2;
  [[nodiscard]] int OnDisk(std::size_t position) const;

 private:
  struct Page {
    int handle = 0;
    std::string path;
    bool exists = false;  // a file is at path
    bool regular = false;
    long long size = 0;
    long long modified_ns = 0;
    ContentHash hash;
    std::string held;               // bytes not yet in the temporary file
    platform::File temporary_file;  // once the page went past kHeldPageLimit
    std::string temporary;
    bool failed = false;
  };

  // The previous record, indexed by the hash of each line's path.
  struct Index {
    std::vector<std::uint64_t> path_hashes;  // sorted
    std::vector<std::uint32_t> offsets;      // of each line, same order
    std::vector<std::uint32_t> in_file;      // the positions in the order of their lines
  };

  // Content hashes of the pages done by this run that the previous record
  // does not name, by path hash: a page may be written more than once in
  // a run. Open addressing; key 0 marks a free slot.
  class DoneTable {
   public:
    bool Find(std::uint64_t key, std::uint64_t& value) const;
    void Set(std::uint64_t key, std::uint64_t value);

   private:
    std::vector<std::pair<std::uint64_t, std::uint64_t>> slots_;
    std::size_t used_ = 0;
  };

  Page* Find(int page);
  bool Spill(Page& page);
  bool ReadPreviousLine(std::size_t position, RecordFields& parsed);
  bool FindPrevious(const std::string& path, RecordFields& record, std::size_t& position);
  void Journal(const RecordFields& record);
  void AddChange(std::string_view kind, const std::string& path);
  bool FlushJournal();
  bool RecoverCutOffRun();
  void ReadPrevious();
  // The thread's work: every line of the previous record in file order.
  void CheckFilesOnDisk(const std::stop_token& stop);
  void StopCheckingFiles();
  std::string Identity() const;
  void Warn(std::string_view problem);

  std::function<void(std::string_view)> warn_;
  bool warned_ = false;
  std::string pending_warning_;
  std::latch previous_ready_{1};
  bool distrusted_ = false;  // the previous record is not used at all

  platform::File previous_file_;  // the manifest read at the start
  long long previous_count_ = 0;
  std::uint64_t previous_check_ = 0;
  RecordCursor cursor_;  // where the page calls and Finish read its lines
  Index previous_;
  std::vector<bool> seen_;  // per index position: written or kept by this run
  std::unique_ptr<std::atomic<std::uint8_t>[]> on_disk_;  // per index position
  std::jthread disk_checker_;
  std::vector<std::uint64_t> done_hash_;  // per index position, once seen
  DoneTable new_done_;

  platform::File journal_file_;
  std::string journal_buffer_;
  ContentHash journal_check_;
  long long journal_count_ = 0;
  bool journal_failed_ = false;

  std::vector<Page> open_;
  int next_handle_ = 1;
  long long next_temporary_ = 1;
  std::string checked_directory_;  // last directory known to take new files

  // The lines of kinloom.changes, in the order the files were done.
  std::string changes_;
};

}  // namespace kinloom

#endif  // KINLOOM_PUBLISH_CHANGED_PAGES_H_
