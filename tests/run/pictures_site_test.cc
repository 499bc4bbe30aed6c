// Whole runs over trees whose photos name pictures the way real exports
// do: the pictures are found under the pictures folder, copied beside the
// photo pages, and what could not be found is reported.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "run/driver.h"
#include "run/run.h"
#include "support/scratch_dir.h"
#include "support/windows_skip.h"

namespace kinloom {
namespace {

namespace fs = std::filesystem;

using testing::FileExists;
using testing::ReadFile;
using testing::ReadText;
using testing::ScratchDir;
using testing::WriteFile;

std::string NotFound(const std::string& written, const std::string& folder = "tree") {
  return "Picture not found: " + written + " (looked in " + folder + ")\n";
}

// One person per picture, each with one photo titled "Picture N".
std::string Tree(const std::vector<std::string>& files) {
  std::string out = "0 HEAD\n1 CHAR UTF-8\n";
  int n = 0;
  for (const std::string& file : files) {
    const std::string number = std::to_string(++n);
    out += "0 @I" + number + "@ INDI\n1 NAME Person" + number + " /Smith/\n1 OBJE\n2 FILE " + file +
           "\n2 TITL Picture " + number + "\n";
  }
  return out + "0 TRLR\n";
}

void Put(const std::string& path, const std::string& bytes) {
  fs::create_directories(fs::path(path).parent_path());
  WriteFile(path, bytes);
}

class PicturesSiteTest : public ::testing::Test {
 protected:
  int Publish(const std::vector<std::string>& files) { return PublishTree(Tree(files)); }

  int PublishTree(const std::string& gedcom) {
    fs::create_directories("tree");
    WriteFile("tree/tree.ged", gedcom);
    fs::remove("kinloom.log");  // as kinloom-create does
    run_.settings.gedfile = "tree/tree.ged";
    run_.settings.email = "me@example.org";
    run_.settings.home = "https://example.org/";
    run_.settings.notes = 'N';
    run_.settings.photos = 'Y';
    run_.settings.background = 'C';
    run_.on_warning = [](std::string_view) {};
    run_.test_options.fixed_page_date = "08 December 2026";
    return CreateKinloom(run_);
  }

  // The log's lines between the photo phase's own.
  // The lines of kinloom.changes that name pictures.
  static std::string PictureChanges() {
    const std::string changes = ReadText("kinloom.changes");
    std::string lines;
    std::size_t start = 0;
    while (start < changes.size()) {
      const std::size_t end = changes.find('\n', start);
      const std::string line = changes.substr(start, end - start);
      if (line.ends_with(".jpg")) lines += line + "\n";
      start = end + 1;
    }
    return lines;
  }

  static std::string PhotoLines() {
    const std::string log = ReadText("kinloom.log");
    const std::size_t start = log.find(">BuildPhotoPages\n") + 17;
    return log.substr(start, log.find("<BuildPhotoPages\n") - start);
  }

  // The line of a photo page that shows the picture.
  static std::string PictureLine(const std::string& page) {
    const std::string text = ReadText(page);
    const std::size_t start = text.find("<CENTER><", text.find("<HR NOSHADE SIZE=3>\n"));
    return text.substr(start, text.find('\n', start) - start);
  }

  // The files in html/ that are not pages (the background picture aside).
  static std::vector<std::string> Pictures() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator("html")) {
      const std::string name = entry.path().filename().string();
      if (!name.ends_with(".htm") && name != "gendex.txt" && name != "sand1.jpg") {
        names.push_back(name + "=" + ReadFile("html/" + name));
      }
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  ScratchDir dir_;
  kinloom::Run run_;
};

TEST_F(PicturesSiteTest, FindsEachPictureByItsPathFoldersOrNameAndCopiesItOnce) {
  Put("tree/Media/Smith/a.jpg", "A");
  Put("tree/photos/B.JPG", "B");
  Put("tree/one/img001.jpg", "ONE");
  Put("tree/two/img001.jpg", "TWO");
  Put("tree/scans/letter.pdf", "PDF");
  Put("tree/2019/Smith/dup.jpg", "SMITH");
  Put("tree/2020/Jones/dup.jpg", "JONES");
  Put("tree/x/same.png", "X");
  Put("tree/y/same.png", "Y");
  const std::vector<std::string> files = {
      "C:\\FTM\\Media\\Smith\\a.jpg",             // 1: its last folders and name
      "photos/b.jpg",                             // 2: the name in another case
      "X:\\one\\img001.jpg",                      // 3
      "\\\\server\\share\\two\\img001.jpg",       // 4: another picture, same name
      "file:///home/u/scans/letter.pdf",          // 5: not shown by browsers
      "http://example.org/wiki/Pic?a=1&b=\"2\"",  // 6: a web address
      "D:\\Pics\\SMITH\\dup.jpg",                 // 7: the best folder match
      "same.png",                                 // 8: two equal matches
      "missing.jpg",                              // 9
      "C:\\FTM\\Media\\Smith\\a.jpg",             // 10: the same picture again
      "photos\\B.jpg",                            // 11: the same file as 2
  };
  ASSERT_EQ(Publish(files), kResultOk);
  EXPECT_EQ(PhotoLines(), "Picture found more than once: same.png (took x/same.png)\n" +
                              NotFound("missing.jpg") +
                              "Pictures: 7 copied, 0 already in place, 1 not found.\n");
  EXPECT_EQ(run_.notices.Text(),
            "1 pictures were not found (listed in kinloom.log); set the pictures folder.");
  EXPECT_EQ(Pictures(),
            (std::vector<std::string>{"a.jpg=A", "b.jpg=B", "dup.jpg=SMITH", "img001-2.jpg=TWO",
                                      "img001.jpg=ONE", "letter.pdf=PDF", "same.png=X"}));
  EXPECT_EQ(PictureLine("html/pho00001.htm"),
            "<CENTER><img src=\"a.jpg\"><br><B>Picture 1</B></CENTER>");
  EXPECT_EQ(PictureLine("html/pho00003.htm"),
            "<CENTER><img src=\"img001.jpg\"><br><B>Picture 3</B></CENTER>");
  EXPECT_EQ(PictureLine("html/pho00004.htm"),
            "<CENTER><img src=\"img001-2.jpg\"><br><B>Picture 4</B></CENTER>");
  EXPECT_EQ(PictureLine("html/pho00005.htm"),
            "<CENTER><A HREF=\"letter.pdf\">letter.pdf</A><br><B>Picture 5</B></CENTER>");
  EXPECT_EQ(PictureLine("html/pho00006.htm"),
            "<CENTER><A HREF=\"http://example.org/wiki/Pic?a=1&amp;b=&quot;2&quot;\">"
            "http://example.org/wiki/Pic?a=1&amp;b=\"2\"</A><br><B>Picture 6</B>"
            "</CENTER>");
  EXPECT_EQ(PictureLine("html/pho00009.htm"),
            "<CENTER><img src=\"missing.jpg\"><br><B>Picture 9</B></CENTER>");
  EXPECT_EQ(PictureLine("html/pho00010.htm"),
            "<CENTER><img src=\"a.jpg\"><br><B>Picture 10</B></CENTER>");
  EXPECT_EQ(PictureLine("html/pho00011.htm"),
            "<CENTER><img src=\"b.jpg\"><br><B>Picture 11</B></CENTER>");

  // Again: everything is in place.
  ASSERT_EQ(Publish(files), kResultOk);
  EXPECT_EQ(PhotoLines().substr(PhotoLines().find("Pictures:")),
            "Pictures: 0 copied, 7 already in place, 1 not found.\n");

  // A changed picture replaces Kinloom's earlier copy; a copy the user
  // changed stays, and so does a file the user put there himself.
  Put("tree/Media/Smith/a.jpg", "A2");
  WriteFile("html/b.jpg", "MINE");
  WriteFile("html/missing.jpg", "PUT BY HAND");
  ASSERT_EQ(Publish(files), kResultOk);
  EXPECT_EQ(PhotoLines(),
            "Picture not replaced: html/b.jpg differs from photos/b.jpg and was not copied by "
            "Kinloom\n"
            "Picture found more than once: same.png (took x/same.png)\n"
            "Pictures: 1 copied, 6 already in place, 0 not found.\n");
  EXPECT_EQ(run_.notices.Text(), "");
  EXPECT_EQ(ReadFile("html/a.jpg"), "A2");
  EXPECT_EQ(ReadFile("html/b.jpg"), "MINE");
  EXPECT_EQ(ReadFile("html/missing.jpg"), "PUT BY HAND");
}

TEST_F(PicturesSiteTest, PicturesFolderSettingAndAFolderThatDoesNotExist) {
  Put("pics/deep/a.jpg", "A");
  Put("tree/a.jpg", "NOT THIS ONE");
  run_.settings.photodir = "pics";
  run_.settings.subdirs = 'Y';
  ASSERT_EQ(Publish({"C:\\Users\\me\\deep\\a.jpg"}), kResultOk);
  EXPECT_EQ(ReadFile("html/pho/a.jpg"), "A");
  EXPECT_FALSE(FileExists("html/a.jpg"));
  EXPECT_EQ(PhotoLines(), "Pictures: 1 copied, 0 already in place, 0 not found.\n");

  run_.settings.photodir = "nowhere";
  ASSERT_EQ(Publish({"a.jpg", "b.jpg"}), kResultOk);
  EXPECT_EQ(PhotoLines(), "Pictures folder not found: nowhere\n" + NotFound("b.jpg", "nowhere") +
                              "Pictures: 0 copied, 1 already in place, 1 not found.\n");
  EXPECT_EQ(run_.notices.Text(),
            "Pictures folder not found: nowhere\n"
            "1 pictures were not found (listed in kinloom.log); set the pictures folder.");
}

TEST_F(PicturesSiteTest, BadPathsAreReportedAndNeverLeaveThePicturesFolder) {
#ifdef _WIN32
  // Names that differ only in case are one file.
  const std::string kCaseCount = "Pictures: 1 copied, 0 already in place, 8 not found.\n";
  const std::vector<std::string> kCaseCopies = {"case.jpg=lower"};
#else
  // Two files: the second gets a name of its own.
  const std::string kCaseCount = "Pictures: 2 copied, 0 already in place, 8 not found.\n";
  const std::vector<std::string> kCaseCopies = {"case-2.jpg=lower", "case.jpg=UPPER"};
#endif
  WriteFile("secret.jpg", "SECRET");
  Put("outside/o.jpg", "OUTSIDE");
  Put("tree/evil.exe", "EXE");
  Put("tree/Case.jpg", "UPPER");
  Put("tree/case.jpg", "lower");
  fs::create_directories("tree/folder.jpg");
  const std::string outside = fs::canonical(".").string() + "/secret.jpg";
  ASSERT_EQ(Publish({"../secret.jpg", outside, "CON.jpg", "folder.jpg", "evil.exe", "Case.jpg",
                     "case.jpg", std::string(300, 'a') + ".jpg", "..\\..\\..\\etc\\passwd", "nul",
                     "tab\there.jpg"}),
            kResultOk);
  EXPECT_EQ(PhotoLines(),
            NotFound("../secret.jpg") + NotFound(outside) +
                "Picture refused: CON.jpg (a device name)\n" + NotFound("folder.jpg") +
                "Picture not copied, not a picture or media file: evil.exe\n"
                // The log cuts its lines at 255 characters.
                "Picture refused: " +
                std::string(255 - 17, 'a') + "\n" + NotFound("..\\..\\..\\etc\\passwd") +
                "Picture refused: nul (a device name)\n"
                "Picture refused: tab\there.jpg (control characters in the name)\n" +
                kCaseCount);
  EXPECT_EQ(Pictures(), kCaseCopies);
  EXPECT_EQ(ReadFile("secret.jpg"), "SECRET");
}

TEST_F(PicturesSiteTest, LinksLeadingOutOfTheFolderAreNotFollowed) {
  KINLOOM_SKIP_ON_WINDOWS("symbolic links need privileges");
  WriteFile("secret.jpg", "SECRET");
  Put("outside/o.jpg", "OUTSIDE");
  Put("tree/inside.jpg", "INSIDE");
  fs::create_directories("tree");
  fs::create_symlink("../secret.jpg", "tree/link.jpg");
  fs::create_symlink("../outside", "tree/outdir");
  fs::create_symlink("inside.jpg", "tree/alias.jpg");
  ASSERT_EQ(Publish({"link.jpg", "outdir/o.jpg", "C:\\old\\o.jpg", "alias.jpg"}), kResultOk);
  EXPECT_EQ(PhotoLines(), NotFound("link.jpg") + NotFound("outdir/o.jpg") +
                              NotFound("C:\\old\\o.jpg") +
                              "Pictures: 1 copied, 0 already in place, 3 not found.\n");
  EXPECT_EQ(Pictures(), (std::vector<std::string>{"alias.jpg=INSIDE"}));
}

TEST_F(PicturesSiteTest, WithChangedOnlyCopiesAreRecordedLikePages) {
  run_.settings.changedonly = 'Y';
  Put("tree/a.jpg", "A");
  Put("tree/b.jpg", "B");
  ASSERT_EQ(Publish({"a.jpg", "b.jpg"}), kResultOk);
  EXPECT_EQ(PictureChanges(), "written a.jpg\nwritten b.jpg\n");
  const auto time = fs::last_write_time("html/a.jpg");

  ASSERT_EQ(Publish({"a.jpg", "b.jpg"}), kResultOk);
  EXPECT_EQ(ReadText("kinloom.changes"), "");
  EXPECT_EQ(fs::last_write_time("html/a.jpg"), time);
  EXPECT_EQ(PhotoLines(), "Pictures: 0 copied, 2 already in place, 0 not found.\n");

  // b.jpg is no longer named; a.jpg changed.
  Put("tree/a.jpg", "A2");
  ASSERT_EQ(Publish({"a.jpg"}), kResultOk);
  EXPECT_EQ(PictureChanges(), "written a.jpg\nremoved b.jpg\n");
  EXPECT_EQ(ReadFile("html/a.jpg"), "A2");
  EXPECT_FALSE(FileExists("html/b.jpg"));
}

TEST_F(PicturesSiteTest, PhotosOfPeopleHiddenAsLivingAreNeverCopied) {
  Put("tree/living.jpg", "L");
  Put("tree/dead.jpg", "D");
  run_.settings.privacy = 'Y';
  // The first person has no death and is presumed living; the second died.
  std::string tree = Tree({"living.jpg", "dead.jpg"});
  tree.insert(tree.find("0 TRLR"), "1 DEAT Y\n");
  ASSERT_EQ(PublishTree(tree), kResultOk);
  EXPECT_EQ(Pictures(), (std::vector<std::string>{"dead.jpg=D"}));
  EXPECT_EQ(PhotoLines(), "Pictures: 1 copied, 0 already in place, 0 not found.\n");
}

}  // namespace
}  // namespace kinloom
