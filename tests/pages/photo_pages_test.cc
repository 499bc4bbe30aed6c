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

class PhotoPagesTest : public testing::PageTest {
 protected:
  // John (1) is a spouse, Mary (2) a child of John's family, Eve (3) in no
  // family. Photo 3 has no file name.
  void AddTree() {
    IndividualRecord john = Person(1, "John /Smith/");
    john.spouseFamilies = {1};
    john.parentFamilies = {2};
    AddIndividual(john);
    IndividualRecord mary = Person(2, "Mary /Smith/");
    mary.parentFamilies = {1};
    AddIndividual(mary);
    AddIndividual(Person(3, "Eve /Stone/"));
    AddFamily(Couple(1, 1, 0));
    AddPhoto(1, "john.jpg", "John at 20");
    AddPhoto(3, "eve.jpg", "");
    AddPhoto(1, "", "No file");
    AddPhoto(2, "mary.jpg", "Mary <i>1901</i>");
  }

  static std::string PhotoPage(const std::string& title, const std::string& owner_link,
                               const std::string& file, const std::string& surnames) {
    return ExpectedHead(title) + "<HR NOSHADE SIZE=3>" + "<CENTER><B>Photo for " + owner_link +
           "</B></CENTER>\n<HR NOSHADE SIZE=3>\n" + "<CENTER><img src=\"" + file + "\"><br><B>" +
           title + "</B></CENTER>\n" + "<HR NOSHADE SIZE=1>" + ExpectedFoot(surnames);
  }
};

TEST_F(PhotoPagesTest, OnePagePerPhotoWithAFileLinkedToTheOwnersLandingPage) {
  AddTree();
  ASSERT_EQ(BuildPhotoPages(run_), kResultOk);
  EXPECT_EQ(Page("html/pho00001.htm"),
            PhotoPage("John at 20", "<A HREF=\"fam00001.htm\">John Smith</A>", "john.jpg",
                      "surnames.htm"));
  EXPECT_EQ(Page("html/pho00002.htm"),
            PhotoPage("", "<A HREF=\"ind00003.htm\">Eve Stone</A>", "eve.jpg", "surnames.htm"));
  EXPECT_FALSE(testing::FileExists("html/pho00003.htm"));
  EXPECT_EQ(Page("html/pho00004.htm"),
            PhotoPage("Mary &lt;i&gt;1901&lt;/i&gt;", "<A HREF=\"fam00001.htm\">Mary Smith</A>",
                      "mary.jpg", "surnames.htm"));
  // The photo pages link to an individual page but do not write it.
  EXPECT_FALSE(testing::FileExists("html/ind00003.htm"));
  // None of the pictures is in the pictures folder (the current one).
  EXPECT_EQ(LogText(),
            ">BuildPhotoPages\n"
            "Picture not found: john.jpg (looked in .)\n"
            "Picture not found: eve.jpg (looked in .)\n"
            "Picture not found: mary.jpg (looked in .)\n"
            "Pictures: 0 copied, 0 already in place, 3 not found.\n"
            "<BuildPhotoPages\n");
  EXPECT_EQ(run_.progress.pages_written, 3);
}

TEST_F(PhotoPagesTest, SubdirectoryPages) {
  AddTree();
  run_.settings.subdirs = 'Y';
  run_.settings.ucsurname = 'Y';
  MakeSubdirectories();
  ASSERT_EQ(BuildPhotoPages(run_), kResultOk);
  EXPECT_EQ(Page("html/pho/pho00001.htm"),
            PhotoPage("John at 20", "<A HREF=\"../fam/fam00001.htm\">John SMITH</A>", "john.jpg",
                      "../surnames.htm"));
  EXPECT_EQ(
      Page("html/pho/pho00002.htm"),
      PhotoPage("", "<A HREF=\"../ind/ind00003.htm\">Eve STONE</A>", "eve.jpg", "../surnames.htm"));
}

TEST_F(PhotoPagesTest, NoPhotosGiveOnlyTheLogLines) {
  AddIndividual(Person(1, "John /Smith/"));
  ASSERT_EQ(BuildPhotoPages(run_), kResultOk);
  EXPECT_TRUE(std::filesystem::is_empty("html"));
  EXPECT_EQ(LogText(), ">BuildPhotoPages\n<BuildPhotoPages\n");
}

TEST_F(PhotoPagesTest, PageThatCannotBeWrittenStopsThePhase) {
  KINLOOM_SKIP_ON_WINDOWS("no /dev/full to stand for a full disk");
  AddTree();
  std::filesystem::create_symlink("/dev/full", "html/pho00002.htm");
  EXPECT_EQ(BuildPhotoPages(run_), kResultCannotWrite);
  const std::string not_found =
      "Picture not found: john.jpg (looked in .)\n"
      "Picture not found: eve.jpg (looked in .)\n"
      "Picture not found: mary.jpg (looked in .)\n";
  EXPECT_EQ(LogText(), ">BuildPhotoPages\n" + not_found + "Unable to create new PHO file.\n");
  EXPECT_TRUE(testing::FileExists("html/pho00001.htm"));
  EXPECT_FALSE(testing::FileExists("html/pho00004.htm"));

  std::filesystem::remove_all("html");
  std::filesystem::remove("kinloom.log");
  EXPECT_EQ(BuildPhotoPages(run_), kResultCannotWrite);
  EXPECT_EQ(LogText(), ">BuildPhotoPages\n" + not_found + "Unable to create new PHO file.\n");
}

}  // namespace
}  // namespace kinloom
