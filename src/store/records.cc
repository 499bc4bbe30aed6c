#include "store/records.h"

#include <algorithm>
#include <cstring>

#include "store/coding.h"

namespace kinloom {

namespace {

// A text field of `size` bytes: at most size - 1 characters, then zeros up
// to the end of the field, so the stored bytes never depend on what a
// previous record held.
void PutText(unsigned char* dst, std::size_t size, const std::string& text) {
  const std::size_t length = std::min(text.size(), size - 1);
  std::memcpy(dst, text.data(), length);
  std::memset(dst + length, 0, size - length);
}

// Reads up to the first NUL, or the whole field when it holds none. The
// text is assigned into dst, which keeps its memory: a record buffer that
// is decoded into again and again allocates only while its texts grow.
void GetText(const unsigned char* src, std::size_t size, std::string& dst) {
  const void* nul = std::memchr(src, 0, size);
  const std::size_t length =
      nul ? static_cast<std::size_t>(static_cast<const unsigned char*>(nul) - src) : size;
  dst.assign(reinterpret_cast<const char*>(src), length);
}

void PutList(unsigned char* dst, const RecordList& list) {
  for (int i = 0; i < kListEntries; ++i) EncodeFixed32(dst + 4 * i, list[i]);
}

void GetList(const unsigned char* src, RecordList& list) {
  for (int i = 0; i < kListEntries; ++i) list[i] = DecodeFixed32(src + 4 * i);
}

// Field sizes in bytes, as laid out in the files.
constexpr std::size_t kNameSize = kNameCapacity + 1;
constexpr std::size_t kDateSize = kDateCapacity + 1;
constexpr std::size_t kPlaceSize = kPlaceCapacity + 1;
constexpr std::size_t kNoteTextSize = kNoteTextCapacity + 1;
constexpr std::size_t kSourceTitleSize = kSourceTitleCapacity + 1;
constexpr std::size_t kPhotoFileSize = kPhotoFileCapacity + 1;
constexpr std::size_t kPhotoTitleSize = kPhotoTitleCapacity + 1;
constexpr std::size_t kListSize = 4 * kListEntries;

// The offsets must tile each record exactly; a wrong constant in records.h
// fails the build rather than a file.
using I = IndividualRecord;
static_assert(I::kNameOffset == I::kNumberOffset + 4);
static_assert(I::kSourceOffset == I::kNameOffset + kNameSize);
static_assert(I::kSexOffset == I::kSourceOffset + 4);
static_assert(I::kBirthDateOffset == I::kSexOffset + 1);
static_assert(I::kBirthPlaceOffset == I::kBirthDateOffset + kDateSize);
static_assert(I::kBirthSourceOffset == I::kBirthPlaceOffset + kPlaceSize);
static_assert(I::kDeathDateOffset == I::kBirthSourceOffset + 4);
static_assert(I::kDeathPlaceOffset == I::kDeathDateOffset + kDateSize);
static_assert(I::kDeathSourceOffset == I::kDeathPlaceOffset + kPlaceSize);
static_assert(I::kSpouseFamiliesOffset == I::kDeathSourceOffset + 4);
static_assert(I::kParentFamiliesOffset == I::kSpouseFamiliesOffset + kListSize);
static_assert(I::kNoteOffset == I::kParentFamiliesOffset + kListSize);
static_assert(I::kPhotosOffset == I::kNoteOffset + 4);
static_assert(I::kSize == I::kPhotosOffset + kListSize);

using F = FamilyRecord;
static_assert(F::kHusbandOffset == F::kNumberOffset + 4);
static_assert(F::kWifeOffset == F::kHusbandOffset + 4);
static_assert(F::kMarriageDateOffset == F::kWifeOffset + 4);
static_assert(F::kMarriagePlaceOffset == F::kMarriageDateOffset + kDateSize);
static_assert(F::kMarriageSourceOffset == F::kMarriagePlaceOffset + kPlaceSize);
static_assert(F::kChildrenOffset == F::kMarriageSourceOffset + 4);
static_assert(F::kNoteOffset == F::kChildrenOffset + kListSize);
static_assert(F::kSize == F::kNoteOffset + 4);

static_assert(NoteLine::kKindOffset == NoteLine::kOwnerOffset + 4);
static_assert(NoteLine::kTextOffset == NoteLine::kKindOffset + 4);
static_assert(NoteLine::kSize == NoteLine::kTextOffset + kNoteTextSize);

static_assert(SourceRecord::kTitleOffset == SourceRecord::kNumberOffset + 4);
static_assert(SourceRecord::kSize == SourceRecord::kTitleOffset + kSourceTitleSize);

using P = PhotoRecord;
static_assert(P::kOwnerOffset == P::kNumberOffset + 4);
static_assert(P::kFileOffset == P::kOwnerOffset + 4);
static_assert(P::kTitleOffset == P::kFileOffset + kPhotoFileSize);
static_assert(P::kSize == P::kTitleOffset + kPhotoTitleSize);

}  // namespace

void Encode(const IndividualRecord& r, unsigned char* dst) {
  EncodeFixed32(dst + I::kNumberOffset, r.number);
  PutText(dst + I::kNameOffset, kNameSize, r.name);
  EncodeFixed32(dst + I::kSourceOffset, r.source);
  dst[I::kSexOffset] = static_cast<unsigned char>(r.sex);
  PutText(dst + I::kBirthDateOffset, kDateSize, r.birthDate);
  PutText(dst + I::kBirthPlaceOffset, kPlaceSize, r.birthPlace);
  EncodeFixed32(dst + I::kBirthSourceOffset, r.birthSource);
  PutText(dst + I::kDeathDateOffset, kDateSize, r.deathDate);
  PutText(dst + I::kDeathPlaceOffset, kPlaceSize, r.deathPlace);
  EncodeFixed32(dst + I::kDeathSourceOffset, r.deathSource);
  PutList(dst + I::kSpouseFamiliesOffset, r.spouseFamilies);
  PutList(dst + I::kParentFamiliesOffset, r.parentFamilies);
  EncodeFixed32(dst + I::kNoteOffset, r.note);
  PutList(dst + I::kPhotosOffset, r.photos);
}

void Decode(const unsigned char* src, IndividualRecord& r) {
  r.number = DecodeFixed32(src + I::kNumberOffset);
  GetText(src + I::kNameOffset, kNameSize, r.name);
  r.source = DecodeFixed32(src + I::kSourceOffset);
  r.sex = static_cast<char>(src[I::kSexOffset]);
  GetText(src + I::kBirthDateOffset, kDateSize, r.birthDate);
  GetText(src + I::kBirthPlaceOffset, kPlaceSize, r.birthPlace);
  r.birthSource = DecodeFixed32(src + I::kBirthSourceOffset);
  GetText(src + I::kDeathDateOffset, kDateSize, r.deathDate);
  GetText(src + I::kDeathPlaceOffset, kPlaceSize, r.deathPlace);
  r.deathSource = DecodeFixed32(src + I::kDeathSourceOffset);
  GetList(src + I::kSpouseFamiliesOffset, r.spouseFamilies);
  GetList(src + I::kParentFamiliesOffset, r.parentFamilies);
  r.note = DecodeFixed32(src + I::kNoteOffset);
  GetList(src + I::kPhotosOffset, r.photos);
}

void Encode(const FamilyRecord& r, unsigned char* dst) {
  EncodeFixed32(dst + F::kNumberOffset, r.number);
  EncodeFixed32(dst + F::kHusbandOffset, r.husband);
  EncodeFixed32(dst + F::kWifeOffset, r.wife);
  PutText(dst + F::kMarriageDateOffset, kDateSize, r.marriageDate);
  PutText(dst + F::kMarriagePlaceOffset, kPlaceSize, r.marriagePlace);
  EncodeFixed32(dst + F::kMarriageSourceOffset, r.marriageSource);
  PutList(dst + F::kChildrenOffset, r.children);
  EncodeFixed32(dst + F::kNoteOffset, r.note);
}

void Decode(const unsigned char* src, FamilyRecord& r) {
  r.number = DecodeFixed32(src + F::kNumberOffset);
  r.husband = DecodeFixed32(src + F::kHusbandOffset);
  r.wife = DecodeFixed32(src + F::kWifeOffset);
  GetText(src + F::kMarriageDateOffset, kDateSize, r.marriageDate);
  GetText(src + F::kMarriagePlaceOffset, kPlaceSize, r.marriagePlace);
  r.marriageSource = DecodeFixed32(src + F::kMarriageSourceOffset);
  GetList(src + F::kChildrenOffset, r.children);
  r.note = DecodeFixed32(src + F::kNoteOffset);
}

void Encode(const NoteLine& r, unsigned char* dst) {
  EncodeFixed32(dst + NoteLine::kOwnerOffset, r.owner);
  EncodeFixed32(dst + NoteLine::kKindOffset, r.kind);
  PutText(dst + NoteLine::kTextOffset, kNoteTextSize, r.text);
}

void Decode(const unsigned char* src, NoteLine& r) {
  r.owner = DecodeFixed32(src + NoteLine::kOwnerOffset);
  r.kind = DecodeFixed32(src + NoteLine::kKindOffset);
  GetText(src + NoteLine::kTextOffset, kNoteTextSize, r.text);
}

void Encode(const SourceRecord& r, unsigned char* dst) {
  EncodeFixed32(dst + SourceRecord::kNumberOffset, r.number);
  PutText(dst + SourceRecord::kTitleOffset, kSourceTitleSize, r.title);
}

void Decode(const unsigned char* src, SourceRecord& r) {
  r.number = DecodeFixed32(src + SourceRecord::kNumberOffset);
  GetText(src + SourceRecord::kTitleOffset, kSourceTitleSize, r.title);
}

void Encode(const PhotoRecord& r, unsigned char* dst) {
  EncodeFixed32(dst + P::kNumberOffset, r.number);
  EncodeFixed32(dst + P::kOwnerOffset, r.owner);
  PutText(dst + P::kFileOffset, kPhotoFileSize, r.file);
  PutText(dst + P::kTitleOffset, kPhotoTitleSize, r.title);
}

void Decode(const unsigned char* src, PhotoRecord& r) {
  r.number = DecodeFixed32(src + P::kNumberOffset);
  r.owner = DecodeFixed32(src + P::kOwnerOffset);
  GetText(src + P::kFileOffset, kPhotoFileSize, r.file);
  GetText(src + P::kTitleOffset, kPhotoTitleSize, r.title);
}

bool AppendToList(RecordList& list, std::int32_t number) {
  for (std::int32_t& entry : list) {
    if (entry == 0) {
      entry = number;
      return true;
    }
  }
  return false;
}

}  // namespace kinloom
