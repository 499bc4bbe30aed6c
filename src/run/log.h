// The run log: kinloom.log, one line at a time. The file is opened and
// closed for every line. While the run's pages are written in the
// background, its lines go through the same writer, so that they reach the
// file in order with the pages' own lines.
#ifndef KINLOOM_RUN_LOG_H_
#define KINLOOM_RUN_LOG_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "publish/log_sink.h"

namespace kinloom {

inline constexpr std::string_view kLogSeparator =
    "=================================================";
// A log line holds at most this many characters; longer lines are cut.
inline constexpr std::size_t kLogLineCapacity = 255;

class RunLog : public LogSink {
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

  // Appends the line to the file now, whatever writer the log goes through.
  void AppendNow(std::string_view text) const override;
  // Sends every line through writer from now on; nullptr: straight to the
  // file again.
  void DivertTo(SiteWriter* writer) override { writer_ = writer; }

  // Deletes the log file; a missing file is not an error.
  void Clear() const;

  const std::string& path() const { return path_; }
  // LogLine calls so far (lines the writers append themselves not counted).
  long lines_logged() const override { return lines_logged_; }

 private:
  std::string path_;
  SiteWriter* writer_ = nullptr;
  mutable long lines_logged_ = 0;
};

}  // namespace kinloom

#endif  // KINLOOM_RUN_LOG_H_
