// How the reader copes with real files: line ends, blank and malformed
// lines, words in note text, files without a trailer, long lines, huge
// numbers, inline sources beside source records, and damaged input.
#include <string>

#include "gedcom/reader.h"
#include "gedcom/reader_fixture.h"

namespace kinloom::testing {
namespace {

class ReaderRobustnessTest : public ReaderTest {};

// One tree that touches every kind of record.
const std::string& SmallTree() {
  static const std::string tree = Gedcom({
      "0 HEAD",
      "1 CHAR ANSEL",
      "0 @I1@ INDI",
      "1 NAME Ren\xE2"
      "e /Lee/",
      "1 SEX F",
      "1 BIRT",
      "2 DATE 3 MAR 1850",
      "2 SOUR @S1@",
      "1 FAMS @F1@",
      "1 OBJE",
      "2 FILE photos/Rene.JPG",
      "2 TITL Ren\xE2"
      "e",
      "1 NOTE @N5@",
      "0 @I2@ INDI",
      "1 NAME Tom /Lee/",
      "1 FAMC @F1@",
      "0 @F1@ FAM",
      "1 WIFE @I1@",
      "1 CHIL @I2@",
      "1 NOTE Moved west",
      "2 CONC  in 1880",
      "0 @N5@ NOTE Kept a diary",
      "1 CONT for sixty years",
      "0 @S1@ SOUR",
      "1 TITL Town records",
      "0 TRLR",
  });
  return tree;
}

const char* const kSmallTreeDump =
    "indv.idx: 0 1 2\n"
    "fam.idx: 0 1\n"
    "src.idx: 0 1\n"
    "fnote.idx: 0 1 0 0 0 3\n"
    "photo.idx: 0 1\n"
    "indv 1: #1 \"Ren\\xE9 /Lee/\" sex \"F\" birth \"3 MAR 1850\" \"\" src 1 fams 1 note 5 "
    "photos 1\n"
    "indv 2: #2 \"Tom /Lee/\" sex \" \" famc 1\n"
    "fam 1: #1 wife 1 chil 2 note 1\n"
    "src 1: #1 \"Town records\"\n"
    "fnote 1: owner 1 kind 52 \"Moved west\"\n"
    "fnote 2: owner 1 kind 53 \" in 1880\"\n"
    "fnote 3: owner 5 kind 0 \"Kept a diary\"\n"
    "fnote 4: owner 5 kind 54 \"for sixty years\"\n"
    "photo 1: #1 owner 1 \"rene.jpg\" \"Ren\\xE9\"\n";

TEST_F(ReaderRobustnessTest, SmallTreeGivesItsRecords) {
  ASSERT_EQ(kResultOk, Read(SmallTree()));
  EXPECT_EQ(kSmallTreeDump, Dump());
}

TEST_F(ReaderRobustnessTest, EveryLineEndGivesTheSameRecords) {
  struct Case {
    const char* name;
    std::string line_end;
  };
  const Case cases[] = {{"LF", "\n"}, {"CR LF", "\r\n"}, {"CR", "\r"}};
  for (const Case& c : cases) {
    std::string bytes = SmallTree();
    std::string converted;
    for (char ch : bytes) {
      if (ch == '\n') {
        converted += c.line_end;
      } else {
        converted += ch;
      }
    }
    ScratchDir inner;
    kinloom::Run run;
    run.settings = run_.settings;
    WriteFile("tree.ged", converted);
    ASSERT_FALSE(run.store.Open());
    ASSERT_EQ(kResultOk, ReadGedcom(run)) << c.name;
    run.store.Flush();
    EXPECT_EQ(kSmallTreeDump, Dump()) << c.name;
  }
}

TEST_F(ReaderRobustnessTest, BlankAndMalformedLinesAreSkipped) {
  ASSERT_EQ(kResultOk, Read(Gedcom({
                           "0 @I1@ INDI",
                           "",
                           "   ",
                           ",, ,",
                           "1 BIRT",
                           "",
                           "  2 DATE 1900",
                           "x DATE 1901",
                           "10 DATE 1902",
                           "12",
                           "2",
                           "2 PL",
                           ", 2 PLAC Leeds",
                           "1 NAME Ann /Lee/",
                           "0 TRLR",
                       })));
  // Skipped lines do not end the birth; "2" and "2 PL" are read with tag
  // code 0 and leave it open too.
  EXPECT_EQ(
      "indv.idx: 0 1\n"
      "indv 1: #1 \"Ann /Lee/\" sex \" \" birth \"1900\" \"Leeds\"\n",
      Dump());
}

TEST_F(ReaderRobustnessTest, RecordKindComesFromTheTagWordOnly) {
  ASSERT_EQ(kResultOk, Read(Gedcom({
                           "0 @N1@ NOTE An INDI and a FAM met at SOUR creek",
                           "1 CONT then went NOTE-less",
                           "0 @I1@ INDI",
                           "1 NAME Ann /Lee/",
                           "0 @X1@ FAMILY",
                           "1 HUSB @I1@",
                           "0 @S1@ REPO",
                           "1 TITL Not a source",
                           "0 INDIVIDUAL",
                           "0 TRLR",
                       })));
  EXPECT_EQ(
      "indv.idx: 0 1\n"
      "fnote.idx: 0 1\n"
      "indv 1: #1 \"Ann /Lee/\" sex \" \"\n"
      "fnote 1: owner 1 kind 0 \"An INDI and a FAM met at SOUR creek\"\n"
      "fnote 2: owner 1 kind 54 \"then went NOTE-less\"\n",
      Dump());
  EXPECT_EQ(1, run_.store.counters.IndividualCount);
  EXPECT_EQ(0, run_.store.counters.FamilyCount);
  EXPECT_EQ(0, run_.store.counters.SourceCount);
}

TEST_F(ReaderRobustnessTest, EndOfFileStoresTheOpenRecordAndPhoto) {
  ASSERT_EQ(kResultOk, Read("0 @I1@ INDI\n1 NAME Ann /Lee/\n0 @I2@ INDI\n1 NAME Bo /Lee/\n"
                            "1 OBJE\n2 FILE b.jpg"));
  EXPECT_EQ(
      "indv.idx: 0 1 2\n"
      "photo.idx: 0 1\n"
      "indv 1: #1 \"Ann /Lee/\" sex \" \"\n"
      "indv 2: #2 \"Bo /Lee/\" sex \" \" photos 1\n"
      "photo 1: #1 owner 2 \"b.jpg\" \"\"\n",
      Dump());
}

TEST_F(ReaderRobustnessTest, EndOfFileStoresAnOpenFamily) {
  ASSERT_EQ(kResultOk, Read("0 @F3@ FAM\n1 HUSB @I1@\n"));
  EXPECT_EQ(
      "fam.idx: 0 0 0 1\n"
      "fam 1: #3 husb 1\n",
      Dump());
}

TEST_F(ReaderRobustnessTest, PhotoIsStoredWhateverEndsItsSubState) {
  ASSERT_EQ(kResultOk, Read(Gedcom({
                           "0 @I1@ INDI",
                           "1 OBJE",
                           "2 FILE a.jpg",
                           "2 NAME Ann /Lee/",
                           "1 BIRT",
                           "2 OBJE",
                           "3 FILE b.jpg",
                           "3 OBJE",
                           "4 FILE c.jpg",
                           "0 TRLR",
                       })));
  // NAME replaces the first photo's sub-state, and an OBJE inside an OBJE
  // replaces the second's; each is stored all the same.
  EXPECT_EQ(
      "indv.idx: 0 1\n"
      "photo.idx: 0 1 2 3\n"
      "indv 1: #1 \"Ann /Lee/\" sex \" \" photos 1 2 3\n"
      "photo 1: #1 owner 1 \"a.jpg\" \"\"\n"
      "photo 2: #2 owner 1 \"b.jpg\" \"\"\n"
      "photo 3: #3 owner 1 \"c.jpg\" \"\"\n",
      Dump());
}

TEST_F(ReaderRobustnessTest, LongNoteValuesAreSplitIntoSeveralLines) {
  const std::string a(269, 'a'), b(269, 'b'), c(12, 'c');
  const std::string d(269, 'd'), e(1, 'e');
  const std::string f(269, 'f'), g(100, 'g');
  ASSERT_EQ(kResultOk, Read(Gedcom({
                           "0 @I1@ INDI",
                           "1 NOTE " + a + b + c,
                           "2 CONT " + d + e,
                           "2 CONC " + d,
                           "0 @N2@ NOTE " + f + g,
                           "0 TRLR",
                       })));
  const std::string expected =
      "indv.idx: 0 1\n"
      "inote.idx: 0 1\n"
      "fnote.idx: 0 0 1\n"
      "indv 1: #1 \"\" sex \" \" note 1\n"
      "inote 1: owner 1 kind 52 " +
      Quoted(a) +
      "\n"
      "inote 2: owner 1 kind 53 " +
      Quoted(b) +
      "\n"
      "inote 3: owner 1 kind 53 " +
      Quoted(c) +
      "\n"
      "inote 4: owner 1 kind 54 " +
      Quoted(d) +
      "\n"
      "inote 5: owner 1 kind 53 " +
      Quoted(e) +
      "\n"
      "inote 6: owner 1 kind 53 " +
      Quoted(d) +
      "\n"
      "fnote 1: owner 2 kind 0 " +
      Quoted(f) +
      "\n"
      "fnote 2: owner 2 kind 53 " +
      Quoted(g) + "\n";
  EXPECT_EQ(expected, Dump());
  // No one points to the note record, so its lines are no one's notes.
  EXPECT_NE(std::string::npos,
            LogText().find("Ind Note lines Written=6\nFam Note lines Written=0\n"));
}

TEST_F(ReaderRobustnessTest, LongLinesAreReadWholeNotInPieces) {
  // Past column 269 the line holds what looks like a new record; read in
  // pieces it would begin a second individual.
  const std::string filler(262, 'x');
  ASSERT_EQ(kResultOk, Read(Gedcom({
                           "0 @I1@ INDI",
                           "1 NAME " + filler + "0 @I9@ INDI",
                           "1 BIRT",
                           "2 PLAC " + std::string(300, 'p'),
                           "2 DATE " + std::string(30, '1'),
                           "0 TRLR",
                       })));
  EXPECT_EQ(
      "indv.idx: 0 1\n"
      "indv 1: #1 " +
          Quoted(std::string(99, 'x')) + " sex \" \" birth " + Quoted(std::string(24, '1')) + " " +
          Quoted(std::string(80, 'p')) + "\n",
      Dump());
}

TEST_F(ReaderRobustnessTest, InlineSourcesAndSourceRecordsKeepTheirOwnTexts) {
  ASSERT_EQ(kResultOk, Read(Gedcom({
                           "0 @I1@ INDI",
                           "1 SOUR Family bible",
                           "1 BIRT",
                           "2 SOUR @S2@",
                           "1 DEAT",
                           "2 SOUR Family bible",
                           "0 @I2@ INDI",
                           "1 SOUR @S1@",
                           "1 BIRT",
                           "2 SOUR Letter",
                           "0 @S1@ SOUR",
                           "1 TITL Census 1851",
                           "0 @S2@ SOUR",
                           "1 TITL Parish register",
                           "0 TRLR",
                       })));
  // "Family bible" came first and took 1, so @S2@ keeps 2, @S1@ finding 1
  // taken gets 3, and "Letter" gets 4.
  EXPECT_EQ(
      "indv.idx: 0 1 2\n"
      "src.idx: 0 1 4 3 2\n"
      "indv 1: #1 \"\" sex \" \" src 1 birth \"\" \"\" src 2 death \"\" \"\" src 1\n"
      "indv 2: #2 \"\" sex \" \" src 3 birth \"\" \"\" src 4\n"
      "src 1: #1 \"Family bible\"\n"
      "src 2: #4 \"Letter\"\n"
      "src 3: #3 \"Census 1851\"\n"
      "src 4: #2 \"Parish register\"\n",
      Dump());
  EXPECT_EQ("Family bible", run_.store.SourceTitle(Individual(1).source));
  EXPECT_EQ("Parish register", run_.store.SourceTitle(Individual(1).birthSource));
  EXPECT_EQ("Census 1851", run_.store.SourceTitle(Individual(2).source));
  EXPECT_EQ("Letter", run_.store.SourceTitle(Individual(2).birthSource));
  EXPECT_NE(std::string::npos, LogText().find("Src recs Written=4\n"));
}

TEST_F(ReaderRobustnessTest, HugeCrossReferenceNumbersDoNotWrap) {
  ASSERT_EQ(kResultOk, Read(Gedcom({
                           "0 @I4294967297@ INDI",
                           "1 NAME Big /One/",
                           "1 FAMS @F99999999999999999999@",
                           "0 @F99999999999999999999@ FAM",
                           "1 HUSB @I4294967297@",
                           "0 TRLR",
                       })));
  // 4294967297 would wrap to 1 in 32 bits; it gets a number of its own.
  EXPECT_EQ(
      "indv.idx: 0 1\n"
      "fam.idx: 0 1\n"
      "indv 1: #1 \"Big /One/\" sex \" \" fams 1\n"
      "fam 1: #1 husb 1\n",
      Dump());
}

TEST_F(ReaderRobustnessTest, ContinuationLinesOutsideANoteOfTheRecordAreNotNoteText) {
  ASSERT_EQ(kResultOk, Read(Gedcom({
                           "0 @I1@ INDI",
                           "1 NOTE First person",
                           "0 @I2@ INDI",
                           "1 NAME Bo /Lee/",
                           "2 SOUR @S1@",
                           "3 PAGE Register page",
                           "4 CONC  that goes on",
                           "0 TRLR",
                       })));
  // The CONC under the second person's citation stays out of the first
  // person's note.
  EXPECT_EQ(
      "indv.idx: 0 1 2\n"
      "inote.idx: 0 1\n"
      "indv 1: #1 \"\" sex \" \" note 1\n"
      "indv 2: #2 \"Bo /Lee/\" sex \" \"\n"
      "inote 1: owner 1 kind 52 \"First person\"\n",
      Dump());
}

TEST_F(ReaderRobustnessTest, SexIsTheCharacterAfterTheTag) {
  ASSERT_EQ(kResultOk, Read(Gedcom({"0 @I1@ INDI", "1 SEX F", "0 @I2@ INDI", "1 SEX", "0 @I3@ INDI",
                                    "1 SEX M extra", "0 TRLR"})));
  EXPECT_EQ('F', Individual(1).sex);
  EXPECT_EQ(' ', Individual(2).sex);
  EXPECT_EQ('M', Individual(3).sex);
}

// Every prefix of a tree, and the tree with each byte replaced by a few
// troublesome values, reads without a crash and keeps its counts sane.
TEST_F(ReaderRobustnessTest, DamagedFilesAreReadSafely) {
  const std::string tree = SmallTree();
  const std::string swaps[] = {std::string(1, '\0'), "@", "\r", "9", "\xE2", " "};
  auto read_one = [this](const std::string& bytes) {
    ScratchDir inner;
    kinloom::Run run;
    run.settings = run_.settings;
    WriteFile("tree.ged", bytes);
    if (run.store.Open()) return false;
    const int result = ReadGedcom(run);
    const RunCounters& n = run.store.counters;
    return result == kResultOk && n.IndividualCount <= 3 && n.FamilyCount <= 2 &&
           n.PhotoCount <= 2 && n.SourceCount <= 3;
  };
  for (std::size_t length = 0; length <= tree.size(); length += 7) {
    EXPECT_TRUE(read_one(tree.substr(0, length))) << "prefix of " << length;
  }
  for (std::size_t at = 0; at < tree.size(); at += 5) {
    for (const std::string& swap : swaps) {
      std::string bytes = tree;
      bytes.replace(at, 1, swap);
      EXPECT_TRUE(read_one(bytes)) << "byte " << at << " := " << Quoted(swap);
    }
  }
}

}  // namespace
}  // namespace kinloom::testing
