// The names sort.
//
// The sort puts the individual records of indv.dat in the order of one
// particular quicksort: middle element as pivot, two inward scans, equal
// keys swapped, then the left part sorted before the right part. Its order
// of equal keys is part of the site's output (the names pages and
// gendex.txt list individuals in slot order), so that quicksort is followed
// step by step; only two things differ from a plain recursive version, and
// neither changes the result:
//
//  * The steps run on a table of the keys in memory, each key built once
//    from the record in its slot; the records are then moved into the final
//    order in one pass over the file (PermuteIndividuals), each read and
//    written once, instead of a SwapIndividuals for every exchange of the
//    quicksort.
//  * After a partition the two parts are disjoint, so the order in which
//    they are sorted does not matter: the smaller part is sorted by a
//    recursive call and the larger one by the loop, which bounds the depth
//    of recursion by log2 of the number of slots on any input.
//
// Moving records keeps every number's index entry on the record it points
// to, so the index ends the same whichever exchanges brought the records
// into place.

#include "pages/names_sort.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "pages/frame.h"
#include "pages/phases.h"
#include "pages/surnames_walk.h"
#include "platform/platform.h"
#include "text/strings.h"

namespace kinloom {

std::string NameSortKey(const Settings& settings, std::string_view name) {
  if (name.empty()) return " ";
  const int first_slash = FindOccurrence(name, "/", 1);
  const int second_slash = FindOccurrence(name, "/", 2);
  // As in IndexName: without slashes the whole name counts as given names,
  // without a closing slash the rest of the name is the surname.
  std::string given;
  std::string surname;
  if (first_slash < 0) {
    given = std::string(name);
  } else {
    given = SubText(name, 0, first_slash);
    surname = second_slash < 0 ? std::string(name.substr(static_cast<std::size_t>(first_slash) + 1))
                               : SubText(name, first_slash + 1, second_slash - first_slash - 1);
  }
  std::string key = FoldForSorting(UppercaseSurname(settings, surname));
  key += ", ";
  key += FoldForSorting(UppercaseSurname(settings, TrimTrailingSpaces(given)));
  return key;
}

namespace {

// NameSortKey for every name of a range, without its temporaries. A name
// without "&" (no character reference) turns byte by byte into its key:
// both UppercaseSurname and FoldForSorting then map each byte on its own,
// so each byte's piece of key is worked out once, through those two
// functions themselves, and looked up afterwards. Other names go through
// NameSortKey.
class SortKeyMaker {
 public:
  explicit SortKeyMaker(const Settings& settings)
      : settings_(settings), uppercase_(settings.ucsurname == 'Y') {
    for (std::size_t c = 0; c < pieces_.size(); ++c) {
      if (c == '&') continue;
      const std::string piece =
          FoldForSorting(UppercaseSurname(settings, std::string(1, static_cast<char>(c))));
      if (piece.size() > Piece{}.bytes.size()) {
        bytewise_ = false;
        continue;
      }
      pieces_[c].size = static_cast<unsigned char>(piece.size());
      std::memcpy(pieces_[c].bytes.data(), piece.data(), piece.size());
    }
  }

  // Sets key to NameSortKey(settings, name).
  void Make(std::string_view name, std::string& key) const {
    if (!bytewise_ || name.empty() || name.find('&') != std::string_view::npos) {
      key = NameSortKey(settings_, name);
      return;
    }
    std::string_view given = name;
    std::string_view surname;
    if (const std::size_t first_slash = name.find('/'); first_slash != std::string_view::npos) {
      given = name.substr(0, first_slash);
      const std::size_t second_slash = name.find('/', first_slash + 1);
      surname = second_slash == std::string_view::npos
                    ? name.substr(first_slash + 1)
                    : name.substr(first_slash + 1, second_slash - first_slash - 1);
    }
    // TrimTrailingSpaces: trailing blanks go, but never the first character.
    std::size_t end = given.size();
    while (end > 1 && given[end - 1] == ' ') --end;
    given = given.substr(0, end);

    key.clear();
    Append(surname, key);
    key += ", ";
    Append(given, key);
  }

 private:
  struct Piece {
    std::array<char, 4> bytes{};
    unsigned char size = 0;
  };

  void Append(std::string_view text, std::string& key) const {
    // UppercaseSurname gives one blank for an empty text.
    if (text.empty()) {
      if (uppercase_) key += ' ';
      return;
    }
    for (const char c : text) {
      const Piece& piece = pieces_[static_cast<unsigned char>(c)];
      key.append(piece.bytes.data(), piece.size);
    }
  }

  const Settings& settings_;
  bool uppercase_;
  bool bytewise_ = true;
  std::array<Piece, 256> pieces_{};
};

// The records of a range of slots while they are being sorted. Positions
// count from 0 within the range; a record is known by its id, its position
// before the sort.
//
// The keys are the table's whole memory, so they are kept tight: each is
// stored once, after its id and length, in an arena of fixed-size chunks
// that grows without ever copying what it holds (a growing string would
// hold its old and new buffer at once, and up to twice what it needs).
// Entries start at multiples of 4 bytes, so that a 32-bit handle (the
// entry's offset / 4) reaches 8 GB of keys. A key of 255 bytes or more,
// which names of at most 99 characters never give, is kept apart and its
// entry holds its index there. The order is a list of handles, each with
// the first four bytes of its key: most comparisons are decided there,
// without a visit to the arena. It turns into a list of ids only when the
// records are moved.
class SortTable {
 public:
  // What the order holds for each position.
  struct Item {
    std::uint32_t prefix;  // the key's first four bytes, big-endian, zero-padded
    std::int32_t handle;
  };

  // An empty table for the names of count slots, added in slot order.
  SortTable(const Settings& settings, std::int32_t count) : maker_(settings) {
    order_.reserve(static_cast<std::size_t>(count));
  }

  void AddName(std::string_view name) {
    maker_.Make(name, key_);
    order_.push_back(Item{Prefix(key_), Add(size(), key_)});
  }

  std::int32_t size() const { return static_cast<std::int32_t>(order_.size()); }

  Item ItemAt(std::int32_t p) const { return order_[static_cast<std::size_t>(p)]; }

  // Whether the key of a is less than the key of b, as strings of
  // unsigned bytes compare. Keys hold no NUL, so equal prefixes leave
  // the question to the whole keys.
  bool Less(const Item& a, const Item& b) const {
    if (a.prefix != b.prefix) return a.prefix < b.prefix;
    return KeyOf(a.handle) < KeyOf(b.handle);
  }

  // One exchange of the quicksort.
  void Exchange(std::int32_t a, std::int32_t b) {
    std::swap(order_[static_cast<std::size_t>(a)], order_[static_cast<std::size_t>(b)]);
  }

  // The order reached, as the ids of the records by position; the table is
  // left empty. The keys are let go first, so that the table never holds
  // both them and the store's bookkeeping of the move.
  std::vector<std::int32_t> TakeOrder() {
    for (Item& item : order_) item.handle = DecodeFixed(Entry(item.handle));
    std::vector<std::unique_ptr<unsigned char[]>>().swap(chunks_);
    std::vector<std::string>().swap(long_keys_);
    std::vector<std::int32_t> ids(order_.size());
    for (std::size_t p = 0; p < order_.size(); ++p) ids[p] = order_[p].handle;
    std::vector<Item>().swap(order_);
    return ids;
  }

 private:
  static constexpr std::size_t kChunkSize = std::size_t{1} << 20;
  static constexpr unsigned char kLongKey = 0xFF;  // length byte of a key kept apart

  static std::uint32_t Prefix(std::string_view key) {
    std::uint32_t prefix = 0;
    for (std::size_t i = 0; i < 4; ++i) {
      prefix = prefix << 8 | (i < key.size() ? static_cast<unsigned char>(key[i]) : 0U);
    }
    return prefix;
  }

  static std::int32_t DecodeFixed(const unsigned char* p) {
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
        static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24);
  }
  static void EncodeFixed(unsigned char* p, std::size_t value) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(value >> (8 * i));
  }

  const unsigned char* Entry(std::int32_t handle) const {
    const std::size_t offset = static_cast<std::size_t>(handle) * 4;
    return chunks_[offset / kChunkSize].get() + offset % kChunkSize;
  }

  std::string_view KeyOf(std::int32_t handle) const {
    const unsigned char* entry = Entry(handle);
    if (entry[4] == kLongKey) return long_keys_[static_cast<std::size_t>(DecodeFixed(entry + 5))];
    return std::string_view(reinterpret_cast<const char*>(entry + 5), entry[4]);
  }

  // Stores id (4 bytes), the key's length (1 byte) and the key, or id,
  // kLongKey and the index of a key kept apart; returns the entry's handle.
  std::int32_t Add(std::int32_t id, std::string_view key) {
    const bool inline_key = key.size() < kLongKey;
    const std::size_t size = (5 + (inline_key ? key.size() : 4) + 3) / 4 * 4;
    if (chunks_.empty() || used_ + size > kChunkSize) {
      chunks_.push_back(std::make_unique<unsigned char[]>(kChunkSize));
      used_ = 0;
    }
    unsigned char* entry = chunks_.back().get() + used_;
    EncodeFixed(entry, static_cast<std::size_t>(id));
    if (inline_key) {
      entry[4] = static_cast<unsigned char>(key.size());
      std::memcpy(entry + 5, key.data(), key.size());
    } else {
      entry[4] = kLongKey;
      EncodeFixed(entry + 5, long_keys_.size());
      long_keys_.emplace_back(key);
    }
    const std::size_t offset = (chunks_.size() - 1) * kChunkSize + used_;
    used_ += size;
    return static_cast<std::int32_t>(offset / 4);
  }

  SortKeyMaker maker_;
  std::string key_;  // the key being added
  std::vector<std::unique_ptr<unsigned char[]>> chunks_;
  std::size_t used_ = 0;  // bytes used in the last chunk
  std::vector<std::string> long_keys_;
  std::vector<Item> order_;  // by position: the record there (Apply: handle becomes id)
};

// Sorts positions lo to hi (lo < hi) of the table; leaves the table part
// sorted when stop is requested.
void SortPositions(SortTable& table, std::int32_t lo, std::int32_t hi,
                   const std::stop_token& stop = {}) {
  while (lo < hi) {
    if (stop.stop_requested()) return;
    // The pivot's key stays in the table's arena, unchanged by exchanges.
    const SortTable::Item pivot = table.ItemAt(lo + (hi - lo) / 2);
    std::int32_t i = lo;
    std::int32_t j = hi;
    do {
      // The bounds never stop a scan (the pivot's own key stops it first);
      // they only keep a scan inside the range whatever the keys.
      while (i <= hi && table.Less(table.ItemAt(i), pivot)) ++i;
      while (j >= lo && table.Less(pivot, table.ItemAt(j))) --j;
      if (i <= j) {
        table.Exchange(i, j);
        ++i;
        --j;
      }
    } while (i <= j);
    if (j - lo < hi - i) {
      if (lo < j) SortPositions(table, lo, j, stop);
      lo = i;
    } else {
      if (i < hi) SortPositions(table, i, hi, stop);
      hi = j;
    }
  }
}

// Text appended to a new file without a name in pieces of a quarter of a
// megabyte (three of them are kept while the names index is worked out).
class Spool {
 public:
  explicit Spool(const std::string& directory) : file_(std::make_shared<BlockFile>()) {
    if (!file_->CreateUnnamed(directory.c_str())) file_.reset();
  }
  bool ok() const { return file_ && !file_->failed(); }
  long long size() const { return written_ + static_cast<long long>(text.size()); }
  // Writes out what text holds once it is a piece's worth (or always).
  void HandOn(bool always = false) {
    if (!file_ || text.empty() || (!always && text.size() < kPiece)) return;
    file_->WriteDirect(written_, reinterpret_cast<const unsigned char*>(text.data()), text.size());
    written_ += static_cast<long long>(text.size());
    text.clear();
  }
  // The file with everything written, or nothing when a write failed.
  std::shared_ptr<const BlockFile> Finish() {
    HandOn(true);
    return ok() ? file_ : nullptr;
  }

  std::string text;  // not yet written

 private:
  static constexpr std::size_t kPiece = std::size_t{256} << 10;
  std::shared_ptr<BlockFile> file_;
  long long written_ = 0;
};

}  // namespace

NamesSort::NamesSort(Run& run, bool awaited) : awaited_(awaited) {
  const std::uint64_t generation = run.store.individual_generation();
  const bool stored_once = run.store.IndividualsStoredOnce();
  const bool idle = !awaited_;
  thread_ = std::jthread([this, &run, generation, stored_once, idle](const std::stop_token& stop) {
    Work(run, generation, stored_once, idle, stop);
  });
}

void NamesSort::Work(Run& run, std::uint64_t generation, bool stored_once, bool idle,
                     const std::stop_token& stop) {
  // The sort only takes time that the page building leaves over: the
  // writer thread sets the pace of the run, and must not wait for it.
  if (idle) platform::RunOnIdleTimeOnly();
  // Whatever goes wrong here (memory, a full disk) only leaves the sort
  // to QsortIndividuals.
  try {
    SortTable table(run.settings, run.store.counters.IndividualCount);
    if (!run.store.VisitIndividualNames([&table](std::string_view name) { table.AddName(name); },
                                        stop)) {
      return;
    }
    SortPositions(table, 0, table.size() - 1, stop);
    if (stop.stop_requested()) return;
    order_ = run.store.PrepareIndividualOrder(table.TakeOrder(), generation, stop);
    if (order_ && stored_once) (void)MakeTextsAhead(run, *order_, stop);
    finished_.store(true, std::memory_order_release);
  } catch (...) {
    order_.reset();
    Drop();
  }
}

// gendex.txt's lines after the first, and the texts of the surnames page
// and the names pages that depend on the records alone, for the records of
// order, exactly as the phases write them when the record at each slot is
// the record of its number. False, with nothing set, when a file cannot be
// written or stop is requested.
bool NamesSort::MakeTextsAhead(Run& run, const IndividualOrder& order,
                               const std::stop_token& stop) {
  const Settings& settings = run.settings;
  const std::string& directory = run.store.scratch_directory();
  Spool gendex(directory);
  Spool surnames(directory);
  Spool entries(directory);
  NamesIndexAhead names;
  NamesIndexAhead::NamesPage page;
  std::string page_surname;  // of the names page's last entry
  SurnamesWalk walk(settings);
  auto close = [&](int, std::int32_t, std::int32_t) {
    page.size = entries.size() - page.offset;
    names.pages.push_back(std::move(page));
    page = {};
    page.offset = entries.size();
    page_surname.clear();
  };
  std::int32_t slot = 0;
  const IndividualRecord nobody;
  const bool visited = order.VisitRecords(
      [&](const IndividualRecord& stored) {
        ++slot;
        const std::int32_t number = stored.number;
        if (number == 0) return;
        // The getters find no record for a negative number.
        const IndividualRecord& record = number > 0 ? stored : nobody;
        if (!run.living.IsLiving(number)) AppendGendexLine(settings, number, record, gendex.text);
        walk.Add(slot, ExtractSurname(settings, record.name), surnames.text, close);
        bool is_individual_page = false;
        AppendNamesEntry(settings, number, record, page_surname, entries.text, &is_individual_page);
        if (is_individual_page) page.individual_pages.push_back(number);
        gendex.HandOn();
        surnames.HandOn();
        entries.HandOn();
      },
      stop);
  if (!visited) return false;
  walk.Finish(close);
  std::shared_ptr<const BlockFile> gendex_file = gendex.Finish();
  names.surnames = surnames.Finish();
  names.entries = entries.Finish();
  if (!gendex_file || !names.surnames || !names.entries) return false;
  gendex_lines_ = std::move(gendex_file);
  names_index_ = std::move(names);
  return true;
}

bool NamesSort::PutOrderInPlace(WorkFiles& store, bool whole_range) {
  if (!thread_.joinable()) return false;
  // The thread runs only on time nothing else wants, so on a busy
  // machine it may be far from done: then the caller sorts, as it would
  // without it, rather than wait. What it finished is still used.
  if (!awaited_ && !finished_.load(std::memory_order_acquire)) thread_.request_stop();
  thread_.join();
  std::optional<IndividualOrder> prepared = std::exchange(order_, std::nullopt);
  // The order worked out ahead sorts every slot, from records that have
  // not changed since (or the store refuses it).
  if (prepared && whole_range && store.AdoptIndividualOrder(std::move(*prepared))) {
    ahead_generation_ = store.individual_generation();
    return true;
  }
  Drop();
  return false;
}

std::shared_ptr<const BlockFile> NamesSort::TakeGendexLines(std::uint64_t generation) {
  std::shared_ptr<const BlockFile> lines = std::exchange(gendex_lines_, nullptr);
  if (ahead_generation_ != generation) return nullptr;
  return lines;
}

std::optional<NamesIndexAhead> NamesSort::TakeNamesIndex(std::uint64_t generation) {
  std::optional<NamesIndexAhead> index = std::exchange(names_index_, std::nullopt);
  if (ahead_generation_ != generation) return std::nullopt;
  return index;
}

void NamesSort::Drop() {
  gendex_lines_.reset();
  names_index_.reset();
}

void StartNamesSort(Run& run, bool awaited) {
  run.names_sort.reset();  // one started before is stopped first
  if (run.store.counters.IndividualCount < 2) return;
  run.names_sort =
      std::make_shared<NamesSort>(run, awaited || run.test_options.always_wait_for_names_sort);
}

void QsortIndividuals(Run& run, std::int32_t first_slot, std::int32_t last_slot) {
  // Only stored slots take part: slots past the end hold no record.
  first_slot = std::max<std::int32_t>(first_slot, 1);
  last_slot = std::min(last_slot, run.store.counters.IndividualCount);
  if (run.names_sort &&
      run.names_sort->PutOrderInPlace(
          run.store, first_slot == 1 && last_slot == run.store.counters.IndividualCount)) {
    return;
  }
  if (first_slot >= last_slot) return;
  SortTable table(run.settings, last_slot - first_slot + 1);
  std::string name;
  for (std::int32_t slot = first_slot; slot <= last_slot; ++slot) {
    run.store.IndividualNameAt(slot, name);
    table.AddName(name);
  }
  SortPositions(table, 0, table.size() - 1);
  run.store.PermuteIndividuals(first_slot, table.TakeOrder());
}

}  // namespace kinloom
