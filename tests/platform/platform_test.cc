#include "platform/platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "support/scratch_dir.h"

namespace kinloom::platform {
namespace {

using kinloom::testing::ReadFile;
using kinloom::testing::ScratchDir;

// How the system ends a line in a text file.
std::string Line(const std::string& text) {
  return text + (DirectorySeparator() == '\\' ? "\r\n" : "\n");
}

TEST(PlatformTest, BinaryFilesAreReadAndWrittenAtOffsetsUnchanged) {
  ScratchDir dir;
  const FileHandle file = OpenFile("data.bin", OpenMode::kReadWriteBinary);
  ASSERT_NE(file, kNoFile);
  const std::string bytes("a\nb\r\n\0z", 7);
  ASSERT_TRUE(WriteAt(file, bytes.data(), bytes.size(), 3));
  std::string back(16, 'x');
  // Reading past the end stops at the end; the hole before offset 3 is zeros.
  EXPECT_EQ(ReadAt(file, back.data(), back.size(), 0), 10u);
  EXPECT_EQ(back.substr(0, 10), std::string(3, '\0') + bytes);
  EXPECT_EQ(ReadAt(file, back.data(), 4, 100), 0u);
  EXPECT_TRUE(CloseFile(file));
  EXPECT_EQ(ReadFile("data.bin"), std::string(3, '\0') + bytes);

  // Opening again empties the file.
  const FileHandle again = OpenFile("data.bin", OpenMode::kReadWriteBinary);
  ASSERT_NE(again, kNoFile);
  EXPECT_TRUE(CloseFile(again));
  EXPECT_EQ(ReadFile("data.bin"), "");
}

// A lock shows whether its file is open: another open file cannot take it.
TEST(PlatformTest, FileClosesWhenItGoesAndNotWhenItIsMovedAway) {
  ScratchDir dir;
  File outer;
  {
    File held(TryLockFile("kinloom.lock"));
    ASSERT_TRUE(held.is_open());
    outer = std::move(held);
    EXPECT_FALSE(held.is_open());  // NOLINT(bugprone-use-after-move): what a move leaves
  }
  EXPECT_EQ(TryLockFile("kinloom.lock"), kNoFile);  // outer still holds it
  outer = File();                                   // closed by the one put in its place
  File again(TryLockFile("kinloom.lock"));
  ASSERT_TRUE(again.is_open());
  EXPECT_TRUE(again.Close());
  EXPECT_FALSE(again.is_open());
  File third(TryLockFile("kinloom.lock"));
  EXPECT_TRUE(third.is_open());
}

TEST(PlatformTest, TextFilesEndLinesAsTheSystemDoesAndAppendKeepsWhatIsThere) {
  ScratchDir dir;
  const FileHandle page = OpenFile("page.htm", OpenMode::kWriteText);
  ASSERT_NE(page, kNoFile);
  ASSERT_TRUE(WriteAll(page, "one\ntwo\n", 8));
  EXPECT_TRUE(CloseFile(page));
  EXPECT_EQ(ReadFile("page.htm"), Line("one") + Line("two"));

  for (const char* text : {"first\n", "second\n"}) {
    const FileHandle log = OpenFile("run.log", OpenMode::kAppendText);
    ASSERT_NE(log, kNoFile);
    ASSERT_TRUE(WriteAll(log, text, std::string(text).size()));
    EXPECT_TRUE(CloseFile(log));
  }
  EXPECT_EQ(ReadFile("run.log"), Line("first") + Line("second"));
}

TEST(PlatformTest, CopyRangeAppendsPartOfAnUnnamedFile) {
  ScratchDir dir;
  const FileHandle scratch = OpenUnnamedFile(".");
  if (scratch == kNoFile) GTEST_SKIP() << "this file system makes no file without a name";
  std::string text;
  for (int n = 0; n < 40000; ++n) text += "line " + std::to_string(n) + "\n";
  ASSERT_TRUE(WriteAt(scratch, text.data(), text.size(), 0));

  const FileHandle page = OpenFile("copy.htm", OpenMode::kWriteText);
  ASSERT_NE(page, kNoFile);
  ASSERT_TRUE(WriteAll(page, "head\n", 5));
  ASSERT_TRUE(CopyRange(page, scratch, 7, static_cast<long long>(text.size()) - 7));
  // Asking for more than the source holds fails.
  EXPECT_FALSE(CopyRange(page, scratch, static_cast<long long>(text.size()) - 2, 10));
  EXPECT_TRUE(CloseFile(page));

  std::string expected = Line("head");
  std::string rest = text.substr(7) + text.substr(text.size() - 2);
  for (char c : rest) expected += c == '\n' ? Line("") : std::string(1, c);
  EXPECT_EQ(ReadFile("copy.htm"), expected);

  // Named, the file keeps its bytes; where the system cannot name it, it
  // stays as it was.
  if (NameUnnamedFile(scratch, "named.bin")) {
    EXPECT_EQ(ReadFile("named.bin"), text);
  } else {
    std::string back(5, '\0');
    EXPECT_EQ(ReadAt(scratch, back.data(), 5, 0), 5u);
    EXPECT_EQ(back, "line ");
  }
  EXPECT_TRUE(CloseFile(scratch));
}

TEST(PlatformTest, DirectoriesAndFileIdentity) {
  ScratchDir dir;
  EXPECT_TRUE(MakeDirectory("html"));
  EXPECT_TRUE(MakeDirectory("html"));  // already there
  testing::WriteFile("plain", "x");
  EXPECT_FALSE(MakeDirectory("plain"));  // a file of that name is no directory
  EXPECT_FALSE(MakeDirectory("missing/below"));

  EXPECT_TRUE(SameFile("plain", "./plain"));
  EXPECT_TRUE(SameFile("html", std::string("html") + DirectorySeparator() + "."));
  EXPECT_FALSE(SameFile("plain", "html"));
  EXPECT_FALSE(SameFile("plain", "nothing"));
}

TEST(PlatformTest, DirectoryEntriesCanonicalPathsAndCopies) {
  ScratchDir dir;
  ASSERT_TRUE(MakeDirectory("pics"));
  ASSERT_TRUE(MakeDirectory("pics/sub"));
  kinloom::testing::WriteFile("pics/a.jpg", std::string("A\0B", 3));
  std::vector<DirectoryEntry> entries = DirectoryEntries("pics");
  std::sort(entries.begin(), entries.end(),
            [](const DirectoryEntry& x, const DirectoryEntry& y) { return x.name < y.name; });
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].name, "a.jpg");
  EXPECT_EQ(entries[0].kind, DirectoryEntry::Kind::kFile);
  EXPECT_EQ(entries[1].name, "sub");
  EXPECT_EQ(entries[1].kind, DirectoryEntry::Kind::kDirectory);
  EXPECT_TRUE(DirectoryEntries("nowhere").empty());

  // One file, however it is named; nothing for a name that is not there.
  const std::string canonical = CanonicalPath("pics/a.jpg");
  EXPECT_FALSE(canonical.empty());
  EXPECT_EQ(CanonicalPath("pics/sub/../a.jpg"), canonical);
  EXPECT_EQ(CanonicalPath(canonical), canonical);
  EXPECT_TRUE(SameFile(canonical, "pics/a.jpg"));
  EXPECT_EQ(CanonicalPath("pics/b.jpg"), "");

  ASSERT_TRUE(CopyFileTo("pics/a.jpg", "pics/sub/copy.jpg"));
  EXPECT_EQ(ReadFile("pics/sub/copy.jpg"), std::string("A\0B", 3));
  kinloom::testing::WriteFile("pics/a.jpg", "longer than before");
  ASSERT_TRUE(CopyFileTo("pics/a.jpg", "pics/sub/copy.jpg"));  // replaced
  EXPECT_EQ(ReadFile("pics/sub/copy.jpg"), "longer than before");
  EXPECT_FALSE(CopyFileTo("pics/missing.jpg", "pics/sub/other.jpg"));
  EXPECT_FALSE(StatusOf("pics/sub/other.jpg").exists);
}

TEST(PlatformTest, RenameOverTakesTheNameOfAnExistingFile) {
  ScratchDir dir;
  testing::WriteFile("kinloom.cfg", "old");
  testing::WriteFile("kinloom.cfg.tmp", "new");
  ASSERT_TRUE(RenameOver("kinloom.cfg.tmp", "kinloom.cfg"));
  EXPECT_EQ(ReadFile("kinloom.cfg"), "new");
  EXPECT_FALSE(SameFile("kinloom.cfg.tmp", "kinloom.cfg.tmp"));  // gone

  ASSERT_TRUE(RenameOver("kinloom.cfg", "fresh.cfg"));  // no file of the new name
  EXPECT_EQ(ReadFile("fresh.cfg"), "new");
  EXPECT_FALSE(RenameOver("missing", "fresh.cfg"));
  EXPECT_EQ(ReadFile("fresh.cfg"), "new");
}

// A call that fails leaves the reason LastError gives, worded alike on
// every system: the cause lines of a run name it.
TEST(PlatformTest, FailuresGiveTheSameReasonOnEverySystem) {
  ScratchDir dir;
  testing::WriteFile("plain", "x");
  ASSERT_TRUE(MakeDirectory("folder"));
  testing::WriteFile("folder/inner", "y");
  const struct {
    const char* what;
    bool (*fails)();
    std::errc reason;
  } cases[] = {
      {"a page under a file",
       [] { return OpenFile("plain/page.htm", OpenMode::kWriteText) == kNoFile; },
       std::errc::not_a_directory},
      {"a page deeper under a file",
       [] { return OpenFile("plain/fam/page.htm", OpenMode::kWriteText) == kNoFile; },
       std::errc::not_a_directory},
      {"a page in a missing folder",
       [] { return OpenFile("missing/page.htm", OpenMode::kWriteText) == kNoFile; },
       std::errc::no_such_file_or_directory},
      {"a page where a folder is",
       [] { return OpenFile("folder", OpenMode::kWriteText) == kNoFile; },
       std::errc::is_a_directory},
      {"a new file under a file", [] { return CreateNewFile("plain/new", true) == kNoFile; },
       std::errc::not_a_directory},
      {"a new file that exists", [] { return CreateNewFile("plain", false) == kNoFile; },
       std::errc::file_exists},
      {"reading a missing file", [] { return OpenForReading("missing") == kNoFile; },
       std::errc::no_such_file_or_directory},
      {"the lock under a file", [] { return TryLockFile("plain/kinloom.lock") == kNoFile; },
       std::errc::not_a_directory},
      {"a folder under a file", [] { return !MakeDirectory("plain/html"); },
       std::errc::not_a_directory},
      {"a folder in a missing folder", [] { return !MakeDirectory("missing/html"); },
       std::errc::no_such_file_or_directory},
      {"a folder where a file is", [] { return !MakeDirectory("plain"); }, std::errc::file_exists},
      {"removing a folder that holds a file", [] { return !RemoveDirectory("folder"); },
       std::errc::directory_not_empty},
      {"removing a file as a folder", [] { return !RemoveDirectory("plain"); },
       std::errc::not_a_directory},
      {"renaming a missing file", [] { return !RenameOver("missing", "renamed"); },
       std::errc::no_such_file_or_directory},
      {"renaming onto a folder", [] { return !RenameOver("plain", "folder"); },
       std::errc::is_a_directory},
      {"removing a missing file", [] { return !RemoveFile("missing"); },
       std::errc::no_such_file_or_directory},
      {"the status under a file", [] { return !StatusOf("plain/x").exists; },
       std::errc::not_a_directory},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(c.fails());
    EXPECT_EQ(LastError(), std::make_error_code(c.reason)) << LastError().message();
  }
  EXPECT_EQ(ReadFile("plain"), "x");
  EXPECT_EQ(ReadFile("folder/inner"), "y");
}

}  // namespace
}  // namespace kinloom::platform
