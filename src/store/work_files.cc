#include "store/work_files.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"
#include "store/coding.h"

namespace kinloom {

namespace {

// Which buffer each cached getter owns.
enum IndividualGetter {
  kGetIndividualNumber,
  kGetIndividualName,
  kGetIndividualBirthDate,
  kGetIndividualBirthPlace,
  kGetIndividualDeathDate,
  kGetIndividualDeathPlace,
  kGetIndividualSource,
  kGetIndividualBirthSource,
  kGetIndividualDeathSource,
  kGetIndividualNote,
  kGetIndividualSpouseFamily,
  kGetIndividualParentFamily,
  kGetIndividualPhoto,
};
enum FamilyGetter {
  kGetFamilyNumber,
  kGetFamilyHusband,
  kGetFamilyWife,
  kGetFamilyMarriageDate,
  kGetFamilyMarriagePlace,
  kGetFamilyMarriageSource,
  kGetFamilyNote,
  kGetFamilyChild,
};
enum PhotoGetter { kGetPhotoFile, kGetPhotoTitle, kGetPhotoOwner };

std::int32_t ListEntry(const RecordList& list, int i) {
  return i >= 0 && i < kListEntries ? list[i] : 0;
}

}  // namespace

template <typename Record, std::size_t Getters>
template <typename Read>
const Record& WorkFiles::GetterBuffers<Record, Getters>::Get(int getter, std::int32_t n,
                                                             const Read& read) {
  int& held = held_[static_cast<std::size_t>(getter)];
  if (held >= 0) {
    Buffer& own = buffers_[static_cast<std::size_t>(held)];
    if (own.number == n) return own.record;
    --own.holders;
    held = -1;
  }
  int free = -1;
  for (std::size_t i = 0; i < buffers_.size(); ++i) {
    Buffer& buffer = buffers_[i];
    if (buffer.holders > 0 && buffer.number == n) {
      ++buffer.holders;
      held = static_cast<int>(i);
      return buffer.record;
    }
    if (buffer.holders == 0 && free < 0) free = static_cast<int>(i);
  }
  Buffer& buffer = buffers_[static_cast<std::size_t>(free)];
  read(n, buffer.record);
  buffer.number = n;
  buffer.holders = 1;
  held = free;
  return buffer.record;
}

WorkFiles::~WorkFiles() { StopWriteBehind(); }  // then each BlockFile writes its changes and closes

void WorkFiles::StartWriteBehind() {
  if (write_behind_) return;
  write_behind_ = std::make_unique<WriteBehind>();
  for (BlockFile& file : files_) file.UseWriteBehind(write_behind_.get());
}

void WorkFiles::StopWriteBehind() {
  if (!write_behind_) return;
  for (BlockFile& file : files_) file.UseWriteBehind(nullptr);
  write_behind_.reset();
}

bool WorkFiles::is_open() const {
  return std::any_of(files_.begin(), files_.end(),
                     [](const BlockFile& file) { return file.is_open(); });
}

void WorkFiles::Flush() {
  for (BlockFile& file : files_) file.Flush();
}

std::optional<std::string> WorkFiles::WriteFailure() const {
  for (std::size_t i = 0; i < files_.size(); ++i) {
    if (files_[i].failed()) return std::string(kWorkFileNames[i]);
  }
  return std::nullopt;
}

void WorkFiles::ForgetRun() {
  individual_caches_.Clear();
  family_caches_.Clear();
  ++source_titles_.generation;
  photo_caches_.Clear();
  individual_hint_ = SlotHint{};
  family_hint_ = SlotHint{};
  previous_individual_note_key_ = 0;
  previous_family_note_key_ = 0;
  individual_note_written_ = false;
  family_note_written_ = false;
  inline_sources_.clear();
}

std::optional<platform::FileFault> WorkFiles::Open() {
  CloseAndDelete();
  ForgetRun();
  ++individual_generation_;
  for (std::size_t i = 0; i < kWorkFileNames.size(); ++i) {
    // The page writers keep coming back to the individuals of a few
    // generations at once, so indv.dat gets more blocks than the others.
    const std::size_t blocks = i == kIndvDat ? 4 * BlockFile::kBlocks : BlockFile::kBlocks;
    if (!files_[i].Create(kWorkFileNames[i], blocks)) {
      platform::FileFault fault = platform::FaultAt(kWorkFileNames[i]);
      CloseAndDelete();
      return fault;
    }
  }
  return std::nullopt;
}

void WorkFiles::CloseAndDelete() {
  std::array<bool, 12> opened{};
  for (std::size_t i = 0; i < files_.size(); ++i) {
    if (!files_[i].is_open()) continue;
    // Nothing held in memory needs to reach a file that is deleted next.
    files_[i].Discard();
    opened[i] = true;
  }
  for (std::size_t i = 0; i < files_.size(); ++i) {
    if (opened[i]) std::remove(kWorkFileNames[i]);
  }
}

// --- Low-level access ---------------------------------------------------

bool WorkFiles::ReadBytes(FileIndex index, long long offset, unsigned char* dst,
                          std::size_t size) const {
  if (!files_[index].Read(offset, dst, size)) return false;
  ++file_reads_;
  return true;
}

void WorkFiles::WriteBytes(FileIndex index, long long offset, const unsigned char* src,
                           std::size_t size) {
  files_[index].Write(offset, src, size);
}

std::int32_t WorkFiles::ReadIndex(FileIndex idx, std::int32_t number) const {
  if (number < 0) return 0;
  unsigned char entry[4];
  if (!ReadBytes(idx, 4LL * number, entry, sizeof entry)) return 0;
  return DecodeFixed32(entry);
}

void WorkFiles::WriteIndex(FileIndex idx, std::int32_t number, std::int32_t value) {
  if (number < 0) return;
  unsigned char entry[4];
  EncodeFixed32(entry, value);
  WriteBytes(idx, 4LL * number, entry, sizeof entry);
}

bool WorkFiles::SlotInFile(FileIndex dat, std::int32_t slot, std::size_t record_size) const {
  return slot >= 1 &&
         static_cast<long long>(slot) * static_cast<long long>(record_size) <= files_[dat].size();
}

template <typename Record>
void WorkFiles::ReadAtSlot(FileIndex dat, std::int32_t slot, Record& record) const {
  std::array<unsigned char, Record::kSize> bytes;
  if (slot < 1 || !ReadBytes(dat, (slot - 1LL) * static_cast<long long>(Record::kSize),
                             bytes.data(), bytes.size())) {
    record = Record{};
    return;
  }
  Decode(bytes.data(), record);
}

template <typename Record>
void WorkFiles::ReadByNumber(FileIndex idx, FileIndex dat, std::int32_t number,
                             Record& record) const {
  ReadAtSlot(dat, ReadIndex(idx, number), record);
}

template <typename Record>
void WorkFiles::ReadByNumber(SlotHint& hint, FileIndex idx, FileIndex dat, std::int32_t number,
                             Record& record) const {
  if (hint.sound && number > 0 && number == hint.number) {
    ReadAtSlot(dat, hint.slot, record);
  } else {
    ReadByNumber(idx, dat, number, record);
  }
}

void WorkFiles::NotePut(SlotHint& hint, FileIndex idx, std::int32_t number, std::int32_t slot,
                        std::int32_t record_number) {
  hint.number = 0;
  if (!hint.sound || number < 0) return;
  // A record under another number than its own, or a number whose entry
  // already leads to another slot (a number stored twice), breaks the
  // rule that the record found at a slot is the record of its number.
  if (record_number != number) {
    hint.sound = false;
    return;
  }
  const std::int32_t entry = ReadIndex(idx, number);
  if (entry != 0 && entry != slot) hint.sound = false;
}

template <typename Record>
void WorkFiles::WriteAtSlot(FileIndex dat, std::int32_t slot, const Record& record) {
  if (slot < 1) return;
  const long long offset = (slot - 1LL) * static_cast<long long>(Record::kSize);
  // Most records lie within one block and are encoded right into it.
  if (unsigned char* span = files_[dat].WritableSpan(offset, Record::kSize)) {
    Encode(record, span);
    return;
  }
  std::array<unsigned char, Record::kSize> bytes;
  Encode(record, bytes.data());
  WriteBytes(dat, offset, bytes.data(), bytes.size());
}

// --- Writing --------------------------------------------------------------

void WorkFiles::PutIndividual(std::int32_t number, std::int32_t slot,
                              const IndividualRecord& record) {
  individual_caches_.Clear();
  ++individual_generation_;
  if (slot < 1) return;
  NotePut(individual_hint_, kIndvIdx, number, slot, record.number);
  WriteIndex(kIndvIdx, number, slot);
  WriteAtSlot(kIndvDat, slot, record);
}

void WorkFiles::PutFamily(std::int32_t number, std::int32_t slot, const FamilyRecord& record) {
  family_caches_.Clear();
  if (slot < 1) return;
  NotePut(family_hint_, kFamIdx, number, slot, record.number);
  WriteIndex(kFamIdx, number, slot);
  WriteAtSlot(kFamDat, slot, record);
}

void WorkFiles::PutSource(std::int32_t number, std::int32_t slot, const SourceRecord& record) {
  ++source_titles_.generation;
  if (slot < 1) return;
  WriteIndex(kSrcIdx, number, slot);
  WriteAtSlot(kSrcDat, slot, record);
}

void WorkFiles::PutPhoto(std::int32_t number, std::int32_t slot, const PhotoRecord& record) {
  photo_caches_.Clear();
  if (slot < 1) return;
  WriteIndex(kPhotoIdx, number, slot);
  WriteAtSlot(kPhotoDat, slot, record);
}

void WorkFiles::ReplaceIndividualAt(std::int32_t slot, const IndividualRecord& record) {
  individual_caches_.Clear();
  ++individual_generation_;
  if (!SlotInFile(kIndvDat, slot, IndividualRecord::kSize)) return;
  WriteAtSlot(kIndvDat, slot, record);
}

void WorkFiles::ReplaceFamilyAt(std::int32_t slot, const FamilyRecord& record) {
  family_caches_.Clear();
  if (!SlotInFile(kFamDat, slot, FamilyRecord::kSize)) return;
  WriteAtSlot(kFamDat, slot, record);
}

void WorkFiles::ReplacePhotoAt(std::int32_t slot, const PhotoRecord& record) {
  photo_caches_.Clear();
  if (!SlotInFile(kPhotoDat, slot, PhotoRecord::kSize)) return;
  WriteAtSlot(kPhotoDat, slot, record);
}

// The reader writes the lines of one note one after another, so the index
// entry of a key is written once, with the line number of the note's first
// line, when the key changes.
void WorkFiles::PutNoteLine(FileIndex idx, FileIndex dat, bool& written, std::int32_t& previous_key,
                            std::int32_t key, std::int32_t line, const NoteLine& noteLine) {
  if (line < 1) return;
  if (!written || key != previous_key) {
    WriteIndex(idx, key, line);
    previous_key = key;
    written = true;
  }
  WriteAtSlot(dat, line, noteLine);
}

void WorkFiles::PutIndividualNoteLine(std::int32_t key, std::int32_t line,
                                      const NoteLine& noteLine) {
  PutNoteLine(kINoteIdx, kINoteDat, individual_note_written_, previous_individual_note_key_, key,
              line, noteLine);
}

void WorkFiles::PutFamilyNoteLine(std::int32_t key, std::int32_t line, const NoteLine& noteLine) {
  PutNoteLine(kFNoteIdx, kFNoteDat, family_note_written_, previous_family_note_key_, key, line,
              noteLine);
}

std::int32_t WorkFiles::AddInlineSource(std::string_view title,
                                        const std::function<std::int32_t()>& fresh_number) {
  const std::string stored(title.substr(0, kSourceTitleCapacity));
  const std::size_t hash = std::hash<std::string>{}(stored);
  auto [first, last] = inline_sources_.equal_range(hash);
  SourceRecord record;
  for (auto it = first; it != last; ++it) {
    GetSource(it->second, record);
    if (record.number == it->second && record.title == stored) return it->second;
  }
  const std::int32_t slot = ++counters.SourceCount;
  const std::int32_t number = fresh_number ? fresh_number() : slot;
  record.number = number;
  record.title = stored;
  PutSource(number, slot, record);
  inline_sources_.emplace(hash, number);
  return number;
}

void WorkFiles::SwapIndividuals(std::int32_t slotA, std::int32_t slotB) {
  constexpr std::size_t kSize = IndividualRecord::kSize;
  individual_hint_.number = 0;
  ++individual_generation_;
  if (!SlotInFile(kIndvDat, slotA, kSize) || !SlotInFile(kIndvDat, slotB, kSize) ||
      slotA == slotB) {
    return;
  }
  IndividualRecord a, b;
  ReadAtSlot(kIndvDat, slotA, a);
  ReadAtSlot(kIndvDat, slotB, b);
  // Decide both index updates before writing either: when a and b share a
  // number, its entry must follow only the copy it pointed to.
  const std::int32_t entryA = ReadIndex(kIndvIdx, a.number);
  const std::int32_t entryB = ReadIndex(kIndvIdx, b.number);
  WriteAtSlot(kIndvDat, slotB, a);
  WriteAtSlot(kIndvDat, slotA, b);
  if (a.number == b.number) {
    if (entryA == slotA) WriteIndex(kIndvIdx, a.number, slotB);
    if (entryA == slotB) WriteIndex(kIndvIdx, a.number, slotA);
  } else {
    if (entryA == slotA) WriteIndex(kIndvIdx, a.number, slotB);
    if (entryB == slotB) WriteIndex(kIndvIdx, b.number, slotA);
  }
  // The record of every number is unchanged, so the caches stay valid.
}

namespace {

constexpr std::size_t kRecord = IndividualRecord::kSize;
// Destinations handled at once: the records of one window are put in
// order in memory and written with one call. A range of up to this many
// records is ordered in memory whole.
constexpr std::size_t kWindowRecords = (std::size_t{2} << 20) / kRecord;
// Records collected per window of kWindowRecords before they go to the
// scratch file.
constexpr std::size_t kPendingRecords = (std::size_t{16} << 10) / kRecord;
// A larger range has windows of up to this many times kWindowRecords
// (and pending buffers as many times kPendingRecords): fewer, larger
// writes to the new scratch file cost the file system markedly less per
// byte, for memory that stays a fixed share (some 2 %) of the range.
constexpr std::size_t kWindowGrowth = 4;
constexpr std::size_t kWindowsBeforeGrowth = 64;
// Records read from the work file at once.
constexpr std::size_t kChunkRecords = (std::size_t{1} << 20) / kRecord;

// Puts the count records in bytes, where record k belongs at position
// destination[k] (a permutation of 0 .. count - 1), into that order. The
// records move along the cycles of the permutation, each copied once (and
// one per cycle twice).
void PlaceInMemory(unsigned char* bytes, const std::vector<std::int32_t>& destination) {
  // source[p]: the record that belongs at position p; p once it is there.
  std::vector<std::int32_t> source(destination.size());
  for (std::size_t k = 0; k < destination.size(); ++k) {
    source[static_cast<std::size_t>(destination[k])] = static_cast<std::int32_t>(k);
  }
  std::array<unsigned char, kRecord> held;
  for (std::size_t start = 0; start < source.size(); ++start) {
    if (source[start] == static_cast<std::int32_t>(start)) continue;
    std::memcpy(held.data(), bytes + start * kRecord, kRecord);
    for (std::size_t p = start;;) {
      const auto from = static_cast<std::size_t>(source[p]);
      source[p] = static_cast<std::int32_t>(p);
      if (from == start) {
        std::memcpy(bytes + p * kRecord, held.data(), kRecord);
        break;
      }
      std::memcpy(bytes + p * kRecord, bytes + from * kRecord, kRecord);
      p = from;
    }
  }
}

// A range that fits one window: read whole, ordered in memory, written back.
void MoveInMemory(BlockFile& dat, long long base, const std::vector<std::int32_t>& new_position,
                  std::vector<std::int32_t>& number_at) {
  const std::size_t n = new_position.size();
  std::vector<unsigned char> bytes(n * kRecord);
  dat.ReadDirect(base, bytes.data(), bytes.size());
  for (std::size_t q = 0; q < n; ++q) number_at[q] = DecodeFixed32(bytes.data() + q * kRecord);
  PlaceInMemory(bytes.data(), new_position);
  dat.WriteDirect(base, bytes.data(), bytes.size());
}

// Any range, in two sequential passes through scratch, a file of its own:
// the first reads the records from dat in slot order and files each in the
// scratch region of the window its destination lies in; the second reads
// one window's region, orders it in memory and writes it to its place in
// target from target_base on (target may be scratch itself). About three
// system calls per megabyte instead of two per record, and memory for one
// window and a small buffer per window. False, with target untouched,
// when scratch cannot be written or stop is requested.
bool MoveThroughScratch(const BlockFile& dat, long long base, BlockFile& scratch, BlockFile& target,
                        long long target_base, const std::vector<std::int32_t>& order,
                        const std::vector<std::int32_t>& new_position,
                        std::vector<std::int32_t>& number_at, const std::stop_token& stop = {}) {
  const std::size_t n = order.size();
  const std::size_t growth =
      std::clamp<std::size_t>(n / (kWindowRecords * kWindowsBeforeGrowth), 1, kWindowGrowth);
  const std::size_t window_records = kWindowRecords * growth;
  const std::size_t pending_records = kPendingRecords * growth;
  const std::size_t windows = (n + window_records - 1) / window_records;
  {
    std::vector<std::vector<unsigned char>> pending(windows);
    std::vector<std::size_t> filed(windows, 0);  // records of each window in the scratch file
    auto file_pending = [&](std::size_t w) {
      const long long at = static_cast<long long>((w * window_records + filed[w]) * kRecord);
      scratch.WriteDirect(at, pending[w].data(), pending[w].size());
      filed[w] += pending[w].size() / kRecord;
      pending[w].clear();
    };
    std::vector<unsigned char> chunk(kChunkRecords * kRecord);
    for (std::size_t q0 = 0; q0 < n; q0 += kChunkRecords) {
      if (stop.stop_requested()) return false;
      const std::size_t m = std::min(kChunkRecords, n - q0);
      dat.ReadDirect(base + static_cast<long long>(q0 * kRecord), chunk.data(), m * kRecord);
      for (std::size_t k = 0; k < m; ++k) {
        const unsigned char* record = chunk.data() + k * kRecord;
        const std::size_t q = q0 + k;
        number_at[q] = DecodeFixed32(record);
        const std::size_t w = static_cast<std::size_t>(new_position[q]) / window_records;
        std::vector<unsigned char>& buffer = pending[w];
        if (buffer.capacity() == 0) buffer.reserve(pending_records * kRecord);
        buffer.insert(buffer.end(), record, record + kRecord);
        if (buffer.size() == pending_records * kRecord) file_pending(w);
      }
    }
    for (std::size_t w = 0; w < windows; ++w) {
      if (!pending[w].empty()) file_pending(w);
    }
  }
  if (scratch.failed()) return false;

  // A window's records lie in its region in the order of their old slots.
  std::vector<unsigned char> bytes(std::min(n, window_records) * kRecord);
  std::vector<std::pair<std::int32_t, std::int32_t>>
      sources;  // old position, destination in window
  std::vector<std::int32_t> destination;
  for (std::size_t w = 0; w < windows; ++w) {
    if (stop.stop_requested()) return false;
    const std::size_t first = w * window_records;
    const std::size_t count = std::min(window_records, n - first);
    sources.clear();
    for (std::size_t p = first; p < first + count; ++p) {
      sources.emplace_back(order[p], static_cast<std::int32_t>(p - first));
    }
    std::sort(sources.begin(), sources.end());
    destination.clear();
    for (const auto& source : sources) destination.push_back(source.second);
    scratch.ReadDirect(static_cast<long long>(first * kRecord), bytes.data(), count * kRecord);
    PlaceInMemory(bytes.data(), destination);
    target.WriteDirect(target_base + static_cast<long long>(first * kRecord), bytes.data(),
                       count * kRecord);
  }
  return true;
}

// The fallback without a scratch file: the records move along the cycles
// of the permutation, each read once and written once, two system calls
// per record.
void MoveAlongCycles(BlockFile& dat, long long base, const std::vector<std::int32_t>& order,
                     std::vector<std::int32_t>& number_at) {
  const std::size_t n = order.size();
  auto offset = [base](std::size_t position) {
    return base + static_cast<long long>(position * kRecord);
  };
  std::vector<bool> placed(n, false);
  std::array<unsigned char, kRecord> held, moving;
  for (std::size_t start = 0; start < n; ++start) {
    if (placed[start] || order[start] == static_cast<std::int32_t>(start)) continue;
    dat.ReadDirect(offset(start), held.data(), kRecord);
    number_at[start] = DecodeFixed32(held.data());
    for (std::size_t p = start;;) {
      placed[p] = true;
      const auto from = static_cast<std::size_t>(order[p]);
      if (from == start) {
        dat.WriteDirect(offset(p), held.data(), kRecord);
        break;
      }
      dat.ReadDirect(offset(from), moving.data(), kRecord);
      number_at[from] = DecodeFixed32(moving.data());
      dat.WriteDirect(offset(p), moving.data(), kRecord);
      p = from;
    }
  }
}

}  // namespace

// The records are read and written straight from and to the file: spread
// over the whole file, they would only push every other block out of the
// cache. An index entry follows its record when it pointed to the
// record's old slot; all entries are judged against the index as it was
// before the move, because a number stored twice has one entry for two
// records.
void WorkFiles::PermuteIndividuals(std::int32_t first_slot,
                                   const std::vector<std::int32_t>& order) {
  individual_hint_.number = 0;
  ++individual_generation_;
  const std::size_t n = order.size();
  if (n == 0 || first_slot < 1 || n > static_cast<std::size_t>(INT32_MAX - first_slot) + 1 ||
      !SlotInFile(kIndvDat, static_cast<std::int32_t>(first_slot + (n - 1)), kRecord)) {
    return;
  }
  // new_position[q]: where the record now at position q goes.
  std::vector<std::int32_t> new_position(n, -1);
  for (std::size_t p = 0; p < n; ++p) {
    const std::int32_t q = order[p];
    if (q < 0 || static_cast<std::size_t>(q) >= n || new_position[q] != -1) return;
    new_position[q] = static_cast<std::int32_t>(p);
  }

  BlockFile& dat = files_[kIndvDat];
  dat.Flush();
  dat.Forget();
  const long long base = (first_slot - 1LL) * static_cast<long long>(kRecord);
  // number_at[q]: number of the record that was at position q (at least
  // for every record that moves).
  std::vector<std::int32_t> number_at(n, 0);
  BlockFile scratch;
  if (n <= kWindowRecords) {
    MoveInMemory(dat, base, new_position, number_at);
  } else if (!scratch.CreateUnnamed(scratch_directory_.c_str()) ||
             !MoveThroughScratch(dat, base, scratch, dat, base, order, new_position, number_at)) {
    MoveAlongCycles(dat, base, order, number_at);
  }
  scratch.Discard();
  MoveIndexEntries(first_slot, new_position, number_at);
  // The record of every number is unchanged, so the caches stay valid.
}

void WorkFiles::MoveIndexEntries(std::int32_t first_slot,
                                 const std::vector<std::int32_t>& new_position,
                                 const std::vector<std::int32_t>& number_at) {
  const std::size_t n = new_position.size();
  // Positions in slot order visit the index mostly in number order, which
  // the index file's own cache serves well.
  std::vector<bool> owns_entry(n, false);
  for (std::size_t q = 0; q < n; ++q) {
    if (new_position[q] == static_cast<std::int32_t>(q)) continue;
    const auto slot = static_cast<std::int32_t>(first_slot + q);
    owns_entry[q] = ReadIndex(kIndvIdx, number_at[q]) == slot;
  }
  for (std::size_t q = 0; q < n; ++q) {
    if (owns_entry[q]) WriteIndex(kIndvIdx, number_at[q], first_slot + new_position[q]);
  }
}

bool IndividualOrder::VisitRecords(const std::function<void(const IndividualRecord&)>& visit,
                                   const std::stop_token& stop) const {
  if (!file) return false;
  const std::size_t n = new_position.size();
  std::vector<unsigned char> chunk(kChunkRecords * kRecord);
  IndividualRecord record;
  for (std::size_t q0 = 0; q0 < n; q0 += kChunkRecords) {
    if (stop.stop_requested()) return false;
    const std::size_t m = std::min(kChunkRecords, n - q0);
    if (!file->ReadDirect(static_cast<long long>(q0 * kRecord), chunk.data(), m * kRecord)) {
      return false;
    }
    for (std::size_t k = 0; k < m; ++k) {
      Decode(chunk.data() + k * kRecord, record);
      visit(record);
    }
  }
  return true;
}

bool WorkFiles::VisitIndividualNames(const std::function<void(std::string_view)>& visit,
                                     const std::stop_token& stop) const {
  const BlockFile& dat = files_[kIndvDat];
  const auto n = static_cast<std::size_t>(std::max<std::int32_t>(counters.IndividualCount, 0));
  std::vector<unsigned char> chunk(kChunkRecords * kRecord);
  for (std::size_t q0 = 0; q0 < n; q0 += kChunkRecords) {
    if (stop.stop_requested()) return false;
    const std::size_t m = std::min(kChunkRecords, n - q0);
    // Slots past the end of the file read as zeros: an empty name, as
    // IndividualNameAt gives.
    dat.ReadDirect(static_cast<long long>(q0 * kRecord), chunk.data(), m * kRecord);
    for (std::size_t k = 0; k < m; ++k) {
      const char* name =
          reinterpret_cast<const char*>(chunk.data() + k * kRecord + IndividualRecord::kNameOffset);
      const void* nul = std::memchr(name, 0, kNameCapacity + 1);
      visit(std::string_view(name,
                             nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - name)
                                 : kNameCapacity + 1));
    }
  }
  return true;
}

std::optional<IndividualOrder> WorkFiles::PrepareIndividualOrder(
    const std::vector<std::int32_t>& order, std::uint64_t generation,
    const std::stop_token& stop) const {
  const BlockFile& dat = files_[kIndvDat];
  const std::size_t n = order.size();
  if (n == 0 ||
      n != static_cast<std::size_t>(std::max<std::int32_t>(counters.IndividualCount, 0)) ||
      dat.size() != static_cast<long long>(n * kRecord)) {
    return std::nullopt;
  }
  IndividualOrder prepared;
  prepared.generation = generation;
  prepared.new_position.assign(n, -1);
  for (std::size_t p = 0; p < n; ++p) {
    const std::int32_t q = order[p];
    if (q < 0 || static_cast<std::size_t>(q) >= n || prepared.new_position[q] != -1) {
      return std::nullopt;
    }
    prepared.new_position[q] = static_cast<std::int32_t>(p);
  }
  prepared.number_at.assign(n, 0);
  prepared.file = std::make_unique<BlockFile>();
  BlockFile& file = *prepared.file;
  if (!file.CreateUnnamed(scratch_directory_.c_str())) return std::nullopt;
  // The new file serves as the scratch file of the move as well: each
  // window's region, once filed, is ordered in memory and written back in
  // its place.
  if (!MoveThroughScratch(dat, 0, file, file, 0, order, prepared.new_position, prepared.number_at,
                          stop) ||
      file.failed() || file.size() != dat.size()) {
    return std::nullopt;
  }
  return prepared;
}

bool WorkFiles::AdoptIndividualOrder(IndividualOrder&& prepared) {
  BlockFile& dat = files_[kIndvDat];
  const std::size_t n = prepared.new_position.size();
  if (!prepared.file || prepared.generation != individual_generation_ || n == 0 ||
      n != static_cast<std::size_t>(std::max<std::int32_t>(counters.IndividualCount, 0)) ||
      dat.size() != static_cast<long long>(n * kRecord) || prepared.file->size() != dat.size()) {
    return false;
  }
  // The new file takes the work file's name first, so that the name never
  // leads to records that the index does not describe for longer than the
  // rename takes. A leftover of a run that ended in between is replaced.
  const char* const kNewName = "indv.new";
  dat.Flush();
  std::remove(kNewName);
  if (!platform::NameUnnamedFile(prepared.file->descriptor(), kNewName)) {
    return false;
  }
  if (std::rename(kNewName, kWorkFileNames[kIndvDat]) != 0) {
    std::remove(kNewName);
    return false;
  }
  dat.Forget();
  dat.SwapFiles(*prepared.file);
  prepared.file->Discard();  // the old records, now without a name
  individual_hint_.number = 0;
  ++individual_generation_;
  MoveIndexEntries(1, prepared.new_position, prepared.number_at);
  // The record of every number is unchanged, so the caches stay valid.
  return true;
}

// --- Reading whole records -------------------------------------------------

void WorkFiles::GetIndividual(std::int32_t number, IndividualRecord& record) const {
  NoteRead(RecordKind::kIndividual, number);
  ReadByNumber(individual_hint_, kIndvIdx, kIndvDat, number, record);
}

void WorkFiles::GetIndividualAt(std::int32_t slot, IndividualRecord& record) const {
  NoteOtherRead();
  ReadAtSlot(kIndvDat, slot, record);
}

void WorkFiles::GetFamily(std::int32_t number, FamilyRecord& record) const {
  NoteRead(RecordKind::kFamily, number);
  ReadByNumber(family_hint_, kFamIdx, kFamDat, number, record);
}

void WorkFiles::GetFamilyAt(std::int32_t slot, FamilyRecord& record) const {
  NoteOtherRead();
  ReadAtSlot(kFamDat, slot, record);
}

void WorkFiles::GetSource(std::int32_t number, SourceRecord& record) const {
  NoteRead(RecordKind::kSource, number);
  ReadByNumber(kSrcIdx, kSrcDat, number, record);
}

void WorkFiles::GetPhoto(std::int32_t number, PhotoRecord& record) const {
  NoteRead(RecordKind::kPhoto, number);
  ReadByNumber(kPhotoIdx, kPhotoDat, number, record);
}

void WorkFiles::GetPhotoAt(std::int32_t slot, PhotoRecord& record) const {
  NoteOtherRead();
  ReadAtSlot(kPhotoDat, slot, record);
}

// The slot readers below fetch one field, not the whole record: the names
// sort calls them for every comparison.

std::int32_t WorkFiles::IndividualNumberAt(std::int32_t slot) const {
  NoteOtherRead();
  if (!SlotInFile(kIndvDat, slot, IndividualRecord::kSize)) return 0;
  unsigned char bytes[4];
  ReadBytes(kIndvDat,
            (slot - 1LL) * static_cast<long long>(IndividualRecord::kSize) +
                static_cast<long long>(IndividualRecord::kNumberOffset),
            bytes, sizeof bytes);
  const std::int32_t number = DecodeFixed32(bytes);
  individual_hint_.number = number;
  individual_hint_.slot = slot;
  return number;
}

std::int32_t WorkFiles::FamilyNumberAt(std::int32_t slot) const {
  NoteOtherRead();
  if (!SlotInFile(kFamDat, slot, FamilyRecord::kSize)) return 0;
  unsigned char bytes[4];
  ReadBytes(kFamDat,
            (slot - 1LL) * static_cast<long long>(FamilyRecord::kSize) +
                static_cast<long long>(FamilyRecord::kNumberOffset),
            bytes, sizeof bytes);
  const std::int32_t number = DecodeFixed32(bytes);
  family_hint_.number = number;
  family_hint_.slot = slot;
  return number;
}

std::string WorkFiles::IndividualNameAt(std::int32_t slot) const {
  NoteOtherRead();
  if (!SlotInFile(kIndvDat, slot, IndividualRecord::kSize)) return std::string();
  constexpr std::size_t kNameSize = kNameCapacity + 1;
  unsigned char bytes[kNameSize];
  ReadBytes(kIndvDat,
            (slot - 1LL) * static_cast<long long>(IndividualRecord::kSize) +
                static_cast<long long>(IndividualRecord::kNameOffset),
            bytes, sizeof bytes);
  const void* nul = std::memchr(bytes, 0, kNameSize);
  const std::size_t length =
      nul ? static_cast<std::size_t>(static_cast<const unsigned char*>(nul) - bytes) : kNameSize;
  return std::string(reinterpret_cast<const char*>(bytes), length);
}

void WorkFiles::IndividualNameAt(std::int32_t slot, std::string& name) const {
  NoteOtherRead();
  constexpr std::size_t kNameSize = kNameCapacity + 1;
  unsigned char bytes[kNameSize];
  ReadWithinSlot(kIndvDat, IndividualRecord::kSize, slot, IndividualRecord::kNameOffset, bytes,
                 sizeof bytes);
  const void* nul = std::memchr(bytes, 0, kNameSize);
  const std::size_t length =
      nul ? static_cast<std::size_t>(static_cast<const unsigned char*>(nul) - bytes) : kNameSize;
  name.assign(reinterpret_cast<const char*>(bytes), length);
}

// --- Reading links only --------------------------------------------------------

std::int32_t WorkFiles::SlotOfNumber(const SlotHint& hint, FileIndex idx,
                                     std::int32_t number) const {
  if (hint.sound && number > 0 && number == hint.number) return hint.slot;
  return ReadIndex(idx, number);
}

std::int32_t WorkFiles::IndividualSlotOf(std::int32_t number) const {
  NoteOtherRead();
  return SlotOfNumber(individual_hint_, kIndvIdx, number);
}

bool WorkFiles::ReadWithinSlot(FileIndex dat, std::size_t record_size, std::int32_t slot,
                               std::size_t offset, unsigned char* dst, std::size_t size) const {
  if (!SlotInFile(dat, slot, record_size)) {
    std::memset(dst, 0, size);
    return false;
  }
  return ReadBytes(
      dat, (slot - 1LL) * static_cast<long long>(record_size) + static_cast<long long>(offset), dst,
      size);
}

void WorkFiles::GetIndividualLinks(std::int32_t n, IndividualLinks& links) const {
  NoteOtherRead();
  using I = IndividualRecord;
  const std::int32_t slot = SlotOfNumber(individual_hint_, kIndvIdx, n);
  unsigned char number[4];
  // Both lists, one after the other in the record.
  unsigned char lists[8 * kListEntries];
  static_assert(I::kParentFamiliesOffset == I::kSpouseFamiliesOffset + 4 * kListEntries);
  ReadWithinSlot(kIndvDat, I::kSize, slot, I::kNumberOffset, number, sizeof number);
  ReadWithinSlot(kIndvDat, I::kSize, slot, I::kSpouseFamiliesOffset, lists, sizeof lists);
  links.number = DecodeFixed32(number);
  for (int i = 0; i < kListEntries; ++i) {
    links.spouseFamilies[i] = DecodeFixed32(lists + 4 * i);
    links.parentFamilies[i] = DecodeFixed32(lists + 4 * (kListEntries + i));
  }
}

void WorkFiles::GetFamilyLinks(std::int32_t n, FamilyLinks& links) const {
  NoteOtherRead();
  using F = FamilyRecord;
  const std::int32_t slot = SlotOfNumber(family_hint_, kFamIdx, n);
  // Number, husband and wife lead the record; the children come later.
  unsigned char head[12];
  unsigned char children[4 * kListEntries];
  static_assert(F::kHusbandOffset == F::kNumberOffset + 4 &&
                F::kWifeOffset == F::kNumberOffset + 8);
  ReadWithinSlot(kFamDat, F::kSize, slot, F::kNumberOffset, head, sizeof head);
  ReadWithinSlot(kFamDat, F::kSize, slot, F::kChildrenOffset, children, sizeof children);
  links.number = DecodeFixed32(head);
  links.husband = DecodeFixed32(head + 4);
  links.wife = DecodeFixed32(head + 8);
  for (int i = 0; i < kListEntries; ++i) links.children[i] = DecodeFixed32(children + 4 * i);
}

std::int32_t WorkFiles::StoredIndividualNumber(std::int32_t n) const {
  NoteOtherRead();
  unsigned char bytes[4];
  ReadWithinSlot(kIndvDat, IndividualRecord::kSize, SlotOfNumber(individual_hint_, kIndvIdx, n),
                 IndividualRecord::kNumberOffset, bytes, sizeof bytes);
  return DecodeFixed32(bytes);
}

std::int32_t WorkFiles::StoredFamilyNumber(std::int32_t n) const {
  NoteOtherRead();
  unsigned char bytes[4];
  ReadWithinSlot(kFamDat, FamilyRecord::kSize, SlotOfNumber(family_hint_, kFamIdx, n),
                 FamilyRecord::kNumberOffset, bytes, sizeof bytes);
  return DecodeFixed32(bytes);
}

void WorkFiles::PutIndividualLinks(std::int32_t n, const IndividualLinks& links) {
  using I = IndividualRecord;
  const std::int32_t slot = SlotOfNumber(individual_hint_, kIndvIdx, n);
  if (!SlotInFile(kIndvDat, slot, I::kSize) || StoredIndividualNumber(n) != n) return;
  individual_caches_.Clear();
  ++individual_generation_;
  unsigned char lists[8 * kListEntries];
  for (int i = 0; i < kListEntries; ++i) {
    EncodeFixed32(lists + 4 * i, links.spouseFamilies[i]);
    EncodeFixed32(lists + 4 * (kListEntries + i), links.parentFamilies[i]);
  }
  WriteBytes(kIndvDat,
             (slot - 1LL) * static_cast<long long>(I::kSize) +
                 static_cast<long long>(I::kSpouseFamiliesOffset),
             lists, sizeof lists);
}

void WorkFiles::PutFamilyLinks(std::int32_t n, const FamilyLinks& links) {
  using F = FamilyRecord;
  const std::int32_t slot = SlotOfNumber(family_hint_, kFamIdx, n);
  if (!SlotInFile(kFamDat, slot, F::kSize) || StoredFamilyNumber(n) != n) return;
  family_caches_.Clear();
  unsigned char couple[8];
  unsigned char children[4 * kListEntries];
  EncodeFixed32(couple, links.husband);
  EncodeFixed32(couple + 4, links.wife);
  for (int i = 0; i < kListEntries; ++i) EncodeFixed32(children + 4 * i, links.children[i]);
  const long long record = (slot - 1LL) * static_cast<long long>(F::kSize);
  WriteBytes(kFamDat, record + static_cast<long long>(F::kHusbandOffset), couple, sizeof couple);
  WriteBytes(kFamDat, record + static_cast<long long>(F::kChildrenOffset), children,
             sizeof children);
}

// --- Cached field getters ----------------------------------------------------

const IndividualRecord& WorkFiles::CachedIndividual(int getter, std::int32_t n) const {
  NoteRead(RecordKind::kIndividual, n);
  return individual_caches_.Get(getter, n, [this](std::int32_t number, IndividualRecord& record) {
    ReadByNumber(individual_hint_, kIndvIdx, kIndvDat, number, record);
  });
}

const FamilyRecord& WorkFiles::CachedFamily(int getter, std::int32_t n) const {
  NoteRead(RecordKind::kFamily, n);
  return family_caches_.Get(getter, n, [this](std::int32_t number, FamilyRecord& record) {
    ReadByNumber(family_hint_, kFamIdx, kFamDat, number, record);
  });
}

const PhotoRecord& WorkFiles::CachedPhoto(int getter, std::int32_t n) const {
  NoteRead(RecordKind::kPhoto, n);
  return photo_caches_.Get(getter, n, [this](std::int32_t number, PhotoRecord& record) {
    ReadByNumber(kPhotoIdx, kPhotoDat, number, record);
  });
}

std::int32_t WorkFiles::IndividualNumber(std::int32_t n) const {
  return CachedIndividual(kGetIndividualNumber, n).number;
}
const std::string& WorkFiles::IndividualName(std::int32_t n) const {
  return CachedIndividual(kGetIndividualName, n).name;
}
const std::string& WorkFiles::IndividualBirthDate(std::int32_t n) const {
  return CachedIndividual(kGetIndividualBirthDate, n).birthDate;
}
const std::string& WorkFiles::IndividualBirthPlace(std::int32_t n) const {
  return CachedIndividual(kGetIndividualBirthPlace, n).birthPlace;
}
const std::string& WorkFiles::IndividualDeathDate(std::int32_t n) const {
  return CachedIndividual(kGetIndividualDeathDate, n).deathDate;
}
const std::string& WorkFiles::IndividualDeathPlace(std::int32_t n) const {
  return CachedIndividual(kGetIndividualDeathPlace, n).deathPlace;
}
std::int32_t WorkFiles::IndividualSource(std::int32_t n) const {
  return CachedIndividual(kGetIndividualSource, n).source;
}
std::int32_t WorkFiles::IndividualBirthSource(std::int32_t n) const {
  return CachedIndividual(kGetIndividualBirthSource, n).birthSource;
}
std::int32_t WorkFiles::IndividualDeathSource(std::int32_t n) const {
  return CachedIndividual(kGetIndividualDeathSource, n).deathSource;
}
std::int32_t WorkFiles::IndividualNote(std::int32_t n) const {
  return CachedIndividual(kGetIndividualNote, n).note;
}
std::int32_t WorkFiles::IndividualSpouseFamily(std::int32_t n, int i) const {
  return ListEntry(CachedIndividual(kGetIndividualSpouseFamily, n).spouseFamilies, i);
}
std::int32_t WorkFiles::IndividualParentFamily(std::int32_t n, int i) const {
  return ListEntry(CachedIndividual(kGetIndividualParentFamily, n).parentFamilies, i);
}
std::int32_t WorkFiles::IndividualPhoto(std::int32_t n, int i) const {
  return ListEntry(CachedIndividual(kGetIndividualPhoto, n).photos, i);
}

std::int32_t WorkFiles::FamilyNumber(std::int32_t n) const {
  return CachedFamily(kGetFamilyNumber, n).number;
}
std::int32_t WorkFiles::FamilyHusband(std::int32_t n) const {
  return CachedFamily(kGetFamilyHusband, n).husband;
}
std::int32_t WorkFiles::FamilyWife(std::int32_t n) const {
  return CachedFamily(kGetFamilyWife, n).wife;
}
const std::string& WorkFiles::FamilyMarriageDate(std::int32_t n) const {
  return CachedFamily(kGetFamilyMarriageDate, n).marriageDate;
}
const std::string& WorkFiles::FamilyMarriagePlace(std::int32_t n) const {
  return CachedFamily(kGetFamilyMarriagePlace, n).marriagePlace;
}
std::int32_t WorkFiles::FamilyMarriageSource(std::int32_t n) const {
  return CachedFamily(kGetFamilyMarriageSource, n).marriageSource;
}
std::int32_t WorkFiles::FamilyNote(std::int32_t n) const {
  return CachedFamily(kGetFamilyNote, n).note;
}
std::int32_t WorkFiles::FamilyChild(std::int32_t n, int i) const {
  return ListEntry(CachedFamily(kGetFamilyChild, n).children, i);
}

const std::string& WorkFiles::SourceTitle(std::int32_t n) const {
  NoteRead(RecordKind::kSource, n);
  SourceTitles& titles = source_titles_;
  if (titles.buffers.empty()) titles.buffers.resize(SourceTitles::kBuffers);
  SourceTitles::Buffer& buffer =
      titles.buffers[static_cast<std::uint32_t>(n) % SourceTitles::kBuffers];
  if (buffer.generation != titles.generation || buffer.number != n) {
    ReadByNumber(kSrcIdx, kSrcDat, n, titles.scratch);
    buffer.title.swap(titles.scratch.title);
    buffer.number = n;
    buffer.generation = titles.generation;
  }
  return buffer.title;
}

const std::string& WorkFiles::PhotoFile(std::int32_t n) const {
  return CachedPhoto(kGetPhotoFile, n).file;
}
const std::string& WorkFiles::PhotoTitle(std::int32_t n) const {
  return CachedPhoto(kGetPhotoTitle, n).title;
}
std::int32_t WorkFiles::PhotoOwner(std::int32_t n) const {
  return CachedPhoto(kGetPhotoOwner, n).owner;
}

// --- Note lines ---------------------------------------------------------------

// Line l of note k is the (l - 1)th line after the note's first line. The
// lines of one note are contiguous, so the walk ends at the first line of
// the next note (another owner) or at the end of the file.
const NoteLine* WorkFiles::ReadNoteLine(FileIndex idx, FileIndex dat, std::int32_t key,
                                        std::int32_t line, NoteLine& buffer) const {
  NoteRead(idx == kINoteIdx ? RecordKind::kIndividualNote : RecordKind::kFamilyNote, key);
  const std::int32_t first = ReadIndex(idx, key);
  if (first < 1 || line < 1) return nullptr;
  const long long position = static_cast<long long>(first) + line - 1;
  std::array<unsigned char, NoteLine::kSize> bytes;
  if (!ReadBytes(dat, (position - 1) * static_cast<long long>(NoteLine::kSize), bytes.data(),
                 bytes.size())) {
    return nullptr;
  }
  Decode(bytes.data(), buffer);
  return buffer.owner == key ? &buffer : nullptr;
}

const std::string* WorkFiles::IndividualNoteText(std::int32_t key, std::int32_t line) const {
  const NoteLine* found = ReadNoteLine(kINoteIdx, kINoteDat, key, line, individual_note_text_);
  return found ? &found->text : nullptr;
}

std::int32_t WorkFiles::IndividualNoteKind(std::int32_t key, std::int32_t line) const {
  const NoteLine* found = ReadNoteLine(kINoteIdx, kINoteDat, key, line, individual_note_kind_);
  return found ? found->kind : 0;
}

const std::string* WorkFiles::FamilyNoteText(std::int32_t key, std::int32_t line) const {
  const NoteLine* found = ReadNoteLine(kFNoteIdx, kFNoteDat, key, line, family_note_text_);
  return found ? &found->text : nullptr;
}

std::int32_t WorkFiles::FamilyNoteKind(std::int32_t key, std::int32_t line) const {
  const NoteLine* found = ReadNoteLine(kFNoteIdx, kFNoteDat, key, line, family_note_kind_);
  return found ? found->kind : 0;
}

bool WorkFiles::HasIndividualNote(std::int32_t key) const {
  NoteLine line;
  return ReadNoteLine(kINoteIdx, kINoteDat, key, 1, line) != nullptr;
}

bool WorkFiles::HasFamilyNote(std::int32_t key) const {
  NoteLine line;
  return ReadNoteLine(kFNoteIdx, kFNoteDat, key, 1, line) != nullptr;
}

// --- Every record by number ---------------------------------------------------

// Calls visit(slot, bytes) with every whole record of size bytes in dat,
// read around the cache in large pieces (after a Flush).
template <typename Visit>
void WorkFiles::VisitSlots(FileIndex dat, std::size_t size, const Visit& visit) const {
  const long long slots =
      std::min<long long>(files_[dat].size() / static_cast<long long>(size), INT32_MAX);
  std::vector<unsigned char> chunk(kChunkRecords * size);
  for (long long first = 1; first <= slots; first += kChunkRecords) {
    const auto m = static_cast<std::size_t>(std::min<long long>(kChunkRecords, slots - first + 1));
    if (!files_[dat].ReadDirect((first - 1) * static_cast<long long>(size), chunk.data(),
                                m * size)) {
      return;
    }
    for (std::size_t k = 0; k < m; ++k) {
      visit(first + static_cast<long long>(k), chunk.data() + k * size);
    }
  }
}

template <typename Record>
void WorkFiles::VisitRecordFile(
    FileIndex idx, FileIndex dat, RecordKind kind,
    const std::function<void(RecordKind, std::int32_t, std::string_view)>& visit) const {
  VisitSlots(dat, Record::kSize, [&](long long slot, const unsigned char* bytes) {
    const std::int32_t number = DecodeFixed32(bytes);
    // Only the copy that the number's index entry leads to is ever read by
    // number.
    if (number < 0 || ReadIndex(idx, number) != slot) return;
    visit(kind, number, std::string_view(reinterpret_cast<const char*>(bytes), Record::kSize));
  });
}

void WorkFiles::VisitNoteFile(
    FileIndex idx, FileIndex dat, RecordKind kind,
    const std::function<void(RecordKind, std::int32_t, std::string_view)>& visit) const {
  std::string note;
  std::int32_t owner = 0;
  bool reachable = false;  // the note getters walk the lines of owner from its first
  auto flush = [&] {
    if (reachable) visit(kind, owner, note);
    note.clear();
    reachable = false;
  };
  VisitSlots(dat, NoteLine::kSize, [&](long long line, const unsigned char* bytes) {
    const std::int32_t key = DecodeFixed32(bytes);
    if (line == 1 || key != owner) {
      flush();
      owner = key;
      reachable = ReadIndex(idx, key) == line;
    }
    if (reachable) note.append(reinterpret_cast<const char*>(bytes), NoteLine::kSize);
  });
  flush();
}

void WorkFiles::VisitRecordsByNumber(
    const std::function<void(RecordKind, std::int32_t, std::string_view)>& visit) const {
  VisitRecordFile<IndividualRecord>(kIndvIdx, kIndvDat, RecordKind::kIndividual, visit);
  VisitRecordFile<FamilyRecord>(kFamIdx, kFamDat, RecordKind::kFamily, visit);
  VisitRecordFile<SourceRecord>(kSrcIdx, kSrcDat, RecordKind::kSource, visit);
  VisitRecordFile<PhotoRecord>(kPhotoIdx, kPhotoDat, RecordKind::kPhoto, visit);
  VisitNoteFile(kINoteIdx, kINoteDat, RecordKind::kIndividualNote, visit);
  VisitNoteFile(kFNoteIdx, kFNoteDat, RecordKind::kFamilyNote, visit);
}

}  // namespace kinloom
