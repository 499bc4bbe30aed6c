// Record numbers from cross-reference identifiers as real exporters write
// them, shared note records, GEDCOM 7 shared notes and multimedia records.
#include <string>

#include "gedcom/reader.h"
#include "gedcom/reader_fixture.h"

namespace kinloom::testing {
namespace {

class ReaderXrefsTest : public ReaderTest {};

TEST_F(ReaderXrefsTest, CleanNumbersStayAlsoWithForwardPointers) {
  ASSERT_EQ(kResultOk, Read(Gedcom({
                           "0 @F20@ FAM",
                           "1 HUSB @I12@",
                           "1 WIFE @I7@",
                           "1 CHIL @I3@",
                           "0 @I3@ INDI",
                           "1 FAMC @F20@",
                           "0 @I12@ INDI",
                           "1 FAMS @F20@",
                           "0 @I7@ INDI",
                           "1 FAMS @F20@",
                           "0 TRLR",
                       })));
  EXPECT_EQ(
      "indv.idx: 0 0 0 1 0 0 0 3 0 0 0 0 2\n"
      "fam.idx: 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 1\n"
      "indv 1: #3 \"\" sex \" \" famc 20\n"
      "indv 2: #12 \"\" sex \" \" fams 20\n"
      "indv 3: #7 \"\" sex \" \" fams 20\n"
      "fam 1: #20 husb 12 wife 7 chil 3\n",
      Dump());
}

TEST_F(ReaderXrefsTest, ZeroBasedIdentifiersGetNumbersOfTheirOwn) {
  ASSERT_EQ(kResultOk, Read(Gedcom({
                           "0 @I0000@ INDI",
                           "1 NAME Ann /Lee/",
                           "1 FAMS @F0@",
                           "0 @I0001@ INDI",
                           "1 NAME Bo /Lee/",
                           "1 FAMC @F0@",
                           "0 @F0@ FAM",
                           "1 WIFE @I0000@",
                           "1 CHIL @I0001@",
                           "0 TRLR",
                       })));
  // @I0000@ comes first and takes 1, so @I0001@ finds 1 taken and gets 2.
  EXPECT_EQ(
      "indv.idx: 0 1 2\n"
      "fam.idx: 0 1\n"
      "indv 1: #1 \"Ann /Lee/\" sex \" \" fams 1\n"
      "indv 2: #2 \"Bo /Lee/\" sex \" \" famc 1\n"
      "fam 1: #1 wife 1 chil 2\n",
      Dump());
  EXPECT_EQ(kResultOk, IsValidGedcom(run_));
}

TEST_F(ReaderXrefsTest, HugeAndDigitlessIdentifiersGetDistinctNumbers) {
  ASSERT_EQ(kResultOk, Read(Gedcom({
                           "0 @I102345678901@ INDI",
                           "1 NAME Huge /One/",
                           "1 FAMS @FATHER_FAMILY@",
                           "0 @I102345678902@ INDI",
                           "1 NAME Huge /Two/",
                           "1 FAMS @FATHER_FAMILY@",
                           "0 @Homer_Simpson@ INDI",
                           "1 NAME Homer /Simpson/",
                           "1 FAMC @FATHER_FAMILY@",
                           "0 @FATHER_FAMILY@ FAM",
                           "1 HUSB @I102345678901@",
                           "1 WIFE @I102345678902@",
                           "1 CHIL @Homer_Simpson@",
                           "0 TRLR",
                       })));
  EXPECT_EQ(
      "indv.idx: 0 1 2 3\n"
      "fam.idx: 0 1\n"
      "indv 1: #1 \"Huge /One/\" sex \" \" fams 1\n"
      "indv 2: #2 \"Huge /Two/\" sex \" \" fams 1\n"
      "indv 3: #3 \"Homer /Simpson/\" sex \" \" famc 1\n"
      "fam 1: #1 husb 1 wife 2 chil 3\n",
      Dump());
}

TEST_F(ReaderXrefsTest, ClashingDigitsDoNotMergeRecords) {
  ASSERT_EQ(kResultOk, Read(Gedcom({
                           "0 @I1@ INDI",
                           "1 FAMS @F1@",
                           "1 FAMS @FAMILY1@",
                           "0 @F1@ FAM",
                           "1 HUSB @I1@",
                           "1 MARR",
                           "2 DATE 1900",
                           "0 @FAMILY1@ FAM",
                           "1 HUSB @I1@",
                           "1 MARR",
                           "2 DATE 1920",
                           "0 TRLR",
                       })));
  EXPECT_EQ(
      "indv.idx: 0 1\n"
      "fam.idx: 0 1 2\n"
      "indv 1: #1 \"\" sex \" \" fams 1 2\n"
      "fam 1: #1 husb 1 marr \"1900\"\n"
      "fam 2: #2 husb 1 marr \"1920\"\n",
      Dump());
}

TEST_F(ReaderXrefsTest, KindsNumberSeparatelyAndPointersTakeTheKindOfTheirTag) {
  ASSERT_EQ(kResultOk, Read(Gedcom({
                           "0 @X5@ INDI",
                           "1 FAMS @X5@",
                           "1 SOUR @X5@",
                           "1 NOTE @X5@",
                           "0 @X5@ FAM",
                           "1 HUSB @X5@",
                           "0 @Y5@ INDI",
                           "0 TRLR",
                       })));
  // The same identifier names an individual, a family, a source and a note
  // without a clash; @Y5@ clashes with the individual @X5@ only.
  EXPECT_EQ(
      "indv.idx: 0 0 0 0 0 1 2\n"
      "fam.idx: 0 0 0 0 0 1\n"
      "indv 1: #5 \"\" sex \" \" src 5 fams 5 note 5\n"
      "indv 2: #6 \"\" sex \" \"\n"
      "fam 1: #5 husb 5\n",
      Dump());
}

TEST_F(ReaderXrefsTest, RecordsWithoutCrossReferenceStillGetANumber) {
  ASSERT_EQ(kResultOk, Read(Gedcom({
                           "0 @I1@ INDI",
                           "0 INDI",
                           "1 NAME No /Ref/",
                           "0 @@ INDI",
                           "1 NAME Empty /Ref/",
                           "0 TRLR",
                       })));
  EXPECT_EQ(
      "indv.idx: 0 1 2 3\n"
      "indv 1: #1 \"\" sex \" \"\n"
      "indv 2: #2 \"No /Ref/\" sex \" \"\n"
      "indv 3: #3 \"Empty /Ref/\" sex \" \"\n",
      Dump());
}

TEST_F(ReaderXrefsTest, VoidPointersNameNothing) {
  ASSERT_EQ(kResultOk, Read(Gedcom({
                           "0 @F1@ FAM",
                           "1 HUSB @VOID@",
                           "1 WIFE @I2@",
                           "1 CHIL @VOID@",
                           "1 NOTE @VOID@",
                           "0 @I2@ INDI",
                           "1 FAMS @F1@",
                           "1 FAMC @VOID@",
                           "0 TRLR",
                       })));
  EXPECT_EQ(
      "indv.idx: 0 0 1\n"
      "fam.idx: 0 1\n"
      "indv 1: #2 \"\" sex \" \" fams 1\n"
      "fam 1: #1 wife 2\n",
      Dump());
  EXPECT_EQ(kResultOk, IsValidGedcom(run_));
}

TEST_F(ReaderXrefsTest, NoteRecordsArePointedToFromIndividualsAndFamilies) {
  ASSERT_EQ(kResultOk, Read(Gedcom({
                           "0 @I4@ INDI",
                           "1 NOTE @N7@",
                           "0 @F2@ FAM",
                           "1 NOTE @N7@",
                           "0 @I5@ INDI",
                           "1 NOTE @NI8@",
                           "0 @N7@ NOTE Shared text",
                           "1 CONT second line",
                           "0 @NI8@ NOTE Own text",
                           "0 TRLR",
                       })));
  // Both owners carry the note record's number; the record's lines go to
  // the notes file its identifier chooses.
  EXPECT_EQ(
      "indv.idx: 0 0 0 0 1 2\n"
      "fam.idx: 0 0 1\n"
      "inote.idx: 0 0 0 0 0 0 0 0 1\n"
      "fnote.idx: 0 0 0 0 0 0 0 1\n"
      "indv 1: #4 \"\" sex \" \" note 7\n"
      "indv 2: #5 \"\" sex \" \" note 8\n"
      "fam 1: #2 note 7\n"
      "inote 1: owner 8 kind 0 \"Own text\"\n"
      "fnote 1: owner 7 kind 0 \"Shared text\"\n"
      "fnote 2: owner 7 kind 54 \"second line\"\n",
      Dump());
  EXPECT_NE(std::string::npos, LogText().find("Note recs Written=3\n"));
}

TEST_F(ReaderXrefsTest, SharedNotesOfGedcomSevenAreNotes) {
  ASSERT_EQ(kResultOk, Read(Gedcom({
                           "0 @I1@ INDI",
                           "1 SNOTE @N3@",
                           "0 @F1@ FAM",
                           "1 SNOTE @N3@",
                           "0 @N3@ SNOTE Emigrated in 1850",
                           "1 CONT with three children",
                           "0 @N4@ SNOTE x",
                           "0 TRLR",
                       })));
  EXPECT_EQ(
      "indv.idx: 0 1\n"
      "fam.idx: 0 1\n"
      "fnote.idx: 0 0 0 1\n"
      "indv 1: #1 \"\" sex \" \" note 3\n"
      "fam 1: #1 note 3\n"
      "fnote 1: owner 3 kind 0 \"Emigrated in 1850\"\n"
      "fnote 2: owner 3 kind 54 \"with three children\"\n",
      Dump());
}

TEST_F(ReaderXrefsTest, MultimediaRecordGivesFileAndTitleBeforeOrAfterItsPointer) {
  ASSERT_EQ(kResultOk, Read(Gedcom({
                           "0 @M2@ OBJE",
                           "1 FILE C:\\Scans\\Wedding.JPG",
                           "2 FORM jpg",
                           "2 TITL The wedding",
                           "0 @I1@ INDI",
                           "1 OBJE @M1@",
                           "1 OBJE @M2@",
                           "1 OBJE @M9@",
                           "1 OBJE @M3@",
                           "0 @M1@ OBJE",
                           "1 TITL Portrait",
                           "1 FILE /home/ann/Portrait.png",
                           "1 FILE second.png",
                           "2 TITL Not this one",
                           "0 @M3@ OBJE",
                           "1 FORM gif",
                           "0 TRLR",
                       })));
  // @M1@ comes after its pointer and is patched in; @M9@ is never defined
  // and @M3@ has no FILE, so those photos keep an empty file name.
  EXPECT_EQ(
      "indv.idx: 0 1\n"
      "photo.idx: 0 1 2 3 4\n"
      "indv 1: #1 \"\" sex \" \" photos 1 2 3 4\n"
      "photo 1: #1 owner 1 \"portrait.png\" \"Portrait\"\n"
      "photo 2: #2 owner 1 \"wedding.jpg\" \"The wedding\"\n"
      "photo 3: #3 owner 1 \"\" \"\"\n"
      "photo 4: #4 owner 1 \"\" \"\"\n",
      Dump());
  EXPECT_EQ("portrait.png", run_.store.PhotoFile(1));
}

TEST_F(ReaderXrefsTest, TitleUnderFileCountsForInlineObjectsToo) {
  ASSERT_EQ(kResultOk, Read(Gedcom({
                           "0 @I1@ INDI",
                           "1 OBJE",
                           "2 FILE a.jpg",
                           "3 FORM jpg",
                           "3 TITL Under the file",
                           "1 OBJE",
                           "2 FORM jpg",
                           "3 TITL Under the form",
                           "2 FILE b.jpg",
                           "0 TRLR",
                       })));
  EXPECT_EQ(
      "indv.idx: 0 1\n"
      "photo.idx: 0 1 2\n"
      "indv 1: #1 \"\" sex \" \" photos 1 2\n"
      "photo 1: #1 owner 1 \"a.jpg\" \"Under the file\"\n"
      "photo 2: #2 owner 1 \"b.jpg\" \"\"\n",
      Dump());
}

TEST_F(ReaderXrefsTest, FirstDefinitionOfAMultimediaRecordCounts) {
  ASSERT_EQ(kResultOk, Read(Gedcom({
                           "0 @I1@ INDI",
                           "1 OBJE @M1@",
                           "0 @M1@ OBJE",
                           "1 FILE first.jpg",
                           "0 @M1@ OBJE",
                           "1 FILE second.jpg",
                           "0 @I2@ INDI",
                           "1 OBJE @M1@",
                           "0 TRLR",
                       })));
  EXPECT_EQ("first.jpg", run_.store.PhotoFile(1));
  EXPECT_EQ("first.jpg", run_.store.PhotoFile(2));
  EXPECT_EQ(2, run_.store.PhotoOwner(2));
}

}  // namespace
}  // namespace kinloom::testing

namespace kinloom::testing {
namespace {

// An inline note is keyed by its owner's number, a note record by its own:
// when the two numbers meet, whichever comes first keeps it.
TEST_F(ReaderXrefsTest, InlineNotesAndNoteRecordsNeverShareAKey) {
  ASSERT_EQ(kResultOk, Read(Gedcom({
                           "0 @I3@ INDI",
                           "1 NOTE @N4@",  // record 4 is named before individual 4
                           "0 @I4@ INDI",
                           "1 NOTE Inline of four",
                           "1 NOTE and more",
                           "0 @I9@ INDI",
                           "1 NOTE Inline of nine",
                           "0 @F9@ FAM",
                           "1 NOTE Family nine",  // may share its key with individual 9
                           "0 @I6@ INDI",
                           "1 NOTE @N9@",  // record 9 is named after inline note 9
                           "0 @N4@ NOTE Record four",
                           "0 @N9@ NOTE Record nine",
                           "0 TRLR",
                       })));
  EXPECT_EQ(
      "indv.idx: 0 0 0 1 2 0 4 0 0 3\n"
      "fam.idx: 0 0 0 0 0 0 0 0 0 1\n"
      "inote.idx: 0 0 0 0 0 1 0 0 0 3\n"
      "fnote.idx: 0 0 0 0 2 0 0 0 0 1 3\n"
      "indv 1: #3 \"\" sex \" \" note 4\n"
      "indv 2: #4 \"\" sex \" \" note 5\n"
      "indv 3: #9 \"\" sex \" \" note 9\n"
      "indv 4: #6 \"\" sex \" \" note 10\n"
      "fam 1: #9 note 9\n"
      "inote 1: owner 5 kind 52 \"Inline of four\"\n"
      "inote 2: owner 5 kind 52 \"and more\"\n"
      "inote 3: owner 9 kind 52 \"Inline of nine\"\n"
      "fnote 1: owner 9 kind 52 \"Family nine\"\n"
      "fnote 2: owner 4 kind 0 \"Record four\"\n"
      "fnote 3: owner 10 kind 0 \"Record nine\"\n",
      Dump());
}

}  // namespace
}  // namespace kinloom::testing
