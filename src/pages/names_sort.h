// The names sort: the order of the individual records by name that the
// surnames and names pages and gendex.txt follow, worked out ahead by a
// thread of its own while the pages are built, or in place when the
// surnames phase gets there first.
#ifndef KINLOOM_PAGES_NAMES_SORT_H_
#define KINLOOM_PAGES_NAMES_SORT_H_

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "run/run.h"
#include "store/block_file.h"
#include "store/work_files.h"

namespace kinloom {

// The texts of the surnames page and the names pages that depend on the
// records alone, worked out ahead of the phase.
struct NamesIndexAhead {
  struct NamesPage {
    long long offset = 0;  // of its entries in entries
    long long size = 0;
    // Individuals whose own pages are written before the names page's
    // entries, in order.
    std::vector<std::int32_t> individual_pages;
  };
  std::shared_ptr<const BlockFile> surnames;  // the surnames page's lines between head and foot
  std::shared_ptr<const BlockFile> entries;   // each names page's entries, back to back
  std::vector<NamesPage> pages;
};

// The names sort of every slot, worked out by a thread of its own from
// the records as they are when it starts, and the texts that follow from
// it: gendex.txt's lines after its first and the surnames and names pages'
// texts (made only when every individual is stored once under its own
// number, so that the record at a slot is its number's record). What the
// thread sets is read only once it is joined. The thread is stopped and
// joined first when the object goes.
class NamesSort {
 public:
  // Starts the thread for run's store, which must be flushed and not
  // stored into until PutOrderInPlace. Unless awaited, the thread takes
  // only time that nothing else wants.
  NamesSort(Run& run, bool awaited);
  NamesSort(const NamesSort&) = delete;
  NamesSort& operator=(const NamesSort&) = delete;

  // Whether the thread was started and not yet joined.
  [[nodiscard]] bool running() const { return thread_.joinable(); }

  // Joins the thread (stopped first when it is not awaited and not done:
  // the caller sorts then rather than wait) and puts the order it worked
  // out in store, when whole_range (every slot is to be sorted) and the
  // store takes it (its records did not change since). True when it did;
  // otherwise the texts worked out ahead are dropped. False, with nothing
  // dropped, once the thread was joined.
  [[nodiscard]] bool PutOrderInPlace(WorkFiles& store, bool whole_range);

  // gendex.txt's lines after its first, once: nullptr unless the order was
  // put in place and the store's individual_generation() is still
  // generation.
  [[nodiscard]] std::shared_ptr<const BlockFile> TakeGendexLines(std::uint64_t generation);
  // The surnames page's lines and the names pages' entries, the same way.
  [[nodiscard]] std::optional<NamesIndexAhead> TakeNamesIndex(std::uint64_t generation);

 private:
  void Work(Run& run, std::uint64_t generation, bool stored_once, bool idle,
            const std::stop_token& stop);
  [[nodiscard]] bool MakeTextsAhead(Run& run, const IndividualOrder& order,
                                    const std::stop_token& stop);
  void Drop();

  const bool awaited_;
  std::optional<IndividualOrder> order_;
  std::shared_ptr<const BlockFile> gendex_lines_;
  std::optional<NamesIndexAhead> names_index_;
  // Set by the thread when it has done all it set out to do.
  std::atomic<bool> finished_{false};
  // The store's individual_generation() once the order was put in place.
  std::optional<std::uint64_t> ahead_generation_;
  std::jthread thread_;  // last: stopped and joined before the rest goes
};

std::string NameSortKey(const Settings& settings, std::string_view name);
// Starts working out the names sort of every slot in a thread of its own
// (run.names_sort), for QsortIndividuals to take up; one started before is
// stopped first. The store must be flushed and nothing stored until then.
// Unless awaited (or run.test_options.always_wait_for_names_sort), the
// thread takes only time that nothing else wants, and QsortIndividuals
// sorts itself when it is not done by then; awaited, it works at the run's
// pace and QsortIndividuals waits for it (a run that keeps most pages gets
// there long before the sort is done, with nothing else to do).
void StartNamesSort(Run& run, bool awaited = false);
void QsortIndividuals(Run& run, std::int32_t first_slot, std::int32_t last_slot);

}  // namespace kinloom

#endif  // KINLOOM_PAGES_NAMES_SORT_H_
