// kinloom-lock-holder: a process that holds the run lock of the current
// directory, as a run does, until it is told to let go or is killed.
//
// Once it holds the lock it writes its process number to holder.pid; it
// lets go and ends with 0 when a file holder.release appears (or after two
// minutes, so that a test that failed leaves nothing running). When
// another process holds the lock it ends at once with 8.
#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "run/run.h"
#include "run/run_lock.h"

namespace {

long ProcessNumber() {
#ifdef _WIN32
  return static_cast<long>(::_getpid());
#else
  return static_cast<long>(::getpid());
#endif
}

}  // namespace

int main() {
  kinloom::RunLock lock;
  if (!lock.TryTake()) return kinloom::kResultRunLocked;
  {
    // Whole or not at all: the number goes to a file of another name first.
    std::ofstream out("holder.pid.tmp");
    out << ProcessNumber() << "\n";
  }
  std::error_code error;
  std::filesystem::rename("holder.pid.tmp", "holder.pid", error);
  if (error) return 1;
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::minutes(2);
  while (!std::filesystem::exists("holder.release", error) &&
         std::chrono::steady_clock::now() < give_up) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return 0;
}
