// The run log: kinloom.log, one line at a time, each line on disk before the
// run goes on. The file is opened and closed for every line.
#ifndef KINLOOM_RUN_LOG_H_
#define KINLOOM_RUN_LOG_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace kinloom {

inline constexpr std::string_view kLogSeparator = "=================================================";
// A log line holds at most this many characters; longer lines are cut.
inline constexpr std::size_t kLogLineCapacity = 255;

class RunLog {
 public:
  explicit RunLog(std::string path = "kinloom.log") : path_(std::move(path)) {}

  // Appends text (cut to kLogLineCapacity) and "\n". A log that cannot be
  // written is ignored: the run goes on either way.
  void LogLine(std::string_view text) const;

  // Formats one value with a printf format holding exactly one conversion
  // ("%ld", "%d", "%c" or "%s") and appends it with LogLine.
  void LogFormatted(const char* format, long value) const;
  void LogFormatted(const char* format, std::string_view value) const;
  // Two numbers, for the lines of the cross-reference check.
  void LogFormatted(const char* format, long first, long second) const;

  // Deletes the log file; a missing file is not an error.
  void Clear() const;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace kinloom

#endif  // KINLOOM_RUN_LOG_H_
