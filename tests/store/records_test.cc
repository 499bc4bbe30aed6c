#include "store/records.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace kinloom {
namespace {

// Expected record bytes, laid down by hand at the offsets of the file
// layouts (the numbers below are the documented ones, not the constants of
// records.h, so a wrong constant shows).
class Bytes {
 public:
  explicit Bytes(std::size_t size) : bytes_(size, '\0') {}
  Bytes& At(std::size_t offset, std::initializer_list<int> values) {
    for (int v : values) bytes_.at(offset++) = static_cast<char>(v);
    return *this;
  }
  Bytes& Text(std::size_t offset, std::string_view text) {
    for (char c : text) bytes_.at(offset++) = c;
    return *this;
  }
  const std::string& str() const { return bytes_; }

 private:
  std::string bytes_;
};

constexpr unsigned char kGuard = 0xa5;

// Encodes into a buffer with guard bytes behind the record, checks that
// the guard is untouched and returns exactly the record's bytes.
template <typename Record>
std::string EncodeToString(const Record& record) {
  std::vector<unsigned char> buffer(Record::kSize + 16, kGuard);
  Encode(record, buffer.data());
  for (std::size_t i = Record::kSize; i < buffer.size(); ++i) {
    EXPECT_EQ(buffer[i], kGuard) << "byte " << i << " written past the record";
  }
  return std::string(reinterpret_cast<const char*>(buffer.data()), Record::kSize);
}

template <typename Record>
Record DecodeString(const std::string& bytes) {
  EXPECT_EQ(bytes.size(), Record::kSize);
  Record record;
  Decode(reinterpret_cast<const unsigned char*>(bytes.data()), record);
  return record;
}

IndividualRecord SampleIndividual() {
  IndividualRecord r;
  r.number = 0x01020304;
  r.name = "Ann /Lee/";
  r.source = 0x11;
  r.sex = 'F';
  r.birthDate = "1 JAN 1900";
  r.birthPlace = "Oslo";
  r.birthSource = 0x0a0b0c0d;
  r.deathDate = "2 FEB 1980";
  r.deathPlace = "Bergen";
  r.deathSource = -2;
  r.spouseFamilies[0] = 21;
  r.spouseFamilies[1] = 22;
  r.parentFamilies[0] = 31;
  r.parentFamilies[24] = 0x102;
  r.note = 0x7fffffff;
  r.photos[0] = 41;
  r.photos[24] = 0x01000000;
  return r;
}

TEST(RecordLayoutTest, IndividualRecordBytes) {
  Bytes expected(633);
  expected.At(0, {0x04, 0x03, 0x02, 0x01})
      .Text(4, "Ann /Lee/")
      .At(104, {0x11, 0, 0, 0})
      .Text(108, "F")
      .Text(109, "1 JAN 1900")
      .Text(134, "Oslo")
      .At(215, {0x0d, 0x0c, 0x0b, 0x0a})
      .Text(219, "2 FEB 1980")
      .Text(244, "Bergen")
      .At(325, {0xfe, 0xff, 0xff, 0xff})
      .At(329, {21, 0, 0, 0, 22, 0, 0, 0})
      .At(429, {31})
      .At(525, {0x02, 0x01, 0, 0})
      .At(529, {0xff, 0xff, 0xff, 0x7f})
      .At(533, {41})
      .At(629, {0, 0, 0, 0x01});
  EXPECT_EQ(IndividualRecord::kSize, 633u);
  EXPECT_EQ(EncodeToString(SampleIndividual()), expected.str());
  EXPECT_EQ(DecodeString<IndividualRecord>(expected.str()), SampleIndividual());
}

FamilyRecord SampleFamily() {
  FamilyRecord r;
  r.number = 12;
  r.husband = 0x0201;
  r.wife = 0x030201;
  r.marriageDate = "ABT 1850";
  r.marriagePlace = "Cork, Ireland";
  r.marriageSource = 77;
  r.children[0] = 5;
  r.children[1] = 6;
  r.children[24] = 0x04030201;
  r.note = 99;
  return r;
}

TEST(RecordLayoutTest, FamilyRecordBytes) {
  Bytes expected(226);
  expected.At(0, {12, 0, 0, 0})
      .At(4, {0x01, 0x02, 0, 0})
      .At(8, {0x01, 0x02, 0x03, 0})
      .Text(12, "ABT 1850")
      .Text(37, "Cork, Ireland")
      .At(118, {77, 0, 0, 0})
      .At(122, {5, 0, 0, 0, 6, 0, 0, 0})
      .At(218, {0x01, 0x02, 0x03, 0x04})
      .At(222, {99, 0, 0, 0});
  EXPECT_EQ(FamilyRecord::kSize, 226u);
  EXPECT_EQ(EncodeToString(SampleFamily()), expected.str());
  EXPECT_EQ(DecodeString<FamilyRecord>(expected.str()), SampleFamily());
}

TEST(RecordLayoutTest, NoteLineBytes) {
  const NoteLine line{9, kNoteKindCont, "went to sea"};
  Bytes expected(278);
  expected.At(0, {9, 0, 0, 0}).At(4, {54, 0, 0, 0}).Text(8, "went to sea");
  EXPECT_EQ(NoteLine::kSize, 278u);
  EXPECT_EQ(EncodeToString(line), expected.str());
  EXPECT_EQ(DecodeString<NoteLine>(expected.str()), line);
}

TEST(RecordLayoutTest, SourceRecordBytes) {
  const SourceRecord source{0x100, "Parish register"};
  Bytes expected(274);
  expected.At(0, {0, 1, 0, 0}).Text(4, "Parish register");
  EXPECT_EQ(SourceRecord::kSize, 274u);
  EXPECT_EQ(EncodeToString(source), expected.str());
  EXPECT_EQ(DecodeString<SourceRecord>(expected.str()), source);
}

TEST(RecordLayoutTest, PhotoRecordBytes) {
  const PhotoRecord photo{3, 0x10000, "ann.jpg", "Ann at twenty"};
  Bytes expected(358);
  expected.At(0, {3, 0, 0, 0}).At(4, {0, 0, 1, 0}).Text(8, "ann.jpg").Text(158, "Ann at twenty");
  EXPECT_EQ(PhotoRecord::kSize, 358u);
  EXPECT_EQ(EncodeToString(photo), expected.str());
  EXPECT_EQ(DecodeString<PhotoRecord>(expected.str()), photo);
}

TEST(RecordLayoutTest, EncodeClearsWhatTheBufferHeldBefore) {
  // Text fields are zero-filled to their end, whatever was there.
  std::vector<unsigned char> buffer(SourceRecord::kSize, 0xee);
  Encode(SourceRecord{1, "x"}, buffer.data());
  Bytes expected(274);
  expected.At(0, {1}).Text(4, "x");
  EXPECT_EQ(std::string(buffer.begin(), buffer.end()), expected.str());
}

// --- Round trips ---------------------------------------------------------

std::string Filled(std::size_t length, char first) {
  std::string text;
  for (std::size_t i = 0; i < length; ++i) text += static_cast<char>(first + i % 26);
  return text;
}

TEST(RecordRoundTripTest, FullRecordsSurviveEncodeDecodeEncode) {
  IndividualRecord individual = SampleIndividual();
  individual.name = Filled(kNameCapacity, 'A');
  individual.birthPlace = Filled(kPlaceCapacity, 'a');
  individual.deathDate = Filled(kDateCapacity, 'b');
  for (int i = 0; i < kListEntries; ++i) individual.photos[i] = -1000 * i;
  FamilyRecord family = SampleFamily();
  family.marriagePlace =
      "K\xf8"
      "benhavn";  // 8-bit text stays as it is
  const NoteLine line{-5, kNoteKindConc, Filled(kNoteTextCapacity, 'c')};
  const SourceRecord source{2147483647, Filled(kSourceTitleCapacity, 'd')};
  const PhotoRecord photo{1, 2, Filled(kPhotoFileCapacity, 'e'), Filled(kPhotoTitleCapacity, 'f')};

  auto check = [](const auto& record) {
    using Record = std::decay_t<decltype(record)>;
    const std::string first = EncodeToString(record);
    const Record decoded = DecodeString<Record>(first);
    EXPECT_EQ(decoded, record);
    EXPECT_EQ(EncodeToString(decoded), first);
  };
  check(individual);
  check(family);
  check(line);
  check(source);
  check(photo);
  check(IndividualRecord{});
}

// --- Cutting texts at their capacity --------------------------------------

template <typename Record>
struct TextField {
  const char* name;
  std::size_t offset;    // documented offset
  std::size_t capacity;  // characters the field holds
  std::function<void(Record&, const std::string&)> set;
  std::function<std::string(const Record&)> get;
};

// For every length around the capacity: an otherwise empty record encodes
// to the kept characters at the field's offset and zeros everywhere else,
// and decodes to exactly the kept characters.
template <typename Record>
void CheckCutting(const std::vector<TextField<Record>>& fields) {
  for (const auto& field : fields) {
    std::vector<std::size_t> lengths = {0, 1, 2 * field.capacity};
    for (std::size_t n = field.capacity - 2; n <= field.capacity + 2; ++n) lengths.push_back(n);
    for (std::size_t length : lengths) {
      SCOPED_TRACE(std::string(field.name) + " length " + std::to_string(length));
      const std::string text = Filled(length, 'A');
      const std::string kept = text.substr(0, field.capacity);
      Record record;
      field.set(record, text);
      Bytes expected(Record::kSize);
      expected.Text(field.offset, kept);
      const std::string bytes = EncodeToString(record);
      EXPECT_EQ(bytes, expected.str());
      EXPECT_EQ(field.get(DecodeString<Record>(bytes)), kept);
    }
  }
}

TEST(RecordCuttingTest, IndividualTexts) {
  using R = IndividualRecord;
  CheckCutting<R>({
      {"name", 4, 99, [](R& r, const std::string& s) { r.name = s; },
       [](const R& r) { return r.name; }},
      {"birthDate", 109, 24, [](R& r, const std::string& s) { r.birthDate = s; },
       [](const R& r) { return r.birthDate; }},
      {"birthPlace", 134, 80, [](R& r, const std::string& s) { r.birthPlace = s; },
       [](const R& r) { return r.birthPlace; }},
      {"deathDate", 219, 24, [](R& r, const std::string& s) { r.deathDate = s; },
       [](const R& r) { return r.deathDate; }},
      {"deathPlace", 244, 80, [](R& r, const std::string& s) { r.deathPlace = s; },
       [](const R& r) { return r.deathPlace; }},
  });
}

TEST(RecordCuttingTest, FamilyTexts) {
  using R = FamilyRecord;
  CheckCutting<R>({
      {"marriageDate", 12, 24, [](R& r, const std::string& s) { r.marriageDate = s; },
       [](const R& r) { return r.marriageDate; }},
      {"marriagePlace", 37, 80, [](R& r, const std::string& s) { r.marriagePlace = s; },
       [](const R& r) { return r.marriagePlace; }},
  });
}

TEST(RecordCuttingTest, NoteSourceAndPhotoTexts) {
  CheckCutting<NoteLine>({{"text", 8, 269, [](NoteLine& r, const std::string& s) { r.text = s; },
                           [](const NoteLine& r) { return r.text; }}});
  CheckCutting<SourceRecord>(
      {{"title", 4, 269, [](SourceRecord& r, const std::string& s) { r.title = s; },
        [](const SourceRecord& r) { return r.title; }}});
  using P = PhotoRecord;
  CheckCutting<P>({
      {"file", 8, 149, [](P& r, const std::string& s) { r.file = s; },
       [](const P& r) { return r.file; }},
      {"title", 158, 199, [](P& r, const std::string& s) { r.title = s; },
       [](const P& r) { return r.title; }},
  });
}

TEST(RecordDecodeTest, TextWithoutNulFillsTheWholeArrayAndNoMore) {
  // A field with no NUL is read whole; the bytes of the next field are not
  // taken into it.
  Bytes bytes(633);
  bytes.Text(4, std::string(100, 'n')).At(104, {'X', 'Y', 0, 0});
  bytes.Text(134, std::string(81, 'p')).At(215, {'Z', 0, 0, 0});
  const IndividualRecord r = DecodeString<IndividualRecord>(bytes.str());
  EXPECT_EQ(r.name, std::string(100, 'n'));
  EXPECT_EQ(r.source, 'X' + ('Y' << 8));
  EXPECT_EQ(r.birthPlace, std::string(81, 'p'));

  Bytes source(274);
  source.Text(4, std::string(270, 's'));
  EXPECT_EQ(DecodeString<SourceRecord>(source.str()).title, std::string(270, 's'));
}

TEST(RecordDecodeTest, TextEndsAtTheFirstNul) {
  Bytes bytes(358);
  bytes.Text(8, "a.jpg").Text(14, "junk left behind").Text(158, "T");
  const PhotoRecord r = DecodeString<PhotoRecord>(bytes.str());
  EXPECT_EQ(r.file, "a.jpg");
  EXPECT_EQ(r.title, "T");
}

// --- Lists ------------------------------------------------------------------

TEST(AppendToListTest, FillsFromTheFrontAndRefusesTheTwentySixth) {
  RecordList list{};
  for (int i = 1; i <= kListEntries; ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(AppendToList(list, 100 + i));
  }
  EXPECT_FALSE(AppendToList(list, 999));
  for (int i = 0; i < kListEntries; ++i) EXPECT_EQ(list[i], 101 + i) << "entry " << i;
}

TEST(AppendToListTest, AppendsAfterTheLastUsedEntry) {
  RecordList list{};
  list[0] = 7;
  list[1] = 8;
  EXPECT_TRUE(AppendToList(list, 9));
  EXPECT_EQ(list[2], 9);
  EXPECT_EQ(list[3], 0);
}

}  // namespace
}  // namespace kinloom
