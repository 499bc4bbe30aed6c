// The pages' background picture, put where the pages look for it.
//
// With BACKGROUND "G" every page names BGPIC in its BODY tag, relative to
// the page: html/ for the index pages, and each page sub-directory with
// SUBDIRS "Y". A folder that has no file of that name gets one, copied from
// the current directory when the user keeps the picture there, otherwise,
// for the default sand1.jpg, from the installation. Only a bare file name
// is handled: a BGPIC with a directory part, "." or "..", a drive or a URL
// is left to the user, and so is a BGPIC that names anything but a regular
// file in the current directory. A file (or link) already in the folder is
// never replaced. The pages and the run log are the same either way.
#ifndef KINLOOM_RUN_BACKGROUND_PICTURE_H_
#define KINLOOM_RUN_BACKGROUND_PICTURE_H_

#include <string>
#include <string_view>
#include <vector>

#include "run/installed_data.h"
#include "run/notices.h"
#include "run/settings.h"

namespace kinloom {

class BackgroundPicture {
 public:
  BackgroundPicture(const Settings& settings, const InstalledData& installed)
      : settings_(settings), installed_(installed) {}

  // True for a name that stays inside the folder it is looked up in.
  [[nodiscard]] static bool IsBareFileName(std::string_view name);

  // The folders the pages look for the picture in, relative to the current
  // directory.
  [[nodiscard]] std::vector<std::string> Folders() const;

  // Copies the picture into each folder that lacks it. What could not be
  // done goes to notices (the run's result does not change). Returns the
  // number of copies made.
  int Place(RunNotices& notices) const;

 private:
  const Settings& settings_;
  const InstalledData& installed_;
};

}  // namespace kinloom

#endif  // KINLOOM_RUN_BACKGROUND_PICTURE_H_
