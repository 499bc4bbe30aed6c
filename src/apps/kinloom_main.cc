// kinloom: the desktop program. One dialog window in which the user names
// the GEDCOM file and chooses the options, presses Create Page, and finds
// the site in ./html. Works in the current directory.
#include <cstdio>
#include <string>

#include "run/driver.h"
#include "ui/fltk_display.h"
#include "ui/kinloom_resources.h"
#include "ui/program.h"

int main() {
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
