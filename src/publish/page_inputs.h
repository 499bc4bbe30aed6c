// What each page is made from, so that a run with CHANGEDONLY need not make
// again the pages whose records did not change since the previous run.
//
// While a page is made, the store notes the records it reads by number
// (RecordReads). They go into the page's line of kinloom.manifest as its
// INPUTS: for each kind a letter (i individual, f family, s source, p
// photo, n note of an individual, m note of a family) before the first
// number of that kind, the numbers ascending and separated by commas, as
// in "i12,13,f7,s3".
//
// kinloom.inputs holds a hash of every record of the run that wrote
// kinloom.manifest, and the count and check of that manifest, which tie
// the two together:
//   "kinloom inputs 1\n"
//   per record, ascending by RecordKey: the key and the record's hash
//   the number of records, the pages' fingerprint (PagesFingerprint), the
//   manifest's count and check, and the hash of every byte before
// numbers as 8 bytes, little-endian. It is written as kinloom.inputs.new
// and renamed just before the manifest is.
//
// A page is kept (not made again) when its previous line names its inputs
// and none of them changed, the fingerprint is the same, its file on disk
// is the one the line describes, and this run has not made it before. A
// page that read anything but records by number, that logged a line while
// it was made, or during which another page was made gets no inputs and
// is always made.
//
// Used from the run's thread only.
#ifndef KINLOOM_PUBLISH_PAGE_INPUTS_H_
#define KINLOOM_PUBLISH_PAGE_INPUTS_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "publish/changed_pages.h"
#include "publish/content_hash.h"
#include "publish/log_sink.h"
#include "publish/site_writer.h"
#include "store/work_files.h"

namespace kinloom {

class PageInputs {
 public:
  static constexpr std::string_view kInputsFile = "kinloom.inputs";
  static constexpr std::string_view kNewInputsFile = "kinloom.inputs.new";
  // A page whose inputs would make a longer text gets none.
  static constexpr std::size_t kLongestInputs = 3000;

  PageInputs(WorkFiles& store, const LogSink& log, const ChangedPages& changed)
      : store_(store), log_(log), changed_(changed) {}
  ~PageInputs();  // the store stops noting reads
  PageInputs(const PageInputs&) = delete;
  PageInputs& operator=(const PageInputs&) = delete;

  // Once the store holds what the pages show (after the last phase that
  // changes it): hashes every record, compares them with the previous
  // run's, and starts this run's kinloom.inputs. is_living, when given,
  // tells who is presumed living, which pages show apart from the records.
  void Prepare(std::uint64_t fingerprint, const std::function<bool(std::int32_t)>& is_living);

  // True when the page at path can stay as it is; kept then holds its line.
  [[nodiscard]] bool Keep(const std::string& path, KeptPage& kept);
  // Around the making of a page that was not kept: EndPage gives its
  // inputs (empty when it gets none).
  void BeginPage();
  [[nodiscard]] std::string EndPage();

  // Completes kinloom.inputs for the new manifest (its count and check).
  void Seal(long long count, std::uint64_t check);

  // Pages kept so far, and whether the previous run's record could be used.
  [[nodiscard]] long kept_pages() const { return kept_pages_; }
  [[nodiscard]] bool usable() const { return usable_; }

 private:
  struct Watch {
    RecordReads reads;
    long log_lines = 0;
  };

  class PreviousRecords;
  bool Unchanged(std::string_view inputs) const;
  void WriteNew(std::string_view bytes);

  WorkFiles& store_;
  const LogSink& log_;
  const ChangedPages& changed_;

  bool usable_ = false;
  std::vector<std::uint64_t> changed_keys_;  // sorted
  std::vector<bool> handled_;                // per previous line: seen by this run
  RecordCursor cursor_;
  std::size_t next_line_ = 0;  // where the next page's line is looked for first
  long kept_pages_ = 0;

  std::vector<std::unique_ptr<Watch>> watches_;  // one per page being made
  std::size_t depth_ = 0;

  platform::File new_file_;
  std::string new_buffer_;
  ContentHash new_check_;
  bool new_failed_ = false;
  long long new_count_ = 0;
  std::uint64_t fingerprint_ = 0;
};

}  // namespace kinloom

#endif  // KINLOOM_PUBLISH_PAGE_INPUTS_H_
