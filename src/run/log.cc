#include "run/log.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "publish/site_writer.h"

namespace kinloom {

// Some phases log two lines per page, so a line costs only an open, one
// write of the whole line and a close: no stdio stream, no buffer to set
// up, and with O_APPEND no seek.
void RunLog::LogLine(std::string_view text) const {
  ++lines_logged_;
  if (writer_ != nullptr) {
    writer_->Log(text);
  } else {
    AppendNow(text);
  }
}

void RunLog::AppendNow(std::string_view text) const {
  const platform::FileHandle fd = platform::OpenFile(path_, platform::OpenMode::kAppendText);
  if (fd < 0) return;
  char line[kLogLineCapacity + 1];
  const std::size_t length = std::min(text.size(), kLogLineCapacity);
  std::memcpy(line, text.data(), length);
  line[length] = '\n';
  (void)platform::WriteAll(fd, line, length + 1);
  (void)platform::CloseFile(fd);
}

void RunLog::LogFormatted(const char* format, long value) const {
  // Only the four conversions of the log's lines are accepted; the format
  // is always one of the program's own literals.
  std::string out;
  for (const char* p = format; *p != '\0'; ++p) {
    if (p[0] == '%' && p[1] == 'l' && p[2] == 'd') {
      out += std::to_string(value);
      p += 2;
    } else if (p[0] == '%' && p[1] == 'd') {
      out += std::to_string(value);
      p += 1;
    } else if (p[0] == '%' && p[1] == 'c') {
      out += static_cast<char>(value);
      p += 1;
    } else {
      out += *p;
    }
  }
  LogLine(out);
}

void RunLog::LogFormatted(const char* format, std::string_view value) const {
  std::string out;
  for (const char* p = format; *p != '\0'; ++p) {
    if (p[0] == '%' && p[1] == 's') {
      out += value;
      p += 1;
    } else {
      out += *p;
    }
  }
  LogLine(out);
}

void RunLog::LogFormatted(const char* format, long first, long second) const {
  std::string out;
  int used = 0;
  for (const char* p = format; *p != '\0'; ++p) {
    if (p[0] == '%' && p[1] == 'l' && p[2] == 'd') {
      out += std::to_string(used++ == 0 ? first : second);
      p += 2;
    } else {
      out += *p;
    }
  }
  LogLine(out);
}

void RunLog::Clear() const { std::remove(path_.c_str()); }

}  // namespace kinloom
