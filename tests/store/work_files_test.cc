#include "store/work_files.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "support/scratch_dir.h"

namespace kinloom {
namespace {

using testing::FileExists;
using testing::ReadFile;
using testing::ScratchDir;
using testing::WriteFile;

// Index file bytes: one little-endian int32 per number from 0 on.
std::string IndexBytes(std::initializer_list<std::int32_t> entries) {
  std::string bytes;
  for (std::int32_t e : entries) {
    const auto v = static_cast<std::uint32_t>(e);
    for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((v >> shift) & 0xff);
  }
  return bytes;
}

IndividualRecord Individual(std::int32_t number, const std::string& name) {
  IndividualRecord r;
  r.number = number;
  r.name = name;
  r.sex = ' ';
  return r;
}

FamilyRecord Family(std::int32_t number, std::int32_t husband) {
  FamilyRecord r;
  r.number = number;
  r.husband = husband;
  return r;
}

class WorkFilesTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(store.Open(), std::nullopt); }
  void TearDown() override { store.CloseAndDelete(); }

  std::string FileBytes(const std::string& name) {
    store.Flush();
    return ReadFile(name);
  }

  ScratchDir dir;
  WorkFiles store;
};

// --- Opening and closing -----------------------------------------------------

TEST_F(WorkFilesTest, OpenCreatesTheTwelveFilesEmpty) {
  EXPECT_TRUE(store.is_open());
  for (const char* name : kWorkFileNames) {
    EXPECT_TRUE(FileExists(name)) << name;
    EXPECT_EQ(FileBytes(name), "") << name;
  }
}

TEST_F(WorkFilesTest, OpenEmptiesFilesLeftByAnEarlierRun) {
  store.CloseAndDelete();
  WriteFile("indv.dat", "left over");
  WriteFile("photo.idx", "left over");
  ASSERT_EQ(store.Open(), std::nullopt);
  EXPECT_EQ(FileBytes("indv.dat"), "");
  EXPECT_EQ(FileBytes("photo.idx"), "");
}

TEST_F(WorkFilesTest, CloseAndDeleteRemovesTheTwelveFilesAndIsSafeTwice) {
  store.PutIndividual(1, 1, Individual(1, "A"));
  store.CloseAndDelete();
  EXPECT_FALSE(store.is_open());
  for (const char* name : kWorkFileNames) EXPECT_FALSE(FileExists(name)) << name;

  // A second call deletes nothing it did not open.
  WriteFile("indv.dat", "someone else's");
  store.CloseAndDelete();
  EXPECT_EQ(ReadFile("indv.dat"), "someone else's");
}

TEST_F(WorkFilesTest, ClosedStoreReadsAsEmpty) {
  store.PutIndividual(1, 1, Individual(1, "A"));
  store.CloseAndDelete();
  EXPECT_EQ(store.IndividualNumber(1), 0);
  EXPECT_EQ(store.IndividualNameAt(1), "");
  EXPECT_EQ(store.IndividualNoteText(1, 1), nullptr);
}

TEST(WorkFilesOpenTest, FailureNamesTheFileAndLeavesNoWorkFile) {
  ScratchDir dir;
  ASSERT_TRUE(std::filesystem::create_directory("fam.dat"));
  WriteFile("src.dat", "not ours");  // a later name, never reached
  WorkFiles store;
  const std::optional<platform::FileFault> fault = store.Open();
  ASSERT_TRUE(fault.has_value());
  EXPECT_EQ(fault->path, "fam.dat");
  EXPECT_FALSE(store.is_open());
  for (const char* name : {"indv.dat", "indv.idx", "fam.idx", "src.idx", "inote.dat", "inote.idx",
                           "fnote.dat", "fnote.idx", "photo.dat", "photo.idx"}) {
    EXPECT_FALSE(FileExists(name)) << name;
  }
  store.CloseAndDelete();
  EXPECT_EQ(ReadFile("src.dat"), "not ours");
  EXPECT_TRUE(FileExists("fam.dat"));
}

// --- Index files ---------------------------------------------------------------

TEST_F(WorkFilesTest, IndexHasGapsForNumbersNeverStored) {
  store.PutIndividual(1, 1, Individual(1, "One"));
  store.PutIndividual(3, 2, Individual(3, "Three"));
  store.PutIndividual(7, 3, Individual(7, "Seven"));

  EXPECT_EQ(FileBytes("indv.idx"), IndexBytes({0, 1, 0, 2, 0, 0, 0, 3}));
  EXPECT_EQ(store.IndividualNumber(2), 0);
  EXPECT_EQ(store.IndividualNumber(7), 7);
  EXPECT_EQ(store.IndividualName(3), "Three");
  EXPECT_EQ(store.IndividualNumber(8), 0);       // just beyond the end
  EXPECT_EQ(store.IndividualNumber(100000), 0);  // far beyond
  IndividualRecord r = Individual(9, "stale");
  store.GetIndividual(5, r);
  EXPECT_EQ(r, IndividualRecord{});
}

TEST_F(WorkFilesTest, IndexEntriesWrittenOutOfOrder) {
  store.PutFamily(30, 1, Family(30, 300));
  store.PutFamily(2, 2, Family(2, 20));
  store.PutFamily(11, 3, Family(11, 110));
  store.PutFamily(0, 4, Family(0, 5));  // a cross-reference without digits

  std::string expected = IndexBytes({4, 0, 2});
  expected += std::string(4 * 8, '\0');   // 3 to 10
  expected += IndexBytes({3});            // 11
  expected += std::string(4 * 18, '\0');  // 12 to 29
  expected += IndexBytes({1});            // 30
  EXPECT_EQ(FileBytes("fam.idx"), expected);
  EXPECT_EQ(store.FamilyHusband(30), 300);
  EXPECT_EQ(store.FamilyHusband(2), 20);
  EXPECT_EQ(store.FamilyHusband(11), 110);
  EXPECT_EQ(store.FamilyHusband(0), 5);
  EXPECT_EQ(store.FamilyNumberAt(1), 30);
  EXPECT_EQ(store.FamilyNumberAt(4), 0);
  EXPECT_EQ(store.FamilyNumberAt(5), 0);
}

TEST_F(WorkFilesTest, NumberStoredTwicePointsToTheLaterSlot) {
  store.PutIndividual(4, 1, Individual(4, "First"));
  store.PutIndividual(4, 2, Individual(4, "Second"));
  EXPECT_EQ(store.IndividualName(4), "Second");
  EXPECT_EQ(store.IndividualNameAt(1), "First");
}

// The walk over every record by number gives what the getters read: of a
// number stored twice the later copy, of a note key stored twice the lines
// its index entry leads to, and watched reads note the numbers asked for.
TEST_F(WorkFilesTest, RecordsByNumberAreWhatTheGettersRead) {
  store.PutIndividual(4, 1, Individual(4, "First"));
  store.PutIndividual(7, 2, Individual(7, "Seven"));
  store.PutIndividual(4, 3, Individual(4, "Second"));
  store.PutFamily(2, 1, Family(2, 7));
  store.PutIndividualNoteLine(9, 1, NoteLine{9, kNoteKindNote, "old"});
  store.PutIndividualNoteLine(8, 2, NoteLine{8, kNoteKindNote, "eight"});
  store.PutIndividualNoteLine(9, 3, NoteLine{9, kNoteKindNote, "new"});
  store.PutIndividualNoteLine(9, 4, NoteLine{9, kNoteKindCont, "more"});
  store.Flush();
  std::map<std::uint64_t, std::string> seen;
  store.VisitRecordsByNumber([&](RecordKind kind, std::int32_t number, std::string_view bytes) {
    EXPECT_TRUE(seen.emplace(RecordKey(kind, number), std::string(bytes)).second);
  });
  ASSERT_EQ(seen.size(), 5u);
  IndividualRecord second;
  Decode(reinterpret_cast<const unsigned char*>(seen[RecordKey(RecordKind::kIndividual, 4)].data()),
         second);
  EXPECT_EQ(second.name, "Second");
  EXPECT_EQ(seen.count(RecordKey(RecordKind::kIndividual, 7)), 1u);
  EXPECT_EQ(seen.count(RecordKey(RecordKind::kFamily, 2)), 1u);
  EXPECT_EQ(seen[RecordKey(RecordKind::kIndividualNote, 8)].size(), NoteLine::kSize);
  const std::string& nine = seen[RecordKey(RecordKind::kIndividualNote, 9)];
  ASSERT_EQ(nine.size(), 2 * NoteLine::kSize);
  NoteLine line;
  Decode(reinterpret_cast<const unsigned char*>(nine.data()), line);
  EXPECT_EQ(line.text, "new");

  RecordReads reads;
  store.WatchReads(&reads);
  EXPECT_EQ(store.IndividualName(7), "Seven");
  EXPECT_EQ(store.IndividualName(7), "Seven");  // noted once in a row
  EXPECT_EQ(store.FamilyHusband(2), 7);
  EXPECT_NE(store.IndividualNoteText(9, 2), nullptr);
  EXPECT_FALSE(reads.other);
  EXPECT_EQ(reads.keys, (std::vector<std::uint64_t>{RecordKey(RecordKind::kIndividual, 7),
                                                    RecordKey(RecordKind::kFamily, 2),
                                                    RecordKey(RecordKind::kIndividualNote, 9)}));
  EXPECT_EQ(store.IndividualNumberAt(1), 4);  // by slot: no number stands for it
  EXPECT_TRUE(reads.other);
  store.WatchReads(nullptr);
}

TEST_F(WorkFilesTest, LargeNumbersMakeASparseIndex) {
  store.PutIndividual(5000000, 1, Individual(5000000, "Far"));
  store.Flush();
  EXPECT_EQ(std::filesystem::file_size("indv.idx"), 4u * 5000000 + 4);
  EXPECT_EQ(store.IndividualName(5000000), "Far");
  EXPECT_EQ(store.IndividualNumber(4999999), 0);
}

// --- Data files --------------------------------------------------------------------

TEST_F(WorkFilesTest, RecordsLieAtTheirSlots) {
  store.PutSource(8, 2, SourceRecord{8, "Second slot"});
  store.PutSource(3, 1, SourceRecord{3, "First slot"});
  std::string expected(274 * 2, '\0');
  expected.replace(0, 4, IndexBytes({3}));
  expected.replace(4, 10, "First slot");
  expected.replace(274, 4, IndexBytes({8}));
  expected.replace(278, 11, "Second slot");
  EXPECT_EQ(FileBytes("src.dat"), expected);
}

TEST_F(WorkFilesTest, SlotsBeforeTheLastWrittenOneReadAsEmptyRecords) {
  store.PutPhoto(3, 3, PhotoRecord{3, 1, "c.jpg", "C"});
  PhotoRecord r{9, 9, "x", "x"};
  store.GetPhotoAt(2, r);
  EXPECT_EQ(r, PhotoRecord{});
  store.GetPhotoAt(3, r);
  EXPECT_EQ(r, (PhotoRecord{3, 1, "c.jpg", "C"}));
  store.GetPhotoAt(4, r);
  EXPECT_EQ(r, PhotoRecord{});
}

TEST_F(WorkFilesTest, ReadsOutsideAFileGiveNothing) {
  store.PutIndividual(1, 1, Individual(1, "Only"));
  store.PutFamily(1, 1, Family(1, 1));
  store.PutIndividualNoteLine(1, 1, NoteLine{1, kNoteKindNote, "n"});

  struct Case {
    const char* call;
    std::function<bool()> empty;
  };
  const std::vector<Case> cases = {
      {"IndividualNumberAt(0)", [&] { return store.IndividualNumberAt(0) == 0; }},
      {"IndividualNumberAt(-1)", [&] { return store.IndividualNumberAt(-1) == 0; }},
      {"IndividualNumberAt(2)", [&] { return store.IndividualNumberAt(2) == 0; }},
      {"IndividualNumberAt(max)", [&] { return store.IndividualNumberAt(2147483647) == 0; }},
      {"FamilyNumberAt(-7)", [&] { return store.FamilyNumberAt(-7) == 0; }},
      {"FamilyNumberAt(2)", [&] { return store.FamilyNumberAt(2) == 0; }},
      {"IndividualNameAt(0)", [&] { return store.IndividualNameAt(0).empty(); }},
      {"IndividualNameAt(2)", [&] { return store.IndividualNameAt(2).empty(); }},
      {"IndividualNumber(-1)", [&] { return store.IndividualNumber(-1) == 0; }},
      {"IndividualName(min)", [&] { return store.IndividualName(-2147483647 - 1).empty(); }},
      {"FamilyHusband(2147483647)", [&] { return store.FamilyHusband(2147483647) == 0; }},
      {"SourceTitle(1)", [&] { return store.SourceTitle(1).empty(); }},
      {"PhotoFile(-3)", [&] { return store.PhotoFile(-3).empty(); }},
      {"IndividualSpouseFamily(1, -1)", [&] { return store.IndividualSpouseFamily(1, -1) == 0; }},
      {"IndividualPhoto(1, 25)", [&] { return store.IndividualPhoto(1, 25) == 0; }},
      {"FamilyChild(1, 1000)", [&] { return store.FamilyChild(1, 1000) == 0; }},
      {"IndividualNoteText(1, 0)", [&] { return store.IndividualNoteText(1, 0) == nullptr; }},
      {"IndividualNoteText(1, -5)", [&] { return store.IndividualNoteText(1, -5) == nullptr; }},
      {"IndividualNoteText(1, max)",
       [&] { return store.IndividualNoteText(1, 2147483647) == nullptr; }},
      {"IndividualNoteText(-1, 1)", [&] { return store.IndividualNoteText(-1, 1) == nullptr; }},
      {"IndividualNoteKind(1, 2)", [&] { return store.IndividualNoteKind(1, 2) == 0; }},
      {"FamilyNoteText(1, 1)", [&] { return store.FamilyNoteText(1, 1) == nullptr; }},
  };
  for (const Case& c : cases) EXPECT_TRUE(c.empty()) << c.call;

  IndividualRecord r = Individual(5, "x");
  store.GetIndividualAt(0, r);
  EXPECT_EQ(r, IndividualRecord{});
  r = Individual(5, "x");
  store.GetIndividualAt(-2147483647 - 1, r);
  EXPECT_EQ(r, IndividualRecord{});
}

TEST_F(WorkFilesTest, WritesToInvalidSlotsAndNumbersAreIgnored) {
  store.PutIndividual(2, 0, Individual(2, "slot zero"));
  store.PutIndividual(3, -1, Individual(3, "negative slot"));
  store.PutFamily(5, -2147483647 - 1, Family(5, 1));
  store.PutIndividualNoteLine(4, 0, NoteLine{4, kNoteKindNote, "line zero"});
  for (const char* name : kWorkFileNames) EXPECT_EQ(FileBytes(name), "") << name;

  // A negative number still stores the record, reachable by its slot only.
  store.PutPhoto(-4, 1, PhotoRecord{-4, 1, "p.jpg", ""});
  EXPECT_EQ(FileBytes("photo.idx"), "");
  PhotoRecord r;
  store.GetPhotoAt(1, r);
  EXPECT_EQ(r.file, "p.jpg");
}

// Writes and reads in a random order on one file must agree with a plain
// in-memory model of the layout: the stream switches direction and
// position constantly.
TEST_F(WorkFilesTest, InterleavedWritesAndReadsAgreeWithAModel) {
  std::mt19937 random(20240611);
  std::map<std::int32_t, FamilyRecord> slots;
  std::map<std::int32_t, std::int32_t> index;
  auto pick = [&](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  for (int step = 0; step < 3000; ++step) {
    SCOPED_TRACE("step " + std::to_string(step));
    switch (pick(0, 3)) {
      case 0: {
        const std::int32_t number = pick(0, 40), slot = pick(1, 30);
        FamilyRecord record = Family(number, step);
        record.marriagePlace = "place " + std::to_string(step);
        store.PutFamily(number, slot, record);
        slots[slot] = record;
        index[number] = slot;
        break;
      }
      case 1: {
        const std::int32_t slot = pick(-1, 35);
        FamilyRecord got;
        store.GetFamilyAt(slot, got);
        const FamilyRecord want = slots.count(slot) ? slots[slot] : FamilyRecord{};
        ASSERT_EQ(got, want) << "slot " << slot;
        ASSERT_EQ(store.FamilyNumberAt(slot), want.number) << "slot " << slot;
        break;
      }
      default: {
        const std::int32_t number = pick(-1, 45);
        const std::int32_t slot = index.count(number) ? index[number] : 0;
        const FamilyRecord want = slots.count(slot) ? slots[slot] : FamilyRecord{};
        ASSERT_EQ(store.FamilyHusband(number), want.husband) << "number " << number;
        ASSERT_EQ(store.FamilyMarriagePlace(number), want.marriagePlace) << "number " << number;
        break;
      }
    }
  }
}

// --- Field getters and their caches ----------------------------------------------------

TEST_F(WorkFilesTest, EachGetterReturnsItsOwnField) {
  IndividualRecord person = Individual(6, "Eve /Stone/");
  person.birthDate = "3 MAR 1801";
  person.birthPlace = "Bath";
  person.deathDate = "4 APR 1870";
  person.deathPlace = "Wells";
  person.source = 61;
  person.birthSource = 62;
  person.deathSource = 63;
  person.note = 64;
  person.spouseFamilies = {71, 72};
  person.parentFamilies = {81};
  person.photos = {91, 92, 93};
  person.photos[24] = 99;
  store.PutIndividual(6, 1, person);
  EXPECT_EQ(store.IndividualNumber(6), 6);
  EXPECT_EQ(store.IndividualName(6), "Eve /Stone/");
  EXPECT_EQ(store.IndividualBirthDate(6), "3 MAR 1801");
  EXPECT_EQ(store.IndividualBirthPlace(6), "Bath");
  EXPECT_EQ(store.IndividualDeathDate(6), "4 APR 1870");
  EXPECT_EQ(store.IndividualDeathPlace(6), "Wells");
  EXPECT_EQ(store.IndividualSource(6), 61);
  EXPECT_EQ(store.IndividualBirthSource(6), 62);
  EXPECT_EQ(store.IndividualDeathSource(6), 63);
  EXPECT_EQ(store.IndividualNote(6), 64);
  EXPECT_EQ(store.IndividualSpouseFamily(6, 1), 72);
  EXPECT_EQ(store.IndividualSpouseFamily(6, 2), 0);
  EXPECT_EQ(store.IndividualParentFamily(6, 0), 81);
  EXPECT_EQ(store.IndividualPhoto(6, 2), 93);
  EXPECT_EQ(store.IndividualPhoto(6, 24), 99);

  FamilyRecord family = Family(2, 6);
  family.wife = 7;
  family.marriageDate = "1825";
  family.marriagePlace = "Frome";
  family.marriageSource = 21;
  family.note = 22;
  family.children = {8, 9};
  store.PutFamily(2, 1, family);
  EXPECT_EQ(store.FamilyNumber(2), 2);
  EXPECT_EQ(store.FamilyHusband(2), 6);
  EXPECT_EQ(store.FamilyWife(2), 7);
  EXPECT_EQ(store.FamilyMarriageDate(2), "1825");
  EXPECT_EQ(store.FamilyMarriagePlace(2), "Frome");
  EXPECT_EQ(store.FamilyMarriageSource(2), 21);
  EXPECT_EQ(store.FamilyNote(2), 22);
  EXPECT_EQ(store.FamilyChild(2, 1), 9);
  EXPECT_EQ(store.FamilyChild(2, 24), 0);

  store.PutSource(4, 1, SourceRecord{4, "Census 1841"});
  EXPECT_EQ(store.SourceTitle(4), "Census 1841");
  store.PutPhoto(1, 1, PhotoRecord{1, 6, "eve.jpg", "Eve"});
  EXPECT_EQ(store.PhotoFile(1), "eve.jpg");
  EXPECT_EQ(store.PhotoTitle(1), "Eve");
  EXPECT_EQ(store.PhotoOwner(1), 6);
}

using Getter = std::function<void(const WorkFiles&, std::int32_t)>;

// Primes every getter with number a, then asks one getter for number b:
// that getter reads the file, and every other getter still answers for a
// without reading.
void CheckGettersHaveOwnBuffers(const WorkFiles& store, const std::vector<Getter>& getters,
                                std::int32_t a, std::int32_t b) {
  for (std::size_t moved = 0; moved < getters.size(); ++moved) {
    SCOPED_TRACE("getter " + std::to_string(moved));
    for (const Getter& g : getters) g(store, a);
    long long reads = store.file_reads();
    for (const Getter& g : getters) g(store, a);
    EXPECT_EQ(store.file_reads(), reads) << "a repeated call read the file";
    getters[moved](store, b);
    EXPECT_GT(store.file_reads(), reads) << "another number came from the cache";
    reads = store.file_reads();
    for (std::size_t other = 0; other < getters.size(); ++other) {
      if (other == moved) continue;
      getters[other](store, a);
      EXPECT_EQ(store.file_reads(), reads) << "getter " << other << " lost its record";
    }
  }
}

TEST_F(WorkFilesTest, IndividualGettersHaveOwnBuffers) {
  store.PutIndividual(1, 1, Individual(1, "A"));
  store.PutIndividual(2, 2, Individual(2, "B"));
  CheckGettersHaveOwnBuffers(
      store,
      {
          [](const WorkFiles& s, std::int32_t n) { s.IndividualNumber(n); },
          [](const WorkFiles& s, std::int32_t n) { s.IndividualName(n); },
          [](const WorkFiles& s, std::int32_t n) { s.IndividualBirthDate(n); },
          [](const WorkFiles& s, std::int32_t n) { s.IndividualBirthPlace(n); },
          [](const WorkFiles& s, std::int32_t n) { s.IndividualDeathDate(n); },
          [](const WorkFiles& s, std::int32_t n) { s.IndividualDeathPlace(n); },
          [](const WorkFiles& s, std::int32_t n) { s.IndividualSource(n); },
          [](const WorkFiles& s, std::int32_t n) { s.IndividualBirthSource(n); },
          [](const WorkFiles& s, std::int32_t n) { s.IndividualDeathSource(n); },
          [](const WorkFiles& s, std::int32_t n) { s.IndividualNote(n); },
          [](const WorkFiles& s, std::int32_t n) { s.IndividualSpouseFamily(n, 0); },
          [](const WorkFiles& s, std::int32_t n) { s.IndividualParentFamily(n, 0); },
          [](const WorkFiles& s, std::int32_t n) { s.IndividualPhoto(n, 0); },
      },
      1, 2);
}

TEST_F(WorkFilesTest, FamilyAndPhotoGettersHaveOwnBuffers) {
  store.PutFamily(1, 1, Family(1, 10));
  store.PutFamily(2, 2, Family(2, 20));
  CheckGettersHaveOwnBuffers(
      store,
      {
          [](const WorkFiles& s, std::int32_t n) { s.FamilyNumber(n); },
          [](const WorkFiles& s, std::int32_t n) { s.FamilyHusband(n); },
          [](const WorkFiles& s, std::int32_t n) { s.FamilyWife(n); },
          [](const WorkFiles& s, std::int32_t n) { s.FamilyMarriageDate(n); },
          [](const WorkFiles& s, std::int32_t n) { s.FamilyMarriagePlace(n); },
          [](const WorkFiles& s, std::int32_t n) { s.FamilyMarriageSource(n); },
          [](const WorkFiles& s, std::int32_t n) { s.FamilyNote(n); },
          [](const WorkFiles& s, std::int32_t n) { s.FamilyChild(n, 0); },
      },
      1, 2);
  store.PutPhoto(1, 1, PhotoRecord{1, 5, "a.jpg", "A"});
  store.PutPhoto(2, 2, PhotoRecord{2, 5, "b.jpg", "B"});
  CheckGettersHaveOwnBuffers(store,
                             {
                                 [](const WorkFiles& s, std::int32_t n) { s.PhotoFile(n); },
                                 [](const WorkFiles& s, std::int32_t n) { s.PhotoTitle(n); },
                                 [](const WorkFiles& s, std::int32_t n) { s.PhotoOwner(n); },
                             },
                             1, 2);
}

TEST_F(WorkFilesTest, NameAtSlotReadsTheFileEveryTime) {
  store.PutIndividual(1, 1, Individual(1, "A"));
  store.IndividualNameAt(1);
  const long long reads = store.file_reads();
  EXPECT_EQ(store.IndividualNameAt(1), "A");
  EXPECT_GT(store.file_reads(), reads);
}

TEST_F(WorkFilesTest, APutIsSeenByGettersThatHeldTheOldRecord) {
  store.PutSource(1, 1, SourceRecord{1, "Old"});
  EXPECT_EQ(store.SourceTitle(1), "Old");
  store.PutSource(1, 1, SourceRecord{1, "New"});
  EXPECT_EQ(store.SourceTitle(1), "New");
  EXPECT_EQ(store.IndividualName(3), "");
  store.PutIndividual(3, 1, Individual(3, "Late"));
  EXPECT_EQ(store.IndividualName(3), "Late");
}

TEST(WorkFilesRunTest, ANewOpenEmptiesEveryCache) {
  ScratchDir dir;
  WorkFiles store;
  ASSERT_EQ(store.Open(), std::nullopt);
  store.PutIndividual(1, 1, Individual(1, "Old run"));
  store.PutFamily(1, 1, Family(1, 1));
  store.PutSource(1, 1, SourceRecord{1, "Old source"});
  store.PutPhoto(1, 1, PhotoRecord{1, 1, "old.jpg", "Old"});
  EXPECT_EQ(store.IndividualName(1), "Old run");
  EXPECT_EQ(store.FamilyHusband(1), 1);
  EXPECT_EQ(store.SourceTitle(1), "Old source");
  EXPECT_EQ(store.PhotoFile(1), "old.jpg");

  ASSERT_EQ(store.Open(), std::nullopt);
  EXPECT_EQ(store.IndividualName(1), "");
  EXPECT_EQ(store.FamilyHusband(1), 0);
  EXPECT_EQ(store.SourceTitle(1), "");
  EXPECT_EQ(store.PhotoFile(1), "");
  store.CloseAndDelete();
}

TEST(WorkFilesRunTest, FirstCallOfAGetterReadsAlsoForNumberZero) {
  ScratchDir dir;
  WorkFiles store;
  ASSERT_EQ(store.Open(), std::nullopt);
  store.PutIndividual(0, 1, Individual(0, "No digits"));
  EXPECT_EQ(store.IndividualName(0), "No digits");
  store.CloseAndDelete();
}

// --- Note lines ---------------------------------------------------------------------------

TEST_F(WorkFilesTest, NoteLinesAreFoundFromTheFirstLineOfTheirKey) {
  store.PutIndividualNoteLine(9, 1, NoteLine{9, kNoteKindRecordLine, "nine a"});
  store.PutIndividualNoteLine(9, 2, NoteLine{9, kNoteKindCont, "nine b"});
  store.PutIndividualNoteLine(5, 3, NoteLine{5, kNoteKindNote, "five a"});
  store.PutIndividualNoteLine(5, 4, NoteLine{5, kNoteKindConc, "five b"});
  store.PutIndividualNoteLine(5, 5, NoteLine{5, kNoteKindCont, "five c"});

  EXPECT_EQ(FileBytes("inote.idx"), IndexBytes({0, 0, 0, 0, 0, 3, 0, 0, 0, 1}));
  struct Case {
    std::int32_t key, line;
    const char* text;  // nullptr: no such line
    std::int32_t kind;
  };
  const Case cases[] = {
      {9, 1, "nine a", 0},  {9, 2, "nine b", 54}, {9, 3, nullptr, 0},
      {5, 1, "five a", 52}, {5, 2, "five b", 53}, {5, 3, "five c", 54},
      {5, 4, nullptr, 0},   {7, 1, nullptr, 0},   {0, 1, nullptr, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("key " + std::to_string(c.key) + " line " + std::to_string(c.line));
    const std::string* text = store.IndividualNoteText(c.key, c.line);
    if (c.text == nullptr) {
      EXPECT_EQ(text, nullptr);
    } else {
      ASSERT_NE(text, nullptr);
      EXPECT_EQ(*text, c.text);
    }
    EXPECT_EQ(store.IndividualNoteKind(c.key, c.line), c.kind);
  }
  EXPECT_TRUE(store.HasIndividualNote(9));
  EXPECT_TRUE(store.HasIndividualNote(5));
  EXPECT_FALSE(store.HasIndividualNote(6));
  EXPECT_FALSE(store.HasFamilyNote(5));
}

TEST_F(WorkFilesTest, TextAndKindGettersKeepTheirOwnLines) {
  store.PutFamilyNoteLine(2, 1, NoteLine{2, kNoteKindNote, "first"});
  store.PutFamilyNoteLine(2, 2, NoteLine{2, kNoteKindCont, "second"});
  const std::string* text = store.FamilyNoteText(2, 1);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(store.FamilyNoteKind(2, 2), kNoteKindCont);
  EXPECT_EQ(*text, "first");
}

TEST_F(WorkFilesTest, IndividualAndFamilyNoteWritersRememberTheirOwnKeys) {
  store.PutIndividualNoteLine(5, 1, NoteLine{5, kNoteKindNote, "person 1"});
  store.PutFamilyNoteLine(5, 1, NoteLine{5, kNoteKindNote, "family 1"});
  store.PutIndividualNoteLine(5, 2, NoteLine{5, kNoteKindCont, "person 2"});
  store.PutFamilyNoteLine(5, 2, NoteLine{5, kNoteKindCont, "family 2"});
  EXPECT_EQ(FileBytes("inote.idx"), IndexBytes({0, 0, 0, 0, 0, 1}));
  EXPECT_EQ(FileBytes("fnote.idx"), IndexBytes({0, 0, 0, 0, 0, 1}));
  ASSERT_NE(store.IndividualNoteText(5, 2), nullptr);
  EXPECT_EQ(*store.IndividualNoteText(5, 2), "person 2");
  ASSERT_NE(store.FamilyNoteText(5, 2), nullptr);
  EXPECT_EQ(*store.FamilyNoteText(5, 2), "family 2");
}

TEST(WorkFilesRunTest, FirstNoteLineOfARunAlwaysWritesItsIndexEntry) {
  ScratchDir dir;
  WorkFiles store;
  // Key 0 on a fresh object: the same key as "nothing written yet" would be.
  ASSERT_EQ(store.Open(), std::nullopt);
  store.PutIndividualNoteLine(0, 1, NoteLine{0, kNoteKindRecordLine, "zero"});
  store.Flush();
  EXPECT_EQ(ReadFile("inote.idx"), IndexBytes({1}));

  // The last key of the previous run is no reason to skip the entry.
  store.PutFamilyNoteLine(4, 1, NoteLine{4, kNoteKindNote, "old"});
  ASSERT_EQ(store.Open(), std::nullopt);
  store.PutFamilyNoteLine(4, 1, NoteLine{4, kNoteKindNote, "new"});
  ASSERT_NE(store.FamilyNoteText(4, 1), nullptr);
  EXPECT_EQ(*store.FamilyNoteText(4, 1), "new");
  store.CloseAndDelete();
}

// --- Swapping individuals ---------------------------------------------------------------------

TEST_F(WorkFilesTest, SwapMovesRecordsButKeepsTheRecordOfEachNumber) {
  store.PutIndividual(10, 1, Individual(10, "Ten"));
  store.PutIndividual(20, 2, Individual(20, "Twenty"));
  store.PutIndividual(30, 3, Individual(30, "Thirty"));
  EXPECT_EQ(store.IndividualName(10), "Ten");

  store.SwapIndividuals(1, 2);
  EXPECT_EQ(store.IndividualNameAt(1), "Twenty");
  EXPECT_EQ(store.IndividualNameAt(2), "Ten");
  EXPECT_EQ(store.IndividualNumberAt(1), 20);
  EXPECT_EQ(store.IndividualName(10), "Ten");
  EXPECT_EQ(store.IndividualName(20), "Twenty");
  IndividualRecord r;
  store.GetIndividual(10, r);
  EXPECT_EQ(r, Individual(10, "Ten"));

  std::string expected(4 * 31, '\0');
  expected.replace(40, 4, IndexBytes({2}));
  expected.replace(80, 4, IndexBytes({1}));
  expected.replace(120, 4, IndexBytes({3}));
  EXPECT_EQ(FileBytes("indv.idx"), expected);
}

TEST_F(WorkFilesTest, SwapKeepsTheIndexOnTheLaterCopyOfADuplicateNumber) {
  store.PutIndividual(4, 1, Individual(4, "Earlier"));
  store.PutIndividual(5, 2, Individual(5, "Other"));
  store.PutIndividual(4, 3, Individual(4, "Later"));

  store.SwapIndividuals(3, 1);  // both copies of 4 change places
  EXPECT_EQ(store.IndividualNameAt(1), "Later");
  EXPECT_EQ(store.IndividualName(4), "Later");
  store.SwapIndividuals(1, 2);  // only the copy the index points to moves
  EXPECT_EQ(store.IndividualNameAt(2), "Later");
  EXPECT_EQ(store.IndividualName(4), "Later");
  EXPECT_EQ(store.IndividualName(5), "Other");
  store.SwapIndividuals(2, 3);  // the earlier copy moves; the index stays
  EXPECT_EQ(store.IndividualNameAt(2), "Earlier");
  EXPECT_EQ(store.IndividualName(4), "Later");
  EXPECT_EQ(store.IndividualNameAt(3), "Later");
  // The earlier copy trades places with another number, in both roles.
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    store.SwapIndividuals(2, 1);
    EXPECT_EQ(store.IndividualName(4), "Later");
    EXPECT_EQ(store.IndividualName(5), "Other");
  }
  EXPECT_EQ(store.IndividualNameAt(1), "Other");
  EXPECT_EQ(store.IndividualNameAt(2), "Earlier");
}

TEST_F(WorkFilesTest, SwapWithASlotOutsideTheFileChangesNothing) {
  store.PutIndividual(1, 1, Individual(1, "A"));
  store.PutIndividual(2, 2, Individual(2, "B"));
  const std::string data = FileBytes("indv.dat");
  const std::string index = FileBytes("indv.idx");
  for (auto [a, b] : {std::pair{1, 3}, {0, 2}, {-1, 1}, {2, 2147483647}, {2, 2}}) {
    SCOPED_TRACE(std::to_string(a) + " " + std::to_string(b));
    store.SwapIndividuals(a, b);
    EXPECT_EQ(FileBytes("indv.dat"), data);
    EXPECT_EQ(FileBytes("indv.idx"), index);
  }
}

// --- Inline sources ----------------------------------------------------------------------------

class InlineSourceTest : public WorkFilesTest {
 protected:
  std::int32_t Add(const std::string& text) {
    return store.AddInlineSource(text, [this] { return next_number++; });
  }
  std::int32_t next_number = 1000;
};

TEST_F(InlineSourceTest, IdenticalTextsShareOneRecord) {
  EXPECT_EQ(Add("Family Bible"), 1000);
  EXPECT_EQ(Add("Family Bible"), 1000);
  EXPECT_EQ(store.counters.SourceCount, 1);
  EXPECT_EQ(next_number, 1001);
  EXPECT_EQ(FileBytes("src.dat").size(), 274u);
  EXPECT_EQ(store.SourceTitle(1000), "Family Bible");
}

TEST_F(InlineSourceTest, NewTextsTakeTheNextSlotUnderTheGivenNumber) {
  // Two source records read from the file come first.
  store.PutSource(1, 1, SourceRecord{1, "Census"});
  store.PutSource(2, 2, SourceRecord{2, "Will"});
  store.counters.SourceCount = 2;

  EXPECT_EQ(Add("Census"), 1000);  // equal to a record's title, still its own
  EXPECT_EQ(Add("family bible"), 1001);
  EXPECT_EQ(Add("Family Bible"), 1002);  // byte for byte: case counts
  EXPECT_EQ(Add("family bible"), 1001);
  EXPECT_EQ(store.counters.SourceCount, 5);

  SourceRecord r;
  store.GetSource(1001, r);
  EXPECT_EQ(r, (SourceRecord{1001, "family bible"}));
  const std::string data = FileBytes("src.dat");
  ASSERT_EQ(data.size(), 5 * 274u);
  EXPECT_EQ(data.substr(3 * 274, 4), IndexBytes({1001}));
  EXPECT_EQ(store.SourceTitle(1), "Census");
  EXPECT_EQ(store.SourceTitle(1000), "Census");
}

TEST_F(InlineSourceTest, AnOverwrittenRecordIsNotReused) {
  EXPECT_EQ(Add("Letter"), 1000);
  store.PutSource(1000, 7, SourceRecord{1000, "Something else"});
  EXPECT_EQ(Add("Letter"), 1001);
  EXPECT_EQ(store.SourceTitle(1001), "Letter");
}

TEST_F(InlineSourceTest, TextsAreComparedAsStored) {
  const std::string stored(kSourceTitleCapacity, 'x');
  EXPECT_EQ(Add(stored + "a"), 1000);
  EXPECT_EQ(Add(stored + "b"), 1000);
  EXPECT_EQ(store.SourceTitle(1000), stored);
  EXPECT_EQ(Add(""), 1001);
  EXPECT_EQ(Add(""), 1001);
}

TEST_F(InlineSourceTest, WithoutANumberSourceTheSlotIsTheNumber) {
  store.counters.SourceCount = 3;
  EXPECT_EQ(store.AddInlineSource("Diary", nullptr), 4);
  EXPECT_EQ(store.AddInlineSource("Diary", nullptr), 4);
  EXPECT_EQ(store.SourceTitle(4), "Diary");
}

TEST_F(InlineSourceTest, ANewOpenForgetsTheTexts) {
  EXPECT_EQ(Add("Letter"), 1000);
  store.counters = RunCounters{};
  ASSERT_EQ(store.Open(), std::nullopt);
  EXPECT_EQ(Add("Letter"), 1001);
  EXPECT_EQ(store.counters.SourceCount, 1);
}

}  // namespace
}  // namespace kinloom
