#include "run/log.h"

#include <cstdio>
#include <string>

namespace kinloom {

void RunLog::LogLine(std::string_view text) const {
  std::FILE* file = std::fopen(path_.c_str(), "ab");
  if (file == nullptr) return;
  std::string_view cut = text.substr(0, kLogLineCapacity);
  std::fwrite(cut.data(), 1, cut.size(), file);
  std::fputc('\n', file);
  std::fclose(file);
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
