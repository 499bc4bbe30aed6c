// gendex.txt: the version line, one line of seven fields per individual in
// slot order, and a file that cannot be written.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "pages/page_fixture.h"
#include "pages/phases.h"
#include "support/windows_skip.h"

namespace kinloom::testing {
namespace {

class GendexTest : public PageTest {
 protected:
  void AddTree() {
    IndividualRecord john = Person(10, "John /Smith/ Jr.");
    john.birthDate = "1 JAN 1900";
    john.birthPlace = "Boston";
    john.deathDate = "1980";
    john.deathPlace = "Salem";
    john.spouseFamilies[0] = 5;
    john.parentFamilies[0] = 4;
    AddIndividual(john);
    AddIndividual(Person(0, "Nobody /Zero/"));
    IndividualRecord unnamed = Person(11, "");
    unnamed.parentFamilies[0] = 4;
    unnamed.deathPlace = "Lost";
    AddIndividual(unnamed);
    AddIndividual(Person(12, "John / /"));
    AddIndividual(Person(13, "Ann /<b>&Co/"));
  }
};

TEST_F(GendexTest, OneLinePerNumberedIndividual) {
  AddTree();
  ASSERT_EQ(BuildGendexFile(run_), 0);
  EXPECT_EQ(Page("html/gendex.txt"),
            ";; Kinloom Version 2.21\n"
            "fam00005.htm|Smith|John /Smith/ Jr.|1 JAN 1900|Boston|1980|Salem|\n"
            "fam00004.htm| |||||Lost|\n"
            "ind00012.htm| |John / /|||||\n"
            "ind00013.htm|<b>&Co|Ann /<b>&Co/|||||\n");
  EXPECT_EQ(LogText(), ">BuildGendexFile\n<BuildGendexFile\n");
  EXPECT_EQ(run_.progress.pages_written, 1);
  EXPECT_FALSE(FileExists("html/ind00012.htm")) << "individual pages are not written here";
}

TEST_F(GendexTest, SubdirectoryLinksAndCapitalSurnames) {
  run_.settings.subdirs = 'Y';
  run_.settings.ucsurname = 'Y';
  run_.settings.extension = "html";
  MakeSubdirectories();
  AddTree();
  ASSERT_EQ(BuildGendexFile(run_), 0);
  EXPECT_EQ(Page("html/gendex.txt"),
            ";; Kinloom Version 2.21\n"
            "fam/fam00005.html|SMITH|John /Smith/ Jr.|1 JAN 1900|Boston|1980|Salem|\n"
            "fam/fam00004.html| |||||Lost|\n"
            "ind/ind00012.html| |John / /|||||\n"
            "ind/ind00013.html|<B>&CO|Ann /<b>&Co/|||||\n");
}

TEST_F(GendexTest, LinesFollowTheSortedOrder) {
  AddIndividual(Person(1, "Cy /Cole/"));
  AddIndividual(Person(2, "Al /Ames/"));
  AddIndividual(Person(3, "Bo /Ames/"));
  QsortIndividuals(run_, 1, 3);
  ASSERT_EQ(BuildGendexFile(run_), 0);
  EXPECT_EQ(Page("html/gendex.txt"),
            ";; Kinloom Version 2.21\n"
            "ind00002.htm|Ames|Al /Ames/|||||\n"
            "ind00003.htm|Ames|Bo /Ames/|||||\n"
            "ind00001.htm|Cole|Cy /Cole/|||||\n");
}

TEST_F(GendexTest, EmptyTreeGivesTheVersionLineOnly) {
  ASSERT_EQ(BuildGendexFile(run_), 0);
  EXPECT_EQ(Page("html/gendex.txt"), ";; Kinloom Version 2.21\n");
}

TEST_F(GendexTest, FileThatCannotBeWritten) {
  KINLOOM_SKIP_ON_WINDOWS("no /dev/full to stand for a full disk");
  AddTree();
  std::filesystem::create_directory("html/gendex.txt");
  EXPECT_EQ(BuildGendexFile(run_), kResultCannotWrite);
  EXPECT_EQ(LogText(), ">BuildGendexFile\nUnable to create new GENDEX file.\n");

  std::filesystem::remove("html/gendex.txt");
  std::filesystem::create_symlink("/dev/full", "html/gendex.txt");
  std::filesystem::remove("kinloom.log");
  EXPECT_EQ(BuildGendexFile(run_), kResultCannotWrite);
  EXPECT_EQ(LogText(), ">BuildGendexFile\nUnable to create new GENDEX file.\n");
  EXPECT_EQ(run_.progress.pages_written, 0);
}

}  // namespace
}  // namespace kinloom::testing
