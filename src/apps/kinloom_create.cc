// kinloom-create: one press of Create Page, from a script or a machine
// without a display. Works in the current directory; never writes
// kinloom.cfg. The exit status is the RunResult.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "run/driver.h"
#include "run/run.h"
#include "run/run_lock.h"
#include "ui/config.h"

namespace {

constexpr int kUsageError = 64;

void PrintUsage(std::FILE* out) {
  std::fprintf(out,
               "Usage: kinloom-create [--help | --version]\n"
               "\n"
               "Builds the family tree web site in ./html from the GEDCOM file and the\n"
               "settings of ./kinloom.cfg, exactly as pressing Create Page in the Kinloom\n"
               "window does. The run log is written to ./kinloom.log.\n"
               "\n"
               "Exit status: 0 when the site is finished, otherwise the run's result code\n"
               "(1 GEDCOM file not opened, 2 long tag names, 3 e-mail address not filled in,\n"
               "4 home page not filled in, 5 invalid GEDCOM file, 6 a file could not be\n"
               "written, 7 other error, 8 another Kinloom run is working in this folder);\n"
               "64 for a usage error.\n"
               "\n"
               "With SOURCE_DATE_EPOCH set to a number of seconds since 1970, the pages show\n"
               "that date (UTC) instead of today's.\n");
}

// One updating line on a terminal: the phase and the pages written so far.
class ProgressLine {
 public:
  explicit ProgressLine(bool enabled) : enabled_(enabled), start_(Clock::now()) {}

  void Show(const kinloom::Progress& progress) {
    if (!enabled_) return;
    const auto now = Clock::now();
    // Quick runs show nothing; after that, at most ten updates a second.
    if (now - start_ < std::chrono::milliseconds(500)) return;
    if (shown_ && now - last_ < std::chrono::milliseconds(100)) return;
    last_ = now;
    shown_ = true;
    std::fprintf(stderr, "\r\033[K%s: %ld pages written", progress.phase.c_str(),
                 progress.pages_written);
    std::fflush(stderr);
  }

  void Clear() {
    if (shown_) std::fprintf(stderr, "\r\033[K");
    shown_ = false;
  }

 private:
  using Clock = std::chrono::steady_clock;
  bool enabled_;
  bool shown_ = false;
  Clock::time_point start_;
  Clock::time_point last_;
};

}  // namespace

int main(int argc, char** argv) {
  kinloom::KeepLargeBlocksApart();
  if (argc > 1) {
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
      PrintUsage(stdout);
      return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
      std::printf("%s\n", std::string(kinloom::kVersionText).c_str());
      return 0;
    }
    std::fprintf(stderr, "kinloom-create: unknown argument '%s'\n", argv[1]);
    PrintUsage(stderr);
    return kUsageError;
  }

  // Before anything in the folder is touched, the log included.
  kinloom::RunLock lock;
  if (!lock.TryTake()) {
    std::fprintf(stderr, "%s\n",
                 std::string(kinloom::RunResultMessage(kinloom::kResultRunLocked).text).c_str());
    return kinloom::kResultRunLocked;
  }

  kinloom::Run run;
  const kinloom::EpochValue epoch = kinloom::ParseSourceDateEpoch(std::getenv("SOURCE_DATE_EPOCH"));
  if (!epoch.problem.empty()) std::fprintf(stderr, "kinloom-create: %s\n", epoch.problem.c_str());
  run.date.fixed_epoch = epoch.seconds;
  run.log.Clear();
  kinloom::LoadConfiguration(run.settings, run.labels);

  ProgressLine progress(kinloom::platform::StandardErrorIsTerminal());
  run.on_progress = [&progress](const kinloom::Progress& p) { progress.Show(p); };
  const int result = kinloom::CreateKinloom(run);
  progress.Clear();

  const kinloom::ResultMessage message = kinloom::RunResultMessage(result);
  std::FILE* out = result == kinloom::kResultOk ? stdout : stderr;
  std::fprintf(out, "%s\n", std::string(message.text).c_str());
  if (result == kinloom::kResultCannotWrite) kinloom::LogCannotWriteFollowUp(run.log);
  return result;
}
