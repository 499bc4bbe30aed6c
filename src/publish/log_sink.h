// What the publishing side needs of the run log: the site writer appends
// the log's lines in order with its pages, and the record of page inputs
// tells a page that logged a line while it was made. The run log
// (RunLog) implements it.
#ifndef KINLOOM_PUBLISH_LOG_SINK_H_
#define KINLOOM_PUBLISH_LOG_SINK_H_

#include <string_view>

namespace kinloom {

class SiteWriter;

class LogSink {
 public:
  // Appends the line to the log file now, whatever writer the log goes
  // through.
  virtual void AppendNow(std::string_view text) const = 0;
  // Sends every line through writer from now on; nullptr: straight to the
  // file again.
  virtual void DivertTo(SiteWriter* writer) = 0;
  // Lines logged so far (lines the writers append themselves not counted).
  [[nodiscard]] virtual long lines_logged() const = 0;

 protected:
  ~LogSink() = default;
};

}  // namespace kinloom

#endif  // KINLOOM_PUBLISH_LOG_SINK_H_
