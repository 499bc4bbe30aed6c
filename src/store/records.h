// The four record layouts of the work files. Records are packed, fields
// follow each other without padding, integers are 32-bit little-endian
// signed, texts are NUL-terminated in zero-filled fixed arrays.
//
// IndividualRecord (indv.dat), 633 bytes
//   0 number  4 name[100]  104 source  108 sex  109 birthDate[25]
//   134 birthPlace[81]  215 birthSource  219 deathDate[25]  244 deathPlace[81]
//   325 deathSource  329 spouseFamilies[25]  429 parentFamilies[25]
//   529 note  533 photos[25]
// FamilyRecord (fam.dat), 226 bytes
//   0 number  4 husband  8 wife  12 marriageDate[25]  37 marriagePlace[81]
//   118 marriageSource  122 children[25]  222 note
// NoteLine (inote.dat, fnote.dat), 278 bytes
//   0 owner  4 kind  8 text[270]
// SourceRecord (src.dat), 274 bytes
//   0 number  4 title[270]
// PhotoRecord (photo.dat), 358 bytes
//   0 number  4 owner  8 file[150]  158 title[200]
//
// In memory a record holds std::string texts; Encode cuts each text to its
// field's capacity (the array size less one) and Decode reads up to the
// first NUL, or the whole array when no NUL is found.
#ifndef KINLOOM_STORE_RECORDS_H_
#define KINLOOM_STORE_RECORDS_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace kinloom {

inline constexpr int kListEntries = 25;
using RecordList = std::array<std::int32_t, kListEntries>;

// Text capacities in characters (array size less the NUL).
inline constexpr std::size_t kNameCapacity = 99;
inline constexpr std::size_t kDateCapacity = 24;
inline constexpr std::size_t kPlaceCapacity = 80;
inline constexpr std::size_t kNoteTextCapacity = 269;
inline constexpr std::size_t kSourceTitleCapacity = 269;
inline constexpr std::size_t kPhotoFileCapacity = 149;
inline constexpr std::size_t kPhotoTitleCapacity = 199;

// NoteLine kinds.
inline constexpr std::int32_t kNoteKindRecordLine = 0;
inline constexpr std::int32_t kNoteKindNote = 52;
inline constexpr std::int32_t kNoteKindConc = 53;
inline constexpr std::int32_t kNoteKindCont = 54;

struct IndividualRecord {
  static constexpr std::size_t kSize = 633;
  static constexpr std::size_t kNumberOffset = 0, kNameOffset = 4, kSourceOffset = 104,
                               kSexOffset = 108, kBirthDateOffset = 109, kBirthPlaceOffset = 134,
                               kBirthSourceOffset = 215, kDeathDateOffset = 219,
                               kDeathPlaceOffset = 244, kDeathSourceOffset = 325,
                               kSpouseFamiliesOffset = 329, kParentFamiliesOffset = 429,
                               kNoteOffset = 529, kPhotosOffset = 533;

  std::int32_t number = 0;
  std::string name;
  std::int32_t source = 0;
  char sex = '\0';  // the reader sets a blank when a record is begun
  std::string birthDate;
  std::string birthPlace;
  std::int32_t birthSource = 0;
  std::string deathDate;
  std::string deathPlace;
  std::int32_t deathSource = 0;
  RecordList spouseFamilies{};
  RecordList parentFamilies{};
  std::int32_t note = 0;
  RecordList photos{};

  bool operator==(const IndividualRecord&) const = default;
};

struct FamilyRecord {
  static constexpr std::size_t kSize = 226;
  static constexpr std::size_t kNumberOffset = 0, kHusbandOffset = 4, kWifeOffset = 8,
                               kMarriageDateOffset = 12, kMarriagePlaceOffset = 37,
                               kMarriageSourceOffset = 118, kChildrenOffset = 122,
                               kNoteOffset = 222;

  std::int32_t number = 0;
  std::int32_t husband = 0;
  std::int32_t wife = 0;
  std::string marriageDate;
  std::string marriagePlace;
  std::int32_t marriageSource = 0;
  RecordList children{};
  std::int32_t note = 0;

  bool operator==(const FamilyRecord&) const = default;
};

struct NoteLine {
  static constexpr std::size_t kSize = 278;
  static constexpr std::size_t kOwnerOffset = 0, kKindOffset = 4, kTextOffset = 8;

  std::int32_t owner = 0;
  std::int32_t kind = 0;
  std::string text;

  bool operator==(const NoteLine&) const = default;
};

struct SourceRecord {
  static constexpr std::size_t kSize = 274;
  static constexpr std::size_t kNumberOffset = 0, kTitleOffset = 4;

  std::int32_t number = 0;
  std::string title;

  bool operator==(const SourceRecord&) const = default;
};

struct PhotoRecord {
  static constexpr std::size_t kSize = 358;
  static constexpr std::size_t kNumberOffset = 0, kOwnerOffset = 4, kFileOffset = 8,
                               kTitleOffset = 158;

  std::int32_t number = 0;
  std::int32_t owner = 0;
  std::string file;
  std::string title;

  bool operator==(const PhotoRecord&) const = default;
};

// Encode writes exactly kSize bytes to dst; Decode reads exactly kSize.
void Encode(const IndividualRecord& record, unsigned char* dst);
void Encode(const FamilyRecord& record, unsigned char* dst);
void Encode(const NoteLine& record, unsigned char* dst);
void Encode(const SourceRecord& record, unsigned char* dst);
void Encode(const PhotoRecord& record, unsigned char* dst);
void Decode(const unsigned char* src, IndividualRecord& record);
void Decode(const unsigned char* src, FamilyRecord& record);
void Decode(const unsigned char* src, NoteLine& record);
void Decode(const unsigned char* src, SourceRecord& record);
void Decode(const unsigned char* src, PhotoRecord& record);

// Appends number to the first entry of list that holds 0; returns false
// (and drops the number) when the list is full.
bool AppendToList(RecordList& list, std::int32_t number);

}  // namespace kinloom

#endif  // KINLOOM_STORE_RECORDS_H_
