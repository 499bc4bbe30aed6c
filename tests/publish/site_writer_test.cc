// The output writer gives the same files, log and counts whether the pages
// are written in the calling thread or in the background, also when pages
// fail: each scenario below is written the way the page writers use pages
// (return at once when a page cannot be created) and runs in both modes.
#include "publish/site_writer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "pages/frame.h"
#include "run/run.h"
#include "store/block_file.h"
#include "support/scratch_dir.h"
#include "support/windows_skip.h"

namespace kinloom {
namespace {

// Writes to /dev/full fail as on a full disk; Windows has no such file.
#ifdef _WIN32
constexpr bool kHaveFullDevice = false;
#else
constexpr bool kHaveFullDevice = true;
#endif

using testing::ReadText;
using testing::ScratchDir;

constexpr PageOutcome kCounted{"Unable to create new IND file.", true, false,
                               "<BuildIndividualPage"};
constexpr PageOutcome kEndsRun{"Unable to create new FAM file.", false, true, {}};

bool Exists(const char* path) { return ::access(path, F_OK) == 0; }

// Writes one page the way the page writers do; false when it failed.
bool WritePage(kinloom::Run& run, const std::string& path, const PageOutcome& outcome,
               const std::string& text, const std::function<void()>& inside = {}) {
  PageFile page(run);
  if (!page.Create(path, outcome)) return false;
  page.Write(text);
  if (inside) inside();
  return page.Close();
}

struct Ending {
  std::string log;
  long written;
  long failed;
};

// Runs scenario (a phase: 0, or 6 when it stopped) in one mode, the way the
// run driver does, and returns the log and the counters.
Ending RunScenario(bool background, const std::function<int(kinloom::Run&)>& scenario) {
  kinloom::Run run;
  if (background) run.output.StartBackground();
  run.log.LogLine(">phase");
  int result = scenario(run);
  run.output.Drain();
  if (run.output.stopped()) result = 6;
  run.output.Resume();
  run.log.LogFormatted("<phase %d", static_cast<long>(result));
  run.output.StopBackground();
  run.ReportProgress();
  return {ReadText("kinloom.log"), run.progress.pages_written, run.progress.pages_failed};
}

class SiteWriterTest : public ::testing::TestWithParam<bool> {
 protected:
  ScratchDir dir_;
};

INSTANTIATE_TEST_SUITE_P(BothModes, SiteWriterTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Background" : "OneThread"; });

TEST_P(SiteWriterTest, PagesAndLinesKeepTheirOrder) {
  const Ending end = RunScenario(GetParam(), [](kinloom::Run& run) {
    run.log.LogLine("one");
    WritePage(run, "a.htm", kCounted, "A", [&] {
      run.log.LogLine("inside a");
      WritePage(run, "b.htm", kCounted, "B");
    });
    run.log.LogLine("two");
    WritePage(run, "c.htm", kEndsRun, std::string(200000, 'c'));
    return 0;
  });
  EXPECT_EQ(end.log,
            ">phase\none\ninside a\n<BuildIndividualPage\n<BuildIndividualPage\ntwo\n<phase 0\n");
  EXPECT_EQ(ReadText("a.htm"), "A");
  EXPECT_EQ(ReadText("b.htm"), "B");
  EXPECT_EQ(ReadText("c.htm"), std::string(200000, 'c'));
  EXPECT_EQ(end.written, 3);
  EXPECT_EQ(end.failed, 0);
}

// A page in a missing directory: what was done while building it (a page
// written on demand and its lines) never happens; the run goes on.
TEST_P(SiteWriterTest, APageThatCannotBeCreatedSkipsWhatItsWriterDidMeanwhile) {
  const Ending end = RunScenario(GetParam(), [](kinloom::Run& run) {
    WritePage(run, "missing/a.htm", kCounted, "A", [&] {
      run.log.LogLine("inside a");
      WritePage(run, "b.htm", kCounted, "B");
    });
    run.log.LogLine("after a");
    WritePage(run, "c.htm", kCounted, "C");
    return 0;
  });
  EXPECT_EQ(end.log,
            ">phase\nUnable to create new IND file.\nafter a\n<BuildIndividualPage\n<phase 0\n");
  EXPECT_FALSE(Exists("b.htm"));
  EXPECT_EQ(ReadText("c.htm"), "C");
  EXPECT_EQ(end.written, 1);
  EXPECT_EQ(end.failed, 1);
}

// A page the disk refuses: logged, counted, no success line; the pages it
// wrote on demand stay.
TEST_P(SiteWriterTest, AWriteThatFailsFailsThePageAtItsClose) {
  KINLOOM_SKIP_ON_WINDOWS("no /dev/full to stand for a full disk");
  const Ending end = RunScenario(GetParam(), [](kinloom::Run& run) {
    WritePage(run, "/dev/full", kCounted, std::string(5000, 'x'),
              [&] { WritePage(run, "b.htm", kCounted, "B"); });
    return 0;
  });
  EXPECT_EQ(end.log, ">phase\n<BuildIndividualPage\nUnable to create new IND file.\n<phase 0\n");
  EXPECT_EQ(ReadText("b.htm"), "B");
  EXPECT_EQ(end.written, 1);
  EXPECT_EQ(end.failed, 1);
}

// A page may take the bytes of a file (made ahead by another thread) in
// among its own; the file stays open until the writer is done with it. A
// source that holds fewer bytes than it claims, or a page that cannot take
// them, fails the page.
TEST_P(SiteWriterTest, APageTakesTheBytesOfAFileInOrder) {
  std::string lines;
  for (int i = 0; i < 60000; ++i) lines += "line " + std::to_string(i) + "\n";
  auto source = [&lines] {
    auto file = std::make_shared<BlockFile>();
    EXPECT_TRUE(file->CreateUnnamed("."));
    file->WriteDirect(0, reinterpret_cast<const unsigned char*>(lines.data()), lines.size());
    return file;
  };
  const Ending end = RunScenario(GetParam(), [&](kinloom::Run& run) {
    PageFile page(run);
    EXPECT_TRUE(page.Create("whole.txt", kCounted));
    page.Write("first\n");
    page.WriteFrom(source());  // only the page holds the file from here on
    page.Write("last\n");
    page.Close();
    PageFile full(run);
    if (kHaveFullDevice && full.Create("/dev/full", kCounted)) {
      full.WriteFrom(source());
      full.Close();
    }
    const int short_page = run.output.Open("short.txt", kCounted);
    const std::shared_ptr<BlockFile> file = source();
    run.output.WriteFrom(short_page, file->descriptor(), 0, file->size() + 100, file);
    run.output.Close(short_page);
    return 0;
  });
  EXPECT_EQ(ReadText("whole.txt"), "first\n" + lines + "last\n");
  const std::string failure = "Unable to create new IND file.\n";
  EXPECT_EQ(end.log, ">phase\n<BuildIndividualPage\n" + failure + (kHaveFullDevice ? failure : "") +
                         "<phase 0\n");
  EXPECT_EQ(end.written, 1);
  EXPECT_EQ(end.failed, kHaveFullDevice ? 2 : 1);
}

// A page that ends the run: nothing asked for after it happens, until the
// driver resumes the output for its closing lines.
TEST_P(SiteWriterTest, APageThatEndsTheRunDropsEverythingAfterItUntilResumed) {
  std::vector<const char*> blocked_paths = {"missing/p3.htm"};
  if (kHaveFullDevice) blocked_paths.push_back("/dev/full");
  for (const char* blocked : blocked_paths) {
    SCOPED_TRACE(blocked);
    ScratchDir dir;
    const Ending end = RunScenario(GetParam(), [blocked](kinloom::Run& run) {
      for (int i = 1; i <= 6; ++i) {
        const std::string path = i == 3 ? blocked : "p" + std::to_string(i) + ".htm";
        run.log.LogLine("page " + std::to_string(i));
        if (!WritePage(run, path, kEndsRun, "x")) return 6;
      }
      run.log.LogLine("all pages");
      return 0;
    });
    EXPECT_EQ(end.log,
              ">phase\npage 1\npage 2\npage 3\nUnable to create new FAM file.\n<phase 6\n");
    EXPECT_TRUE(Exists("p2.htm"));
    EXPECT_FALSE(Exists("p4.htm"));
    EXPECT_FALSE(Exists("p6.htm"));
    EXPECT_EQ(end.written, 2);
  }
}

// Far more than the queue holds, in pages large and small: every byte
// arrives, in order.
TEST_P(SiteWriterTest, MoreThanTheQueueHoldsArrivesWhole) {
  const std::string big(3 * SiteWriter::kQueueLimit + 12345, 'b');
  const Ending end = RunScenario(GetParam(), [&big](kinloom::Run& run) {
    for (int i = 0; i < 3000; ++i) {
      WritePage(run, "s" + std::to_string(i % 10) + ".htm", kCounted, std::to_string(i));
    }
    PageFile page(run);
    if (!page.Create("big.htm", kCounted)) return 6;
    for (std::size_t done = 0; done < big.size(); done += 1000) page.Write(big.substr(done, 1000));
    return page.Close() ? 0 : 6;
  });
  EXPECT_EQ(ReadText("big.htm"), big);
  EXPECT_EQ(ReadText("s9.htm"), "2999");
  EXPECT_EQ(end.written, 3001);
}

}  // namespace
}  // namespace kinloom
