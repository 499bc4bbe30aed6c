#include "publish/page_inputs.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <utility>

#include "platform/platform.h"
#include "store/coding.h"

namespace kinloom {

namespace {

constexpr std::string_view kHeader = "kinloom inputs 1\n";
constexpr std::size_t kEntrySize = 16;
constexpr std::size_t kTrailerSize = 40;
constexpr std::string_view kKindLetters = "ifspnm";  // by RecordKind, from 1

void Put64(std::string& out, std::uint64_t value) {
  unsigned char bytes[8];
  EncodeFixed64(bytes, value);
  out.append(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

std::uint64_t Get64(const char* bytes) {
  return DecodeFixed64(reinterpret_cast<const unsigned char*>(bytes));
}

}  // namespace

PageInputs::~PageInputs() {
  store_.WatchReads(nullptr);
  if (new_file_.is_open()) {
    new_file_.Reset();
    (void)platform::RemoveFile(std::string(kNewInputsFile));
  }
}

// The previous run's kinloom.inputs, read once from start to end beside
// the current records, kind after kind.
class PageInputs::PreviousRecords {
 public:
  // Opens the file and checks its trailer; ok() is false when it cannot
  // be used.
  PreviousRecords(std::uint64_t fingerprint, long long manifest_count,
                  std::uint64_t manifest_check) {
    file_ = platform::File(platform::OpenForReading(std::string(kInputsFile)));
    if (!file_.is_open()) return;
    const platform::FileStatus status = platform::StatusOfOpen(file_.get());
    end_ = status.size - static_cast<long long>(kTrailerSize);
    const long long body = end_ - static_cast<long long>(kHeader.size());
    if (!status.regular || body < 0 || body % static_cast<long long>(kEntrySize) != 0) return;
    if (platform::ReadAt(file_.get(), trailer_, kTrailerSize, end_) != kTrailerSize) return;
    std::string header(kHeader.size(), '\0');
    if (platform::ReadAt(file_.get(), header.data(), header.size(), 0) != header.size() ||
        header != kHeader) {
      return;
    }
    check_.Update(header);
    offset_ = static_cast<long long>(kHeader.size());
    ok_ = Get64(trailer_) == static_cast<std::uint64_t>(body) / kEntrySize &&
          Get64(trailer_ + 8) == fingerprint &&
          Get64(trailer_ + 16) == static_cast<std::uint64_t>(manifest_count) &&
          Get64(trailer_ + 24) == manifest_check;
  }
  PreviousRecords(const PreviousRecords&) = delete;
  PreviousRecords& operator=(const PreviousRecords&) = delete;

  bool ok() const { return ok_; }

  // The next entry, when its key is below limit.
  bool NextBelow(std::uint64_t limit, std::uint64_t& key, std::uint64_t& hash) {
    if (!ok_) return false;
    if (at_ == piece_.size()) {
      if (offset_ >= end_) return false;
      const auto want =
          static_cast<std::size_t>(std::min<long long>(end_ - offset_, 4096 * kEntrySize));
      piece_.resize(want);
      if (platform::ReadAt(file_.get(), piece_.data(), want, offset_) != want) {
        ok_ = false;
        return false;
      }
      check_.Update(piece_);
      offset_ += static_cast<long long>(want);
      at_ = 0;
    }
    const std::uint64_t next = Get64(piece_.data() + at_);
    if (next >= limit) return false;
    if (any_ && next <= last_) {  // out of order
      ok_ = false;
      return false;
    }
    any_ = true;
    last_ = next;
    key = next;
    hash = Get64(piece_.data() + at_ + 8);
    at_ += kEntrySize;
    return true;
  }

  // After every entry was read: whether the file's check holds.
  bool Finish() {
    if (!ok_ || offset_ != end_ || at_ != piece_.size()) return false;
    check_.Update(std::string_view(trailer_, kTrailerSize - 8));
    return check_.Value() == Get64(trailer_ + 32);
  }

 private:
  platform::File file_;
  bool ok_ = false;
  long long offset_ = 0;
  long long end_ = 0;
  char trailer_[kTrailerSize] = {};
  std::string piece_;
  std::size_t at_ = 0;
  bool any_ = false;
  std::uint64_t last_ = 0;
  ContentHash check_;
};

void PageInputs::Prepare(std::uint64_t fingerprint,
                         const std::function<bool(std::int32_t)>& is_living) {
  fingerprint_ = fingerprint;
  const std::string name(kNewInputsFile);
  (void)platform::RemoveFile(name);
  new_file_ = platform::File(platform::CreateNewFile(name, false));
  if (new_file_.is_open()) WriteNew(kHeader);

  long long manifest_count = 0;
  std::uint64_t manifest_check = 0;
  const bool sealed = changed_.PreviousSeal(manifest_count, manifest_check);
  std::optional<PreviousRecords> previous;
  if (sealed) previous.emplace(fingerprint, manifest_count, manifest_check);
  bool usable = previous && previous->ok();

  // The records of one kind at a time (numbers are never negative), so
  // that memory holds 12 bytes for each record of the largest kind.
  struct Entry {
    std::uint32_t number;
    std::uint32_t hash_low;
    std::uint32_t hash_high;
  };
  std::vector<Entry> entries;
  RecordKind kind{};
  std::vector<std::uint64_t> changed;
  auto previous_below = [&](std::uint64_t limit) {
    std::uint64_t key = 0, hash = 0;
    while (usable && previous->NextBelow(limit, key, hash)) changed.push_back(key);  // gone
  };
  auto finish_kind = [&] {
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.number < b.number; });
    std::string bytes;
    for (const Entry& entry : entries) {
      const std::uint64_t key = RecordKey(kind, static_cast<std::int32_t>(entry.number));
      const std::uint64_t hash = (std::uint64_t{entry.hash_high} << 32) | entry.hash_low;
      Put64(bytes, key);
      Put64(bytes, hash);
      ++new_count_;
      if (bytes.size() >= 64 * 1024) {
        WriteNew(bytes);
        bytes.clear();
      }
      if (!usable) continue;
      previous_below(key);
      std::uint64_t previous_key = 0, previous_hash = 0;
      if (previous->NextBelow(key + 1, previous_key, previous_hash)) {
        if (previous_hash != hash) changed.push_back(key);
      } else {
        changed.push_back(key);  // new
      }
    }
    WriteNew(bytes);
    entries = {};
  };
  store_.VisitRecordsByNumber([&](RecordKind of, std::int32_t number, std::string_view bytes) {
    if (of != kind) {
      if (!entries.empty()) finish_kind();
      kind = of;
      const RunCounters& counters = store_.counters;
      const std::int32_t expected = of == RecordKind::kIndividual ? counters.IndividualCount
                                    : of == RecordKind::kFamily   ? counters.FamilyCount
                                    : of == RecordKind::kSource   ? counters.SourceCount
                                    : of == RecordKind::kPhoto    ? counters.PhotoCount
                                                                  : 0;
      entries.reserve(static_cast<std::size_t>(std::max<std::int32_t>(expected, 0)));
    }
    ContentHash hash;
    hash.Update(bytes);
    if (of == RecordKind::kIndividual && is_living && is_living(number)) hash.Update("L");
    const std::uint64_t value = hash.Value();
    entries.push_back(Entry{static_cast<std::uint32_t>(number), static_cast<std::uint32_t>(value),
                            static_cast<std::uint32_t>(value >> 32)});
  });
  if (!entries.empty()) finish_kind();
  previous_below(UINT64_MAX);
  usable = usable && previous->Finish();
  previous.reset();

  if (usable) {
    std::sort(changed.begin(), changed.end());
    changed_keys_ = std::move(changed);
    handled_.assign(changed_.previous_lines(), false);
  }
  usable_ = usable;
}

bool PageInputs::Keep(const std::string& native_path, KeptPage& kept) {
  if (!usable_) return false;
  const std::string path = RecordPath(native_path);
  const std::size_t position = changed_.PreviousPosition(path, next_line_);
  if (position >= handled_.size()) return false;
  // A page made twice in a run is made again the second time: only the
  // first can be what the previous run left.
  if (handled_[position]) return false;
  handled_[position] = true;
  RecordFields line;
  if (!changed_.FindPreviousLine(position, cursor_, line) || line.path != path) return false;
  if (line.inputs.empty() || !Unchanged(line.inputs)) return false;
  // The file must still be the one the line describes (not edited by hand,
  // not gone).
  switch (changed_.OnDisk(position)) {
    case ChangedPages::kOnDiskAsRecorded:
      break;
    case ChangedPages::kOnDiskOther:
      return false;
    default: {
      const platform::FileStatus status = platform::StatusOf(path);
      if (!status.regular || status.size != line.size || status.modified_ns != line.modified_ns) {
        return false;
      }
    }
  }
  kept.path = path;
  kept.hash = line.hash;
  kept.size = line.size;
  kept.modified_ns = line.modified_ns;
  kept.flag = line.flag;
  kept.inputs.assign(line.inputs);
  kept.position = position;
  ++kept_pages_;
  return true;
}

bool PageInputs::Unchanged(std::string_view inputs) const {
  std::uint64_t kind = 0;
  while (!inputs.empty()) {
    const std::size_t comma = inputs.find(',');
    std::string_view item = inputs.substr(0, comma);
    inputs = comma == std::string_view::npos ? std::string_view() : inputs.substr(comma + 1);
    if (!item.empty() && item.front() >= 'a' && item.front() <= 'z') {
      const std::size_t letter = kKindLetters.find(item.front());
      if (letter == std::string_view::npos) return false;
      kind = letter + 1;
      item.remove_prefix(1);
    }
    std::int32_t number = 0;
    const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), number);
    if (kind == 0 || item.empty() || error != std::errc() || end != item.data() + item.size()) {
      return false;
    }
    const std::uint64_t key = (kind << 32) | static_cast<std::uint32_t>(number);
    if (std::binary_search(changed_keys_.begin(), changed_keys_.end(), key)) return false;
  }
  return true;
}

void PageInputs::BeginPage() {
  // A page made while another is being made (a person's own page, written
  // just before a page that links to it) leaves the outer one without
  // inputs: keeping it would leave the inner one unmade.
  for (std::size_t i = 0; i < depth_; ++i) watches_[i]->reads.other = true;
  if (depth_ == watches_.size()) watches_.push_back(std::make_unique<Watch>());
  Watch& watch = *watches_[depth_++];
  watch.reads.Clear();
  watch.log_lines = log_.lines_logged();
  store_.WatchReads(&watch.reads);
}

std::string PageInputs::EndPage() {
  if (depth_ == 0) return {};
  Watch& watch = *watches_[--depth_];
  store_.WatchReads(depth_ > 0 ? &watches_[depth_ - 1]->reads : nullptr);
  // Lines logged while it was made would be missing from the log of a run
  // that keeps it.
  if (watch.reads.other || watch.log_lines != log_.lines_logged()) return {};
  std::vector<std::uint64_t>& keys = watch.reads.keys;
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  std::string text;
  std::uint64_t kind = 0;
  for (const std::uint64_t key : keys) {
    if (!text.empty()) text += ',';
    if ((key >> 32) != kind) {
      kind = key >> 32;
      if (kind == 0 || kind > kKindLetters.size()) return {};
      text += kKindLetters[kind - 1];
    }
    text += std::to_string(static_cast<std::int32_t>(static_cast<std::uint32_t>(key)));
    if (text.size() > kLongestInputs) return {};
  }
  return text;
}

void PageInputs::WriteNew(std::string_view bytes) {
  if (!new_file_.is_open()) return;
  new_check_.Update(bytes);
  new_buffer_.append(bytes);
  if (new_buffer_.size() >= 1024 * 1024) {
    if (!new_failed_ &&
        !platform::WriteAll(new_file_.get(), new_buffer_.data(), new_buffer_.size())) {
      new_failed_ = true;
    }
    new_buffer_.clear();
  }
}

void PageInputs::Seal(long long count, std::uint64_t check) {
  if (!new_file_.is_open()) return;
  std::string trailer;
  Put64(trailer, static_cast<std::uint64_t>(new_count_));
  Put64(trailer, fingerprint_);
  Put64(trailer, static_cast<std::uint64_t>(count));
  Put64(trailer, check);
  new_check_.Update(trailer);
  new_buffer_ += trailer;
  Put64(new_buffer_, new_check_.Value());
  bool ok = !new_failed_;
  ok = ok && platform::WriteAll(new_file_.get(), new_buffer_.data(), new_buffer_.size());
  new_buffer_.clear();
  ok = new_file_.Close() && ok;
  const std::string name(kNewInputsFile);
  if (!ok || !platform::RenameOver(name, std::string(kInputsFile))) {
    // Without it the next run makes every page, as it should.
    (void)platform::RemoveFile(name);
    (void)platform::RemoveFile(std::string(kInputsFile));
  }
}

}  // namespace kinloom
