#include "run/notices.h"

#include <algorithm>
#include <filesystem>
#include <utility>

namespace kinloom {

void RunNotices::Add(std::string line) {
  if (std::find(lines_.begin(), lines_.end(), line) != lines_.end()) return;
  lines_.push_back(std::move(line));
}

std::string RunNotices::Text() const {
  std::string text;
  for (const std::string& line : lines_) {
    if (!text.empty()) text += '\n';
    text += line;
  }
  return text;
}

std::string ReasonText(std::error_code error) {
  if (!error) return "unknown error";
  return error.message();
}

std::error_code OpenFailureReason(std::string_view path, std::error_code error) {
  // Windows refuses to open a directory as "permission denied".
  std::error_code ignored;
  if (std::filesystem::is_directory(std::filesystem::path(path), ignored)) {
    return std::make_error_code(std::errc::is_a_directory);
  }
  return error;
}

std::string GedcomNotOpenedNotice(std::string_view path, std::error_code error) {
  error = OpenFailureReason(path, error);
  return "Cannot open the GEDCOM file \"" + std::string(path) + "\": " + ReasonText(error) + ".";
}

std::string CannotWriteNotice(std::string_view path, std::error_code error) {
  error = OpenFailureReason(path, error);
  // Named as the pages link it, with "/" between directories on every
  // system: the line reads the same on Windows.
  return "Cannot write \"" + std::filesystem::path(path).generic_string() +
         "\": " + ReasonText(error) + ".";
}

}  // namespace kinloom
