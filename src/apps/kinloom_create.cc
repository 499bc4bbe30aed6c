// kinloom-create: one press of Create Page, from a script or a machine
// without a display. Works in the current directory; never writes
// kinloom.cfg. The exit status is the RunResult.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "apps/command_line.h"
#include "platform/platform.h"
#include "run/driver.h"
#include "run/installed_data.h"
#include "run/run.h"
#include "run/run_lock.h"
#include "ui/config.h"

namespace {

void PrintUsage(std::FILE* out) {
  // Named as the system's own shell names them.
  const bool windows = kinloom::platform::DirectorySeparator() == '\\';
  const char* html = windows ? "html\\" : "./html";
  const char* config = windows ? "kinloom.cfg" : "./kinloom.cfg";
  const char* log = windows ? "kinloom.log" : "./kinloom.log";
  std::fprintf(out,
               "Usage: kinloom-create [-h | --help | --version]\n"
               "\n"
               "Builds the family tree web site in %s from the GEDCOM file and the\n"
               "settings of %s, exactly as pressing Create Page in the Kinloom\n"
               "window does. The run log is written to %s.\n"
               "\n"
               "kinloom.cfg holds one KEY=value per line; a run needs at least these three:\n"
               "  GEDFILE=family.ged              the GEDCOM file\n"
               "  HOME=https://www.example.org/   the address of your home page\n"
               "  EMAIL=me@example.org            your e-mail address\n"
               "\n",
               html, config, log);
  std::fprintf(out,
               "Exit status: 0 when the site is finished, otherwise the run's result code\n"
               "(1 GEDCOM file not opened, 2 long tag names, 3 e-mail address not filled in,\n"
               "4 home page not filled in, 5 invalid GEDCOM file, 6 a file could not be\n"
               "written, 7 not returned any more, 8 another Kinloom run is working in this\n"
               "folder);\n"
               "64 for a usage error.\n"
               "\n"
               "With SOURCE_DATE_EPOCH set to a number of seconds since 1970, the pages show\n"
               "that date (UTC) instead of today's.\n");
}

// One updating line on a terminal: what the run is doing, in words, and
// how far it got.
class ProgressLine {
 public:
  explicit ProgressLine(bool enabled) : enabled_(enabled), start_(Clock::now()) {}

  void Show(const kinloom::Progress& progress) {
    if (!enabled_) return;
    const std::string_view title = kinloom::PhaseTitle(progress.phase);
    if (title != title_) {
      title_ = title;
      pages_at_start_ = progress.pages_written;
    }
    if (title_.empty()) return;
    const auto now = Clock::now();
    // Quick runs show nothing; after that, at most ten updates a second.
    if (now - start_ < std::chrono::milliseconds(500)) return;
    if (shown_ && now - last_ < std::chrono::milliseconds(100)) return;
    last_ = now;
    shown_ = true;
    const std::string line(title_);
    if (progress.phase == "ReadGedcom") {
      std::fprintf(stderr, "\r\033[K%s: %ld lines", line.c_str(), progress.lines_read);
    } else if (progress.pages_written > pages_at_start_) {
      std::fprintf(stderr, "\r\033[K%s: %ld written", line.c_str(),
                   progress.pages_written - pages_at_start_);
    } else {
      std::fprintf(stderr, "\r\033[K%s", line.c_str());
    }
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
  std::string_view title_;
  long pages_at_start_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  kinloom::KeepLargeBlocksApart();
  if (const auto status = kinloom::AnswerCommandLine(argc, argv, "kinloom-create", PrintUsage)) {
    return *status;
  }

  // Before anything in the folder is touched, the log included.
  kinloom::RunLock lock;
  kinloom::RunNotices lock_notices;
  if (const int refused = kinloom::TakeRunLock(lock, lock_notices); refused != kinloom::kResultOk) {
    std::fprintf(stderr, "%s\n", std::string(kinloom::RunResultMessage(refused).text).c_str());
    for (const std::string& line : lock_notices.lines()) {
      std::fprintf(stderr, "%s\n", line.c_str());
    }
    return refused;
  }

  kinloom::Run run;
  const kinloom::EpochValue epoch = kinloom::ParseSourceDateEpoch(std::getenv("SOURCE_DATE_EPOCH"));
  if (!epoch.problem.empty()) std::fprintf(stderr, "kinloom-create: %s\n", epoch.problem.c_str());
  run.date.fixed_epoch = epoch.seconds;
  run.log.Clear();
  kinloom::LoadConfiguration(run.settings, run.labels);
  for (const std::string& warning : kinloom::ConfigurationWarnings()) {
    std::fprintf(stderr, "%s\n", warning.c_str());
  }
  run.installed = kinloom::InstalledData::ForExecutable(kinloom::platform::ExecutablePath());
  if (const auto missing = kinloom::MissingConfigurationNotice()) {
    std::fprintf(stderr, "%s\n", missing->c_str());
  }

  ProgressLine progress(kinloom::platform::StandardErrorIsTerminal());
  run.on_progress = [&progress](const kinloom::Progress& p) { progress.Show(p); };
  run.on_warning = [&progress](std::string_view line) {
    progress.Clear();
    std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
  };
  const int result = kinloom::CreateKinloom(run);
  progress.Clear();

  if (run.settings.privacy == 'Y' && result == kinloom::kResultOk) {
    std::printf("Presumed living: %ld of %ld individuals\n", run.living.count(),
                static_cast<long>(run.store.counters.IndividualCount));
  }
  const kinloom::ResultMessage message = kinloom::RunResultMessage(result);
  std::FILE* out = result == kinloom::kResultOk ? stdout : stderr;
  std::fprintf(out, "%s\n", std::string(message.text).c_str());
  if (const long skipped = run.missing_records.skipped(); skipped > 0) {
    std::fprintf(stderr, "%s\n", kinloom::SkippedReferencesText(skipped).c_str());
  }
  for (const std::string& line : run.notices.lines()) std::fprintf(stderr, "%s\n", line.c_str());
  if (result == kinloom::kResultCannotWrite) kinloom::LogCannotWriteFollowUp(run);
  return result;
}
