// kinloom: the desktop program. One dialog window in which the user names
// the GEDCOM file and chooses the options, presses Create Page, and finds
// the site in ./html. Works in the current directory.
#include <cstdio>
#include <cstring>
#include <string>

#include "apps/command_line.h"
#include "platform/platform.h"
#include "run/driver.h"
#include "run/installed_data.h"
#include "run/run.h"
#include "ui/fltk_display.h"
#include "ui/kinloom_resources.h"
#include "ui/program.h"

namespace {

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
  if (const auto status = kinloom::AnswerCommandLine(argc, argv, "kinloom", PrintUsage)) {
    return *status;
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
