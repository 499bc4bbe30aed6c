// Where the site's files and the run log's lines go.
//
// A run builds its pages on one thread; the system calls that put them on
// disk (creating each file, writing it, closing it, appending each log line)
// are as much work again, most of it in the kernel. In background mode a
// second thread does those calls while the run builds the next pages, so
// the two halves overlap on a machine with two cores.
//
// The files, their bytes, the log's lines and the run's result are the same
// in both modes, also when pages fail: every operation is carried out in the
// order the run asked for it, and a failure has the effect it would have had
// at once. A page that cannot be created skips what the run did while
// building it (the pages it wrote on demand, its log lines), as the page
// writers return at once when a file cannot be created; a page that ends
// the run throws away everything asked for after it, until the run resumes
// the output for its closing lines.
#ifndef KINLOOM_PUBLISH_SITE_WRITER_H_
#define KINLOOM_PUBLISH_SITE_WRITER_H_

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/platform.h"

namespace kinloom {

class ChangedPages;
class LogSink;

// A page kept as the previous run wrote it: its line of that run's record.
struct KeptPage {
  std::string path;
  std::uint64_t hash = 0;
  long long size = 0;
  long long modified_ns = 0;
  char flag = '-';
  std::string inputs;
  std::size_t position = 0;  // of its line in the previous record
};

// What a page's failure does to the run, and what is logged once the page
// is written whole. The texts are the program's own literals: they are kept
// as views until the page is done.
struct PageOutcome {
  std::string_view failure_line;  // logged when the page cannot be written whole
  bool counted = false;           // the run goes on, but does not end as finished
  bool ends_run = false;          // the phase writing it ends with 6
  std::string_view success_line;  // logged after the page, when not empty
};

class SiteWriter {
 public:
  // Pages waiting for the background thread may hold at most about this
  // many bytes; the run waits for it beyond that.
  static constexpr std::size_t kQueueLimit = 1024 * 1024;

  explicit SiteWriter(LogSink& log) : log_(log) {}
  ~SiteWriter();
  SiteWriter(const SiteWriter&) = delete;
  SiteWriter& operator=(const SiteWriter&) = delete;

  // Starts and ends background mode (both wait for what is queued). The
  // run log's lines go through this writer while it is in background mode.
  // When no thread can be started the writer stays in the calling thread.
  void StartBackground();
  void StopBackground();
  bool background() const { return background_; }

  // Creates (truncates) a page file. Returns the page's handle, or 0 when
  // the page is known not to be creatable: in the calling thread when the
  // file cannot be created (the outcome's failure then took effect), in
  // background mode only after a page that ends the run failed.
  int Open(const std::string& path, const PageOutcome& outcome);
  // Appends bytes to an open page. The mask_size bytes at mask_offset are
  // the page's date: left out when pages are compared with what a previous
  // run wrote.
  void Write(int page, std::string bytes, std::size_t mask_offset = 0, std::size_t mask_size = 0);
  // Appends the size bytes at offset of the open file source to an open
  // page, without bringing them into the run's memory; owner keeps source
  // open until then.
  void WriteFrom(int page, int source, long long offset, long long size,
                 std::shared_ptr<const void> owner);
  // Closes a page. False when the page is known to have failed: in the
  // calling thread when any write or the close failed (the failure then took
  // effect), in background mode only after a page that ends the run failed.
  // inputs: what the page was made from, for the record of changed pages.
  bool Close(int page, std::string inputs = {});
  // A page that is not made again (changed pages only): it counts as
  // written, and its outcome's success line is logged in its turn.
  void Keep(KeptPage page, const PageOutcome& outcome);
  // Appends one line to the run log, in order with the pages.
  void Log(std::string_view line);

  // Waits until everything asked for is done.
  void Drain();
  // True after a page that ends the run failed (background mode only):
  // everything asked for since is thrown away until Resume().
  bool stopped() const { return stopped_.load(std::memory_order_acquire); }
  // Drains, then takes requests again.
  void Resume();

  // From now on pages go through pages (nullptr: straight to their files,
  // each created in place), which writes only those that changed. Waits
  // for what is queued first.
  void UseChangedPages(ChangedPages* pages);

  // Pages written whole, and pages counted as failed, so far.
  long pages_written() const { return pages_written_.load(std::memory_order_relaxed); }
  long pages_failed() const { return pages_failed_.load(std::memory_order_relaxed); }
  // Of the pages written, those kept as they were (Keep).
  long pages_kept() const { return pages_kept_.load(std::memory_order_relaxed); }
  void ResetCounters();

  // The first page file that could not be created or written whole since
  // ResetCounters, with the system's reason. Read it once drained.
  const std::optional<platform::FileFault>& first_failure() const { return first_failure_; }

 private:
  enum class OpKind { kOpen, kWrite, kCopy, kClose, kKeep, kLog };
  struct Op {
    OpKind kind = OpKind::kLog;
    int page = 0;
    std::string text{};  // path, bytes or log line
    PageOutcome outcome{};
    // kWrite: the date within text.
    std::size_t mask_offset = 0;
    std::size_t mask_size = 0;
    // kCopy: the file and bytes to append, and what keeps it open.
    int source = -1;
    long long source_offset = 0;
    long long source_size = 0;
    std::shared_ptr<const void> source_owner{};
    // kClose: what the page was made from; kKeep: the page kept.
    KeptPage kept{};
  };
  struct OpenPage {
    int page;
    platform::File file;   // the page's file, written in place
    int changed_page = 0;  // or its handle in changed_
    bool failed;
    PageOutcome outcome;
    std::string path;
    std::error_code error;  // of the first write that failed
  };

  // Carries out one operation; runs in the calling thread or the
  // background thread, never in both at once. Returns the outcome for Open
  // (page created) and Close (page written whole).
  bool Execute(Op& op);
  void Fail(const PageOutcome& outcome, std::string_view path, std::error_code error);
  static void MarkFailed(OpenPage& page);
  void CloseLeftovers();
  OpenPage* Find(int page);
  void Submit(Op op);
  void HandOver();
  void ThreadMain();

  LogSink& log_;
  bool background_ = false;
  int next_page_ = 1;

  // Executor state.
  ChangedPages* changed_ = nullptr;
  std::vector<OpenPage> open_;
  int skipping_ = 0;  // the page whose creation failed, until its Close

  std::atomic<bool> stopped_{false};
  std::atomic<long> pages_written_{0};
  std::atomic<long> pages_failed_{0};
  std::atomic<long> pages_kept_{0};
  std::optional<platform::FileFault> first_failure_;

  struct Batch {
    std::vector<Op> ops;
    std::size_t bytes = 0;
  };
  // Requests of the run not yet handed to the thread.
  Batch batch_;

  std::mutex mutex_;
  std::condition_variable work_ready_;
  std::condition_variable work_done_;
  std::deque<Batch> queue_;       // guarded by mutex_
  std::size_t queued_bytes_ = 0;  // guarded by mutex_
  bool busy_ = false;             // guarded by mutex_: a batch is being carried out
  bool quit_ = false;             // guarded by mutex_
  std::thread thread_;
};

}  // namespace kinloom

#endif  // KINLOOM_PUBLISH_SITE_WRITER_H_
