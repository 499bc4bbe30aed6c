// kinloom: the desktop program. One dialog window in which the user names
// the GEDCOM file and chooses the options, presses Create Page, and finds
// the site in ./html. Works in the current directory.
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "run/driver.h"
#include "run/installed_data.h"
#include "run/run.h"
#include "ui/fltk_display.h"
#include "ui/kinloom_resources.h"
#include "ui/program.h"

namespace {

constexpr int kUsageError = 64;

void PrintUsage(std::FILE* out) {
  std::fprintf(out,
               "Usage: kinloom [--help | --version]\n"
               "\n"
               "Shows the Kinloom window, in which you name the GEDCOM file, fill in your\n"
               "home page and e-mail address, choose the options and press Create Page to\n"
               "build the family tree web site in ./html. Works in the current directory:\n"
               "settings in ./kinloom.cfg, the run log in ./kinloom.log. kinloom-create\n"
               "makes the same run without a window.\n");
  const auto guide = kinloom::InstalledData::ForExecutable(kinloom::platform::ExecutablePath())
                         .Find(kinloom::kHelpFileName);
  if (guide) std::fprintf(out, "\nUser guide: %s\n", guide->c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) {
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
      PrintUsage(stdout);
      return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
      std::printf("%s\n", std::string(kinloom::kVersionText).c_str());
      return 0;
    }
    std::fprintf(stderr, "kinloom: unknown argument '%s'\n", argv[1]);
    PrintUsage(stderr);
    return kUsageError;
  }
  kinloom::KeepLargeBlocksApart();
  std::string problem;
  if (!kinloom::ui::OpenDisplay(&problem)) {
    std::fprintf(stderr,
                 "kinloom: %s.\n"
                 "kinloom needs a display to show its window. Without one, kinloom-create\n"
                 "builds the site from the settings in kinloom.cfg.\n",
                 problem.c_str());
    return 1;
  }
  HINSTANCE__ instance{&kinloom::ui::KinloomResources()};
  char no_arguments[] = "";
  return WinMain(&instance, nullptr, no_arguments, SW_SHOWNORMAL);
}
