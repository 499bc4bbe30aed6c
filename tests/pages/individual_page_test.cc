#include <gtest/gtest.h>

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

class IndividualPageTest : public testing::PageTest {
 protected:
  void AddPeter() {
    AddSource(5, "Baptisms");
    AddSource(6, "Burials");
    IndividualRecord peter = Person(7, "Peter /Brown/");
    peter.source = 5;
    peter.birthDate = "1 JAN 1801";
    peter.birthPlace = "York";
    peter.birthSource = 5;
    peter.deathDate = "1870";
    peter.deathSource = 6;
    AddIndividual(peter);
  }
};

TEST_F(IndividualPageTest, SameSourceForNameAndBirthHasOneFootnote) {
  AddPeter();
  ASSERT_EQ(BuildIndividualPage(run_, 7), kResultOk);
  EXPECT_EQ(Page("html/ind00007.htm"), ExpectedHead("Peter Brown") +
                                           "<PRE>\n"
                                           "<HR NOSHADE SIZE=3><B>   Name: Peter Brown " +
                                           m1 +
                                           " (B650)</B>\n"
                                           "<HR NOSHADE SIZE=3>"
                                           "   Born: 1 JAN 1801       at: York  " +
                                           m1 +
                                           "  \n"
                                           "   Died: 1870             at:   " +
                                           m2 +
                                           "  \n"
                                           "\n"
                                           "<HR NOSHADE SIZE=1>"
                                           "<A NAME=\"SRC\"></A><B>SOURCES</B>\n"
                                           "1) Baptisms\n"
                                           "2) Burials\n"
                                           "<HR NOSHADE SIZE=1>"
                                           "</PRE>\n" +
                                           ExpectedFoot("surnames.htm"));
  EXPECT_EQ(LogText(), ">BuildIndividualPage\n<BuildIndividualPage\n");
  EXPECT_EQ(run_.progress.pages_written, 1);
}

TEST_F(IndividualPageTest, SubdirectoryPageWithoutSourcesSoundexOrName) {
  AddPeter();
  AddIndividual(Person(8, ""));
  run_.settings.subdirs = 'Y';
  run_.settings.sources = 'N';
  run_.settings.soundex = 'N';
  run_.settings.ucsurname = 'Y';
  MakeSubdirectories();
  ASSERT_EQ(BuildIndividualPage(run_, 7), kResultOk);
  ASSERT_EQ(BuildIndividualPage(run_, 8), kResultOk);
  EXPECT_EQ(Page("html/ind/ind00007.htm"), ExpectedHead("Peter BROWN") +
                                               "<PRE>\n"
                                               "<HR NOSHADE SIZE=3><B>   Name: Peter BROWN</B>\n"
                                               "<HR NOSHADE SIZE=3>"
                                               "   Born: 1 JAN 1801       at: York  \n"
                                               "   Died: 1870             at:   \n"
                                               "\n"
                                               "<HR NOSHADE SIZE=1>"
                                               "</PRE>\n" +
                                               ExpectedFoot("../surnames.htm"));
  EXPECT_EQ(Page("html/ind/ind00008.htm"), ExpectedHead(" ") +
                                               "<PRE>\n"
                                               "<HR NOSHADE SIZE=3><B>   Name:  </B>\n"
                                               "<HR NOSHADE SIZE=3>"
                                               "   Born:                  at:   \n"
                                               "   Died:                  at:   \n"
                                               "\n"
                                               "<HR NOSHADE SIZE=1>"
                                               "</PRE>\n" +
                                               ExpectedFoot("../surnames.htm"));
}

TEST_F(IndividualPageTest, FootnotesStartAfreshOnEachPage) {
  AddPeter();
  IndividualRecord ruth = Person(9, "Ruth /Grey/");
  ruth.deathSource = 6;
  AddIndividual(ruth);
  run_.settings.soundex = 'N';
  ASSERT_EQ(BuildIndividualPage(run_, 7), kResultOk);
  ASSERT_EQ(BuildIndividualPage(run_, 9), kResultOk);
  const std::string page = Page("html/ind00009.htm");
  EXPECT_NE(page.find("   Died:                  at:   " + m1 + "  \n"), std::string::npos) << page;
  EXPECT_NE(page.find("<B>SOURCES</B>\n1) Burials\n<HR"), std::string::npos) << page;
}

TEST_F(IndividualPageTest, PageThatCannotBeCreatedIsLoggedAndGives6) {
  AddPeter();
  std::filesystem::remove("html");
  EXPECT_EQ(BuildIndividualPage(run_, 7), kResultCannotWrite);
  EXPECT_EQ(LogText(), ">BuildIndividualPage\nUnable to create new IND file.\n");
  EXPECT_EQ(run_.progress.pages_written, 0);
}

TEST_F(IndividualPageTest, PageThatCannotBeWrittenWholeIsLoggedAndGives6) {
  KINLOOM_SKIP_ON_WINDOWS("no /dev/full to stand for a full disk");
  AddPeter();
  std::filesystem::create_symlink("/dev/full", "html/ind00007.htm");
  EXPECT_EQ(BuildIndividualPage(run_, 7), kResultCannotWrite);
  EXPECT_EQ(LogText(), ">BuildIndividualPage\nUnable to create new IND file.\n");
}

TEST_F(IndividualPageTest, LandingPageIsFirstSpouseFamilyElseParentsElseOwnPage) {
  IndividualRecord spouse = Person(1, "A /B/");
  spouse.spouseFamilies = {12, 13};
  spouse.parentFamilies = {14};
  AddIndividual(spouse);
  IndividualRecord child = Person(2, "C /D/");
  child.parentFamilies = {14, 15};
  AddIndividual(child);
  AddIndividual(Person(3, "E /F/"));
  AddFamily(Couple(12, 1, 0));
  struct Case {
    std::int32_t person;
    char subdirs;
    const char* fam_dir;
    const char* ind_dir;
    const char* link;
    bool individual_page;
  } cases[] = {
      {1, 'N', "../fam", "../ind", "fam00012.htm", false},
      {1, 'Y', "../fam", "../ind", "../fam/fam00012.htm", false},
      {2, 'Y', "fam", "ind", "fam/fam00014.htm", false},
      {3, 'N', "fam", "ind", "ind00003.htm", true},
      {3, 'Y', "../fam", "../ind", "../ind/ind00003.htm", true},
  };
  for (const Case& c : cases) {
    run_.settings.subdirs = c.subdirs;
    bool individual_page = !c.individual_page;
    EXPECT_EQ(LandingPageLink(run_, c.person, c.fam_dir, c.ind_dir, &individual_page), c.link)
        << c.person << " " << c.subdirs << " " << c.fam_dir;
    EXPECT_EQ(individual_page, c.individual_page) << c.person;
  }
  EXPECT_FALSE(testing::FileExists("html/ind00003.htm"));  // links only, no page written
}

}  // namespace
}  // namespace kinloom
