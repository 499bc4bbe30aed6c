// A page file collects its bytes and writes them in pieces: whatever the
// sizes of the pieces written, the file holds exactly those bytes, and a
// write the disk refuses still makes Close() report the page as lost.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <csignal>
#include <string>
#include <vector>

#include "pages/frame.h"
#include "support/scratch_dir.h"
#include "support/windows_skip.h"

namespace kinloom {
namespace {

using testing::ReadText;
using testing::ScratchDir;

TEST(PageFileTest, PiecesOfEverySizeAroundTheBufferReachTheFileInOrder) {
  ScratchDir dir;
  kinloom::Run run;
  for (bool background : {false, true}) {
    if (background) run.output.StartBackground();
    const std::size_t b = PageFile::kBufferSize;
    const std::vector<std::vector<std::size_t>> cases = {
        {},
        {1},
        {b - 1, 1},
        {b, 1},
        {b + 1},
        {10, b - 10, 10},
        {3 * b + 5, 7},
        {100, 3 * b, 100, b / 2, b / 2, 1},
    };
    for (const auto& sizes : cases) {
      std::string expected;
      PageFile page(run);
      ASSERT_TRUE(page.Create("page.htm", {}));
      char next = 'a';
      for (std::size_t size : sizes) {
        std::string piece(size, next);
        if (!piece.empty()) piece.back() = '\n';
        next = next == 'z' ? 'a' : static_cast<char>(next + 1);
        page.Write(piece);
        expected += piece;
      }
      ASSERT_TRUE(page.Close());
      run.output.Drain();
      std::string what;
      for (std::size_t size : sizes) what += std::to_string(size) + " ";
      EXPECT_EQ(ReadText("page.htm"), expected)
          << "pieces " << what << " background " << background;
    }
  }
}

TEST(PageFileTest, APageLeftOpenIsWrittenWhenItGoesOutOfScope) {
  ScratchDir dir;
  kinloom::Run run;
  {
    PageFile page(run);
    ASSERT_TRUE(page.Create("page.htm", {}));
    page.Write("<HTML>\n");
  }
  EXPECT_EQ(ReadText("page.htm"), "<HTML>\n");
}

TEST(PageFileTest, WritingWithoutCreatingOrAfterCloseFails) {
  ScratchDir dir;
  kinloom::Run run;
  PageFile never(run);
  never.Write("x");
  EXPECT_FALSE(never.Close());
  PageFile page(run);
  ASSERT_TRUE(page.Create("page.htm", {}));
  EXPECT_TRUE(page.Close());
  EXPECT_FALSE(page.Close());
}

// With files limited to 1000 bytes, a page of 1500 bytes loses its end
// whether it was written in one piece or in many: Close() says so.
TEST(PageFileTest, AWriteTheDiskRefusesMakesCloseFail) {
  KINLOOM_SKIP_ON_WINDOWS("no fork() and no per-process file size limit");
#ifndef _WIN32
  ScratchDir dir;
  kinloom::Run run;
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{1000, 1000};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    // One count for each page whose Close() tells the truth.
    int truthful = 0;
    PageFile one(run);
    if (one.Create("one.htm", {})) {
      one.Write(std::string(1500, 'x'));
      if (!one.Close()) ++truthful;
    }
    PageFile many(run);
    if (many.Create("many.htm", {})) {
      for (int i = 0; i < 150; ++i) many.Write("0123456789");
      if (!many.Close()) ++truthful;
    }
    PageFile small(run);
    if (small.Create("small.htm", {})) {
      small.Write(std::string(999, 'y'));
      if (small.Close()) ++truthful;  // fits under the limit
    }
    ::_exit(truthful);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 3);
#endif
}

}  // namespace
}  // namespace kinloom
