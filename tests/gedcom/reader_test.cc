// The reader's column rules, sub-states, notes, sources and statistics on
// small trees, each checked against the whole dump of the work files.
#include "gedcom/reader.h"

#include <string>

#include "gedcom/reader_fixture.h"

namespace kinloom::testing {
namespace {

class ReadGedcomTest : public ReaderTest {};

TEST_F(ReadGedcomTest, WorkedExampleGivesRecordsNotesCountsAndLog) {
  run_.settings.pedigreeall = 'N';
  ASSERT_EQ(kResultOk, Read(Gedcom({
                           "0 HEAD",
                           "1 CHAR ANSEL",
                           "0 @I1@ INDI",
                           "1 NAME John /Smith/",
                           "1 SEX M",
                           "1 BIRT",
                           "2 DATE 1 JAN 1900",
                           "2 PLAC Boston",
                           "1 FAMS @F1@",
                           "1 NOTE Farmer",
                           "2 CONT and miller",
                           "0 @F1@ FAM",
                           "1 HUSB @I1@",
                           "1 MARR",
                           "2 DATE 1920",
                           "0 TRLR",
                       })));
  EXPECT_EQ(
      "indv.idx: 0 1\n"
      "fam.idx: 0 1\n"
      "inote.idx: 0 1\n"
      "indv 1: #1 \"John /Smith/\" sex \"M\" birth \"1 JAN 1900\" \"Boston\" fams 1 note 1\n"
      "fam 1: #1 husb 1 marr \"1920\"\n"
      "inote 1: owner 1 kind 52 \"Farmer\"\n"
      "inote 2: owner 1 kind 54 \"and miller\"\n",
      Dump());
  EXPECT_EQ(
      ">ReadGedcom\n"
      "=================================================\n"
      "Ind recs Written=1\n"
      "Fam recs Written=1\n"
      "Ind Note lines Written=2\n"
      "Fam Note lines Written=0\n"
      "Note recs Written=1\n"
      "Src recs Written=0\n"
      "Photo recs Written=0\n"
      "Estimated Files=5\n"
      "=================================================\n"
      "<ReadGedcom\n",
      LogText());
  EXPECT_EQ(1, run_.store.counters.IndividualCount);
  EXPECT_EQ(1, run_.store.counters.FamilyCount);
}

TEST_F(ReadGedcomTest, EstimateAddsNotesPhotosPedigreesAndNamesPages) {
  // 1200 individuals, each with an inline note and a photo, and 2 families:
  // 2 + 1200 notes + 1200 photos + 1200 pedigrees + 1200 / 1000 + 3.
  std::string file = "0 HEAD\n";
  for (int i = 1; i <= 1200; ++i) {
    file += "0 @I" + std::to_string(i) + "@ INDI\n1 NOTE n\n1 OBJE\n2 FILE p.jpg\n";
  }
  file += "0 @F1@ FAM\n0 @F2@ FAM\n0 TRLR\n";
  run_.settings.pedigreeall = 'Y';
  ASSERT_EQ(kResultOk, Read(file));
  EXPECT_NE(std::string::npos, LogText().find("Estimated Files=3606\n")) << LogText();
}

TEST_F(ReadGedcomTest, EstimateLeavesOutWhatIsSwitchedOff) {
  run_.settings.notes = 'N';
  run_.settings.photos = 'N';
  run_.settings.pedigreeall = 'N';
  ASSERT_EQ(
      kResultOk,
      Read(Gedcom({"0 @I1@ INDI", "1 OBJE", "0 @N1@ NOTE text here", "0 @F1@ FAM", "0 TRLR"})));
  const std::string log = LogText();
  EXPECT_NE(std::string::npos, log.find("Photo recs Written=1\nEstimated Files=4\n")) << log;
}

TEST_F(ReadGedcomTest, NameWithoutTwoSlashesGetsAnEmptySurname) {
  struct Case {
    std::string line;
    std::string name;
  };
  const std::string ninety_nine(99, 'x');
  const Case cases[] = {
      {"1 NAME John", "John / /"},
      {"1 NAME John /Smith/", "John /Smith/"},
      {"1 NAME John /Smith", "John /Smith / /"},
      {"1 NAME /Smith/ Jr.", "/Smith/ Jr."},
      {"1 NAME", " / /"},
      {"1 NAME " + ninety_nine + "yz", ninety_nine},
      {"1 NAME " + std::string(97, 'a') + "/b/c", std::string(97, 'a') + "/b"},
  };
  for (const Case& c : cases) {
    ScratchDir inner;
    kinloom::Run run;
    run.settings.gedfile = "tree.ged";
    WriteFile("tree.ged", Gedcom({"0 @I1@ INDI", c.line, "1 NAME Second /Name/", "0 TRLR"}));
    ASSERT_FALSE(run.store.Open());
    ASSERT_EQ(kResultOk, ReadGedcom(run));
    EXPECT_EQ(c.name, run.store.IndividualName(1)) << c.line;
  }
}

TEST_F(ReadGedcomTest, BirthDateAndPlaceOnlyOneLevelUnderBirth) {
  ASSERT_EQ(kResultOk, Read(Gedcom({
                           "0 @I1@ INDI",
                           "1 BIRT",
                           "2 SOUR Parish book",
                           "3 DATE 1 MAY 1801",
                           "2 DATE 2 MAY 1801",
                           "2 ADDR",
                           "3 PLAC Deep Place",
                           "1 DEAT",
                           "2 PLAC Boston",
                           "2 SOUR @S4@",
                           "2 DATE 1870",
                           "0 @S4@ SOUR",
                           "1 TITL Death book",
                           "0 TRLR",
                       })));
  // The inline SOUR leaves the birth open, so the level-2 DATE counts; the
  // SOUR pointer ends the death, so the DATE after it does not.
  EXPECT_EQ(
      "indv.idx: 0 1\n"
      "src.idx: 0 1 0 0 2\n"
      "indv 1: #1 \"\" sex \" \" birth \"2 MAY 1801\" \"\" src 1 death \"\" \"Boston\" src 4\n"
      "src 1: #1 \"Parish book\"\n"
      "src 2: #4 \"Death book\"\n",
      Dump());
}

TEST_F(ReadGedcomTest, MarriagePlaceAtAnyDepthMarriageDateOnlyOneLevelDown) {
  ASSERT_EQ(kResultOk, Read(Gedcom({
                           "0 @F2@ FAM",
                           "1 MARR",
                           "2 ADDR",
                           "3 PLAC Chapel Hill",
                           "3 DATE 1 JUN 1900",
                           "2 SOUR Banns",
                           "1 CHIL @I1@",
                           "1 WIFE @I7@",
                           "2 HUSB @I8@",
                           "0 TRLR",
                       })));
  EXPECT_EQ(
      "fam.idx: 0 0 1\n"
      "src.idx: 0 1\n"
      "fam 1: #2 wife 7 marr \"\" \"Chapel Hill\" src 1 chil 1\n"
      "src 1: #1 \"Banns\"\n",
      Dump());
}

TEST_F(ReadGedcomTest, InlineNotesOfOneOwnerMakeOneNote) {
  ASSERT_EQ(kResultOk, Read(Gedcom({
                           "0 @I3@ INDI",
                           "1 NOTE First",
                           "1 NOTE Second",
                           "2 CONT third",
                           "2 CONC  fourth",
                           "0 @F4@ FAM",
                           "1 NOTE Family",
                           "2 CONC text",
                           "0 TRLR",
                       })));
  EXPECT_EQ(
      "indv.idx: 0 0 0 1\n"
      "fam.idx: 0 0 0 0 1\n"
      "inote.idx: 0 0 0 1\n"
      "fnote.idx: 0 0 0 0 1\n"
      "indv 1: #3 \"\" sex \" \" note 3\n"
      "fam 1: #4 note 4\n"
      "inote 1: owner 3 kind 52 \"First\"\n"
      "inote 2: owner 3 kind 52 \"Second\"\n"
      "inote 3: owner 3 kind 54 \"third\"\n"
      "inote 4: owner 3 kind 53 \" fourth\"\n"
      "fnote 1: owner 4 kind 52 \"Family\"\n"
      "fnote 2: owner 4 kind 53 \"text\"\n",
      Dump());
  EXPECT_NE(std::string::npos, LogText().find("Note recs Written=2\n"));
}

TEST_F(ReadGedcomTest, NoteRecordGoesToIndividualOrFamilyNotesByItsIdentifier) {
  ASSERT_EQ(kResultOk, Read(Gedcom({
                           "0 @NI7@ NOTE Born at sea",
                           "1 CONT on the way",
                           "0 @N8@ NOTE Married twice",
                           "0 @T9@ NOTE T",
                           "1 CONT z",
                           "0 @N5@ NOTE x",
                           "1 CONC y",
                           "0 TRLR",
                       })));
  // A text of one character on the record's own line is not taken.
  EXPECT_EQ(
      "inote.idx: 0 0 0 0 0 0 0 1 0 3\n"
      "fnote.idx: 0 0 0 0 0 2 0 0 1\n"
      "inote 1: owner 7 kind 0 \"Born at sea\"\n"
      "inote 2: owner 7 kind 54 \"on the way\"\n"
      "inote 3: owner 9 kind 54 \"z\"\n"
      "fnote 1: owner 8 kind 0 \"Married twice\"\n"
      "fnote 2: owner 5 kind 53 \"y\"\n",
      Dump());
}

TEST_F(ReadGedcomTest, WithNotesOffOnlyNoteRecordFirstLinesAreWritten) {
  run_.settings.notes = 'N';
  ASSERT_EQ(kResultOk, Read(Gedcom({
                           "0 @I1@ INDI",
                           "1 NOTE Inline",
                           "2 CONT more",
                           "1 NOTE @N2@",
                           "0 @N2@ NOTE Record text",
                           "1 CONT continued",
                           "0 TRLR",
                       })));
  EXPECT_EQ(
      "indv.idx: 0 1\n"
      "fnote.idx: 0 0 1\n"
      "indv 1: #1 \"\" sex \" \"\n"
      "fnote 1: owner 2 kind 0 \"Record text\"\n",
      Dump());
}

TEST_F(ReadGedcomTest, WithSourcesOffSourceRecordsAreNotStoredButInlineTextsAre) {
  run_.settings.sources = 'N';
  ASSERT_EQ(kResultOk, Read(Gedcom({
                           "0 @I1@ INDI",
                           "1 SOUR @S1@",
                           "1 BIRT",
                           "2 SOUR Family bible",
                           "0 @S1@ SOUR",
                           "1 TITL Census",
                           "0 TRLR",
                       })));
  // The inline text takes the number after the pointer's 1.
  EXPECT_EQ(
      "indv.idx: 0 1\n"
      "src.idx: 0 0 1\n"
      "indv 1: #1 \"\" sex \" \" src 1 birth \"\" \"\" src 2\n"
      "src 1: #2 \"Family bible\"\n",
      Dump());
}

TEST_F(ReadGedcomTest, SourceRecordTakesItsFirstTitleOrAbbreviation) {
  ASSERT_EQ(kResultOk, Read(Gedcom({
                           "0 @S1@ SOUR",
                           "1 AUTH Someone",
                           "1 ABBR Short",
                           "1 TITL Long title",
                           "0 @S2@ SOUR",
                           "2 TITL Deep title",
                           "0 @S3@ SOUR",
                           "1 PUBL No title at all",
                           "0 TRLR",
                       })));
  EXPECT_EQ(
      "src.idx: 0 1 2\n"
      "src 1: #1 \"Short\"\n"
      "src 2: #2 \"Deep title\"\n",
      Dump());
  EXPECT_NE(std::string::npos, LogText().find("Src recs Written=2\n"));
}

TEST_F(ReadGedcomTest, ListsKeepTwentyFiveEntriesButEveryPhotoIsStored) {
  std::string file = "0 @I1@ INDI\n";
  for (int f = 1; f <= 26; ++f) file += "1 FAMS @F" + std::to_string(f) + "@\n";
  for (int p = 1; p <= 26; ++p) file += "1 OBJE\n2 FILE p" + std::to_string(p) + ".jpg\n";
  file += "0 TRLR\n";
  ASSERT_EQ(kResultOk, Read(file));
  const IndividualRecord person = Individual(1);
  EXPECT_EQ(25, person.spouseFamilies[24]);
  EXPECT_EQ(25, person.photos[24]);
  EXPECT_EQ(26, run_.store.counters.PhotoCount);
  EXPECT_EQ("p26.jpg", run_.store.PhotoFile(26));
  EXPECT_EQ(1, run_.store.PhotoOwner(26));
}

TEST_F(ReadGedcomTest, CharacterSetAppliesFromTheLineAfterItsDeclaration) {
  struct Case {
    const char* charset;
    std::string raw;
    std::string name;
  };
  const Case cases[] = {
      {"ANSEL",
       "\xE2"
       "e",
       "\xE9"},
      {"IBMPC", "\x82", "\xE9"},
      {"ASCII",
       "\xE2"
       "e",
       "\xE2"
       "e"},
  };
  for (const Case& c : cases) {
    ScratchDir inner;
    kinloom::Run run;
    run.settings.gedfile = "tree.ged";
    WriteFile("tree.ged", "0 HEAD\n1 CHAR " + std::string(c.charset) + "\n0 @I1@ INDI\n1 NAME Ren" +
                              c.raw + " /X/\n0 TRLR\n");
    ASSERT_FALSE(run.store.Open());
    ASSERT_EQ(kResultOk, ReadGedcom(run));
    EXPECT_EQ(Quoted("Ren" + c.name + " /X/"), Quoted(run.store.IndividualName(1))) << c.charset;
  }
}

TEST_F(ReadGedcomTest, SpelledOutTagNamesStopTheReadWithTwo) {
  ASSERT_EQ(kResultLongTags, Read(Gedcom({
                                 "0 @I1@ INDI",
                                 "1 NAME Ann /Lee/",
                                 "0 @I2@ INDI",
                                 "1 FAMILY_SPOUSE @F1@",
                                 "0 @I3@ INDI",
                                 "0 TRLR",
                             })));
  // What was stored before stays; the open record and the statistics do not.
  EXPECT_EQ(
      "indv.idx: 0 1\n"
      "indv 1: #1 \"Ann /Lee/\" sex \" \"\n",
      Dump());
  EXPECT_EQ(">ReadGedcom\n", LogText());
}

TEST_F(ReadGedcomTest, SpelledOutTagInNoteTextAlsoStopsTheRead) {
  EXPECT_EQ(kResultLongTags,
            Read(Gedcom({"0 @I1@ INDI", "1 NOTE see FAMILY_CHILD records", "0 TRLR"})));
}

TEST_F(ReadGedcomTest, MissingFileGivesOneAndLogsOnlyTheEntry) {
  run_.settings.gedfile = "no-such-file.ged";
  ASSERT_FALSE(run_.store.Open());
  EXPECT_EQ(kResultGedcomNotOpened, ReadGedcom(run_));
  EXPECT_EQ(">ReadGedcom\n", LogText());
  EXPECT_EQ("", Dump());
}

TEST_F(ReadGedcomTest, CountersStartFromZeroInEveryRun) {
  run_.store.counters = RunCounters{7, 7, 7, 7};
  ASSERT_EQ(kResultOk, Read(Gedcom({"0 @I1@ INDI", "0 TRLR"})));
  EXPECT_EQ(1, run_.store.counters.IndividualCount);
  EXPECT_EQ(0, run_.store.counters.FamilyCount);
  EXPECT_EQ(0, run_.store.counters.SourceCount);
  EXPECT_EQ(0, run_.store.counters.PhotoCount);
}

TEST_F(ReadGedcomTest, IdenticalInlineSourcesShareOneRecord) {
  ASSERT_EQ(kResultOk, Read(Gedcom({
                           "0 @I1@ INDI",
                           "1 SOUR Parish register",
                           "1 BIRT",
                           "2 SOUR Parish register",
                           "1 DEAT",
                           "2 SOUR Other text",
                           "0 TRLR",
                       })));
  EXPECT_EQ(
      "indv.idx: 0 1\n"
      "src.idx: 0 1 2\n"
      "indv 1: #1 \"\" sex \" \" src 1 birth \"\" \"\" src 1 death \"\" \"\" src 2\n"
      "src 1: #1 \"Parish register\"\n"
      "src 2: #2 \"Other text\"\n",
      Dump());
  EXPECT_NE(std::string::npos, LogText().find("Src recs Written=2\n"));
}

TEST_F(ReadGedcomTest, PhotoTakesFileWithoutDirectoryInSmallLettersAndTitle) {
  ASSERT_EQ(kResultOk, Read(Gedcom({
                           "0 @I2@ INDI",
                           "1 OBJE",
                           "2 FORM jpeg",
                           "2 FILE C:\\Photos/Family\\GRAND\xC0.JPG",
                           "2 TITL Grandmother at the mill",
                           "1 NOTE after the photo",
                           "0 TRLR",
                       })));
  EXPECT_EQ(
      "indv.idx: 0 0 1\n"
      "inote.idx: 0 0 1\n"
      "photo.idx: 0 1\n"
      "indv 1: #2 \"\" sex \" \" note 2 photos 1\n"
      "inote 1: owner 2 kind 52 \"after the photo\"\n"
      "photo 1: #1 owner 2 \"grand\\xE0.jpg\" \"Grandmother at the mill\"\n",
      Dump());
}

TEST_F(ReadGedcomTest, NoteInsidePhotoObjectIsNotANote) {
  ASSERT_EQ(kResultOk, Read(Gedcom({
                           "0 @I1@ INDI",
                           "1 OBJE",
                           "2 NOTE about the picture",
                           "2 FILE a.jpg",
                           "0 TRLR",
                       })));
  EXPECT_EQ(
      "indv.idx: 0 1\n"
      "photo.idx: 0 1\n"
      "indv 1: #1 \"\" sex \" \" photos 1\n"
      "photo 1: #1 owner 1 \"a.jpg\" \"\"\n",
      Dump());
}

// The note-line counters count the lines of the notes that individuals and
// families have: their own, and those of the note records they point to,
// each record once per side whoever else points to it and wherever its
// lines are stored. A note record no one points to is no one's note.
TEST_F(ReadGedcomTest, NoteLineCountersFollowThePointersToNoteRecords) {
  ASSERT_EQ(kResultOk, Read(Gedcom({
                           "0 @I1@ INDI",
                           "1 NOTE @N1@",
                           "0 @N1@ NOTE Farmer",
                           "1 CONT and miller",
                           "1 CONC , later mayor",
                           "0 @I2@ INDI",
                           "1 NOTE @N1@",
                           "0 @I3@ INDI",
                           "1 NOTE Came from Leeds",
                           "2 CONT in 1850",
                           "0 @F1@ FAM",
                           "1 NOTE @NI2@",
                           "0 @F2@ FAM",
                           "1 NOTE Wed in June",
                           "0 @NI2@ NOTE Two children",
                           "1 CONT died young",
                           "0 @N3@ NOTE Nobody's",
                           "1 CONT note",
                           "0 TRLR",
                       })));
  const std::string log = LogText();
  EXPECT_NE(std::string::npos, log.find("Ind Note lines Written=5\n"
                                        "Fam Note lines Written=3\n"
                                        "Note recs Written=5\n"))
      << log;
}

// A file whose individuals' notes are all note records shared with their
// families counts them on both sides.
TEST_F(ReadGedcomTest, NoteRecordSharedByBothSidesCountsForEach) {
  ASSERT_EQ(kResultOk, Read(Gedcom({
                           "0 @I1@ INDI",
                           "1 NOTE @N1@",
                           "0 @F1@ FAM",
                           "1 NOTE @N1@",
                           "0 @N1@ NOTE One",
                           "1 CONT two",
                           "0 TRLR",
                       })));
  EXPECT_NE(std::string::npos,
            LogText().find("Ind Note lines Written=2\nFam Note lines Written=2\n"))
      << LogText();
}

}  // namespace
}  // namespace kinloom::testing
