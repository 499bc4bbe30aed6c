// The files that come with the programs (help.htm, the default background
// picture sand1.jpg, the example tree), found from where the running
// program lies, so that an installed tree works from any prefix and from an
// unpacked package:
//   PREFIX/bin/kinloom      ->  PREFIX/share/kinloom/   (installed)
//   FOLDER/kinloom.exe      ->  FOLDER/                 (Windows zip)
//   BUILD/kinloom-create    ->  BUILD/share/kinloom/    (a build tree)
// They are looked for in that order, one file at a time.
#ifndef KINLOOM_RUN_INSTALLED_DATA_H_
#define KINLOOM_RUN_INSTALLED_DATA_H_

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kinloom {

inline constexpr const char* kHelpFileName = "help.htm";

class InstalledData {
 public:
  // Knows no folder: nothing is found (tests, a program whose own path is
  // unknown).
  InstalledData() = default;
  explicit InstalledData(std::vector<std::string> folders) : folders_(std::move(folders)) {}

  // The folders for a program at executable_path (absolute); none when the
  // path is empty.
  [[nodiscard]] static InstalledData ForExecutable(std::string_view executable_path);

  // The path of the regular file name in the first folder that has one.
  [[nodiscard]] std::optional<std::string> Find(std::string_view name) const;

  const std::vector<std::string>& folders() const { return folders_; }

 private:
  std::vector<std::string> folders_;
};

// The help file to open: help.htm in the current directory when it is
// there, otherwise the installed one; nothing when neither exists.
[[nodiscard]] std::optional<std::string> HelpFilePath(const InstalledData& data);

}  // namespace kinloom

#endif  // KINLOOM_RUN_INSTALLED_DATA_H_
