// The work-file store: twelve binary files, six pairs of a data file of
// fixed-size records and an index file of int32 slots by number, through
// which every phase of a run shares the tree.
//
// Numbers and slots. A number is the record's number taken from its GEDCOM
// cross-reference (0 means none). A slot is the 1-based position of a
// record in its data file. The index file is an array of int32 (little-
// endian) indexed by number, holding the slot of that number's record; an
// entry never written, or beyond the end of the file, reads as 0 = absent.
// For the two note files the index holds the line number of a note's first
// line.
//
// Reading by number gives an all-zero record when the number is absent.
// Every cached field getter owns a one-record buffer of its own, so asking
// one getter for another number never evicts what the others hold. Caches
// start empty in every run: a getter's first call reads through the index,
// also for number 0. Text getters return a reference into the getter's own
// buffer, valid until the same getter is called again.
#ifndef KINLOOM_STORE_WORK_FILES_H_
#define KINLOOM_STORE_WORK_FILES_H_

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "store/block_file.h"
#include "store/records.h"

namespace kinloom {

// The twelve work files, in the order of opening, closing and deleting.
inline constexpr std::array<const char*, 12> kWorkFileNames = {
    "indv.dat",  "indv.idx",  "fam.dat",   "fam.idx",   "src.dat",   "src.idx",
    "inote.dat", "inote.idx", "fnote.dat", "fnote.idx", "photo.dat", "photo.idx"};

// Counters of the run, set by the GEDCOM reader.
struct RunCounters {
  std::int32_t IndividualCount = 0;
  std::int32_t FamilyCount = 0;
  std::int32_t SourceCount = 0;
  std::int32_t PhotoCount = 0;
};

// The individual records in a new order, written to a file of their own
// by WorkFiles::PrepareIndividualOrder and put in place of indv.dat by
// WorkFiles::AdoptIndividualOrder.
class IndividualOrder {
 public:
  // Calls visit with each record of the new order, from its first slot;
  // false when stop was requested first.
  bool VisitRecords(const std::function<void(const IndividualRecord&)>& visit,
                    const std::stop_token& stop) const;

 private:
  friend class WorkFiles;
  std::unique_ptr<BlockFile> file;  // the whole of indv.dat in the new order
  std::uint64_t generation = 0;     // of the records it was made from
  // new_position[q]: where the record at position q goes; number_at[q]:
  // the number of that record.
  std::vector<std::int32_t> new_position;
  std::vector<std::int32_t> number_at;
};

// The kinds of record a page can ask the store for by number.
enum class RecordKind : std::uint8_t {
  kIndividual = 1,
  kFamily,
  kSource,
  kPhoto,
  kIndividualNote,  // the lines of a note key in inote.dat
  kFamilyNote,      // the same in fnote.dat
};

// One number of one kind as a single value, ordered by kind, then number.
[[nodiscard]] inline std::uint64_t RecordKey(RecordKind kind, std::int32_t number) {
  return (static_cast<std::uint64_t>(kind) << 32) | static_cast<std::uint32_t>(number);
}

// What was read from the store while it watched: the records asked for by
// number, as RecordKeys (in the order asked, a key repeated at once kept
// once), and whether anything was read that no key stands for (a record by
// its slot, a walk over the links).
struct RecordReads {
  std::vector<std::uint64_t> keys;
  bool other = false;

  void Note(RecordKind kind, std::int32_t number) {
    const std::uint64_t key = RecordKey(kind, number);
    if (keys.empty() || keys.back() != key) keys.push_back(key);
  }
  void Clear() {
    keys.clear();
    other = false;
  }
};

class WorkFiles {
 public:
  WorkFiles() = default;
  ~WorkFiles();  // closes (does not delete) files still open
  WorkFiles(const WorkFiles&) = delete;
  WorkFiles& operator=(const WorkFiles&) = delete;

  // Creates (truncates) the twelve files in the current directory with mode
  // "w+b", in order, and empties every cache and the note writers' memory.
  // On failure returns the file that could not be opened, with the
  // system's reason; the files opened so far are closed and deleted again.
  [[nodiscard]] std::optional<platform::FileFault> Open();
  // Closes the twelve files and deletes them, in order. Safe to call twice.
  void CloseAndDelete();
  bool is_open() const;
  // Hands everything written so far to the files, so that another reader
  // of the files sees it.
  void Flush();
  // While writing many records (the GEDCOM reader), a thread of its own
  // writes the blocks the files give up for room. Stopping waits for it.
  void StartWriteBehind();
  void StopWriteBehind();
  // The first work file, in the order of kWorkFileNames, that lost a write
  // since Open (a full disk, say), so that it no longer holds what was
  // stored in it; empty while every write went through.
  std::optional<std::string> WriteFailure() const;
  // Reads that went to a file since the object was made; cache hits and
  // reads beyond the end of a file do not count.
  long long file_reads() const { return file_reads_; }

  RunCounters counters;

  // While reads is set, every read made through the getters below by the
  // store's own thread is noted in it (nullptr: none). The names sort's
  // thread reads around the getters and is never noted.
  void WatchReads(RecordReads* reads) { reads_ = reads; }

  // Calls visit with every record that a getter by number can read, as
  // its kind, its number and its bytes as stored: each record of the four
  // record files that its number's index entry leads to, and for each note
  // key the lines the note getters walk, back to back. A record that no
  // number leads to (one of a number stored twice) is left out. Reads
  // around the getters' buffers and is not watched.
  void VisitRecordsByNumber(
      const std::function<void(RecordKind, std::int32_t, std::string_view)>& visit) const;

  // --- Writing --------------------------------------------------------
  // Each Put writes the index entry of number (entry 0 too: a record whose
  // cross-reference holds no digits) and the record at slot. A slot below
  // 1 writes nothing; a negative number writes the record but no index
  // entry. A Put empties the caches of its record kind, so no getter keeps
  // a record that was overwritten.
  void PutIndividual(std::int32_t number, std::int32_t slot, const IndividualRecord& record);
  void PutFamily(std::int32_t number, std::int32_t slot, const FamilyRecord& record);
  void PutSource(std::int32_t number, std::int32_t slot, const SourceRecord& record);
  void PutPhoto(std::int32_t number, std::int32_t slot, const PhotoRecord& record);
  // Writes noteLine at position line (1-based) of inote.dat; the index entry
  // of key is written only when key differs from the previous call's key
  // (the first call after Open always writes it). A line below 1 writes
  // nothing and is not remembered.
  void PutIndividualNoteLine(std::int32_t key, std::int32_t line, const NoteLine& noteLine);
  void PutFamilyNoteLine(std::int32_t key, std::int32_t line, const NoteLine& noteLine);

  // Rewrites the record at slot in place, when the slot holds a record of
  // the file; index entries stay as they are, so record should keep its
  // number. For the page phases' own edits of what they are to show.
  void ReplaceIndividualAt(std::int32_t slot, const IndividualRecord& record);
  void ReplaceFamilyAt(std::int32_t slot, const FamilyRecord& record);
  void ReplacePhotoAt(std::int32_t slot, const PhotoRecord& record);

  // Stores an inline source text. Identical inline texts share one record:
  // a text seen before in this run returns its number. Texts are compared
  // as stored, cut to kSourceTitleCapacity. Otherwise SourceCount grows by
  // one, the text is stored in that slot under the number that
  // fresh_number() gives (the caller guarantees it is used by no other
  // source; an empty function means the slot itself), and that number is
  // returned.
  std::int32_t AddInlineSource(std::string_view title,
                               const std::function<std::int32_t()>& fresh_number);

  // Reads the records at both slots, then writes record A at slotB and
  // record B at slotA. An index entry follows the record it points to, so
  // the record of every number stays the same (also when a number was
  // stored twice: its entry keeps pointing to the same copy). Does nothing
  // unless both slots hold a record of the file.
  void SwapIndividuals(std::int32_t slotA, std::int32_t slotB);

  // Moves the records of slots first_slot .. first_slot + n - 1, n being
  // order.size(), so that slot first_slot + p then holds the record that
  // was at slot first_slot + order[p]. Index entries follow their records
  // as with SwapIndividuals, so the files end exactly as after any series
  // of swaps that brings the records into that order; but each record is
  // read and written once, which makes a sort of the whole file a single
  // pass. Does nothing unless order is a permutation of 0 .. n - 1 and
  // every slot of the range holds a record of the file. Holds three
  // integers per slot of the range in memory while it works.
  void PermuteIndividuals(std::int32_t first_slot, const std::vector<std::int32_t>& order);
  // Where PermuteIndividuals makes its scratch file, a file without a name
  // that no directory listing shows ("." by default). Where none can be
  // made, the records move one by one, which takes longer.
  void set_scratch_directory(std::string directory) { scratch_directory_ = std::move(directory); }
  const std::string& scratch_directory() const { return scratch_directory_; }

  // --- Ordering the individuals in a second thread ---------------------
  // While nothing is stored (after Flush, during the page phases), another
  // thread may call VisitIndividualNames and PrepareIndividualOrder: they
  // read indv.dat around the cache and touch nothing that the getters
  // change. Only AdoptIndividualOrder, in the store's own thread, changes
  // the store.
  //
  // Changes whenever an individual record is stored or moved.
  std::uint64_t individual_generation() const { return individual_generation_; }
  // True while every individual record was stored once, under its own
  // number: then the record at a slot is the record of its number.
  bool IndividualsStoredOnce() const { return individual_hint_.sound; }
  // Calls visit(name) with the name of every slot from 1 to
  // IndividualCount, in slot order. False when stop was requested first.
  bool VisitIndividualNames(const std::function<void(std::string_view)>& visit,
                            const std::stop_token& stop) const;
  // Writes indv.dat as PermuteIndividuals(1, order) would leave it to a new
  // file without a name in the scratch directory. Empty when order is no
  // permutation of every slot, when the file cannot be made or written,
  // or when stop is requested first. generation: individual_generation()
  // when the order was taken from the records.
  std::optional<IndividualOrder> PrepareIndividualOrder(const std::vector<std::int32_t>& order,
                                                        std::uint64_t generation,
                                                        const std::stop_token& stop) const;
  // Puts a prepared order in place: its file becomes indv.dat, under that
  // name too, and the index entries follow their records; the files end
  // exactly as after PermuteIndividuals(1, order). False, with nothing
  // changed, when individuals were stored or moved since the order was
  // taken, or when the file cannot take the work file's name.
  bool AdoptIndividualOrder(IndividualOrder&& prepared);

  // --- Reading whole records -----------------------------------------
  void GetIndividual(std::int32_t number, IndividualRecord& record) const;
  void GetIndividualAt(std::int32_t slot, IndividualRecord& record) const;
  void GetFamily(std::int32_t number, FamilyRecord& record) const;
  void GetFamilyAt(std::int32_t slot, FamilyRecord& record) const;
  void GetSource(std::int32_t number, SourceRecord& record) const;
  void GetPhoto(std::int32_t number, PhotoRecord& record) const;
  void GetPhotoAt(std::int32_t slot, PhotoRecord& record) const;
  std::int32_t IndividualNumberAt(std::int32_t slot) const;  // 0 beyond the end
  // The slot that the getters read number's record from; 0 when absent.
  std::int32_t IndividualSlotOf(std::int32_t number) const;
  std::int32_t FamilyNumberAt(std::int32_t slot) const;
  // Reads the file on every call (no cache).
  std::string IndividualNameAt(std::int32_t slot) const;
  // The same into name, which keeps its memory: for walks over every slot.
  void IndividualNameAt(std::int32_t slot, std::string& name) const;

  // --- Reading links only -------------------------------------------------
  // For walks over every record that only follow references (the
  // cross-reference check). Each reads just the fields it gives, finds the
  // record of a number exactly as the cached getters do (so the values are
  // theirs: all zero when the number is absent), and neither uses nor
  // disturbs the getters' buffers.
  struct IndividualLinks {
    std::int32_t number = 0;
    RecordList spouseFamilies{};
    RecordList parentFamilies{};
  };
  struct FamilyLinks {
    std::int32_t number = 0;
    std::int32_t husband = 0;
    std::int32_t wife = 0;
    RecordList children{};
  };
  void GetIndividualLinks(std::int32_t n, IndividualLinks& links) const;
  void GetFamilyLinks(std::int32_t n, FamilyLinks& links) const;
  // IndividualNumber(n) and FamilyNumber(n), reading four bytes.
  std::int32_t StoredIndividualNumber(std::int32_t n) const;
  std::int32_t StoredFamilyNumber(std::int32_t n) const;
  // Write the link fields of links into the record of number n, found as
  // the two readers above find it; every other field stays. Nothing is
  // written when n has no record. Empties the caches of the record kind.
  void PutIndividualLinks(std::int32_t n, const IndividualLinks& links);
  void PutFamilyLinks(std::int32_t n, const FamilyLinks& links);

  // --- Cached field getters by number -----------------------------------
  std::int32_t IndividualNumber(std::int32_t n) const;
  const std::string& IndividualName(std::int32_t n) const;
  const std::string& IndividualBirthDate(std::int32_t n) const;
  const std::string& IndividualBirthPlace(std::int32_t n) const;
  const std::string& IndividualDeathDate(std::int32_t n) const;
  const std::string& IndividualDeathPlace(std::int32_t n) const;
  std::int32_t IndividualSource(std::int32_t n) const;
  std::int32_t IndividualBirthSource(std::int32_t n) const;
  std::int32_t IndividualDeathSource(std::int32_t n) const;
  std::int32_t IndividualNote(std::int32_t n) const;
  // i runs from 0 to 24; any other i gives 0.
  std::int32_t IndividualSpouseFamily(std::int32_t n, int i) const;
  std::int32_t IndividualParentFamily(std::int32_t n, int i) const;
  std::int32_t IndividualPhoto(std::int32_t n, int i) const;

  std::int32_t FamilyNumber(std::int32_t n) const;
  std::int32_t FamilyHusband(std::int32_t n) const;
  std::int32_t FamilyWife(std::int32_t n) const;
  const std::string& FamilyMarriageDate(std::int32_t n) const;
  const std::string& FamilyMarriagePlace(std::int32_t n) const;
  std::int32_t FamilyMarriageSource(std::int32_t n) const;
  std::int32_t FamilyNote(std::int32_t n) const;
  std::int32_t FamilyChild(std::int32_t n, int i) const;

  const std::string& SourceTitle(std::int32_t n) const;

  const std::string& PhotoFile(std::int32_t n) const;
  const std::string& PhotoTitle(std::int32_t n) const;
  std::int32_t PhotoOwner(std::int32_t n) const;

  // --- Note lines (line counts from 1 within the note) --------------------
  // The text getters return nullptr when the note has no such line; the
  // pointer is valid until the same getter is called again.
  const std::string* IndividualNoteText(std::int32_t key, std::int32_t line) const;
  std::int32_t IndividualNoteKind(std::int32_t key, std::int32_t line) const;  // 0 if none
  const std::string* FamilyNoteText(std::int32_t key, std::int32_t line) const;
  std::int32_t FamilyNoteKind(std::int32_t key, std::int32_t line) const;
  // True when the notes file holds at least one line for key.
  bool HasIndividualNote(std::int32_t key) const;
  bool HasFamilyNote(std::int32_t key) const;

 private:
  enum FileIndex {
    kIndvDat,
    kIndvIdx,
    kFamDat,
    kFamIdx,
    kSrcDat,
    kSrcIdx,
    kINoteDat,
    kINoteIdx,
    kFNoteDat,
    kFNoteIdx,
    kPhotoDat,
    kPhotoIdx
  };

  // Where a slot reader last found a number. Page writers walk the slots
  // and then ask for the number they found there, so the by-number read
  // that follows can take the record from that slot without reading the
  // index (whose entries, after the names sort, lie in no useful order).
  // That is sound only while every record is stored exactly once and
  // under its own number; the Puts keep track, and the first exception
  // turns the hints off for the rest of the run.
  struct SlotHint {
    bool sound = true;
    std::int32_t number = 0;  // 0: no hint
    std::int32_t slot = 0;
  };

  // SourceTitle's buffers: more than one, because pages cite sources out of
  // thousands, the same ones again and again, in no order. Direct-mapped
  // by number (so a tree of up to kBuffers sources, as most are, keeps
  // every title once read); a Put makes every buffer stale at once by
  // moving on to a new generation. Allocated at the first call, some 1.5
  // MB with titles of common length.
  struct SourceTitles {
    static constexpr std::size_t kBuffers = 16384;
    struct Buffer {
      std::uint64_t generation = 0;
      std::int32_t number = 0;
      std::string title;
    };
    std::vector<Buffer> buffers;
    std::uint64_t generation = 1;
    SourceRecord scratch;
  };

  // The one-record buffers of the cached getters of one record kind. Each
  // getter holds one record, but a getter that asks for a number another
  // getter holds at that moment shares that getter's copy instead of
  // reading and decoding the same record again: page writers ask a dozen
  // getters about one person in a row. A copy stays while any getter holds
  // it, so asking one getter for another number still never evicts what
  // the others hold, and a number that no getter holds is read afresh.
  template <typename Record, std::size_t Getters>
  class GetterBuffers {
   public:
    GetterBuffers() { Clear(); }
    // The record of number n as held for getter; read(n, record) fills a
    // buffer when no getter holds n.
    template <typename Read>
    const Record& Get(int getter, std::int32_t n, const Read& read);
    void Clear() {
      held_.fill(-1);
      for (Buffer& buffer : buffers_) buffer.holders = 0;
    }

   private:
    struct Buffer {
      std::int32_t number = 0;
      int holders = 0;
      Record record;
    };
    // A getter lets go of its buffer before it takes another, so with one
    // buffer per getter a free one is always left.
    std::array<Buffer, Getters> buffers_;
    std::array<int, Getters> held_;  // index into buffers_ per getter; -1 none
  };

  // Low-level access. A read that does not lie wholly within the file, or
  // at a negative offset, fills dst with zeros and returns false.
  std::int32_t ReadIndex(FileIndex idx, std::int32_t number) const;
  void WriteIndex(FileIndex idx, std::int32_t number, std::int32_t value);
  bool ReadBytes(FileIndex file, long long offset, unsigned char* dst, std::size_t size) const;
  void WriteBytes(FileIndex file, long long offset, const unsigned char* src, std::size_t size);
  bool SlotInFile(FileIndex dat, std::int32_t slot, std::size_t record_size) const;

  template <typename Record>
  void ReadByNumber(FileIndex idx, FileIndex dat, std::int32_t number, Record& record) const;
  template <typename Record>
  void ReadByNumber(SlotHint& hint, FileIndex idx, FileIndex dat, std::int32_t number,
                    Record& record) const;
  // Keeps hint sound before a Put of record (of number record_number) under
  // number at slot.
  void NotePut(SlotHint& hint, FileIndex idx, std::int32_t number, std::int32_t slot,
               std::int32_t record_number);
  template <typename Record>
  void ReadAtSlot(FileIndex dat, std::int32_t slot, Record& record) const;
  // The slot that ReadByNumber would read number's record from.
  std::int32_t SlotOfNumber(const SlotHint& hint, FileIndex idx, std::int32_t number) const;
  // Copies size bytes at offset within the record at slot; false (and
  // zeros) unless the whole record lies within the file.
  bool ReadWithinSlot(FileIndex dat, std::size_t record_size, std::int32_t slot, std::size_t offset,
                      unsigned char* dst, std::size_t size) const;
  template <typename Record>
  void WriteAtSlot(FileIndex dat, std::int32_t slot, const Record& record);
  void PutNoteLine(FileIndex idx, FileIndex dat, bool& written, std::int32_t& previous_key,
                   std::int32_t key, std::int32_t line, const NoteLine& noteLine);

  const IndividualRecord& CachedIndividual(int getter, std::int32_t n) const;
  const FamilyRecord& CachedFamily(int getter, std::int32_t n) const;
  const PhotoRecord& CachedPhoto(int getter, std::int32_t n) const;
  const NoteLine* ReadNoteLine(FileIndex idx, FileIndex dat, std::int32_t key, std::int32_t line,
                               NoteLine& buffer) const;
  void ForgetRun();
  // The index entries of PermuteIndividuals(first_slot, ...) once its
  // records have moved.
  void MoveIndexEntries(std::int32_t first_slot, const std::vector<std::int32_t>& new_position,
                        const std::vector<std::int32_t>& number_at);

  RecordReads* reads_ = nullptr;
  void NoteRead(RecordKind kind, std::int32_t number) const {
    if (reads_ != nullptr) reads_->Note(kind, number);
  }
  void NoteOtherRead() const {
    if (reads_ != nullptr) reads_->other = true;
  }
  template <typename Visit>
  void VisitSlots(FileIndex dat, std::size_t size, const Visit& visit) const;
  template <typename Record>
  void VisitRecordFile(
      FileIndex idx, FileIndex dat, RecordKind kind,
      const std::function<void(RecordKind, std::int32_t, std::string_view)>& visit) const;
  void VisitNoteFile(
      FileIndex idx, FileIndex dat, RecordKind kind,
      const std::function<void(RecordKind, std::int32_t, std::string_view)>& visit) const;

  // Declared before the files, which use it until they close.
  std::unique_ptr<WriteBehind> write_behind_;
  // This object is each file's only reader and writer.
  mutable std::array<BlockFile, 12> files_;
  mutable long long file_reads_ = 0;
  mutable GetterBuffers<IndividualRecord, 13> individual_caches_;
  mutable GetterBuffers<FamilyRecord, 8> family_caches_;
  mutable SourceTitles source_titles_;
  std::string scratch_directory_ = ".";
  std::uint64_t individual_generation_ = 0;
  mutable SlotHint individual_hint_, family_hint_;
  mutable GetterBuffers<PhotoRecord, 3> photo_caches_;
  mutable NoteLine individual_note_text_, individual_note_kind_;
  mutable NoteLine family_note_text_, family_note_kind_;
  std::int32_t previous_individual_note_key_ = 0;
  std::int32_t previous_family_note_key_ = 0;
  bool individual_note_written_ = false;
  bool family_note_written_ = false;
  // Inline source texts stored in this run: hash of the stored text to the
  // source's number. The stored title is compared before a number is
  // reused, so hash collisions are harmless.
  std::unordered_multimap<std::size_t, std::int32_t> inline_sources_;
};

}  // namespace kinloom

#endif  // KINLOOM_STORE_WORK_FILES_H_
