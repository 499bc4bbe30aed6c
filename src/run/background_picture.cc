#include "run/background_picture.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "run/run.h"

namespace kinloom {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kDefaultPicture = "sand1.jpg";

}  // namespace

bool BackgroundPicture::IsBareFileName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  // Separators of either system, a drive letter or a URL scheme.
  return name.find_first_of("/\\:") == std::string_view::npos;
}

std::vector<std::string> BackgroundPicture::Folders() const {
  std::vector<std::string> folders{"html"};
  if (settings_.subdirs == 'Y') {
    for (const char* dir : kPageDirectories) folders.push_back(std::string("html/") + dir);
  }
  return folders;
}

int BackgroundPicture::Place(RunNotices& notices) const {
  const std::string& name = settings_.bgpic;
  if (settings_.background != 'G' || !IsBareFileName(name)) return 0;

  // Where the copies come from, decided once for all folders.
  std::error_code error;
  const fs::file_status own = fs::status(name, error);
  std::optional<std::string> source;
  if (fs::is_regular_file(own)) {
    source = name;
  } else if (fs::exists(own)) {
    return 0;  // a directory or a device by that name: the user's business
  } else if (name == kDefaultPicture) {
    source = installed_.Find(kDefaultPicture);
  }

  int copies = 0;
  bool missing_told = false;
  for (const std::string& folder : Folders()) {
    const fs::path target = fs::path(folder) / name;
    if (!fs::is_directory(folder, error)) continue;
    // Anything by that name stays, a dangling link included.
    if (fs::exists(fs::symlink_status(target, error))) continue;
    if (!source) {
      if (name == kDefaultPicture && !missing_told) {
        notices.Add("The background picture " + name +
                    " that comes with Kinloom is missing from the installation: the pages "
                    "name it, but the site has none.");
        missing_told = true;
      }
      continue;
    }
    if (fs::copy_file(*source, target, fs::copy_options::none, error)) {
      ++copies;
    } else {
      notices.Add(CannotWriteNotice(target.generic_string(), error));
    }
  }
  return copies;
}

}  // namespace kinloom
