#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "pages/page_fixture.h"
#include "pages/phases.h"

namespace kinloom {
namespace {

using testing::Couple;
using testing::Person;

class NotesPagesTest : public testing::PageTest {
 protected:
  // John (1) is husband in family 1 and child in family 2; Alice (3) is a
  // child of family 1 only; Eve (4) is in no family and points to note
  // record 20, which the reader filed with the family notes. Mary (2) has
  // no note. Family 1 has note 5; family 2 points to note 3, filed with the
  // individual notes.
  void AddTree() {
    IndividualRecord john = Person(1, "John /Smith/");
    john.spouseFamilies = {1};
    john.parentFamilies = {2};
    john.note = 1;
    AddIndividual(john);
    AddIndividual(Person(2, "Mary /Jones/"));
    IndividualRecord alice = Person(3, "Alice /Smith/");
    alice.parentFamilies = {1};
    alice.note = 3;
    AddIndividual(alice);
    IndividualRecord eve = Person(4, "Eve /Stone/");
    eve.note = 20;
    AddIndividual(eve);
    FamilyRecord f1 = Couple(1, 1, 0);
    f1.children = {3};
    f1.note = 5;
    AddFamily(f1);
    FamilyRecord f2 = Couple(2, 0, 0);
    f2.children = {1};
    f2.note = 3;
    AddFamily(f2);

    AddIndividualNote(1, {{kNoteKindNote, "Emigrated in"},
                          {kNoteKindConc, " 1850"},
                          {kNoteKindCont, "Farmer"},
                          {kNoteKindCont, ""}});
    AddIndividualNote(3, {{kNoteKindNote, "Loves <b>music</b> & art"}});
    AddIndividualNote(5, {{kNoteKindNote, "Lines of key 5 filed with individuals"}});
    AddFamilyNote(5, {{kNoteKindNote, "Married twice"}});
    AddFamilyNote(20, {{kNoteKindRecordLine, "Shared note"}, {kNoteKindCont, "second line"}});
  }

  static std::string NotesPage(const std::string& owner, const std::string& link,
                               const std::string& text, const std::string& surnames) {
    return ExpectedHead("Notes for " + owner) + "<HR NOSHADE SIZE=3>" +
           "<CENTER><B>Notes for <A HREF=\"" + link + "\">" + owner +
           "</A></B></CENTER>\n<HR NOSHADE SIZE=3>\n" + text + "<HR NOSHADE SIZE=1>" +
           ExpectedFoot(surnames);
  }
};

TEST_F(NotesPagesTest, IndividualNotesPagesLinkToTheLandingPage) {
  AddTree();
  ASSERT_EQ(BuildIndividualNotes(run_), kResultOk);
  EXPECT_EQ(Page("html/nti00001.htm"),
            NotesPage("John Smith", "fam00001.htm", "<BR>\nEmigrated in 1850<BR>\nFarmer<BR>\n",
                      "surnames.htm"));
  EXPECT_EQ(Page("html/nti00003.htm"),
            NotesPage("Alice Smith", "fam00001.htm", "<BR>\nLoves <b>music</b> &amp; art",
                      "surnames.htm"));
  // Eve's note record went to the family notes; her page shows it all the
  // same, and links to her own page, written just before.
  EXPECT_EQ(Page("html/nti00020.htm"),
            NotesPage("Eve Stone", "ind00004.htm", "Shared note<BR>\nsecond line", "surnames.htm"));
  EXPECT_TRUE(testing::FileExists("html/ind00004.htm"));
  EXPECT_FALSE(testing::FileExists("html/nti00002.htm"));
  EXPECT_EQ(LogText(),
            ">BuildIndividualNotes\n>BuildIndividualPage\n<BuildIndividualPage\n"
            "<BuildIndividualNotes\n");
  EXPECT_EQ(run_.progress.pages_written, 4);
}

TEST_F(NotesPagesTest, FamilyNotesPagesPreferTheFamilySideAndFallBackToIndividuals) {
  AddTree();
  ASSERT_EQ(BuildFamilyNotes(run_), kResultOk);
  EXPECT_EQ(Page("html/ntf00005.htm"),
            NotesPage("John Smith/?", "fam00001.htm", "<BR>\nMarried twice", "surnames.htm"));
  EXPECT_EQ(Page("html/ntf00003.htm"),
            NotesPage("?/?", "fam00002.htm", "<BR>\nLoves <b>music</b> &amp; art", "surnames.htm"));
  EXPECT_EQ(LogText(), ">BuildFamilyNotes\n<BuildFamilyNotes\n");
}

TEST_F(NotesPagesTest, SubdirectoryPagesLinkUpAndAcross) {
  AddTree();
  run_.settings.subdirs = 'Y';
  run_.settings.ucsurname = 'Y';
  MakeSubdirectories();
  ASSERT_EQ(BuildIndividualNotes(run_), kResultOk);
  ASSERT_EQ(BuildFamilyNotes(run_), kResultOk);
  EXPECT_EQ(Page("html/nti/nti00020.htm"),
            NotesPage("Eve STONE", "../ind/ind00004.htm", "Shared note<BR>\nsecond line",
                      "../surnames.htm"));
  EXPECT_TRUE(testing::FileExists("html/ind/ind00004.htm"));
  EXPECT_EQ(Page("html/ntf/ntf00005.htm"), NotesPage("John SMITH/?", "../fam/fam00001.htm",
                                                     "<BR>\nMarried twice", "../surnames.htm"));
}

TEST_F(NotesPagesTest, SharedKeyPageNamesTheLaterOwnerAndAKeyWithoutLinesIsEmpty) {
  AddTree();
  IndividualRecord zed = Person(9, "Zed /Last/");
  zed.note = 1;
  zed.parentFamilies = {2};
  AddIndividual(zed);
  IndividualRecord nobody = Person(10, "No /Lines/");
  nobody.note = 77;
  nobody.spouseFamilies = {1};
  AddIndividual(nobody);
  ASSERT_EQ(BuildIndividualNotes(run_), kResultOk);
  EXPECT_EQ(Page("html/nti00001.htm"),
            NotesPage("Zed Last", "fam00002.htm", "<BR>\nEmigrated in 1850<BR>\nFarmer<BR>\n",
                      "surnames.htm"));
  EXPECT_EQ(Page("html/nti00077.htm"), NotesPage("No Lines", "fam00001.htm", "", "surnames.htm"));
}

TEST_F(NotesPagesTest, IndividualPageFailureDoesNotStopTheNotes) {
  AddTree();
  std::filesystem::create_directory("html/ind00004.htm");
  ASSERT_EQ(BuildIndividualNotes(run_), kResultOk);
  EXPECT_TRUE(testing::FileExists("html/nti00020.htm"));
  EXPECT_EQ(LogText(),
            ">BuildIndividualNotes\n>BuildIndividualPage\nUnable to create new IND file.\n"
            "<BuildIndividualNotes\n");
}

TEST_F(NotesPagesTest, NotesPageThatCannotBeWrittenStopsThePhase) {
  struct Case {
    const char* blocked;  // a directory where a page should go, or "" for no html
    int (*phase)(kinloom::Run&);
    const char* log;
  } cases[] = {
      {"html/nti00003.htm", BuildIndividualNotes,
       ">BuildIndividualNotes\nUnable to create new NTI file.\n"},
      {"", BuildIndividualNotes, ">BuildIndividualNotes\nUnable to create new NTI file.\n"},
      {"html/ntf00003.htm", BuildFamilyNotes,
       ">BuildFamilyNotes\nUnable to create new NTF file.\n"},
      {"", BuildFamilyNotes, ">BuildFamilyNotes\nUnable to create new NTF file.\n"},
  };
  AddTree();
  for (const Case& c : cases) {
    std::filesystem::remove_all("html");
    std::filesystem::remove("kinloom.log");
    if (*c.blocked != '\0') std::filesystem::create_directories(c.blocked);
    EXPECT_EQ(c.phase(run_), kResultCannotWrite) << c.blocked;
    EXPECT_EQ(LogText(), c.log) << c.blocked;
  }
  // The NTI case stopped at once: the page after the blocked one is missing.
  std::filesystem::remove_all("html");
  std::filesystem::create_directories("html/nti00003.htm");
  BuildIndividualNotes(run_);
  EXPECT_TRUE(testing::FileExists("html/nti00001.htm"));
  EXPECT_FALSE(testing::FileExists("html/nti00020.htm"));
}

}  // namespace
}  // namespace kinloom
