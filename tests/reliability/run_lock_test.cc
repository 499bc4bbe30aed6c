// Two runs in one folder: the second is refused with 8 and changes
// nothing, the first finishes whole, and a run that is killed leaves the
// folder free.
#include "run/run_lock.h"

#ifndef _WIN32
#include <unistd.h>
#endif

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "reliability/site_fixture.h"
#include "support/windows_skip.h"

namespace kinloom::testing {
namespace {

const char kLockedMessage[] = "Another Kinloom run is working in this folder.\n";

// kinloom-lock-holder (tests/reliability/lock_holder.cc) started in the
// current directory, waited for in a thread of its own.
class LockHolder {
 public:
  LockHolder()
      : thread_([] {
          // How the holder ended shows in holder.out and holder.err.
          [[maybe_unused]] const int status =
              std::system((Program() + " >holder.out 2>holder.err" + kNoInput).c_str());
        }) {}
  ~LockHolder() {
    if (thread_.joinable()) {
      WriteFile("holder.release", "");
      thread_.join();
    }
  }
  LockHolder(const LockHolder&) = delete;
  LockHolder& operator=(const LockHolder&) = delete;

  // Its process number once it holds the lock; empty when it has not
  // taken it within a minute.
  std::string AwaitHolding() const {
    for (int waited = 0; waited < 6000; ++waited) {
      if (FileExists("holder.pid")) {
        std::string number = ReadText("holder.pid");
        if (!number.empty() && number.back() == '\n') number.pop_back();
        return number;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return {};
  }

  // Ends it as the system ends a process that is killed, and waits for
  // it.
  void Kill(const std::string& number) {
#ifdef _WIN32
    const CommandResult killed = RunCommand("taskkill /F /PID " + number);
#else
    const CommandResult killed = RunCommand("kill -KILL " + number);
#endif
    EXPECT_EQ(killed.exit_status, 0) << killed.err;
    thread_.join();
  }

 private:
#ifdef _WIN32
  static constexpr const char* kNoInput = " <NUL";
  static std::string Program() {
    return std::string(KINLOOM_BINARY_DIR) + "/kinloom-lock-holder.exe";
  }
#else
  static constexpr const char* kNoInput = " </dev/null";
  static std::string Program() { return std::string(KINLOOM_BINARY_DIR) + "/kinloom-lock-holder"; }
#endif

  std::thread thread_;
};

// A run under the lock of the current directory, as the programs start
// one: 8, and nothing done, when another run holds it.
int CreateUnderLock(kinloom::Run& run) {
  RunLock lock;
  if (!lock.TryTake()) return kResultRunLocked;
  return CreateKinloom(run);
}

// The first run stops after its first page while a second tries, from
// another process (kinloom-create) and from this one.
TEST(RunLockTest, SecondRunIsRefusedAndTheFirstFinishesWhole) {
  ScratchDir dir;
  WriteFile("tree.ged", EveryPageTree());
  WriteFile("kinloom.cfg", EveryOptionOnConfig('N'));
  kinloom::Run first(EveryOptionOn('N'), LabelTexts());
  first.test_options.fixed_page_date = "1 January 2000";
  first.test_options.write_in_background = false;  // nothing is written while it waits
  bool tried = false;
  first.on_progress = [&tried](const Progress& progress) {
    if (progress.pages_written < 1 || tried) return;
    tried = true;
    const std::string log = ReadFile("kinloom.log");
    const auto site = TreeFiles("html");

    const CommandResult second = RunCommand(KinloomCreatePath());
    EXPECT_EQ(second.exit_status, kResultRunLocked);
    EXPECT_EQ(second.out, "");
    EXPECT_EQ(second.err, kLockedMessage);
    kinloom::Run third(EveryOptionOn('N'), LabelTexts());
    EXPECT_EQ(CreateUnderLock(third), kResultRunLocked);
    EXPECT_EQ(ReadFile("kinloom.log"), log);
    EXPECT_TRUE(TreeFiles("html") == site);
  };
  EXPECT_EQ(CreateUnderLock(first), kResultOk);
  EXPECT_TRUE(tried);
  EXPECT_EQ(TreeFiles("html").size(), 13u);
  EXPECT_EQ(LastLines(ReadText("kinloom.log"), 1), "<CreateKinloom 0\n");
}

TEST(RunLockTest, LinkInThePlaceOfTheLockFileIsNotFollowed) {
  KINLOOM_SKIP_ON_WINDOWS("symbolic links need privileges");
#ifndef _WIN32
  ScratchDir dir;
  WriteFile("victim", "precious");
  ASSERT_EQ(::symlink((dir.path() + "/victim").c_str(), "kinloom.lock"), 0);
  RunLock lock;
  EXPECT_TRUE(lock.TryTake());
  EXPECT_EQ(ReadFile("victim"), "precious");
  EXPECT_FALSE(std::filesystem::is_symlink("kinloom.lock"));
#endif
}

// Another process holds the lock: kinloom-create started in the folder
// changes nothing and ends with 8, and so does a second holder. Killed, the
// holder leaves the folder free; the lock file stays.
TEST(RunLockTest, KilledHolderLeavesTheFolderFree) {
  ScratchDir dir;
  WriteFile("tree.ged", EveryPageTree());
  WriteFile("kinloom.cfg", EveryOptionOnConfig('N'));
  LockHolder holder;
  const std::string number = holder.AwaitHolding();
  ASSERT_NE(number, "");
  RunLock mine;
  EXPECT_FALSE(mine.TryTake());
  WriteFile("kinloom.log", "the holder's log\n");
  const CommandResult refused = RunCommand(KinloomCreatePath());
  EXPECT_EQ(refused.exit_status, kResultRunLocked);
  EXPECT_EQ(refused.out, "");
  EXPECT_EQ(refused.err, kLockedMessage);
  EXPECT_EQ(ReadFile("kinloom.log"), "the holder's log\n");
  EXPECT_FALSE(FileExists("html"));

  holder.Kill(number);
  EXPECT_TRUE(FileExists("kinloom.lock"));  // the file stays, the lock does not
  EXPECT_TRUE(mine.TryTake());
  mine.Release();
  const CommandResult run = RunCommand(KinloomCreatePath());
  EXPECT_EQ(run.exit_status, kResultOk) << run.err;
  EXPECT_EQ(run.out, "        Finished!\n");
  // The tree's one picture is not in the folder.
  EXPECT_EQ(run.err,
            "1 pictures were not found (listed in kinloom.log); set the pictures folder.\n");
  EXPECT_EQ(LastLines(ReadText("kinloom.log"), 1), "<CreateKinloom 0\n");
  EXPECT_TRUE(FileExists("html/fam00001.htm"));
}

// A holder that lets go leaves the folder free as well.
TEST(RunLockTest, ReleasedHolderLeavesTheFolderFree) {
  ScratchDir dir;
  {
    LockHolder holder;
    ASSERT_NE(holder.AwaitHolding(), "");
    RunLock mine;
    EXPECT_FALSE(mine.TryTake());
  }  // released and waited for
  RunLock mine;
  EXPECT_TRUE(mine.TryTake());
}

}  // namespace
}  // namespace kinloom::testing
