#include "run/driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "run/run.h"
#include "store/work_files.h"
#include "support/scratch_dir.h"

namespace kinloom {
namespace {

using testing::FileExists;
using testing::kPlaceholderEmailLog;
using testing::ReadText;
using testing::ScratchDir;
using testing::SourceFile;
using testing::WriteFile;

// The log's settings block with the default settings, as the whole log of
// a stop at the placeholder address begins.
std::string SettingsBlock() {
  const std::string log = SourceFile(kPlaceholderEmailLog);
  return log.substr(0, log.find(">OpenKinloomFiles"));
}

bool IsDirectory(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_directory(path, error);
}

void ExpectNoWorkFiles() {
  for (const char* name : kWorkFileNames) EXPECT_FALSE(FileExists(name)) << name;
}

TEST(CreateKinloomTest, PlaceholderEmailStopsBeforeReading) {
  ScratchDir dir;
  kinloom::Run run;  // defaults: both addresses are placeholders
  EXPECT_EQ(CreateKinloom(run), kResultPlaceholderEmail);
  EXPECT_EQ(ReadText("kinloom.log"), SourceFile(kPlaceholderEmailLog));
  EXPECT_TRUE(IsDirectory("html"));
  EXPECT_FALSE(IsDirectory("html/fam"));
  ExpectNoWorkFiles();
}

TEST(CreateKinloomTest, PlaceholderHomeStopsWithFour) {
  ScratchDir dir;
  kinloom::Run run;
  run.settings.email = "me@example.org";
  EXPECT_EQ(CreateKinloom(run), kResultPlaceholderHome);
  // Only exact equality counts: a changed case passes the check.
  run.settings.home = std::string(kPlaceholderHome) + " ";
  run.settings.gedfile = "missing.ged";
  EXPECT_EQ(CreateKinloom(run), kResultGedcomNotOpened);
  run.settings.email = "";
  run.settings.home = "";
  EXPECT_EQ(CreateKinloom(run), kResultGedcomNotOpened);
}

TEST(CreateKinloomTest, MissingGedcomFileEndsAfterReadGedcomEntry) {
  ScratchDir dir;
  kinloom::Run run;
  run.settings.email = "me@example.org";
  run.settings.home = "https://example.org/";
  run.settings.gedfile = "no-such-file.ged";
  EXPECT_EQ(CreateKinloom(run), kResultGedcomNotOpened);
  const std::string log = ReadText("kinloom.log");
  const std::string tail =
      "<OpenKinloomFiles\n"
      ">ReadGedcom\n"
      ">CloseKinloomFiles\n"
      "<CloseKinloomFiles\n"
      "<CreateKinloom 1\n";
  ASSERT_GE(log.size(), tail.size());
  EXPECT_EQ(log.substr(log.size() - tail.size()), tail);
  ExpectNoWorkFiles();
}

TEST(CreateKinloomTest, SubdirectoriesAreCreatedAndReused) {
  ScratchDir dir;
  kinloom::Run run;
  run.settings.subdirs = 'Y';
  EXPECT_EQ(CreateKinloom(run), kResultPlaceholderEmail);
  for (const char* sub : {"fam", "ind", "nti", "ntf", "ped", "pho"}) {
    EXPECT_TRUE(IsDirectory(std::string("html/") + sub)) << sub;
  }
  WriteFile("html/fam/old.htm", "kept");
  EXPECT_EQ(CreateKinloom(run), kResultPlaceholderEmail);
  EXPECT_EQ(ReadText("html/fam/old.htm"), "kept");
}

TEST(CreateKinloomTest, TwoRunsLeaveTwoCompleteBlocks) {
  ScratchDir dir;
  kinloom::Run run;
  CreateKinloom(run);
  run.settings.email = "me@example.org";
  CreateKinloom(run);
  const std::string log = ReadText("kinloom.log");
  EXPECT_EQ(log.find(">CreateKinloom\n"), 0u);
  const std::size_t second = log.find(">CreateKinloom\n", 1);
  ASSERT_NE(second, std::string::npos);
  EXPECT_NE(log.rfind("<CreateKinloom 3\n", second), std::string::npos);
  EXPECT_EQ(log.substr(log.size() - 17), "<CreateKinloom 4\n");
}

TEST(CreateKinloomTest, WorkFileThatCannotBeCreatedStopsWithSix) {
  ScratchDir dir;
  ASSERT_TRUE(
      std::filesystem::create_directory("src.dat"));  // a directory where a work file belongs
  kinloom::Run run;
  run.settings.email = "me@example.org";
  run.settings.home = "https://example.org/";
  run.settings.gedfile = "tree.ged";
  WriteFile("tree.ged", "0 HEAD\n0 TRLR\n");
  EXPECT_EQ(CreateKinloom(run), kResultCannotWrite);
  EXPECT_EQ(ReadText("kinloom.log"),
            SettingsBlock().replace(SettingsBlock().find("smith.ged"), 9, "tree.ged") +
                ">OpenKinloomFiles\n"
                "Unable to create work file src.dat.\n"
                ">CloseKinloomFiles\n"
                "<CloseKinloomFiles\n"
                "<CreateKinloom 6\n");
  for (const char* name : kWorkFileNames) {
    if (std::string(name) != "src.dat") {
      EXPECT_FALSE(FileExists(name)) << name;
    }
  }
  EXPECT_TRUE(IsDirectory("src.dat"));
}

TEST(CreateKinloomTest, LongLogLinesAreCutAt255) {
  ScratchDir dir;
  kinloom::Run run;
  run.settings.gedfile = std::string(150, 'g');
  run.settings.pedigreelist = std::string(100, '1');
  CreateKinloom(run);
  const std::string log = ReadText("kinloom.log");
  EXPECT_NE(log.find("gedfile=" + std::string(150, 'g') + "\n"), std::string::npos);

  RunLog direct;
  direct.LogFormatted("x=%s", std::string(400, 'z'));
  const std::string after = ReadText("kinloom.log");
  EXPECT_EQ(after.substr(after.size() - 256), "x=" + std::string(253, 'z') + "\n");
}

// The progress a terminal shows, in words: each phase of a run with notes,
// photos and charts, in the order the run enters them.
TEST(CreateKinloomTest, ProgressNamesThePhasesInPlainWords) {
  ScratchDir dir;
  WriteFile("tree.ged",
            "0 HEAD\n0 @I1@ INDI\n1 NAME Ann /Lee/\n1 NOTE Baker\n1 OBJE\n2 FILE ann.jpg\n"
            "1 FAMS @F1@\n0 @F1@ FAM\n1 WIFE @I1@\n1 NOTE Wed\n0 TRLR\n");
  kinloom::Run run;
  run.settings.email = "me@example.org";
  run.settings.home = "https://example.org/";
  run.settings.gedfile = "tree.ged";
  run.settings.photos = 'Y';
  run.settings.pedigreeall = 'Y';
  std::vector<std::string> titles;
  long lines_read = 0;
  run.on_progress = [&](const Progress& p) {
    const std::string title(PhaseTitle(p.phase));
    if (!title.empty() && (titles.empty() || titles.back() != title)) titles.push_back(title);
    lines_read = std::max(lines_read, p.lines_read);
  };
  ASSERT_EQ(CreateKinloom(run), kResultOk);
  EXPECT_EQ(titles, (std::vector<std::string>{"Reading GEDCOM file", "Checking cross-references",
                                              "Family pages", "Notes pages", "Photo pages",
                                              "Pedigree charts", "Sorting names", "Names index",
                                              "Surnames and GENDEX"}));
  EXPECT_EQ(lines_read, 11);
}

TEST(RunResultMessageTest, EveryCodeHasItsTextAndIcon) {
  struct Case {
    int result;
    const char* text;
    MessageIcon icon;
  };
  const Case cases[] = {
      {0, "        Finished!", MessageIcon::kNone},
      {1, "Error opening GEDCOM file.\nVerify filename, and path are correct.",
       MessageIcon::kWarning},
      {2, "Gedcom has non-abbreviated tags.", MessageIcon::kWarning},
      {3, "You forgot to fill in your E-mail address", MessageIcon::kWarning},
      {4, "You forgot to fill in your homepage address", MessageIcon::kWarning},
      {5, "Your gedcom file is invalid! See kinloom.log file.", MessageIcon::kWarning},
      {6, "Error opening file for write.\nSee kinloom.log file.", MessageIcon::kWarning},
      {7, "Undefined Kinloom Error. See kinloom.log file.", MessageIcon::kWarning},
      {-1, "Undefined Kinloom Error. See kinloom.log file.", MessageIcon::kWarning},
      {42, "Undefined Kinloom Error. See kinloom.log file.", MessageIcon::kWarning},
  };
  for (const Case& c : cases) {
    const ResultMessage message = RunResultMessage(c.result);
    EXPECT_EQ(message.text, c.text) << "result " << c.result;
    EXPECT_EQ(message.icon, c.icon) << "result " << c.result;
  }
  EXPECT_EQ(kResultMessageTitle, "Kinloom Create");
}

}  // namespace
}  // namespace kinloom
