// The user's include files are read once per run: every page of one run
// carries the same copy, and the next run sees the files as they are then.
#include <gtest/gtest.h>

#include <string>

#include "pages/frame.h"
#include "run/driver.h"
#include "run/run.h"
#include "support/scratch_dir.h"

namespace kinloom {
namespace {

using testing::ReadText;
using testing::ScratchDir;
using testing::WriteFile;

std::string PageText(kinloom::Run& run, const char* path) {
  PageFile page(run);
  EXPECT_TRUE(page.Create(path, {}));
  WritePageStart(run, page, "T");
  WritePageFoot(run, page, 'N', "");
  EXPECT_TRUE(page.Close());
  return ReadText(path);
}

TEST(IncludeFilesTest, EveryPageOfARunCarriesTheCopyReadForItsFirstPage) {
  ScratchDir dir;
  WriteFile("meta.htm", "<META first>");
  WriteFile("footer.htm", "first foot");
  kinloom::Run run;
  const std::string first = PageText(run, "one.htm");
  EXPECT_NE(first.find("<META first>\n</HEAD>"), std::string::npos) << first;
  EXPECT_NE(first.find("first foot<BR>\n"), std::string::npos) << first;
  WriteFile("meta.htm", "<META second>");
  std::remove("footer.htm");
  EXPECT_EQ(PageText(run, "two.htm"), first);
}

TEST(IncludeFilesTest, EachRunReadsTheFilesAfresh) {
  ScratchDir dir;
  WriteFile("tree.ged", "0 HEAD\n0 @I1@ INDI\n1 NAME Ann /Lee/\n0 TRLR\n");
  kinloom::Run run;
  run.settings.gedfile = "tree.ged";
  run.settings.home = "http://www.example.net/";
  run.settings.email = "ann@example.net";
  WriteFile("header.htm", "old header");
  ASSERT_EQ(CreateKinloom(run), kResultOk);
  EXPECT_NE(ReadText("html/ind00001.htm").find("old header<BR>\n"), std::string::npos);

  WriteFile("header.htm", "new header");
  ASSERT_EQ(CreateKinloom(run), kResultOk);
  const std::string page = ReadText("html/ind00001.htm");
  EXPECT_NE(page.find("new header<BR>\n"), std::string::npos) << page;
  EXPECT_EQ(page.find("old header"), std::string::npos) << page;
}

}  // namespace
}  // namespace kinloom
