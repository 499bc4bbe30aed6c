// Two runs in one folder: the second is refused with 8 and changes
// nothing, the first finishes whole, and a run that is killed leaves the
// folder free.
#include "run/run_lock.h"

#include <signal.h>
#include <unistd.h>

#include <string>

#include "reliability/site_fixture.h"

namespace kinloom::testing {
namespace {

const char kLockedMessage[] = "Another Kinloom run is working in this folder.\n";

// A child process that runs until it is told to go on, or is killed.
struct Child {
  pid_t pid = -1;
  int to_child = -1;
  int from_child = -1;

  // Waits for the child's one-byte sign.
  bool AwaitSign() const {
    char sign;
    return ::read(from_child, &sign, 1) == 1;
  }
  void LetGo() const {
    const char go = 'g';
    (void)!::write(to_child, &go, 1);
  }
};

// Forks a child that calls work(sign, wait): sign tells the parent, wait
// waits for LetGo. The child exits with work's result.
template <typename Work>
Child Fork(Work work) {
  int down[2];
  int up[2];
  Child child;
  if (::pipe(down) != 0 || ::pipe(up) != 0) return child;
  child.pid = ::fork();
  if (child.pid == 0) {
    const auto sign = [&] { (void)!::write(up[1], "s", 1); };
    const auto wait = [&] {
      char go;
      (void)!::read(down[0], &go, 1);
    };
    ::_exit(work(sign, wait));
  }
  ::close(down[0]);
  ::close(up[1]);
  child.to_child = down[1];
  child.from_child = up[0];
  return child;
}

TEST(RunLockTest, SecondRunIsRefusedAndTheFirstFinishesWhole) {
  ScratchDir dir;
  WriteFile("tree.ged", EveryPageTree());
  WriteFile("kinloom.cfg", EveryOptionOnConfig('N'));
  // The first run stops after its first page until the second has tried.
  const Child first = Fork([](auto sign, auto wait) {
    kinloom::Run run(EveryOptionOn('N'), LabelTexts());
    run.fixed_page_date = "1 January 2000";
    run.write_in_background = false;  // nothing is written while it waits
    bool stopped = false;
    run.on_progress = [&](const Progress& progress) {
      if (progress.pages_written >= 1 && !stopped) {
        stopped = true;
        sign();
        wait();
      }
    };
    return CreateKinloomExclusive(run);
  });
  ASSERT_TRUE(first.AwaitSign());
  const std::string log = ReadFile("kinloom.log");
  const auto site = TreeFiles("html");

  const CommandResult second = RunCommand(KinloomCreatePath());
  EXPECT_EQ(second.exit_status, kResultRunLocked);
  EXPECT_EQ(second.out, "");
  EXPECT_EQ(second.err, kLockedMessage);
  kinloom::Run third(EveryOptionOn('N'), LabelTexts());
  EXPECT_EQ(CreateKinloomExclusive(third), kResultRunLocked);
  EXPECT_EQ(ReadFile("kinloom.log"), log);
  EXPECT_TRUE(TreeFiles("html") == site);

  first.LetGo();
  const ChildEnd end = WaitForChild(first.pid);
  EXPECT_EQ(end.exit_status, kResultOk);
  EXPECT_EQ(TreeFiles("html").size(), 13u);
  EXPECT_EQ(LastLines(ReadFile("kinloom.log"), 1), "<CreateKinloom 0\n");
}

TEST(RunLockTest, LinkInThePlaceOfTheLockFileIsNotFollowed) {
  ScratchDir dir;
  WriteFile("victim", "precious");
  ASSERT_EQ(::symlink((dir.path() + "/victim").c_str(), "kinloom.lock"), 0);
  RunLock lock;
  EXPECT_TRUE(lock.TryTake());
  EXPECT_EQ(ReadFile("victim"), "precious");
  EXPECT_FALSE(std::filesystem::is_symlink("kinloom.lock"));
}

TEST(RunLockTest, KilledHolderLeavesTheFolderFree) {
  ScratchDir dir;
  const Child holder = Fork([](auto sign, auto wait) {
    RunLock lock;
    if (!lock.TryTake()) return 1;
    sign();
    wait();
    return 0;
  });
  ASSERT_TRUE(holder.AwaitSign());
  RunLock mine;
  EXPECT_FALSE(mine.TryTake());
  WriteFile("kinloom.log", "the holder's log\n");
  EXPECT_EQ(RunCommand(KinloomCreatePath()).exit_status, kResultRunLocked);
  EXPECT_EQ(ReadFile("kinloom.log"), "the holder's log\n");

  ASSERT_EQ(::kill(holder.pid, SIGKILL), 0);
  EXPECT_EQ(WaitForChild(holder.pid).signal, SIGKILL);
  EXPECT_TRUE(FileExists("kinloom.lock"));  // the file stays, the lock does not
  EXPECT_TRUE(mine.TryTake());
  mine.Release();
  const CommandResult run = RunCommand(KinloomCreatePath());
  EXPECT_EQ(run.exit_status, kResultPlaceholderEmail);
  EXPECT_NE(ReadFile("kinloom.log"), "the holder's log\n");
}

}  // namespace
}  // namespace kinloom::testing
