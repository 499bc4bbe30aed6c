#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "pages/page_fixture.h"
#include "pages/phases.h"
#include "support/windows_skip.h"

namespace kinloom {
namespace {

using testing::Couple;
using testing::Person;

const std::string m1 = "<A HREF=\"#SRC\"><FONT SIZE=-1>1</FONT></A>";
const std::string m2 = "<A HREF=\"#SRC\"><FONT SIZE=-1>2</FONT></A>";
const std::string m3 = "<A HREF=\"#SRC\"><FONT SIZE=-1>3</FONT></A>";
const std::string m4 = "<A HREF=\"#SRC\"><FONT SIZE=-1>4</FONT></A>";

// Empty event lines with the default captions.
const std::string kNoBirth = "   Born:                  at:   \n";
const std::string kNoMarriage = "Married:                  at:   \n";
const std::string kNoDeath = "   Died:                  at:   \n";

class FamilyPagesTest : public testing::PageTest {
 protected:
  // John Smith (1) and Mary Jones (2) are family 1, with the children
  // Robert (3), who married Ann Lee (6) in family 4, and Alice (4). John is
  // the son of William Smith (5) in family 2 and has a second family 3
  // without wife; family 5 is Mary's, without husband.
  void AddSmithTree() {
    AddSource(1, "Parish register");
    AddSource(2, "Family Bible");
    AddSource(3, "Boston Marriages");
    AddSource(4, "Census 1880");

    IndividualRecord john = Person(1, "John /Smith/");
    john.source = 1;
    john.birthDate = "12 MAR 1850";
    john.birthPlace = "Boston";
    john.birthSource = 2;
    john.spouseFamilies = {1, 3};
    john.parentFamilies = {2};
    john.note = 1;
    john.photos = {1};
    AddIndividual(john);
    IndividualRecord mary = Person(2, "Mary /Jones/");
    mary.birthDate = "1852";
    mary.deathDate = "1930";
    mary.deathPlace = "Salem";
    mary.deathSource = 2;
    mary.spouseFamilies = {1};
    AddIndividual(mary);
    IndividualRecord robert = Person(3, "Robert /Smith/ Jr.");
    robert.source = 4;
    robert.birthDate = "1876";
    robert.birthPlace = "Boston";
    robert.spouseFamilies = {4};
    robert.parentFamilies = {1};
    AddIndividual(robert);
    IndividualRecord alice = Person(4, "Alice /Smith/");
    alice.parentFamilies = {1};
    alice.note = 4;
    AddIndividual(alice);
    IndividualRecord william = Person(5, "William /Smith/");
    william.spouseFamilies = {2};
    AddIndividual(william);
    IndividualRecord ann = Person(6, "Ann /Lee/");
    ann.spouseFamilies = {4};
    ann.note = 6;
    ann.photos = {2, 0, 3, 4};
    AddIndividual(ann);

    FamilyRecord f1 = Couple(1, 1, 2);
    f1.marriageDate = "5 JUN 1875";
    f1.marriagePlace = "Boston";
    f1.marriageSource = 3;
    f1.children = {3, 4};
    f1.note = 7;
    AddFamily(f1);
    FamilyRecord f2 = Couple(2, 5, 0);
    f2.children = {1};
    AddFamily(f2);
    AddFamily(Couple(3, 1, 0));
    FamilyRecord f4 = Couple(4, 3, 6);
    f4.marriageDate = "1 MAY 1900";
    f4.marriageSource = 2;
    f4.note = 9;
    AddFamily(f4);
    FamilyRecord f5 = Couple(5, 0, 2);
    f5.marriageDate = "1 JAN 1890";
    f5.marriagePlace = "Salem";
    f5.marriageSource = 4;
    AddFamily(f5);

    AddPhoto(1, "john.jpg", "John in 1900");
    AddPhoto(6, "ann.jpg", "Ann");
    AddPhoto(6, "", "A photo whose file is unknown");
    AddPhoto(6, "ann2.jpg", "Ann again");
  }
};

TEST_F(FamilyPagesTest, FullPageWithSourcesNotesPhotosAndPedigree) {
  AddSmithTree();
  run_.settings.photos = 'Y';
  run_.settings.pedigreelist = "1";
  ASSERT_EQ(BuildFamilyGroupRecords(run_), kResultOk);
  EXPECT_EQ(Page("html/fam00001.htm"),
            ExpectedHead("John Smith/Mary Jones") +
                "<PRE>\n"
                "<HR NOSHADE SIZE=3>Husband: <B>John Smith</B> " +
                m1 +
                " (S530)\n"
                "<HR NOSHADE SIZE=3>"
                "   Born: 12 MAR 1850      at: Boston  " +
                m2 +
                "  \n"
                "Married: 5 JUN 1875       at: Boston  " +
                m3 + "  \n" + kNoDeath +
                " Father:<A HREF=\"fam00002.htm\">William Smith</a>\n"
                " Mother:\n"
                "        Other Spouses: <A HREF=\"fam00003.htm\">?</a>  \n"
                "<A HREF=\"ped00001.htm\">PEDIGREE</a>  <A HREF=\"nti00001.htm\">NOTES</a>  "
                "PHOTOS: <a href=\"pho00001.htm\">1</a>\n"
                "<HR NOSHADE SIZE=3>   Wife: <B>Mary Jones</B> (J520)\n"
                "<HR NOSHADE SIZE=3>"
                "   Born: 1852             at:   \n"
                "   Died: 1930             at: Salem " +
                m2 +
                "  \n"
                " Father:\n"
                " Mother:\n"
                "        Other Spouses: \n"
                "<HR NOSHADE SIZE=3>"
                "<B>CHILDREN</B>\n"
                "<HR NOSHADE SIZE=1>   Name: <A HREF=\"fam00004.htm\">Robert Smith, Jr.</A> " +
                m4 +
                "\n"
                "   Born: 1876             at: Boston  \n"
                "Married: 1 MAY 1900       at:  " +
                m2 + "  \n" + kNoDeath +
                "Spouses: <A HREF=\"fam00004.htm\">Ann Lee</a>  \n"
                "<HR NOSHADE SIZE=1>   Name: Alice Smith\n" +
                kNoBirth + kNoMarriage + kNoDeath +
                "Spouses: \n"
                "<A HREF=\"nti00004.htm\">NOTES</a>  "
                "<HR NOSHADE SIZE=1>"
                "<A NAME=\"SRC\"></A><B>SOURCES</B>\n"
                "1) Parish register\n"
                "2) Family Bible\n"
                "3) Boston Marriages\n"
                "4) Census 1880\n"
                "<HR NOSHADE SIZE=1>"
                "<A HREF=\"ntf00007.htm\">FAMILY NOTES</a>\n"
                "</PRE>\n" +
                ExpectedFoot("surnames.htm"));
}

TEST_F(FamilyPagesTest, SubdirectoriesWithSourcesNotesPhotosAndSoundexOff) {
  AddSmithTree();
  run_.settings.subdirs = 'Y';
  run_.settings.ucsurname = 'Y';
  run_.settings.sources = 'N';
  run_.settings.notes = 'N';
  run_.settings.photos = 'y';
  run_.settings.soundex = 'N';
  run_.settings.pedigreelist = "3";
  MakeSubdirectories();
  ASSERT_EQ(BuildFamilyGroupRecords(run_), kResultOk);
  EXPECT_FALSE(testing::FileExists("html/fam00001.htm"));
  EXPECT_EQ(Page("html/fam/fam00001.htm"),
            ExpectedHead("John SMITH/Mary JONES") +
                "<PRE>\n"
                "<HR NOSHADE SIZE=3>Husband: <B>John SMITH</B>\n"
                "<HR NOSHADE SIZE=3>"
                "   Born: 12 MAR 1850      at: Boston  \n"
                "Married: 5 JUN 1875       at: Boston  \n" +
                kNoDeath +
                " Father:<A HREF=\"fam00002.htm\">William SMITH</a>\n"
                " Mother:\n"
                "        Other Spouses: <A HREF=\"fam00003.htm\">?</a>  \n"
                "<HR NOSHADE SIZE=3>   Wife: <B>Mary JONES</B>\n"
                "<HR NOSHADE SIZE=3>"
                "   Born: 1852             at:   \n"
                "   Died: 1930             at: Salem  \n"
                " Father:\n"
                " Mother:\n"
                "        Other Spouses: \n"
                "<HR NOSHADE SIZE=3>"
                "<B>CHILDREN</B>\n"
                "<HR NOSHADE SIZE=1>   Name: <A HREF=\"fam00004.htm\">Robert SMITH, JR.</A>\n"
                "   Born: 1876             at: Boston  \n"
                "Married: 1 MAY 1900       at:   \n" +
                kNoDeath +
                "Spouses: <A HREF=\"fam00004.htm\">Ann LEE</a>  \n"
                "<A HREF=\"../ped/ped00003.htm\">PEDIGREE</a>  "
                "<HR NOSHADE SIZE=1>   Name: Alice SMITH\n" +
                kNoBirth + kNoMarriage + kNoDeath +
                "Spouses: \n"
                "<HR NOSHADE SIZE=1>"
                "</PRE>\n" +
                ExpectedFoot("../surnames.htm"));
}

TEST_F(FamilyPagesTest, SubdirectoryLinksAndPhotoNumbersOfTheirSlots) {
  // Ann's photo slots hold 2, 0, 3 and 4; photo 3 has no file, so only the
  // first and the fourth slot are linked.
  AddSmithTree();
  run_.settings.subdirs = 'Y';
  run_.settings.photos = 'Y';
  run_.settings.pedigreeall = 'Y';
  MakeSubdirectories();
  ASSERT_EQ(BuildFamilyGroupRecords(run_), kResultOk);
  EXPECT_EQ(Page("html/fam/fam00004.htm"),
            ExpectedHead("Robert Smith, Jr./Ann Lee") +
                "<PRE>\n"
                "<HR NOSHADE SIZE=3>Husband: <B>Robert Smith, Jr.</B> " +
                m1 +
                " (S530)\n"
                "<HR NOSHADE SIZE=3>"
                "   Born: 1876             at: Boston  \n"
                "Married: 1 MAY 1900       at:   " +
                m2 + "  \n" + kNoDeath +
                " Father:<A HREF=\"fam00001.htm\">John Smith</a>\n"
                " Mother:<A HREF=\"fam00001.htm\">Mary Jones</a>\n"
                "        Other Spouses: \n"
                "<A HREF=\"../ped/ped00003.htm\">PEDIGREE</a>  "
                "<HR NOSHADE SIZE=3>   Wife: <B>Ann Lee</B> (L000)\n"
                "<HR NOSHADE SIZE=3>" +
                kNoBirth + kNoDeath +
                " Father:\n"
                " Mother:\n"
                "        Other Spouses: \n"
                "<A HREF=\"../ped/ped00006.htm\">PEDIGREE</a>  "
                "<A HREF=\"../nti/nti00006.htm\">NOTES</a>  "
                "PHOTOS: <a href=\"../pho/pho00002.htm\">1</a> "
                "<a href=\"../pho/pho00004.htm\">4</a>\n"
                "<HR NOSHADE SIZE=3>"
                "<HR NOSHADE SIZE=1>"
                "<A NAME=\"SRC\"></A><B>SOURCES</B>\n"
                "1) Census 1880\n"
                "2) Family Bible\n"
                "<HR NOSHADE SIZE=1>"
                "<A HREF=\"../ntf/ntf00009.htm\">FAMILY NOTES</a>\n"
                "</PRE>\n" +
                ExpectedFoot("../surnames.htm"));
}

TEST_F(FamilyPagesTest, FamilyWithoutWifeShowsEmptyWifeBlockAndChildWithOwnFamilies) {
  AddSmithTree();
  run_.settings.photos = 'Y';
  run_.settings.pedigreelist = "1";
  ASSERT_EQ(BuildFamilyGroupRecords(run_), kResultOk);
  EXPECT_EQ(Page("html/fam00002.htm"),
            ExpectedHead("William Smith/?") +
                "<PRE>\n"
                "<HR NOSHADE SIZE=3>Husband: <B>William Smith</B> (S530)\n"
                "<HR NOSHADE SIZE=3>" +
                kNoBirth + kNoMarriage + kNoDeath +
                " Father:\n"
                " Mother:\n"
                "        Other Spouses: \n"
                "<HR NOSHADE SIZE=3>   Wife: \n"
                "<HR NOSHADE SIZE=3>" +
                kNoBirth + kNoDeath +
                " Father:\n"
                " Mother:\n"
                "        Other Spouses: \n"
                "<HR NOSHADE SIZE=3>"
                "<B>CHILDREN</B>\n"
                "<HR NOSHADE SIZE=1>   Name: <A HREF=\"fam00001.htm\">John Smith</A> " +
                m1 +
                "\n"
                "   Born: 12 MAR 1850      at: Boston " +
                m2 +
                "  \n"
                "Married: 5 JUN 1875       at: Boston " +
                m3 + "  \n" + kNoDeath +
                "Spouses: <A HREF=\"fam00001.htm\">Mary Jones</a>  "
                "<A HREF=\"fam00003.htm\">?</a>  \n"
                "<A HREF=\"ped00001.htm\">PEDIGREE</a>  <A HREF=\"nti00001.htm\">NOTES</a>  "
                "PHOTOS: <a href=\"pho00001.htm\">1</a>\n"
                "<HR NOSHADE SIZE=1>"
                "<A NAME=\"SRC\"></A><B>SOURCES</B>\n"
                "1) Parish register\n"
                "2) Family Bible\n"
                "3) Boston Marriages\n"
                "<HR NOSHADE SIZE=1>"
                "</PRE>\n" +
                ExpectedFoot("surnames.htm"));
}

TEST_F(FamilyPagesTest, FamilyWithoutHusbandHasNoMarriageAndNoFootnoteForIt) {
  AddSmithTree();
  ASSERT_EQ(BuildFamilyGroupRecords(run_), kResultOk);
  EXPECT_EQ(Page("html/fam00005.htm"),
            ExpectedHead("?/Mary Jones") +
                "<PRE>\n"
                "<HR NOSHADE SIZE=3>Husband: \n"
                "<HR NOSHADE SIZE=3>" +
                kNoBirth + kNoMarriage + kNoDeath +
                " Father:\n"
                " Mother:\n"
                "        Other Spouses: \n"
                "<HR NOSHADE SIZE=3>   Wife: <B>Mary Jones</B> (J520)\n"
                "<HR NOSHADE SIZE=3>"
                "   Born: 1852             at:   \n"
                "   Died: 1930             at: Salem " +
                m1 +
                "  \n"
                " Father:\n"
                " Mother:\n"
                "        Other Spouses: <A HREF=\"fam00001.htm\">John Smith</a>  \n"
                "<HR NOSHADE SIZE=3>"
                "<HR NOSHADE SIZE=1>"
                "<A NAME=\"SRC\"></A><B>SOURCES</B>\n"
                "1) Family Bible\n"
                "<HR NOSHADE SIZE=1>"
                "</PRE>\n" +
                ExpectedFoot("surnames.htm"));
}

TEST_F(FamilyPagesTest, WritesEveryFamilyAndLogsThePhase) {
  AddSmithTree();
  ASSERT_EQ(BuildFamilyGroupRecords(run_), kResultOk);
  for (const char* page : {"html/fam00001.htm", "html/fam00002.htm", "html/fam00003.htm",
                           "html/fam00004.htm", "html/fam00005.htm"}) {
    EXPECT_TRUE(testing::FileExists(page)) << page;
  }
  EXPECT_EQ(run_.progress.pages_written, 5);
  EXPECT_EQ(LogText(), ">BuildFamilyGroupRecords\n<BuildFamilyGroupRecords\n");
}

TEST_F(FamilyPagesTest, LaterChildSlotsAreShownWithoutTheChildrenHeading) {
  AddIndividual(Person(1, "Tom /Baker/"));
  FamilyRecord family = Couple(8, 0, 0);
  family.children = {0, 1};
  AddFamily(family);
  run_.settings.soundex = 'N';
  ASSERT_EQ(BuildFamilyGroupRecords(run_), kResultOk);
  const std::string page = Page("html/fam00008.htm");
  EXPECT_EQ(page.find("CHILDREN"), std::string::npos) << page;
  EXPECT_NE(page.find("<HR NOSHADE SIZE=3><HR NOSHADE SIZE=1>   Name: Tom Baker\n"),
            std::string::npos)
      << page;
}

TEST_F(FamilyPagesTest, LongNamesAndManyMarriagesAreNeverCut) {
  const std::string given(90, 'g');
  IndividualRecord husband = Person(1, given + " /Long/");
  husband.spouseFamilies = {1};
  AddIndividual(husband);
  std::string spouses;
  for (std::int32_t f = 2; f <= 20; ++f) {
    husband.spouseFamilies[f - 1] = f;
    AddIndividual(Person(f, given + " /Wife/"));
    AddFamily(Couple(f, 1, f));
    spouses += "<A HREF=\"fam" + std::string(f < 10 ? "0000" : "000") + std::to_string(f) +
               ".htm\">" + given + " Wife</a>  ";
  }
  run_.store.PutIndividual(1, 1, husband);
  AddFamily(Couple(1, 1, 0));
  run_.settings.soundex = 'N';
  ASSERT_EQ(BuildFamilyGroupRecords(run_), kResultOk);
  const std::string page = Page("html/fam00001.htm");
  EXPECT_NE(page.find("        Other Spouses: " + spouses + "\n"), std::string::npos) << page;
}

class FamilyPageFailureTest : public FamilyPagesTest {
 protected:
  void ExpectCannotWrite() {
    EXPECT_EQ(BuildFamilyGroupRecords(run_), kResultCannotWrite);
    EXPECT_EQ(LogText(), ">BuildFamilyGroupRecords\nUnable to create new FAM file.\n");
  }
};

TEST_F(FamilyPageFailureTest, MissingOutputDirectory) {
  AddSmithTree();
  std::filesystem::remove("html");
  ExpectCannotWrite();
}

TEST_F(FamilyPageFailureTest, MissingSubdirectory) {
  AddSmithTree();
  run_.settings.subdirs = 'Y';
  ExpectCannotWrite();
}

TEST_F(FamilyPageFailureTest, PagePathTakenByADirectoryStopsThePhaseThere) {
  AddSmithTree();
  std::filesystem::create_directory("html/fam00003.htm");
  ExpectCannotWrite();
  EXPECT_TRUE(testing::FileExists("html/fam00002.htm"));
  EXPECT_FALSE(testing::FileExists("html/fam00004.htm"));
  EXPECT_EQ(run_.progress.pages_written, 2);
}

TEST_F(FamilyPageFailureTest, PageThatCannotBeWrittenWhole) {
  KINLOOM_SKIP_ON_WINDOWS("no /dev/full to stand for a full disk");
  AddSmithTree();
  std::filesystem::create_symlink("/dev/full", "html/fam00001.htm");
  ExpectCannotWrite();
  EXPECT_EQ(run_.progress.pages_written, 0);
}

}  // namespace
}  // namespace kinloom

namespace kinloom {
namespace {

// Photos without a file name get no link; the caption stays whenever the
// first photo slot is used, and the other links keep their slot numbers.
TEST_F(FamilyPagesTest, PhotosWithoutFileNameGetNoLink) {
  run_.settings.photos = 'Y';
  IndividualRecord john = testing::Person(1, "John /Smith/");
  john.spouseFamilies = {1};
  john.photos = {1, 2};
  IndividualRecord mary = testing::Person(2, "Mary /Jones/");
  mary.spouseFamilies = {1};
  mary.photos = {3};
  AddIndividual(john);
  AddIndividual(mary);
  AddFamily(testing::Couple(1, 1, 2));
  AddPhoto(1, "", "Lost picture");
  AddPhoto(1, "john.jpg", "John");
  AddPhoto(2, "", "");
  ASSERT_EQ(BuildFamilyGroupRecords(run_), kResultOk);
  const std::string page = Page("html/fam00001.htm");
  EXPECT_NE(page.find("        Other Spouses: \nPHOTOS: <a href=\"pho00002.htm\">2</a>\n"
                      "<HR NOSHADE SIZE=3>   Wife:"),
            std::string::npos)
      << page;
  EXPECT_NE(page.find("        Other Spouses: \nPHOTOS:\n<HR NOSHADE SIZE=3>"), std::string::npos)
      << page;
}

}  // namespace
}  // namespace kinloom
