// ReadGedcom: one pass over the GEDCOM file, line by line, writing each
// individual, family, source, photo and note line to the work files as
// soon as it is complete.
//
// The reader is a small state machine. A level-0 line stores the record
// being built and chooses the next record kind by its tag. Within a record,
// a few tags open a sub-state (birth, death, marriage, note, cited source,
// photo object) together with the level of the line that opened it; a line
// at that level or above ends the sub-state, and a new sub-state replaces
// the open one. A photo object is stored whenever its sub-state ends, and
// the record being built is stored when the next level-0 line or the end of
// the file comes.
//
// Cross-references are numbered through one XrefTable per kind, so that
// identifiers without digits, numbered from 0, too large for 32 bits or
// clashing in their digits still get distinct record numbers. Multimedia
// records ("0 @M1@ OBJE") are kept in memory by their file name and title;
// a photo made by a pointer to one that comes later in the file is patched
// in photo.dat once the whole file has been read.
#include "gedcom/reader.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "gedcom/line_fields.h"
#include "gedcom/line_reader.h"
#include "gedcom/xref_table.h"
#include "run/notices.h"
#include "store/records.h"
#include "text/charsets.h"
#include "text/strings.h"
#include "text/unicode.h"

namespace kinloom {

namespace {

enum class RecordKind { kNone, kIndividual, kFamily, kNoteRecord, kSourceRecord, kMediaRecord };
enum class SubState { kNone, kBirth, kDeath, kMarriage, kNote, kCitedSource, kPhoto };
enum class Charset { kAsItStands, kIbmPc, kAnsel, kUtf8 };

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool Contains(std::string_view line, std::string_view word) {
  // "after the first character": a word at position 0 does not count.
  const std::size_t at = line.find(word);
  return at != std::string_view::npos && at > 0;
}

bool IsUtf8Name(std::string_view value) {
  while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
  std::string upper;
  for (char c : value) upper += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  return upper == "UTF-8" || upper == "UTF8";
}

// Multimedia records by their number in the media table: the first
// definition of each identifier, its file name and title in one arena.
class MediaShelf {
 public:
  void Define(std::int32_t number, std::string_view file, std::string_view title,
              std::string_view path) {
    if (number <= 0) return;
    const auto index = static_cast<std::size_t>(number - 1);
    if (index >= entries_.size()) entries_.resize(index + 1);
    Entry& entry = entries_[index];
    if (entry.defined) return;
    entry.defined = true;
    entry.offset = bytes_.size();
    entry.file_length = static_cast<std::uint16_t>(file.size());
    entry.title_length = static_cast<std::uint16_t>(title.size());
    entry.path_length = path.size();
    bytes_.append(file);
    bytes_.append(title);
    bytes_.append(path);
  }

  // The picture's path as the record writes it; empty when the record has
  // not been read (yet).
  [[nodiscard]] std::string_view PathOf(std::int32_t number) const {
    if (number <= 0 || static_cast<std::size_t>(number - 1) >= entries_.size()) return {};
    const Entry& entry = entries_[static_cast<std::size_t>(number - 1)];
    if (!entry.defined) return {};
    return std::string_view(bytes_).substr(entry.offset + entry.file_length + entry.title_length,
                                           entry.path_length);
  }

  // Gives photo the file name and title of media record number when that
  // record has been read; false when it has not (yet).
  bool Apply(std::int32_t number, PhotoRecord& photo) const {
    if (number <= 0 || static_cast<std::size_t>(number - 1) >= entries_.size()) return false;
    const Entry& entry = entries_[static_cast<std::size_t>(number - 1)];
    if (!entry.defined) return false;
    const std::string_view all(bytes_);
    if (entry.file_length > 0) photo.file = all.substr(entry.offset, entry.file_length);
    if (entry.title_length > 0) {
      photo.title = all.substr(entry.offset + entry.file_length, entry.title_length);
    }
    return true;
  }

 private:
  struct Entry {
    std::size_t offset = 0;
    std::uint16_t file_length = 0;   // at most kPhotoFileCapacity
    std::uint16_t title_length = 0;  // at most kPhotoTitleCapacity
    std::size_t path_length = 0;
    bool defined = false;
  };
  std::vector<Entry> entries_;
  std::string bytes_;
};

// The note lines of individuals and of families, as the run log counts
// them: a note written inline counts for its owner's side, and the lines of
// a note record count once for each side that has an owner pointing to it.
// Where a note record's lines are stored (by its identifier) has nothing to
// do with whose notes they are, so the records' line counts and the
// pointers are kept apart and matched once the whole file has been read.
class NoteLineTally {
 public:
  struct Totals {
    long individual = 0;
    long family = 0;
  };

  void InlineLine(bool individual) { ++(individual ? inline_individual_ : inline_family_); }
  void BeginRecord(std::int32_t key) { records_.push_back({key, 0}); }
  void RecordLine() {
    if (!records_.empty()) ++records_.back().lines;
  }
  void PointedBy(std::int32_t key, bool individual) {
    (individual ? pointed_by_individuals_ : pointed_by_families_).push_back(key);
  }

  [[nodiscard]] Totals Count() {
    std::sort(records_.begin(), records_.end(),
              [](const Record& a, const Record& b) { return a.key < b.key; });
    return {inline_individual_ + LinesOf(pointed_by_individuals_),
            inline_family_ + LinesOf(pointed_by_families_)};
  }

 private:
  struct Record {
    std::int32_t key;
    long lines;
  };

  // The lines of the records named in keys, each record once (records_
  // sorted by key; a key defined twice has the lines of both).
  long LinesOf(std::vector<std::int32_t>& keys) const {
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    long total = 0;
    for (const std::int32_t key : keys) {
      auto at = std::lower_bound(records_.begin(), records_.end(), key,
                                 [](const Record& r, std::int32_t k) { return r.key < k; });
      for (; at != records_.end() && at->key == key; ++at) total += at->lines;
    }
    return total;
  }

  long inline_individual_ = 0;
  long inline_family_ = 0;
  std::vector<Record> records_;
  std::vector<std::int32_t> pointed_by_individuals_;
  std::vector<std::int32_t> pointed_by_families_;
};

class GedcomReader {
 public:
  explicit GedcomReader(Run& run) : run_(run), store_(run.store), settings_(run.settings) {}

  int Read();

 private:
  struct PendingPhoto {
    std::int32_t slot;
    std::int32_t media;
  };

  // ascii: raw holds no byte of 0x80 or above, which no conversion changes.
  int HandleLine(std::string& raw, bool ascii);
  void NoteCharset(std::string_view line, int level);
  void HandleLevel0(std::string_view line);
  void IndividualLine(std::string_view line, int level, int code);
  void FamilyLine(std::string_view line, int level, int code);
  void NoteRecordLine(std::string_view line, int code);
  void SourceRecordLine(std::string_view line, int code);
  void MediaRecordLine(std::string_view line, int level, int code);

  void SetSubState(SubState sub_state, int level);
  void EndSubState();
  void StoreRecord();
  void StorePhoto();
  void PatchPendingPhotos();
  void AddPartner(std::int32_t partner, bool husband);
  void LogStatistics();
  void ReportLinesRead(long lines_read) {
    run_.progress.lines_read = lines_read;
    if (run_.on_progress) run_.on_progress(run_.progress);
  }

  void NoteOf(std::string_view line, int level, std::int32_t owner, std::int32_t& note,
              bool individual_notes);
  std::int32_t InlineNoteKey(std::int32_t owner, bool individual_notes);
  void CiteSource(std::string_view line, int level, std::int32_t& field);
  void BeginPhoto(std::string_view line, int level);
  void WriteNoteLines(std::string_view text, std::int32_t kind);
  void WriteNoteLine(std::string_view text, std::int32_t kind);

  // Texts are cut to their field's capacity, in UTF-8 files without
  // splitting a character reference.
  std::size_t CutLength(std::string_view text, std::size_t capacity) const;
  std::string Cut(std::string_view text, std::size_t capacity) const;
  void CutInto(std::string& field, std::string_view text, std::size_t capacity) const;
  void ClearIndividual();
  void ClearFamily();
  std::string PhotoFileName(std::string_view value) const;
  static std::int32_t PointerNumber(XrefTable& table, std::string_view line);
  static bool IsSharedNotePointer(std::string_view line);
  bool notes_on() const { return settings_.notes == 'Y'; }
  bool hide_living() const { return settings_.privacy == 'Y'; }

  Run& run_;
  WorkFiles& store_;
  const Settings& settings_;

  Charset charset_ = Charset::kAsItStands;
  bool charset_fixed_ = false;  // UTF-8 by how the file is stored
  bool in_gedc_ = false;        // the last level-1 line was "1 GEDC"

  RecordKind kind_ = RecordKind::kNone;
  SubState sub_state_ = SubState::kNone;
  int sub_level_ = 0;

  IndividualRecord individual_;
  FamilyRecord family_;
  PhotoRecord photo_;
  NoteLine note_line_;             // the note line being written
  std::int32_t photo_media_ = 0;   // media record the open photo points to
  bool photo_under_file_ = false;  // the photo's last child line was FILE
  std::string photo_path_;         // the open photo's FILE as written

  std::int32_t note_key_ = 0;
  bool note_key_individual_ = false;    // the key's lines go to the individual notes
  bool note_key_in_record_ = false;     // the key was set within the current record
  std::int32_t record_inline_key_ = 0;  // key of the current record's inline note
  std::int32_t source_number_ = 0;      // source record whose title is still to come

  std::int32_t media_number_ = 0;
  std::string media_file_;
  std::string media_path_;
  std::string media_title_;
  bool media_file_seen_ = false;
  bool media_title_seen_ = false;
  bool media_under_first_file_ = false;

  // Slots of the lines in inote.dat and fnote.dat.
  long individual_note_lines_ = 0;
  long family_note_lines_ = 0;
  long notes_ = 0;
  NoteLineTally note_tally_;

  XrefTable individuals_;
  XrefTable families_;
  XrefTable sources_;
  XrefTable note_records_;
  // Keys taken by inline notes of individuals and of families, used only as
  // sets of numbers (see InlineNoteKey).
  XrefTable inline_individual_keys_;
  XrefTable inline_family_keys_;
  XrefTable media_{XrefTable::Numbering::kInOrder};
  MediaShelf media_shelf_;
  std::vector<PendingPhoto> pending_photos_;
};

int GedcomReader::Read() {
  run_.log.LogLine(">ReadGedcom");
  store_.counters = RunCounters{};
  run_.picture_paths.Clear();
  run_.extra_partners.clear();
  GedcomLineReader lines;
  if (!lines.Open(settings_.gedfile)) {
    run_.notices.Add(GedcomNotOpenedNotice(settings_.gedfile, lines.open_error()));
    return kResultGedcomNotOpened;
  }
  if (lines.utf8_by_storage()) {
    charset_ = Charset::kUtf8;
    charset_fixed_ = true;
  }

  std::string line;
  long lines_read = 0;
  while (lines.Next(line)) {
    if (HandleLine(line, lines.line_is_ascii()) != kResultOk) return kResultLongTags;
    if ((++lines_read & 0xFFFF) == 0) ReportLinesRead(lines_read);
  }
  ReportLinesRead(lines_read);
  lines.Close();

  // The end of the file closes what is open, as a level-0 line would.
  EndSubState();
  StoreRecord();
  PatchPendingPhotos();
  LogStatistics();
  run_.log.LogLine("<ReadGedcom");
  return kResultOk;
}

int GedcomReader::HandleLine(std::string& raw, bool ascii) {
  switch (ascii ? Charset::kAsItStands : charset_) {
    case Charset::kIbmPc:
      IbmPcToLatin1(raw);
      break;
    case Charset::kAnsel:
      AnselToLatin1(raw);
      break;
    case Charset::kUtf8:
      Utf8ToLatin1(raw);
      break;
    case Charset::kAsItStands:
      break;
  }
  // Leading blanks and commas go (as SkipLeadingSeparators does), in place:
  // the line needs no copy of its own.
  std::size_t separators = 0;
  while (separators < raw.size() && (raw[separators] == ' ' || raw[separators] == ',')) {
    ++separators;
  }
  if (separators > 0) raw.erase(0, separators);
  const std::string& line = raw;

  // Both long tags hold a "_", which few lines do.
  if (line.find('_') != std::string::npos &&
      (Contains(line, "FAMILY_SPOUSE") || Contains(line, "FAMILY_CHILD"))) {
    return kResultLongTags;
  }

  // Column 0 holds the level, one digit; anything else cannot be read by
  // columns and is skipped.
  if (line.empty() || !IsDigit(line[0]) || (line.size() > 1 && IsDigit(line[1]))) {
    return kResultOk;
  }
  const int level = line[0] - '0';
  const int code = TagCodeOf(line);
  NoteCharset(line, level);

  if (level <= sub_level_) EndSubState();
  if (level == 0) {
    HandleLevel0(line);
    return kResultOk;
  }
  switch (kind_) {
    case RecordKind::kIndividual:
      if (hide_living()) run_.living.IndividualLine(level, TagColumns(line), ValueOf(line));
      IndividualLine(line, level, code);
      break;
    case RecordKind::kFamily:
      if (hide_living()) run_.living.FamilyLine(level, TagColumns(line), ValueOf(line));
      FamilyLine(line, level, code);
      break;
    case RecordKind::kNoteRecord:
      NoteRecordLine(line, code);
      break;
    case RecordKind::kSourceRecord:
      SourceRecordLine(line, code);
      break;
    case RecordKind::kMediaRecord:
      MediaRecordLine(line, level, code);
      break;
    case RecordKind::kNone:
      break;
  }
  return kResultOk;
}

// A character set takes effect from the line after the one declaring it.
void GedcomReader::NoteCharset(std::string_view line, int level) {
  const std::string_view tag = TagColumns(line);
  if (tag == "CHAR" && !charset_fixed_) {
    if (Contains(line, "IBMPC")) charset_ = Charset::kIbmPc;
    if (Contains(line, "ANSEL")) charset_ = Charset::kAnsel;
    if (IsUtf8Name(ValueOf(line))) charset_ = Charset::kUtf8;
  }
  if (level <= 1) {
    in_gedc_ = level == 1 && tag == "GEDC";
  } else if (level == 2 && in_gedc_ && tag == "VERS" && !charset_fixed_) {
    // GEDCOM 7 files are UTF-8 and declare no CHAR.
    const std::string_view version = ValueOf(line);
    if (!version.empty() && version[0] == '7') charset_ = Charset::kUtf8;
  }
}

void GedcomReader::HandleLevel0(std::string_view line) {
  StoreRecord();
  kind_ = RecordKind::kNone;
  sub_state_ = SubState::kNone;
  sub_level_ = 0;
  note_key_in_record_ = false;
  record_inline_key_ = 0;

  const Level0Line parsed = ParseLevel0(line);
  // A record without a cross-reference cannot be pointed to, but is still
  // part of the tree: it gets a number of its own.
  auto own_number = [&parsed](XrefTable& table) {
    return parsed.identifier ? table.NumberOf(*parsed.identifier) : table.FreshNumber();
  };

  if (parsed.tag == "INDI") {
    ++store_.counters.IndividualCount;
    ClearIndividual();
    if (hide_living()) run_.living.BeginIndividual();
    individual_.number = own_number(individuals_);
    kind_ = RecordKind::kIndividual;
  } else if (parsed.tag == "FAM") {
    ++store_.counters.FamilyCount;
    ClearFamily();
    if (hide_living()) run_.living.BeginFamily();
    family_.number = own_number(families_);
    kind_ = RecordKind::kFamily;
  } else if (parsed.tag == "NOTE" || parsed.tag == "SNOTE") {
    note_key_ = own_number(note_records_);
    note_key_individual_ = Contains(line, "@NI") || Contains(line, "@T");
    note_key_in_record_ = true;
    kind_ = RecordKind::kNoteRecord;
    note_tally_.BeginRecord(note_key_);
    sub_state_ = SubState::kNote;
    // The text on the record's own line needs at least two characters
    // after the tag and its blank to count.
    const std::size_t text_at = parsed.tag_position + parsed.tag.size() + 1;
    if (text_at + 1 < line.size()) {
      WriteNoteLines(line.substr(text_at), TagCodeOf(line));
    }
  } else if (parsed.tag == "SOUR") {
    source_number_ = own_number(sources_);
    kind_ = RecordKind::kSourceRecord;
  } else if (parsed.tag == "OBJE" && parsed.identifier) {
    media_number_ = media_.NumberOf(*parsed.identifier);
    media_file_.clear();
    media_path_.clear();
    media_title_.clear();
    media_file_seen_ = false;
    media_title_seen_ = false;
    media_under_first_file_ = false;
    kind_ = RecordKind::kMediaRecord;
  }
}

void GedcomReader::IndividualLine(std::string_view line, int level, int code) {
  const std::string_view value = ValueOf(line);
  switch (code) {
    case kTagName:
      if (individual_.name.empty()) {
        SetSubState(SubState::kNote, sub_level_);
        CutInto(individual_.name, value, kNameCapacity);
        if (FindOccurrence(individual_.name, "/", 2) < 0) {
          const std::string name = individual_.name + " / /";
          CutInto(individual_.name, name, kNameCapacity);
        }
      }
      break;
    case kTagSex:
      // The value of the three-letter tag stands right after "SEX ".
      individual_.sex = line.size() > 6 ? line[6] : ' ';
      break;
    case kTagBirt:
      SetSubState(SubState::kBirth, level);
      break;
    case kTagDeat:
      SetSubState(SubState::kDeath, level);
      break;
    case kTagDate:
      if (level == sub_level_ + 1) {
        if (sub_state_ == SubState::kBirth) CutInto(individual_.birthDate, value, kDateCapacity);
        if (sub_state_ == SubState::kDeath) CutInto(individual_.deathDate, value, kDateCapacity);
      }
      break;
    case kTagPlac:
      if (level == sub_level_ + 1) {
        if (sub_state_ == SubState::kBirth) CutInto(individual_.birthPlace, value, kPlaceCapacity);
        if (sub_state_ == SubState::kDeath) CutInto(individual_.deathPlace, value, kPlaceCapacity);
      }
      break;
    case kTagSour:
      if (sub_state_ == SubState::kBirth) {
        CiteSource(line, level, individual_.birthSource);
      } else if (sub_state_ == SubState::kDeath) {
        CiteSource(line, level, individual_.deathSource);
      } else if (level == 1) {
        CiteSource(line, level, individual_.source);
      }
      break;
    case kTagFams:
      if (std::int32_t n = PointerNumber(families_, line)) {
        AppendToList(individual_.spouseFamilies, n);
      }
      break;
    case kTagFamc:
      if (std::int32_t n = PointerNumber(families_, line)) {
        AppendToList(individual_.parentFamilies, n);
      }
      break;
    case kTagNote:
      if (notes_on() && sub_state_ != SubState::kPhoto) {
        NoteOf(line, level, individual_.number, individual_.note, true);
      }
      break;
    case kTagConc:
    case kTagCont:
      // Only a note begun in this record is continued: CONC and CONT lines
      // of anything else (a citation under NAME, say) are not note text.
      if (notes_on() && sub_state_ == SubState::kNote && note_key_in_record_) {
        WriteNoteLines(value, code);
      }
      break;
    case kTagObje:
      BeginPhoto(line, level);
      break;
    case kTagFile:
      if (sub_state_ == SubState::kPhoto && level == sub_level_ + 1) {
        photo_.file = PhotoFileName(value);
        photo_path_ = value;
      }
      break;
    case kTagTitl:
      if (sub_state_ == SubState::kPhoto &&
          (level == sub_level_ + 1 || (level == sub_level_ + 2 && photo_under_file_))) {
        photo_.title = Cut(value, kPhotoTitleCapacity);
      }
      break;
    default:
      if (notes_on() && sub_state_ != SubState::kPhoto && IsSharedNotePointer(line)) {
        NoteOf(line, level, individual_.number, individual_.note, true);
      }
      break;
  }
  if (sub_state_ == SubState::kPhoto && level == sub_level_ + 1) {
    photo_under_file_ = code == kTagFile;
  }
}

void GedcomReader::FamilyLine(std::string_view line, int level, int code) {
  const std::string_view value = ValueOf(line);
  switch (code) {
    case kTagHusb:
    case kTagWife:
      if (level == 1) AddPartner(PointerNumber(individuals_, line), code == kTagHusb);
      break;
    case kTagMarr:
      SetSubState(SubState::kMarriage, level);
      break;
    case kTagDate:
      if (sub_state_ == SubState::kMarriage && level == sub_level_ + 1) {
        CutInto(family_.marriageDate, value, kDateCapacity);
      }
      break;
    case kTagPlac:
      if (sub_state_ == SubState::kMarriage) CutInto(family_.marriagePlace, value, kPlaceCapacity);
      break;
    case kTagSour:
      if (sub_state_ == SubState::kMarriage) CiteSource(line, level, family_.marriageSource);
      break;
    case kTagChil:
      if (std::int32_t n = PointerNumber(individuals_, line)) {
        // Children beyond the list still count as evidence of age.
        if (!AppendToList(family_.children, n) && hide_living()) {
          run_.living.ExtraChild(store_.counters.FamilyCount, n);
        }
      }
      break;
    case kTagNote:
      if (notes_on()) NoteOf(line, level, family_.number, family_.note, false);
      break;
    case kTagConc:
    case kTagCont:
      if (notes_on() && sub_state_ == SubState::kNote && note_key_in_record_) {
        WriteNoteLines(value, code);
      }
      break;
    default:
      if (notes_on() && IsSharedNotePointer(line)) {
        NoteOf(line, level, family_.number, family_.note, false);
      }
      break;
  }
}

void GedcomReader::NoteRecordLine(std::string_view line, int code) {
  std::string_view value = ValueOf(line);
  if (code == kTagNone) {
    // Some programs repeat the note's own cross-reference on each of its
    // continuation lines ("1 @N59@ CONT text"); a line naming any other
    // record is not this note's text.
    const auto tagged = ParseContinuationWithIdentifier(line);
    if (!tagged || note_records_.Find(tagged->identifier) != note_key_) return;
    code = tagged->code;
    value = tagged->value;
  }
  if ((code == kTagConc || code == kTagCont) && notes_on()) WriteNoteLines(value, code);
}

void GedcomReader::SourceRecordLine(std::string_view line, int code) {
  if ((code == kTagTitl || code == kTagAbbr) && settings_.sources == 'Y' && source_number_ != 0) {
    ++store_.counters.SourceCount;
    SourceRecord record;
    record.number = source_number_;
    record.title = Cut(ValueOf(line), kSourceTitleCapacity);
    store_.PutSource(source_number_, store_.counters.SourceCount, record);
    source_number_ = 0;
  }
}

// A multimedia record gives its first FILE, and the first TITL found
// either under the record or under that FILE.
void GedcomReader::MediaRecordLine(std::string_view line, int level, int code) {
  if (level == 1) media_under_first_file_ = false;
  if (code == kTagFile && level == 1 && !media_file_seen_) {
    media_file_ = PhotoFileName(ValueOf(line));
    media_path_ = ValueOf(line);
    media_file_seen_ = true;
    media_under_first_file_ = true;
  } else if (code == kTagTitl && !media_title_seen_ &&
             (level == 1 || (level == 2 && media_under_first_file_))) {
    media_title_ = Cut(ValueOf(line), kPhotoTitleCapacity);
    media_title_seen_ = true;
  }
}

void GedcomReader::SetSubState(SubState sub_state, int level) {
  if (sub_state_ == SubState::kPhoto) StorePhoto();
  sub_state_ = sub_state;
  sub_level_ = level;
}

void GedcomReader::EndSubState() { SetSubState(SubState::kNone, 0); }

void GedcomReader::StoreRecord() {
  switch (kind_) {
    case RecordKind::kIndividual:
      store_.PutIndividual(individual_.number, store_.counters.IndividualCount, individual_);
      if (hide_living()) run_.living.StoreIndividual(store_.counters.IndividualCount);
      break;
    case RecordKind::kFamily:
      store_.PutFamily(family_.number, store_.counters.FamilyCount, family_);
      if (hide_living()) run_.living.StoreFamily(store_.counters.FamilyCount);
      break;
    case RecordKind::kMediaRecord:
      media_shelf_.Define(media_number_, media_file_, media_title_, media_path_);
      break;
    case RecordKind::kNoteRecord:
    case RecordKind::kSourceRecord:
    case RecordKind::kNone:
      break;
  }
  kind_ = RecordKind::kNone;
}

void GedcomReader::StorePhoto() {
  if (photo_media_ != 0) {
    if (media_shelf_.Apply(photo_media_, photo_)) {
      photo_path_ = media_shelf_.PathOf(photo_media_);
    } else {
      pending_photos_.push_back({photo_.number, photo_media_});
    }
  }
  store_.PutPhoto(photo_.number, photo_.number, photo_);
  if (settings_.photos == 'Y') run_.picture_paths.Set(photo_.number, photo_path_);
}

void GedcomReader::PatchPendingPhotos() {
  PhotoRecord record;
  for (const PendingPhoto& pending : pending_photos_) {
    store_.GetPhotoAt(pending.slot, record);
    if (media_shelf_.Apply(pending.media, record)) {
      store_.PutPhoto(record.number, pending.slot, record);
      if (settings_.photos == 'Y') {
        run_.picture_paths.Set(record.number, media_shelf_.PathOf(pending.media));
      }
    }
  }
  pending_photos_.clear();
}

// A HUSB or WIFE line: the partner takes the slot of the line's tag, or
// the other one when that is taken (two husbands or two wives, as several
// programs write a couple of one sex). A family holds two partners; a
// further one is kept aside in run.extra_partners.
void GedcomReader::AddPartner(std::int32_t partner, bool husband) {
  std::int32_t& own = husband ? family_.husband : family_.wife;
  std::int32_t& other = husband ? family_.wife : family_.husband;
  // A line without a pointer names nobody; the same partner named twice
  // is one partner.
  if (partner == 0 || partner == own || partner == other) return;
  if (own == 0) {
    own = partner;
  } else if (other == 0) {
    other = partner;
  } else {
    run_.extra_partners.push_back({family_.number, partner});
    if (hide_living()) run_.living.ExtraPartner(store_.counters.FamilyCount, partner);
  }
}

void GedcomReader::LogStatistics() {
  const RunLog& log = run_.log;
  const RunCounters& counters = store_.counters;
  long estimate = counters.FamilyCount;
  if (settings_.notes == 'Y') estimate += notes_;
  if (settings_.photos == 'Y') estimate += counters.PhotoCount;
  if (settings_.pedigreeall == 'Y') estimate += counters.IndividualCount;
  estimate += counters.IndividualCount / 1000 + 3;

  log.LogLine(kLogSeparator);
  log.LogFormatted("Ind recs Written=%ld", static_cast<long>(counters.IndividualCount));
  log.LogFormatted("Fam recs Written=%ld", static_cast<long>(counters.FamilyCount));
  const NoteLineTally::Totals note_lines = note_tally_.Count();
  log.LogFormatted("Ind Note lines Written=%ld", note_lines.individual);
  log.LogFormatted("Fam Note lines Written=%ld", note_lines.family);
  log.LogFormatted("Note recs Written=%ld", notes_);
  log.LogFormatted("Src recs Written=%ld", static_cast<long>(counters.SourceCount));
  log.LogFormatted("Photo recs Written=%ld", static_cast<long>(counters.PhotoCount));
  log.LogFormatted("Estimated Files=%ld", estimate);
  log.LogLine(kLogSeparator);
}

// A NOTE line (or GEDCOM 7 SNOTE pointer) in an individual or family: a
// pointer names a note record, inline text is a note of the owner itself.
void GedcomReader::NoteOf(std::string_view line, int level, std::int32_t owner, std::int32_t& note,
                          bool individual_notes) {
  SetSubState(SubState::kNote, level);
  if (IsPointer(line)) {
    const std::int32_t key = PointerNumber(note_records_, line);
    if (key == 0) return;
    note_tally_.PointedBy(key, individual_notes);
    if (note == 0) ++notes_;
    note = key;
    return;
  }
  if (record_inline_key_ == 0) record_inline_key_ = InlineNoteKey(owner, individual_notes);
  note_key_ = record_inline_key_;
  note_key_individual_ = individual_notes;
  note_key_in_record_ = true;
  if (note == 0) ++notes_;
  note = record_inline_key_;
  WriteNoteLines(ValueOf(line), kTagNote);
}

// An inline note is keyed by its owner's number, and a note record by its
// own number; both name the notes page ("nti" or "ntf" and the key), and a
// note pointer finds its record's lines in either notes file. So the two
// must never share a key: whichever comes first in the file keeps the
// number, and the other takes a fresh one. An inline note of an individual
// and one of a family may share a key, since each owner looks in its own
// notes file first; two inline notes of the same side never do. Files
// whose note records and inline owners never share a number keep every key
// as it was.
std::int32_t GedcomReader::InlineNoteKey(std::int32_t owner, bool individual_notes) {
  XrefTable& own_side = individual_notes ? inline_individual_keys_ : inline_family_keys_;
  const XrefTable& other_side = individual_notes ? inline_family_keys_ : inline_individual_keys_;
  const bool free_of_records = !note_records_.IsTaken(owner) || other_side.IsTaken(owner);
  if (owner > 0 && free_of_records && !own_side.IsTaken(owner)) {
    note_records_.Reserve(owner);
    own_side.Reserve(owner);
    return owner;
  }
  const std::int32_t key = note_records_.FreshNumber();
  own_side.Reserve(key);
  return key;
}

void GedcomReader::CiteSource(std::string_view line, int level, std::int32_t& field) {
  if (IsPointer(line)) {
    SetSubState(SubState::kCitedSource, level);
    field = PointerNumber(sources_, line);
    return;
  }
  // Inline texts take numbers from the same table as source records, so
  // the two never share an index entry.
  const std::string_view text = ValueOf(line);
  field = store_.AddInlineSource(text.substr(0, CutLength(text, kSourceTitleCapacity)),
                                 [this] { return sources_.FreshNumber(); });
}

void GedcomReader::BeginPhoto(std::string_view line, int level) {
  SetSubState(SubState::kPhoto, level);
  const std::int32_t number = ++store_.counters.PhotoCount;
  photo_ = PhotoRecord{};
  photo_.number = number;
  photo_.owner = individual_.number;
  AppendToList(individual_.photos, number);
  photo_media_ = IsPointer(line) ? PointerNumber(media_, line) : 0;
  photo_under_file_ = false;
  photo_path_.clear();
}

// A note value longer than a NoteLine holds goes on in further lines of
// kind CONC, so that the notes page joins them without a break.
void GedcomReader::WriteNoteLines(std::string_view text, std::int32_t kind) {
  std::int32_t line_kind = kind;
  do {
    std::size_t length = CutLength(text, kNoteTextCapacity);
    if (length == 0) length = std::min(text.size(), kNoteTextCapacity);
    WriteNoteLine(text.substr(0, length), line_kind);
    text.remove_prefix(length);
    line_kind = kNoteKindConc;
  } while (!text.empty());
}

void GedcomReader::WriteNoteLine(std::string_view text, std::int32_t kind) {
  note_line_.owner = note_key_;
  note_line_.kind = kind;
  note_line_.text.assign(text);
  if (kind_ == RecordKind::kNoteRecord) {
    note_tally_.RecordLine();
  } else {
    note_tally_.InlineLine(note_key_individual_);
  }
  if (note_key_individual_) {
    store_.PutIndividualNoteLine(note_key_, static_cast<std::int32_t>(++individual_note_lines_),
                                 note_line_);
  } else {
    store_.PutFamilyNoteLine(note_key_, static_cast<std::int32_t>(++family_note_lines_),
                             note_line_);
  }
}

std::size_t GedcomReader::CutLength(std::string_view text, std::size_t capacity) const {
  if (charset_ == Charset::kUtf8) return CutLengthKeepingReferences(text, capacity);
  return std::min(text.size(), capacity);
}

std::string GedcomReader::Cut(std::string_view text, std::size_t capacity) const {
  return std::string(text.substr(0, CutLength(text, capacity)));
}

void GedcomReader::CutInto(std::string& field, std::string_view text, std::size_t capacity) const {
  field.assign(text.substr(0, CutLength(text, capacity)));
}

// The records are cleared field by field rather than replaced, so that their
// texts keep their memory from one record to the next.
void GedcomReader::ClearIndividual() {
  IndividualRecord& r = individual_;
  r.number = 0;
  r.name.clear();
  r.source = 0;
  r.sex = ' ';
  r.birthDate.clear();
  r.birthPlace.clear();
  r.birthSource = 0;
  r.deathDate.clear();
  r.deathPlace.clear();
  r.deathSource = 0;
  r.spouseFamilies.fill(0);
  r.parentFamilies.fill(0);
  r.note = 0;
  r.photos.fill(0);
}

void GedcomReader::ClearFamily() {
  FamilyRecord& r = family_;
  r.number = 0;
  r.husband = 0;
  r.wife = 0;
  r.marriageDate.clear();
  r.marriagePlace.clear();
  r.marriageSource = 0;
  r.children.fill(0);
  r.note = 0;
}

std::string GedcomReader::PhotoFileName(std::string_view value) const {
  std::string file(value);
  StripDirectory(file);
  LowerCaseText(file);
  return Cut(file, kPhotoFileCapacity);
}

// The number of the record a pointer line names; 0 for a line without a
// cross-reference and for GEDCOM 7's null pointer @VOID@.
std::int32_t GedcomReader::PointerNumber(XrefTable& table, std::string_view line) {
  const std::optional<std::string_view> identifier = CrossReferenceOf(line);
  if (!identifier || *identifier == "VOID") return 0;
  return table.NumberOf(*identifier);
}

bool GedcomReader::IsSharedNotePointer(std::string_view line) {
  if (line.size() < 7 || line.substr(2, 5) != "SNOTE") return false;
  return (line.size() == 7 || line[7] == ' ') && IsPointer(line);
}

}  // namespace

int ReadGedcom(Run& run) {
  GedcomReader reader(run);
  return reader.Read();
}

}  // namespace kinloom
