// The background picture put into the site: which folders get it, from
// where, and every case in which it is left alone.
#include "run/background_picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/scratch_dir.h"
#include "support/windows_skip.h"

namespace kinloom {
namespace {

namespace fs = std::filesystem;
using testing::FileExists;
using testing::ReadFile;
using testing::ScratchDir;
using testing::WriteFile;

constexpr const char* kShipped = "shipped sand";

// A scratch folder with html/ (and its sub-directories with SUBDIRS "Y")
// as the run leaves it, and an installation that ships sand1.jpg.
class BackgroundPictureTest : public ::testing::Test {
 protected:
  BackgroundPictureTest() {
    fs::create_directories("prefix/share/kinloom");
    WriteFile("prefix/share/kinloom/sand1.jpg", kShipped);
    installed_ = InstalledData::ForExecutable((fs::current_path() / "prefix/bin/kinloom").string());
    fs::create_directory("html");
  }

  int Place() { return BackgroundPicture(settings_, installed_).Place(notices_); }

  // The files under html/, with their bytes, one "path=bytes" per line.
  static std::string Tree() {
    std::vector<std::string> lines;
    for (const auto& entry : fs::recursive_directory_iterator("html")) {
      if (entry.is_regular_file()) {
        lines.push_back(entry.path().generic_string() + "=" + ReadFile(entry.path().string()));
      }
    }
    std::sort(lines.begin(), lines.end());
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
  }

  ScratchDir dir_;
  Settings settings_;
  InstalledData installed_;
  RunNotices notices_;
};

TEST_F(BackgroundPictureTest, DefaultPictureComesFromTheInstallation) {
  EXPECT_EQ(Place(), 1);
  EXPECT_EQ(Tree(), "html/sand1.jpg=shipped sand\n");
  EXPECT_TRUE(notices_.empty());
  // A second run finds it there.
  EXPECT_EQ(Place(), 0);
}

TEST_F(BackgroundPictureTest, EachPageDirectoryGetsOneWithSubDirectories) {
  settings_.subdirs = 'Y';
  for (const char* sub : {"fam", "ind", "nti", "ntf", "ped", "pho"}) {
    fs::create_directory(std::string("html/") + sub);
  }
  WriteFile("html/ped/sand1.jpg", "mine");
  EXPECT_EQ(Place(), 6);
  EXPECT_EQ(Tree(),
            "html/fam/sand1.jpg=shipped sand\n"
            "html/ind/sand1.jpg=shipped sand\n"
            "html/ntf/sand1.jpg=shipped sand\n"
            "html/nti/sand1.jpg=shipped sand\n"
            "html/ped/sand1.jpg=mine\n"
            "html/pho/sand1.jpg=shipped sand\n"
            "html/sand1.jpg=shipped sand\n");
}

TEST_F(BackgroundPictureTest, ThePictureInTheCurrentFolderComesFirst) {
  WriteFile("sand1.jpg", "my sand");
  WriteFile("paper.png", "my paper");
  EXPECT_EQ(Place(), 1);
  settings_.bgpic = "paper.png";
  EXPECT_EQ(Place(), 1);
  EXPECT_EQ(Tree(), "html/paper.png=my paper\nhtml/sand1.jpg=my sand\n");
}

TEST_F(BackgroundPictureTest, WhatIsThereStaysEvenALinkToNowhere) {
  KINLOOM_SKIP_ON_WINDOWS("compares paths in their POSIX form and plants symbolic links");
  WriteFile("html/sand1.jpg", "the user's");
  fs::create_symlink("/nonexistent/outside", "html/paper.png");
  WriteFile("paper.png", "my paper");
  EXPECT_EQ(Place(), 0);
  settings_.bgpic = "paper.png";
  EXPECT_EQ(Place(), 0);
  EXPECT_EQ(Tree(), "html/sand1.jpg=the user's\n");
  EXPECT_TRUE(fs::is_symlink("html/paper.png"));
  EXPECT_TRUE(notices_.empty());
}

TEST_F(BackgroundPictureTest, NamesThatLeaveTheFolderAreLeftAlone) {
  fs::create_directories("pics");
  WriteFile("pics/a.jpg", "a");
  WriteFile("a.jpg", "a");
  for (const char* name : {"pics/a.jpg", "../a.jpg", "..", ".", "", "pics\\a.jpg", "C:a.jpg",
                           "http://example.org/a.jpg", "/tmp/a.jpg"}) {
    SCOPED_TRACE(name);
    settings_.bgpic = name;
    EXPECT_FALSE(BackgroundPicture::IsBareFileName(name));
    EXPECT_EQ(Place(), 0);
  }
  EXPECT_EQ(Tree(), "");
  EXPECT_TRUE(notices_.empty());
}

TEST_F(BackgroundPictureTest, ColourBackgroundOrADirectoryByThatNameCopiesNothing) {
  KINLOOM_SKIP_ON_WINDOWS("compares paths in their POSIX form and plants symbolic links");
  settings_.background = 'C';
  EXPECT_EQ(Place(), 0);
  settings_.background = 'G';
  fs::create_directory("sand1.jpg");  // not a picture: not replaced by the shipped one
  EXPECT_EQ(Place(), 0);
  settings_.bgpic = "null";
  fs::create_symlink("/dev/null", "null");
  EXPECT_EQ(Place(), 0);
  settings_.bgpic = "pics";
  fs::create_directory("elsewhere");
  fs::create_symlink("elsewhere", "pics");
  EXPECT_EQ(Place(), 0);
  EXPECT_EQ(Tree(), "");
  EXPECT_TRUE(notices_.empty());
}

TEST_F(BackgroundPictureTest, MissingShippedPictureIsToldOnce) {
  fs::remove("prefix/share/kinloom/sand1.jpg");
  settings_.subdirs = 'Y';
  for (const char* sub : {"fam", "ind"}) fs::create_directory(std::string("html/") + sub);
  EXPECT_EQ(Place(), 0);
  EXPECT_EQ(Tree(), "");
  ASSERT_EQ(notices_.lines().size(), 1u);
  EXPECT_EQ(notices_.lines()[0],
            "The background picture sand1.jpg that comes with Kinloom is missing from the "
            "installation: the pages name it, but the site has none.");
  // A picture of the user's own that is nowhere is the user's business.
  RunNotices quiet;
  settings_.bgpic = "paper.png";
  EXPECT_EQ(BackgroundPicture(settings_, installed_).Place(quiet), 0);
  EXPECT_TRUE(quiet.empty());
}

TEST(InstalledDataTest, FilesAreLookedForBesideAndAboveTheProgram) {
  KINLOOM_SKIP_ON_WINDOWS("compares paths in their POSIX form and plants symbolic links");
  ScratchDir dir;
  const fs::path root = fs::current_path();
  const InstalledData data = InstalledData::ForExecutable((root / "usr/bin/kinloom").string());
  EXPECT_EQ(data.folders(), (std::vector<std::string>{(root / "usr/share/kinloom").string(),
                                                      (root / "usr/bin").string(),
                                                      (root / "usr/bin/share/kinloom").string()}));
  EXPECT_EQ(data.Find("help.htm"), std::nullopt);
  fs::create_directories("usr/bin/share/kinloom");
  WriteFile("usr/bin/share/kinloom/help.htm", "build tree");
  EXPECT_EQ(data.Find("help.htm"), (root / "usr/bin/share/kinloom/help.htm").string());
  WriteFile("usr/bin/help.htm", "windows");
  EXPECT_EQ(data.Find("help.htm"), (root / "usr/bin/help.htm").string());
  fs::create_directories("usr/share/kinloom/help.htm");  // a directory does not count
  EXPECT_EQ(data.Find("help.htm"), (root / "usr/bin/help.htm").string());
  EXPECT_TRUE(InstalledData::ForExecutable("").folders().empty());

  EXPECT_EQ(HelpFilePath(data), (root / "usr/bin/help.htm").string());
  WriteFile("help.htm", "the user's own");
  EXPECT_EQ(HelpFilePath(data), "help.htm");
  EXPECT_EQ(HelpFilePath(InstalledData()), "help.htm");
  fs::remove("help.htm");
  EXPECT_EQ(HelpFilePath(InstalledData()), std::nullopt);
}

}  // namespace
}  // namespace kinloom
