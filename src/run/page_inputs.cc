#include "run/page_inputs.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "platform/platform.h"

namespace kinloom {

namespace {

constexpr std::string_view kHeader = "kinloom inputs 1\n";
constexpr std::size_t kEntrySize = 16;
constexpr std::size_t kTrailerSize = 40;
constexpr std::string_view kKindLetters = "ifspnm";  // by RecordKind, from 1

void Put64(std::string& out, std::uint64_t value) {
  for (int i = 0; i < 8; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint64_t Get64(const char* bytes) {
  std::uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[i]);
  return value;
}

}  // namespace

PageInputs::~PageInputs() {
  store_.WatchReads(nullptr);
  if (new_fd_ >= 0) {
    (void)platform::CloseFile(new_fd_);
    (void)platform::RemoveFile(std::string(kNewInputsFile));
  }
}

void PageInputs::Prepare(std::uint64_t fingerprint,
                         const std::function<bool(std::int32_t)>& is_living) {
  fingerprint_ = fingerprint;
  std::vector<std::pair<std::uint64_t, std::uint64_t>> current;
  store_.VisitRecordsByNumber([&](RecordKind kind, std::int32_t number, std::string_view bytes) {
    ContentHash hash;
    hash.Update(bytes);
    if (kind == RecordKind::kIndividual && is_living && is_living(number)) hash.Update("L");
    current.emplace_back(RecordKey(kind, number), hash.Value());
  });
  std::sort(current.begin(), current.end());

  const std::string name(kNewInputsFile);
  (void)platform::RemoveFile(name);
  new_fd_ = platform::CreateNewFile(name, false);
  if (new_fd_ >= 0) {
    WriteNew(kHeader);
    std::string entry;
    for (const auto& [key, hash] : current) {
      entry.clear();
      Put64(entry, key);
      Put64(entry, hash);
      WriteNew(entry);
    }
    new_count_ = static_cast<long long>(current.size());
  }

  usable_ = ComparePrevious(current, fingerprint);
  if (usable_) handled_.assign(changed_.previous_lines(), false);
}

bool PageInputs::ComparePrevious(
    const std::vector<std::pair<std::uint64_t, std::uint64_t>>& current,
    std::uint64_t fingerprint) {
  long long manifest_count = 0;
  std::uint64_t manifest_check = 0;
  if (!changed_.PreviousSeal(manifest_count, manifest_check)) return false;
  const int fd = platform::OpenForReading(std::string(kInputsFile));
  if (fd < 0) return false;
  const platform::FileStatus status = platform::StatusOfOpen(fd);
  const long long size = status.size;
  const long long body = size - static_cast<long long>(kHeader.size() + kTrailerSize);
  bool ok = status.regular && body >= 0 && body % static_cast<long long>(kEntrySize) == 0;

  // The trailer first: a record of another manifest or other settings is
  // not read any further.
  char trailer[kTrailerSize];
  if (ok) {
    ok = platform::ReadAt(fd, trailer, kTrailerSize, size - static_cast<long long>(kTrailerSize)) ==
         kTrailerSize;
  }
  if (ok) {
    ok = Get64(trailer) == static_cast<std::uint64_t>(body) / kEntrySize &&
         Get64(trailer + 8) == fingerprint &&
         Get64(trailer + 16) == static_cast<std::uint64_t>(manifest_count) &&
         Get64(trailer + 24) == manifest_check;
  }

  // Then every entry beside the current hashes, in key order.
  ContentHash check;
  std::vector<std::uint64_t> changed;
  std::size_t next = 0;  // in current
  auto changed_up_to = [&](std::uint64_t key) {
    while (next < current.size() && current[next].first < key)
      changed.push_back(current[next++].first);
  };
  std::string piece(kHeader.size(), '\0');
  if (ok) {
    ok = platform::ReadAt(fd, piece.data(), piece.size(), 0) == piece.size() && piece == kHeader;
    check.Update(piece);
  }
  long long offset = static_cast<long long>(kHeader.size());
  std::uint64_t previous_key = 0;
  bool first = true;
  const long long end = size - static_cast<long long>(kTrailerSize);
  while (ok && offset < end) {
    const std::size_t want =
        static_cast<std::size_t>(std::min<long long>(end - offset, 64 * 1024 * kEntrySize));
    piece.resize(want);
    if (platform::ReadAt(fd, piece.data(), want, offset) != want) {
      ok = false;
      break;
    }
    check.Update(piece);
    offset += static_cast<long long>(want);
    for (std::size_t at = 0; at + kEntrySize <= piece.size(); at += kEntrySize) {
      const std::uint64_t key = Get64(piece.data() + at);
      const std::uint64_t hash = Get64(piece.data() + at + 8);
      if (!first && key <= previous_key) {
        ok = false;
        break;
      }
      first = false;
      previous_key = key;
      changed_up_to(key);
      if (next < current.size() && current[next].first == key) {
        if (current[next].second != hash) changed.push_back(key);
        ++next;
      } else {
        changed.push_back(key);  // a record that is gone
      }
    }
  }
  (void)platform::CloseFile(fd);
  if (!ok) return false;
  // The check covers every byte but its own.
  check.Update(std::string_view(trailer, kTrailerSize - 8));
  if (check.Value() != Get64(trailer + 32)) return false;
  changed_up_to(UINT64_MAX);  // records that are new
  std::sort(changed.begin(), changed.end());
  changed_keys_ = std::move(changed);
  return true;
}

bool PageInputs::Keep(const std::string& native_path, KeptPage& kept) {
  if (!usable_) return false;
  const std::string path = RecordPath(native_path);
  const std::size_t position = changed_.PreviousPosition(path);
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
  new_check_.Update(bytes);
  new_buffer_.append(bytes);
  if (new_buffer_.size() >= 1024 * 1024) {
    if (!new_failed_ && !platform::WriteAll(new_fd_, new_buffer_.data(), new_buffer_.size())) {
      new_failed_ = true;
    }
    new_buffer_.clear();
  }
}

void PageInputs::Seal(long long count, std::uint64_t check) {
  if (new_fd_ < 0) return;
  std::string trailer;
  Put64(trailer, static_cast<std::uint64_t>(new_count_));
  Put64(trailer, fingerprint_);
  Put64(trailer, static_cast<std::uint64_t>(count));
  Put64(trailer, check);
  new_check_.Update(trailer);
  new_buffer_ += trailer;
  Put64(new_buffer_, new_check_.Value());
  bool ok = !new_failed_;
  ok = ok && platform::WriteAll(new_fd_, new_buffer_.data(), new_buffer_.size());
  new_buffer_.clear();
  ok = platform::CloseFile(new_fd_) && ok;
  new_fd_ = -1;
  const std::string name(kNewInputsFile);
  if (!ok || !platform::RenameOver(name, std::string(kInputsFile))) {
    // Without it the next run makes every page, as it should.
    (void)platform::RemoveFile(name);
    (void)platform::RemoveFile(std::string(kInputsFile));
  }
}

}  // namespace kinloom
