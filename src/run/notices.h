// Lines that tell the user why a run ended as it did, or what it could not
// do on the way: the file that could not be opened or written and the
// system's reason, a picture the installation should have shipped. A front
// end shows them under the result's message (the desktop program in its
// message box, kinloom-create on standard error). They never go to the run
// log, which keeps its own lines.
#ifndef KINLOOM_RUN_NOTICES_H_
#define KINLOOM_RUN_NOTICES_H_

#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace kinloom {

class RunNotices {
 public:
  // Adds a line, unless the same line is already there.
  void Add(std::string line);
  const std::vector<std::string>& lines() const { return lines_; }
  bool empty() const { return lines_.empty(); }
  // The lines joined by line ends, without one after the last.
  [[nodiscard]] std::string Text() const;

 private:
  std::vector<std::string> lines_;
};

// The system's words for an error ("No such file or directory"), or
// "unknown error" when there is none.
[[nodiscard]] std::string ReasonText(std::error_code error);

// "Cannot open the GEDCOM file "PATH": REASON."
// The reason to give for a file at path that could not be opened: "is a
// directory" for a directory on every system, otherwise error.
[[nodiscard]] std::error_code OpenFailureReason(std::string_view path, std::error_code error);
[[nodiscard]] std::string GedcomNotOpenedNotice(std::string_view path, std::error_code error);
// "Cannot write "PATH": REASON.", PATH with "/" between directories and
// the reason as OpenFailureReason gives it.
[[nodiscard]] std::string CannotWriteNotice(std::string_view path, std::error_code error);

}  // namespace kinloom

#endif  // KINLOOM_RUN_NOTICES_H_
