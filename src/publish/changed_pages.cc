#include "publish/changed_pages.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <numeric>
#include <unordered_map>
#include <utility>

#include "platform/platform.h"

namespace kinloom {

namespace {

constexpr std::size_t kReadPiece = 1 << 20;

std::uint64_t PathHash(std::string_view path) {
  ContentHash hash;
  hash.Update(path);
  return hash.Value();
}

bool WriteText(int fd, std::string_view bytes) {
  return platform::WriteAll(fd, bytes.data(), bytes.size());
}

std::string ParentDirectory(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// Writes text to path in one step: a fresh temporary file, then renamed.
bool ReplaceFile(const std::string& path, std::string_view text) {
  const std::string temporary = path + ".tmp";
  (void)platform::RemoveFile(temporary);
  platform::File file(platform::CreateNewFile(temporary, false));
  if (!file.is_open()) return false;
  bool ok = WriteText(file.get(), text);
  ok = file.Close() && ok;
  ok = ok && platform::RenameOver(temporary, path);
  if (!ok) (void)platform::RemoveFile(temporary);
  return ok;
}

}  // namespace

ChangedPages::ChangedPages(std::function<void(std::string_view)> warn) : warn_(std::move(warn)) {}

ChangedPages::~ChangedPages() {
  StopCheckingFiles();
  for (Page& page : open_) {
    page.temporary_file.Reset();
    if (!page.temporary.empty()) (void)platform::RemoveFile(page.temporary);
  }
  journal_file_.Reset();
  previous_file_.Reset();
}

void ChangedPages::Warn(std::string_view problem) {
  if (warned_) return;
  warned_ = true;
  // Said by the run's thread once the previous record is read.
  pending_warning_ = std::string(problem) + ": every page is written and no file is removed.";
}

void ChangedPages::WaitForPrevious() {
  previous_ready_.wait();
  if (pending_warning_.empty()) return;
  if (warn_) {
    warn_(pending_warning_);
  } else {
    std::fprintf(stderr, "%s\n", pending_warning_.c_str());
  }
  pending_warning_.clear();
}

std::string ChangedPages::Identity() const {
  // The html directory's file number: the same across restarts and
  // remounts on the file systems that keep such numbers, and different
  // for a copy of the folder, whose files have other times.
  return std::to_string(platform::StatusThrough("html").number);
}

std::optional<platform::FileFault> ChangedPages::Begin() {
  const std::string manifest(kManifestFile);
  const std::string journal(kJournalFile);
  if (!RecoverCutOffRun()) return platform::FaultAt(manifest);
  // The previous record is read, and the files it names are looked at on
  // disk, by a thread of its own while the run reads the GEDCOM file.
  auto read_previous = [this] {
    try {
      ReadPrevious();
    } catch (...) {  // out of memory: as without a record
      previous_file_.Reset();
      previous_ = Index{};
      seen_.clear();
      done_hash_.clear();
      on_disk_.reset();
    }
    previous_ready_.count_down();
  };
  try {
    disk_checker_ = std::jthread([this, read_previous](const std::stop_token& stop) {
      read_previous();
      if (on_disk_) CheckFilesOnDisk(stop);
    });
  } catch (...) {
    read_previous();
  }

  const std::string temporary(kTemporaryDirectory);
  // A link in its place is removed, never followed; a file there stays.
  const platform::FileStatus dir = platform::StatusOf(temporary);
  if (dir.exists && !dir.directory && !dir.regular) (void)platform::RemoveFile(temporary);
  if (!platform::MakeDirectory(temporary)) return platform::FaultAt(temporary);
  for (const std::string& name : platform::DirectoryNames(temporary)) {
    (void)platform::RemoveFile(temporary + "/" + name);
  }

  (void)platform::RemoveFile(journal);
  journal_file_ = platform::File(platform::CreateNewFile(journal, false));
  if (!journal_file_.is_open()) return platform::FaultAt(journal);
  const std::string header = RecordHeaderLine(Identity());
  journal_check_.Update(header);
  journal_buffer_ = header;
  if (!FlushJournal()) return platform::FaultAt(journal);
  return std::nullopt;
}

bool ChangedPages::RecoverCutOffRun() {
  const std::string journal(kJournalFile);
  platform::File journal_file(platform::OpenForReading(journal));
  if (!journal_file.is_open()) return true;
  const std::string identity = Identity();
  // What the cut-off run recorded, the last line of a path counting.
  std::unordered_map<std::string, std::string> lines;
  std::vector<std::string> order;
  const RecordState journal_state =
      ReadRecordFile(journal_file.get(), identity, false, [&](const RecordFields& r, long long) {
        // Pages it wrote, and files it removed, were never listed: the next
        // finished run lists them.
        const char flag = r.flag == '-' ? '-' : r.flag == 'r' || r.flag == 'x' ? 'x' : 'p';
        auto [it, added] = lines.try_emplace(std::string(r.path));
        if (added) order.push_back(it->first);
        it->second = RecordLine(r.hash, r.size, r.modified_ns, flag, r.path, r.inputs);
      });
  journal_file.Reset();
  if (journal_state != RecordState::kGood) {
    Warn("kinloom.journal, the record of an unfinished run, is not usable");
    distrusted_ = true;
    return platform::RemoveFile(journal) || !platform::StatusOf(journal).exists;
  }

  std::string merged = RecordHeaderLine(identity);
  long long count = 0;
  platform::File manifest_file(platform::OpenForReading(std::string(kManifestFile)));
  const RecordState manifest_state =
      ReadRecordFile(manifest_file.get(), identity, true, [&](const RecordFields& r, long long) {
        if (lines.count(std::string(r.path)) != 0) return;
        if (r.flag == 'r') return;  // removed, and listed, by that run
        const char flag = r.flag == 'p' || r.flag == 'x' ? r.flag : '-';
        merged += RecordLine(r.hash, r.size, r.modified_ns, flag, r.path, r.inputs);
        ++count;
      });
  manifest_file.Reset();
  if (manifest_state != RecordState::kGood) {
    if (manifest_state != RecordState::kMissing) {
      Warn(RecordWarning(RecordState::kDamaged));
      distrusted_ = true;
    }
    // Only what the journal names is known to be ours.
    merged = RecordHeaderLine(identity);
    count = 0;
  }
  for (const std::string& path : order) {
    merged += lines[path];
    ++count;
  }
  ContentHash check;
  check.Update(merged);
  merged += RecordEndLine(count, check.Value());
  if (!ReplaceFile(std::string(kManifestFile), merged)) return false;
  return platform::RemoveFile(journal);
}

void ChangedPages::ReadPrevious() {
  if (distrusted_) return;  // as said: every page is written, nothing removed
  const std::string manifest(kManifestFile);
  previous_file_ = platform::File(platform::OpenForReading(manifest));
  std::vector<std::pair<std::uint64_t, std::uint32_t>> entries;
  bool too_large = false;
  RecordSeal seal;
  const RecordState state = ReadRecordFile(
      previous_file_.get(), Identity(), true,
      [&](const RecordFields& r, long long offset) {
        if (r.flag == 'r') return;  // removed, and listed, by that run
        if (offset > 0xFFFFFFFFLL) too_large = true;
        entries.emplace_back(PathHash(r.path), static_cast<std::uint32_t>(offset));
      },
      &seal);
  if (state != RecordState::kGood || too_large) {
    Warn(RecordWarning(state));
    previous_file_.Reset();
    return;
  }
  previous_count_ = seal.count;
  previous_check_ = seal.check;
  // The last line of a path counts.
  std::stable_sort(entries.begin(), entries.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  previous_.path_hashes.reserve(entries.size());
  previous_.offsets.reserve(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (i + 1 < entries.size() && entries[i + 1].first == entries[i].first) continue;
    previous_.path_hashes.push_back(entries[i].first);
    previous_.offsets.push_back(entries[i].second);
  }
  const std::size_t lines = previous_.path_hashes.size();
  previous_.in_file.resize(lines);
  std::iota(previous_.in_file.begin(), previous_.in_file.end(), 0U);
  std::sort(previous_.in_file.begin(), previous_.in_file.end(),
            [this](std::uint32_t a, std::uint32_t b) {
              return previous_.offsets[a] < previous_.offsets[b];
            });
  seen_.assign(lines, false);
  done_hash_.assign(lines, 0);
  // Whether each file is still the one its line describes is asked of the
  // disk while the run reads the GEDCOM file, rather than page by page
  // later on.
  on_disk_ = std::make_unique<std::atomic<std::uint8_t>[]>(seen_.size());
}

void ChangedPages::CheckFilesOnDisk(const std::stop_token& stop) {
  constexpr std::size_t kPiece = 256 * 1024;
  std::string piece;
  long long offset = 0;
  std::size_t next = 0;  // in the order of the lines
  for (;;) {
    const std::size_t kept = piece.size();
    piece.resize(kept + kPiece);
    const std::size_t got =
        platform::ReadAt(previous_file_.get(), piece.data() + kept, kPiece, offset);
    piece.resize(kept + got);
    if (got == 0) return;
    const long long piece_offset = offset - static_cast<long long>(kept);
    offset += static_cast<long long>(got);
    std::size_t start = 0;
    for (;;) {
      if (stop.stop_requested()) return;
      const std::size_t nl = piece.find('\n', start);
      if (nl == std::string::npos) break;
      const long long line_offset = piece_offset + static_cast<long long>(start);
      RecordFields record;
      const bool parsed = ParseRecord(std::string_view(piece).substr(start, nl - start), record);
      start = nl + 1;
      if (!parsed) continue;  // the header and end lines
      // Only the line that the index keeps for a path counts.
      const std::vector<std::uint32_t>& in_file = previous_.in_file;
      while (next < in_file.size() && previous_.offsets[in_file[next]] < line_offset) ++next;
      if (next == in_file.size() || previous_.offsets[in_file[next]] != line_offset) continue;
      const std::size_t position = in_file[next];
      const platform::FileStatus status = platform::StatusOf(std::string(record.path));
      const bool as_recorded =
          status.regular && status.size == record.size && status.modified_ns == record.modified_ns;
      on_disk_[position].store(as_recorded ? kOnDiskAsRecorded : kOnDiskOther,
                               std::memory_order_release);
    }
    piece.erase(0, start);
  }
}

void ChangedPages::StopCheckingFiles() {
  if (disk_checker_.joinable()) {
    disk_checker_.request_stop();
    disk_checker_.join();
  }
}

int ChangedPages::OnDisk(std::size_t position) const {
  previous_ready_.wait();
  if (!on_disk_ || position >= seen_.size()) return kOnDiskUnknown;
  return on_disk_[position].load(std::memory_order_acquire);
}

bool ChangedPages::ReadPreviousLine(std::size_t position, RecordFields& parsed) {
  return FindPreviousLine(position, cursor_, parsed);
}

bool ChangedPages::FindPrevious(const std::string& path, RecordFields& record,
                                std::size_t& position) {
  if (!previous_file_.is_open()) return false;
  const std::uint64_t hash = PathHash(path);
  const auto it =
      std::lower_bound(previous_.path_hashes.begin(), previous_.path_hashes.end(), hash);
  if (it == previous_.path_hashes.end() || *it != hash) return false;
  position = static_cast<std::size_t>(it - previous_.path_hashes.begin());
  RecordFields parsed;
  if (!ReadPreviousLine(position, parsed) || parsed.path != path) return false;
  record.hash = parsed.hash;
  record.size = parsed.size;
  record.modified_ns = parsed.modified_ns;
  record.flag = parsed.flag;
  record.path = path;
  return true;
}

void ChangedPages::Journal(const RecordFields& record) {
  const std::string line = RecordLine(record.hash, record.size, record.modified_ns, record.flag,
                                      record.path, record.inputs);
  journal_check_.Update(line);
  journal_buffer_ += line;
  ++journal_count_;
  if (journal_buffer_.size() >= 64 * 1024) (void)FlushJournal();
}

bool ChangedPages::FlushJournal() {
  if (journal_failed_ || !journal_file_.is_open()) return false;
  if (journal_buffer_.empty()) return true;
  if (!WriteText(journal_file_.get(), journal_buffer_)) journal_failed_ = true;
  journal_buffer_.clear();
  return !journal_failed_;
}

bool ChangedPages::DoneTable::Find(std::uint64_t key, std::uint64_t& value) const {
  if (slots_.empty()) return false;
  if (key == 0) key = 1;
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = key & mask;; i = (i + 1) & mask) {
    if (slots_[i].first == 0) return false;
    if (slots_[i].first == key) {
      value = slots_[i].second;
      return true;
    }
  }
}

void ChangedPages::DoneTable::Set(std::uint64_t key, std::uint64_t value) {
  if (key == 0) key = 1;
  if ((used_ + 1) * 2 > slots_.size()) {
    std::vector<std::pair<std::uint64_t, std::uint64_t>> old = std::move(slots_);
    slots_.assign(std::max<std::size_t>(1024, old.size() * 2), {0, 0});
    used_ = 0;
    for (const auto& [k, v] : old) {
      if (k != 0) Set(k, v);
    }
  }
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = key & mask;; i = (i + 1) & mask) {
    if (slots_[i].first == key) {
      slots_[i].second = value;
      return;
    }
    if (slots_[i].first == 0) {
      slots_[i] = {key, value};
      ++used_;
      return;
    }
  }
}

ChangedPages::Page* ChangedPages::Find(int page) {
  for (auto it = open_.rbegin(); it != open_.rend(); ++it) {
    if (it->handle == page) return &*it;
  }
  return nullptr;
}

int ChangedPages::Open(const std::string& native_path) {
  previous_ready_.wait();
  const std::string path = RecordPath(native_path);
  const platform::FileStatus status = platform::StatusOf(path);
  Page page;
  if (status.exists) {
    // What would refuse to be opened for writing in place is refused here.
    if (status.directory) return 0;
    if (!status.plainly_writable && !platform::MayWrite(path)) return 0;
    page.exists = true;
    page.regular = status.regular;
    page.size = status.size;
    page.modified_ns = status.modified_ns;
  } else {
    const std::string directory = ParentDirectory(path);
    if (directory != checked_directory_) {
      if (!platform::StatusThrough(directory).directory || !platform::MayWrite(directory)) {
        return 0;
      }
      checked_directory_ = directory;
    }
  }
  page.handle = next_handle_++;
  if (next_handle_ <= 0) next_handle_ = 1;
  page.path = path;
  open_.push_back(std::move(page));
  return open_.back().handle;
}

bool ChangedPages::Spill(Page& page) {
  if (!page.temporary_file.is_open()) {
    page.temporary = std::string(kTemporaryDirectory) + "/" + std::to_string(next_temporary_++);
    (void)platform::RemoveFile(page.temporary);
    // Pages are text files, as when they are written in place.
    page.temporary_file = platform::File(platform::CreateNewFile(page.temporary, true));
    if (!page.temporary_file.is_open()) {
      page.temporary.clear();
      return false;
    }
  }
  const bool ok = WriteText(page.temporary_file.get(), page.held);
  page.held.clear();
  return ok;
}

void ChangedPages::Append(int handle, std::string_view bytes, std::size_t mask_offset,
                          std::size_t mask_size) {
  Page* page = Find(handle);
  if (page == nullptr || page->failed || bytes.empty()) return;
  if (mask_size > 0 && mask_offset <= bytes.size() && mask_size <= bytes.size() - mask_offset) {
    page->hash.Update(bytes.substr(0, mask_offset));
    page->hash.Update(bytes.substr(mask_offset + mask_size));
  } else {
    page->hash.Update(bytes);
  }
  page->held.append(bytes);
  if ((page->temporary_file.is_open() || page->held.size() > kHeldPageLimit) && !Spill(*page)) {
    page->failed = true;
  }
}

void ChangedPages::AppendFrom(int handle, int source, long long offset, long long size) {
  Page* page = Find(handle);
  if (page == nullptr || page->failed) return;
  // Read straight into what the page holds, in pieces.
  while (size > 0) {
    const std::size_t want = static_cast<std::size_t>(std::min<long long>(size, kReadPiece));
    const std::size_t start = page->held.size();
    page->held.resize(start + want);
    const std::size_t got = platform::ReadAt(source, page->held.data() + start, want, offset);
    page->held.resize(start + got);
    if (got == 0) {
      page->failed = true;
      return;
    }
    page->hash.Update(std::string_view(page->held).substr(start));
    if ((page->temporary_file.is_open() || page->held.size() > kHeldPageLimit) && !Spill(*page)) {
      page->failed = true;
      return;
    }
    offset += static_cast<long long>(got);
    size -= static_cast<long long>(got);
  }
}

void ChangedPages::Abandon(int handle) {
  Page* page = Find(handle);
  if (page == nullptr) return;
  page->temporary_file.Reset();
  if (!page->temporary.empty()) (void)platform::RemoveFile(page->temporary);
  open_.erase(open_.begin() + (page - open_.data()));
}

bool ChangedPages::Close(int handle, std::string_view inputs) {
  previous_ready_.wait();
  Page* found = Find(handle);
  if (found == nullptr) return false;
  Page page = std::move(*found);
  open_.erase(open_.begin() + (found - open_.data()));
  auto drop_temporary = [&page] {
    page.temporary_file.Reset();
    if (!page.temporary.empty()) (void)platform::RemoveFile(page.temporary);
  };

  RecordFields previous;
  std::size_t position = 0;
  const bool known = FindPrevious(page.path, previous, position);
  const std::uint64_t hash = page.hash.Value();
  if (page.failed) {
    drop_temporary();
    return false;
  }
  // Done before in this run: what is on disk is this run's, and recorded.
  const std::uint64_t path_hash = PathHash(page.path);
  std::uint64_t done_before = 0;
  bool done;
  if (known) {
    done = seen_[position];
    done_before = done_hash_[position];
  } else {
    done = new_done_.Find(path_hash, done_before);
  }
  auto mark_done = [&] {
    if (known) {
      seen_[position] = true;
      done_hash_[position] = hash;
    } else {
      new_done_.Set(path_hash, hash);
    }
  };
  if (done && done_before == hash && page.exists) {
    drop_temporary();
    return true;
  }
  // The hash covers the content's length; the sizes compared are on disk.
  if (!done && known && page.regular && previous.hash == hash && page.size == previous.size &&
      page.modified_ns == previous.modified_ns) {
    drop_temporary();
    mark_done();
    // A page that a cut-off run wrote is listed now.
    if (previous.flag == 'p') {
      previous.flag = 'w';
      AddChange("written ", page.path);
    } else {
      previous.flag = '-';
    }
    previous.inputs = inputs;
    Journal(previous);
    return true;
  }

  bool ok = Spill(page);
  ok = page.temporary_file.Close() && ok;
  // The size and time once the file is closed: some systems move the time
  // at the close. Renaming keeps both.
  platform::FileStatus written;
  if (ok) {
    written = platform::StatusOf(page.temporary);
    ok = written.regular;
  }
  if (ok) {
    Journal(RecordFields{hash, written.size, written.modified_ns, 'w', page.path, inputs});
    ok = FlushJournal() && platform::RenameOver(page.temporary, page.path);
  }
  if (!ok) {
    drop_temporary();
    return false;
  }
  mark_done();
  // A page written twice in a run is listed once.
  if (!done) AddChange("written ", page.path);
  return true;
}

void ChangedPages::Keep(const RecordFields& record, std::size_t position) {
  previous_ready_.wait();
  if (position < seen_.size()) {
    // Done before in this run: what was done then stays.
    if (seen_[position]) return;
    seen_[position] = true;
    done_hash_[position] = record.hash;
  }
  RecordFields line = record;
  // A page that a cut-off run wrote is listed now.
  if (line.flag == 'p') {
    line.flag = 'w';
    AddChange("written ", std::string(line.path));
  } else {
    line.flag = '-';
  }
  Journal(line);
}

bool ChangedPages::PreviousSeal(long long& count, std::uint64_t& check) const {
  previous_ready_.wait();
  if (!previous_file_.is_open()) return false;
  count = previous_count_;
  check = previous_check_;
  return true;
}

std::size_t ChangedPages::PreviousPosition(const std::string& path) const {
  previous_ready_.wait();
  const std::vector<std::uint64_t>& hashes = previous_.path_hashes;
  const std::uint64_t hash = PathHash(path);
  const auto it = std::lower_bound(hashes.begin(), hashes.end(), hash);
  if (it == hashes.end() || *it != hash) return hashes.size();
  return static_cast<std::size_t>(it - hashes.begin());
}

std::size_t ChangedPages::PreviousPosition(const std::string& path, std::size_t& next) const {
  const std::vector<std::uint32_t>& in_file = previous_.in_file;
  if (next < in_file.size() && previous_.path_hashes[in_file[next]] == PathHash(path)) {
    return in_file[next++];
  }
  const std::size_t position = PreviousPosition(path);
  if (position < in_file.size()) {
    // The place of its line among the lines in the order of the file.
    const std::uint32_t offset = previous_.offsets[position];
    next = static_cast<std::size_t>(std::lower_bound(in_file.begin(), in_file.end(), offset,
                                                     [this](std::uint32_t p, std::uint32_t o) {
                                                       return previous_.offsets[p] < o;
                                                     }) -
                                    in_file.begin()) +
           1;
  }
  return position;
}

bool ChangedPages::FindPreviousLine(std::size_t position, RecordCursor& cursor,
                                    RecordFields& record) const {
  previous_ready_.wait();
  if (!previous_file_.is_open() || position >= previous_.offsets.size()) return false;
  const long long offset = previous_.offsets[position];
  // The pages come in much the order of the record, so one read of a
  // large piece serves many of them.
  std::size_t start = 0;
  std::size_t nl = std::string::npos;
  if (cursor.offset >= 0 && offset >= cursor.offset &&
      offset < cursor.offset + static_cast<long long>(cursor.piece.size())) {
    start = static_cast<std::size_t>(offset - cursor.offset);
    nl = cursor.piece.find('\n', start);
  }
  if (nl == std::string::npos) {
    constexpr std::size_t kPiece = 64 * 1024;
    cursor.piece.resize(kPiece);
    cursor.piece.resize(
        platform::ReadAt(previous_file_.get(), cursor.piece.data(), kPiece, offset));
    cursor.offset = offset;
    start = 0;
    nl = cursor.piece.find('\n');
    if (nl == std::string::npos) {
      cursor.offset = -1;
      return false;
    }
  }
  return ParseRecord(std::string_view(cursor.piece).substr(start, nl - start), record);
}

void ChangedPages::AddChange(std::string_view kind, const std::string& path) {
  changes_ += kind;
  changes_.append(path, 5);  // under html/
  changes_ += '\n';
}

std::optional<platform::FileFault> ChangedPages::Finish(
    bool complete, const std::function<void(long long, std::uint64_t)>& before_manifest) {
  WaitForPrevious();
  StopCheckingFiles();
  const std::string manifest(kManifestFile);
  // The files of the previous record that this run did not write. Each
  // is recorded as removed before it goes, so that a run cut off meanwhile
  // still has them listed by the next one.
  // Both walks go in the order of the lines, so that the record is read
  // once from start to end.
  if (complete) {
    for (const std::uint32_t i : previous_.in_file) {
      RecordFields parsed;
      if (seen_[i] || !ReadPreviousLine(i, parsed)) continue;
      parsed.flag = 'r';
      parsed.inputs = {};
      Journal(parsed);
    }
    (void)FlushJournal();
  }
  for (const std::uint32_t i : previous_.in_file) {
    if (seen_[i]) continue;
    RecordFields parsed;
    if (!ReadPreviousLine(i, parsed)) continue;
    const std::string path(parsed.path);
    if (complete) {
      if (platform::RemoveFile(path)) {
        AddChange("removed ", path);
        continue;
      }
      if (!platform::StatusOf(path).exists) {
        // Removed by a run that was cut off before it listed it.
        if (parsed.flag == 'x') AddChange("removed ", path);
        continue;
      }
    }
    if (parsed.flag != 'p' && parsed.flag != 'x') parsed.flag = '-';
    parsed.path = path;
    parsed.inputs = {};  // not made by this run
    Journal(parsed);
  }
  previous_file_.Reset();

  journal_buffer_ += RecordEndLine(journal_count_, journal_check_.Value());
  bool ok = FlushJournal();
  if (ok && before_manifest) before_manifest(journal_count_, journal_check_.Value());
  ok = journal_file_.Close() && ok;
  ok = ok && platform::RenameOver(std::string(kJournalFile), manifest);

  (void)platform::RemoveDirectory(std::string(kTemporaryDirectory));

  // Sorted by path: both kinds of line have the path after 8 characters.
  std::vector<std::string_view> lines;
  for (std::size_t start = 0; start < changes_.size();) {
    const std::size_t end = changes_.find('\n', start);
    lines.push_back(std::string_view(changes_).substr(start, end + 1 - start));
    start = end + 1;
  }
  std::sort(lines.begin(), lines.end(),
            [](std::string_view a, std::string_view b) { return a.substr(8) < b.substr(8); });
  std::string changes;
  changes.reserve(changes_.size());
  for (const std::string_view line : lines) changes += line;
  lines = {};
  changes_ = {};
  if (!ok) return platform::FaultAt(manifest);
  if (!ReplaceFile(std::string(kChangesFile), changes)) {
    return platform::FaultAt(std::string(kChangesFile));
  }
  return std::nullopt;
}

}  // namespace kinloom
