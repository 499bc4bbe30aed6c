// The batch command, run as a user runs it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "run/run_date.h"
#include "support/command.h"
#include "support/scratch_dir.h"
#include "support/windows_skip.h"

namespace kinloom {
namespace {

using testing::FileExists;
using testing::KinloomCreatePath;
using testing::kPlaceholderEmailLog;
using testing::ReadFile;
using testing::ReadText;
using testing::RunCommand;
using testing::ScratchDir;
using testing::SourceFile;
using testing::WriteFile;

TEST(KinloomCreateTest, VersionHelpAndUsageErrors) {
  ScratchDir dir;
  auto version = RunCommand(KinloomCreatePath() + " --version");
  EXPECT_EQ(version.exit_status, 0);
  EXPECT_EQ(version.out, "Kinloom Version 2.21\n");

  auto help = RunCommand(KinloomCreatePath() + " --help");
  EXPECT_EQ(help.exit_status, 0);
  EXPECT_NE(help.out.find("Usage: kinloom-create [-h | --help | --version]\n"), std::string::npos);
  // The three settings a run cannot do without.
  EXPECT_NE(help.out.find("kinloom.cfg holds one KEY=value per line; a run needs at least these "
                          "three:\n"
                          "  GEDFILE=family.ged              the GEDCOM file\n"
                          "  HOME=https://www.example.org/   the address of your home page\n"
                          "  EMAIL=me@example.org            your e-mail address\n"),
            std::string::npos);
  auto short_help = RunCommand(KinloomCreatePath() + " -h");
  EXPECT_EQ(short_help.exit_status, 0);
  EXPECT_EQ(short_help.out, help.out);

  for (const char* args : {" --frobnicate", " tree.ged", " --help --version"}) {
    auto bad = RunCommand(KinloomCreatePath() + args);
    EXPECT_EQ(bad.exit_status, 64) << args;
    EXPECT_NE(bad.err.find("Usage: kinloom-create"), std::string::npos) << args;
  }
  EXPECT_FALSE(FileExists("kinloom.log"));
  EXPECT_FALSE(FileExists("html"));
}

TEST(KinloomCreateTest, EmptyDirectoryAsksForTheEmailAddress) {
  ScratchDir dir;
  WriteFile("kinloom.log", "a log of an earlier start\n");
  auto result = RunCommand(KinloomCreatePath());
  EXPECT_EQ(result.exit_status, 3);
  EXPECT_EQ(result.out, "");
  // The missing kinloom.cfg is named first: it is why the address is the
  // placeholder.
  EXPECT_EQ(result.err, "No kinloom.cfg in " + dir.path() +
                            ": the default settings were used.\n"
                            "You forgot to fill in your E-mail address\n");
  EXPECT_EQ(ReadText("kinloom.log"), SourceFile(kPlaceholderEmailLog));
  EXPECT_TRUE(FileExists("html"));
  EXPECT_FALSE(FileExists("kinloom.cfg"));  // never written by the batch command
  EXPECT_FALSE(FileExists("indv.dat"));
}

TEST(KinloomCreateTest, CannotWriteAppendsTheFollowUpLines) {
  ScratchDir dir;
  WriteFile("kinloom.cfg", "EMAIL=me@example.org\nHOME=https://example.org/\n");
  WriteFile("html", "a file where the output directory belongs");
  WriteFile("smith.ged",
            "0 HEAD\n0 @I1@ INDI\n1 NAME Ann /Lee/\n0 @F1@ FAM\n1 WIFE @I1@\n0 TRLR\n");
  auto result = RunCommand(KinloomCreatePath());
  EXPECT_EQ(result.exit_status, 6);
  EXPECT_EQ(result.err,
            "Error opening file for write.\nSee kinloom.log file.\n"
            "Cannot write \"html/fam00001.htm\": Not a directory.\n");
  const std::string log = ReadText("kinloom.log");
  const std::string tail =
      "<CreateKinloom 6\n"
      "Cannot write \"html/fam00001.htm\": Not a directory.\n"
      "Windows has a limit of 32767 files in a single directory.\n"
      "You have most likely surpassed it.\n";
  ASSERT_GE(log.size(), tail.size());
  EXPECT_EQ(log.substr(log.size() - tail.size()), tail);
  EXPECT_NE(log.find("Unable to create new FAM file.\n"), std::string::npos);
}

TEST(KinloomCreateTest, ConfiguredRunFinishes) {
  ScratchDir dir;
  WriteFile("kinloom.cfg",
            "EMAIL=me@example.org\r\nHOME=https://example.org/\r\nGEDFILE=tree.ged\r\n");
  WriteFile("tree.ged", "0 HEAD\n0 @I1@ INDI\n1 NAME Ann /Lee/\n0 TRLR\n");
  auto result = RunCommand(KinloomCreatePath());
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(result.out, "        Finished!\n");
  EXPECT_EQ(result.err, "");
  EXPECT_TRUE(FileExists("html/surnames.htm"));
  EXPECT_TRUE(FileExists("html/gendex.txt"));
  // The pages name the default background picture; the build tree ships it.
  EXPECT_EQ(ReadFile("html/sand1.jpg"),
            ReadFile(std::string(KINLOOM_SOURCE_DIR) + "/example/html/sand1.jpg"));
}

TEST(KinloomCreateTest, GedcomFileThatCannotBeOpenedIsNamedWithTheReason) {
  ScratchDir dir;
  WriteFile("kinloom.cfg", "EMAIL=me@example.org\nHOME=https://example.org/\nGEDFILE=tree.ged\n");
  const std::string message =
      "Error opening GEDCOM file.\nVerify filename, and path are correct.\n";
  auto missing = RunCommand(KinloomCreatePath());
  EXPECT_EQ(missing.exit_status, 1);
  EXPECT_EQ(missing.err,
            message + "Cannot open the GEDCOM file \"tree.ged\": No such file or directory.\n");

  std::filesystem::create_directory("tree.ged");
  auto directory = RunCommand(KinloomCreatePath());
  EXPECT_EQ(directory.exit_status, 1);
  EXPECT_EQ(directory.err, message + "Cannot open the GEDCOM file \"tree.ged\": Is a directory.\n");
  // The log stays as it was: the reader's entry line and no more.
  EXPECT_EQ(ReadText("kinloom.log").find("tree.ged\":"), std::string::npos);
}

TEST(KinloomCreateTest, SkippedReferencesAreCountedOnStandardError) {
  ScratchDir dir;
  const std::string config = "EMAIL=me@example.org\nHOME=https://example.org/\nGEDFILE=tree.ged\n";
  WriteFile("tree.ged",
            "0 HEAD\n0 @I1@ INDI\n1 NAME Ann /Lee/\n1 FAMS @F1@\n1 FAMC @F2@\n"
            "0 @F1@ FAM\n1 WIFE @I1@\n1 HUSB @I2@\n0 TRLR\n");
  WriteFile("kinloom.cfg", config);
  auto refused = RunCommand(KinloomCreatePath());
  EXPECT_EQ(refused.exit_status, 5);
  EXPECT_EQ(refused.err,
            "Your gedcom file is invalid! See kinloom.log file.\n"
            "The GEDCOM file has 2 references without records (listed in kinloom.log). Skip "
            "Missing Records (SKIPMISSING=Y) publishes the tree with them left out.\n");

  WriteFile("kinloom.cfg", config + "SKIPMISSING=Y\n");
  auto skipped = RunCommand(KinloomCreatePath());
  EXPECT_EQ(skipped.exit_status, 0);
  EXPECT_EQ(skipped.out, "        Finished!\n");
  EXPECT_EQ(skipped.err, "Skipped 2 references without records.\n");
  EXPECT_TRUE(FileExists("html/fam00001.htm"));
  EXPECT_FALSE(FileExists("html/fam00002.htm"));
}

// One reference without a record: the hint and the count in the singular.
TEST(KinloomCreateTest, OneMissingRecordIsNamedInTheSingularWithTheWayOut) {
  ScratchDir dir;
  const std::string config = "EMAIL=me@example.org\nHOME=https://example.org/\nGEDFILE=tree.ged\n";
  WriteFile("tree.ged",
            "0 HEAD\n0 @I1@ INDI\n1 NAME Ann /Lee/\n1 FAMS @F1@\n"
            "0 @F1@ FAM\n1 WIFE @I1@\n1 CHIL @I7@\n0 TRLR\n");
  WriteFile("kinloom.cfg", config);
  auto refused = RunCommand(KinloomCreatePath());
  EXPECT_EQ(refused.exit_status, 5);
  EXPECT_EQ(refused.err,
            "Your gedcom file is invalid! See kinloom.log file.\n"
            "The GEDCOM file has 1 reference without a record (listed in kinloom.log). Skip "
            "Missing Records (SKIPMISSING=Y) publishes the tree with it left out.\n");

  WriteFile("kinloom.cfg", config + "SKIPMISSING=Y\n");
  auto skipped = RunCommand(KinloomCreatePath());
  EXPECT_EQ(skipped.exit_status, 0);
  EXPECT_EQ(skipped.err, "Skipped 1 reference without a record.\n");
  const std::string log = ReadText("kinloom.log");
  EXPECT_NE(log.find("Skipped 1 reference without a record.\n<CreateKinloom 0\n"),
            std::string::npos);
}

// Lines whose key is not a setting are named, one warning each, before the
// run; the rest of the file is read as ever.
TEST(KinloomCreateTest, LinesThatSetNothingAreWarnedAbout) {
  ScratchDir dir;
  WriteFile("kinloom.cfg",
            "HOME=https://example.org/\nGEDFILE=tree.ged\nEMAIL =me@example.org\n"
            "EMAIL=me@example.org\nemail=me@example.org\nNOTE=Y\nno key on this line\n");
  WriteFile("tree.ged", "0 HEAD\n0 @I1@ INDI\n1 NAME Ann /Lee/\n0 TRLR\n");
  auto result = RunCommand(KinloomCreatePath());
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(result.out, "        Finished!\n");
  EXPECT_EQ(result.err,
            "kinloom.cfg line 3: 'EMAIL ' is not a setting; ignored.\n"
            "kinloom.cfg line 5: 'email' is not a setting; ignored.\n"
            "kinloom.cfg line 6: 'NOTE' is not a setting; ignored.\n");
}

// A GEDCOM path as Explorer's "Copy as path" gives it, in double quotes.
TEST(KinloomCreateTest, QuotedGedcomPathIsUsedWithoutItsQuotes) {
  ScratchDir dir;
  std::filesystem::create_directory("my tree");
  WriteFile("my tree/family.ged", "0 HEAD\n0 @I1@ INDI\n1 NAME Ann /Lee/\n0 TRLR\n");
  WriteFile("kinloom.cfg",
            "EMAIL=me@example.org\nHOME=https://example.org/\nGEDFILE=\"my tree/family.ged\"\n");
  auto result = RunCommand(KinloomCreatePath());
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_NE(ReadText("kinloom.log").find("\ngedfile=my tree/family.ged\n"), std::string::npos);
}

// A folder where kinloom.lock cannot be made is no other run's: the run
// ends with "cannot write" and names the lock file, the folder and the
// system's reason. As root the folder is made immutable, as others read-only.
TEST(KinloomCreateTest, ReadOnlyFolderIsNotAnotherRun) {
  KINLOOM_SKIP_ON_WINDOWS("makes the folder read-only through the POSIX shell");
  ScratchDir dir;
  std::filesystem::create_directory("tree");
  WriteFile("tree/kinloom.cfg", "EMAIL=me@example.org\nHOME=https://example.org/\n");
  const bool root = RunCommand("id -u").out == "0\n";
  const std::string protect = root ? "chattr +i tree" : "chmod a-w tree";
  if (RunCommand(protect).exit_status != 0) GTEST_SKIP() << protect << " failed";
  auto result = RunCommand("(cd tree && " + KinloomCreatePath() + ")");
  (void)RunCommand(root ? "chattr -i tree" : "chmod u+w tree");
  EXPECT_EQ(result.exit_status, 6);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err,
            "Error opening file for write.\nSee kinloom.log file.\n"
            "Cannot write \"kinloom.lock\" in " +
                dir.path() + "/tree: " + (root ? "Operation not permitted" : "Permission denied") +
                ".\n");
  EXPECT_FALSE(FileExists("tree/kinloom.log"));
}

TEST(KinloomCreateTest, PrivacyRunTellsHowManyWerePresumedLiving) {
  ScratchDir dir;
  WriteFile("kinloom.cfg",
            "EMAIL=me@example.org\nHOME=https://example.org/\nGEDFILE=tree.ged\nPRIVACY=Y\n");
  WriteFile("tree.ged",
            "0 HEAD\n0 @I1@ INDI\n1 NAME Ann /Lee/\n0 @I2@ INDI\n1 NAME Bob /Lee/\n1 DEAT\n"
            "0 @I3@ INDI\n1 NAME Cy /Lee/\n0 TRLR\n");
  auto result = RunCommand(KinloomCreatePath());
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(result.out, "Presumed living: 2 of 3 individuals\n        Finished!\n");
  EXPECT_EQ(result.err, "");
}

// An ancestry loop leaves a whole site and names who is their own
// ancestor on standard error; the run finishes.
TEST(KinloomCreateTest, AncestryLoopIsNamedAndTheRunFinishes) {
  ScratchDir dir;
  WriteFile("kinloom.cfg",
            "EMAIL=me@example.org\nHOME=https://example.org/\nGEDFILE=tree.ged\nPEDIGREEALL=Y\n");
  WriteFile("tree.ged",
            "0 HEAD\n0 @I12@ INDI\n1 NAME Ann /Lee/\n1 FAMC @F1@\n1 FAMS @F1@\n"
            "0 @F1@ FAM\n1 WIFE @I12@\n1 CHIL @I12@\n0 TRLR\n");
  auto result = RunCommand(KinloomCreatePath());
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(result.out, "        Finished!\n");
  EXPECT_EQ(result.err, "Ancestry loop: Ann Lee (@I12@) is recorded as their own ancestor.\n");
  EXPECT_TRUE(FileExists("html/ped00012.htm"));
  EXPECT_TRUE(FileExists("html/surnames.htm"));
}

// With SOURCE_DATE_EPOCH the pages show that day (UTC), so two runs of one
// tree give the same bytes; a value that is not a number of seconds is
// ignored with one line on standard error.
TEST(KinloomCreateTest, SourceDateEpochFixesThePageDate) {
  KINLOOM_SKIP_ON_WINDOWS("sets the variable through the POSIX shell's env");
  ScratchDir dir;
  WriteFile("kinloom.cfg", "EMAIL=me@example.org\nHOME=https://example.org/\nGEDFILE=tree.ged\n");
  WriteFile(
      "tree.ged",
      "0 HEAD\n0 @I1@ INDI\n1 NAME Ann /Lee/\n1 FAMS @F1@\n0 @F1@ FAM\n1 WIFE @I1@\n0 TRLR\n");
  const std::string fixed = "SOURCE_DATE_EPOCH=1000000000 " + KinloomCreatePath();
  auto first = RunCommand(fixed);
  EXPECT_EQ(first.exit_status, 0);
  EXPECT_EQ(first.err, "");
  const std::string family = ReadText("html/fam00001.htm");
  const std::string surnames = ReadText("html/surnames.htm");
  EXPECT_NE(family.find("</A> on 09 September 2001<BR><BR>\n"), std::string::npos);
  EXPECT_NE(surnames.find("</A> on 09 September 2001<BR><BR>\n"), std::string::npos);
  std::filesystem::remove_all("html");
  auto second = RunCommand(fixed);
  EXPECT_EQ(second.exit_status, 0);
  EXPECT_EQ(ReadText("html/fam00001.htm"), family);
  EXPECT_EQ(ReadText("html/surnames.htm"), surnames);

  const std::string today = " on " + FormatPageDate(CurrentRunDate(RunDate{})) + "<BR><BR>\n";
  for (const char* bad : {"yesterday", "-1", "''"}) {
    auto ignored = RunCommand(std::string("SOURCE_DATE_EPOCH=") + bad + " " + KinloomCreatePath());
    EXPECT_EQ(ignored.exit_status, 0) << bad;
    EXPECT_EQ(ignored.out, "        Finished!\n");
    EXPECT_EQ(ignored.err,
              "kinloom-create: SOURCE_DATE_EPOCH is not a number of seconds since 1970; the pages "
              "show today's date.\n")
        << bad;
    EXPECT_NE(ReadText("html/fam00001.htm").find(today), std::string::npos) << bad;
  }
}

TEST(KinloomCreateTest, HelpNamesEveryExitCode) {
  ScratchDir dir;
  const std::string help = RunCommand(KinloomCreatePath() + " --help").out;
  EXPECT_NE(
      help.find("7 not returned any more, 8 another Kinloom run is working in this\nfolder);"),
      std::string::npos);
  EXPECT_NE(help.find("SOURCE_DATE_EPOCH"), std::string::npos);
}

}  // namespace
}  // namespace kinloom
