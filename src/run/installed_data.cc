#include "run/installed_data.h"

#include <filesystem>
#include <system_error>
#include <utility>

namespace kinloom {

namespace fs = std::filesystem;

namespace {

bool IsRegularFile(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(path, error);
}

}  // namespace

InstalledData InstalledData::ForExecutable(std::string_view executable_path) {
  if (executable_path.empty()) return InstalledData();
  const fs::path folder = fs::path(executable_path).parent_path();
  return InstalledData({
      (folder.parent_path() / "share" / "kinloom").string(),
      folder.string(),
      (folder / "share" / "kinloom").string(),
  });
}

std::optional<std::string> InstalledData::Find(std::string_view name) const {
  for (const std::string& folder : folders_) {
    fs::path path = fs::path(folder) / fs::path(name);
    if (IsRegularFile(path)) return path.string();
  }
  return std::nullopt;
}

std::optional<std::string> HelpFilePath(const InstalledData& data) {
  if (IsRegularFile(kHelpFileName)) return std::string(kHelpFileName);
  return data.Find(kHelpFileName);
}

}  // namespace kinloom
