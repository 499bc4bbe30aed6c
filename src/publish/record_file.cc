#include "publish/record_file.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <system_error>

#include "publish/content_hash.h"

namespace kinloom {

namespace {

constexpr std::string_view kHeaderStart = "kinloom record 1 ";
constexpr std::size_t kLongestLine = 4096;
constexpr std::size_t kReadPiece = 1 << 20;

std::string Hex(std::uint64_t value) {
  char text[17];
  for (int i = 15; i >= 0; --i) {
    text[i] = "0123456789abcdef"[value & 15];
    value >>= 4;
  }
  return std::string(text, 16);
}

bool ParseHex(std::string_view text, std::uint64_t& value) {
  if (text.size() != 16) return false;
  value = 0;
  for (const char c : text) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else {
      return false;
    }
    value = (value << 4) | static_cast<std::uint64_t>(digit);
  }
  return true;
}

bool ParseNumber(std::string_view text, long long& value) {
  if (text.empty() || text.size() > 19) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && value >= 0;
}

// Splits off the text up to the next blank.
std::string_view NextField(std::string_view& line) {
  const std::size_t blank = line.find(' ');
  const std::string_view field = line.substr(0, blank);
  line = blank == std::string_view::npos ? std::string_view() : line.substr(blank + 1);
  return field;
}

// A path that a run may have written: under html/, no step up or out.
bool IsSitePath(std::string_view path) {
  if (path.size() <= 5 || path.substr(0, 5) != "html/" || path.back() == '/') return false;
  if (path.find('\0') != std::string_view::npos) return false;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view step = path.substr(start, end - start);
    if (step.empty() || step == "." || step == "..") return false;
    start = end + 1;
  }
  return true;
}

}  // namespace

std::string RecordPath(std::string_view path) {
  std::string record(path);
  const char separator = platform::DirectorySeparator();
  if (separator != '/') std::replace(record.begin(), record.end(), separator, '/');
  return record;
}

std::string RecordLine(std::uint64_t hash, long long size, long long modified_ns, char flag,
                       std::string_view path, std::string_view inputs) {
  std::string line = Hex(hash);
  line += ' ';
  line += std::to_string(size);
  line += ' ';
  line += std::to_string(modified_ns);
  line += ' ';
  line += flag;
  line += ' ';
  line += path;
  if (!inputs.empty() || path.find('\t') != std::string_view::npos) {
    line += '\t';
    line += inputs;
  }
  line += '\n';
  return line;
}

bool ParseRecord(std::string_view line, RecordFields& record) {
  if (!ParseHex(NextField(line), record.hash)) return false;
  if (!ParseNumber(NextField(line), record.size)) return false;
  if (!ParseNumber(NextField(line), record.modified_ns)) return false;
  const std::string_view flag = NextField(line);
  if (flag.size() != 1 || std::string_view("-wprx").find(flag[0]) == std::string_view::npos) {
    return false;
  }
  record.flag = flag[0];
  const std::size_t tab = line.rfind('\t');
  record.path = line.substr(0, tab);
  record.inputs = tab == std::string_view::npos ? std::string_view() : line.substr(tab + 1);
  return IsSitePath(record.path);
}

std::string RecordHeaderLine(std::string_view identity) {
  std::string line(kHeaderStart);
  line += identity;
  line += '\n';
  return line;
}

std::string RecordEndLine(long long count, std::uint64_t check) {
  return "end " + std::to_string(count) + " " + Hex(check) + "\n";
}

RecordState ReadRecordFile(
    platform::FileHandle fd, std::string_view identity, bool needs_end,
    const std::function<void(const RecordFields& record, long long offset)>& on_record,
    RecordSeal* seal) {
  if (fd < 0) return RecordState::kMissing;
  std::string buffer;
  std::string piece(kReadPiece, '\0');
  long long file_offset = 0;  // of buffer[0]
  long long read_offset = 0;
  long long count = 0;
  bool header_seen = false;
  bool ended = false;
  ContentHash check;
  for (;;) {
    const auto got =
        static_cast<long long>(platform::ReadAt(fd, piece.data(), piece.size(), read_offset));
    if (got == 0) break;
    read_offset += got;
    buffer.append(piece.data(), static_cast<std::size_t>(got));
    std::size_t start = 0;
    for (;;) {
      const std::size_t nl = buffer.find('\n', start);
      if (nl == std::string::npos) break;
      const std::string_view line(buffer.data() + start, nl - start);
      const long long line_offset = file_offset + static_cast<long long>(start);
      start = nl + 1;
      if (ended) return RecordState::kDamaged;  // bytes after the end line
      if (!header_seen) {
        if (line.substr(0, kHeaderStart.size()) != kHeaderStart) return RecordState::kDamaged;
        if (line.substr(kHeaderStart.size()) != identity) return RecordState::kOtherFolder;
        header_seen = true;
        check.Update(line);
        check.Update("\n");
        continue;
      }
      if (needs_end && line.substr(0, 4) == "end ") {
        std::string_view rest = line.substr(4);
        long long stated = -1;
        std::uint64_t stated_check = 0;
        if (!ParseNumber(NextField(rest), stated) || !ParseHex(rest, stated_check) ||
            stated != count || stated_check != check.Value()) {
          return RecordState::kDamaged;
        }
        ended = true;
        if (seal != nullptr) *seal = RecordSeal{count, stated_check};
        continue;
      }
      RecordFields record;
      if (line.size() > kLongestLine || !ParseRecord(line, record)) {
        return needs_end ? RecordState::kDamaged : RecordState::kGood;
      }
      check.Update(line);
      check.Update("\n");
      ++count;
      on_record(record, line_offset);
    }
    buffer.erase(0, start);
    file_offset += static_cast<long long>(start);
    if (buffer.size() > kLongestLine) return needs_end ? RecordState::kDamaged : RecordState::kGood;
  }
  if (!header_seen) return needs_end ? RecordState::kDamaged : RecordState::kGood;
  if (needs_end && (!ended || !buffer.empty())) return RecordState::kDamaged;
  return RecordState::kGood;
}

std::string_view RecordWarning(RecordState state) {
  switch (state) {
    case RecordState::kMissing:
      return "No record of a previous run in kinloom.manifest";
    case RecordState::kOtherFolder:
      return "kinloom.manifest was made for another html folder";
    default:
      return "kinloom.manifest is damaged";
  }
}

}  // namespace kinloom
