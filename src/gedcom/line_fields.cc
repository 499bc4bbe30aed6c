#include "gedcom/line_fields.h"

#include <cstdint>
#include <limits>

#include "gedcom/reader.h"

namespace kinloom {

namespace {

// The four characters of a tag as one number, byte by byte, so that a
// line's tag is told by one switch.
constexpr std::uint32_t PackTag(std::string_view tag) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(tag[0])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(tag[1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(tag[2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(tag[3])) << 24;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string_view TagColumns(std::string_view line) {
  if (line.size() <= 2) return {};
  return line.substr(2, 4);
}

int TagCodeOf(std::string_view line) {
  if (line.size() < 6) return kTagNone;
  switch (PackTag(line.substr(2, 4))) {
    case PackTag("SOUR"):
      return kTagSour;
    case PackTag("NAME"):
      return kTagName;
    case PackTag("SEX "):
      return kTagSex;
    case PackTag("BIRT"):
      return kTagBirt;
    case PackTag("DEAT"):
      return kTagDeat;
    case PackTag("DATE"):
      return kTagDate;
    case PackTag("PLAC"):
      return kTagPlac;
    case PackTag("NOTE"):
      return kTagNote;
    case PackTag("CONC"):
      return kTagConc;
    case PackTag("FILE"):
      return kTagFile;
    case PackTag("CONT"):
      return kTagCont;
    case PackTag("TITL"):
      return kTagTitl;
    case PackTag("ABBR"):
      return kTagAbbr;
    case PackTag("FAMS"):
      return kTagFams;
    case PackTag("FAMC"):
      return kTagFamc;
    case PackTag("HUSB"):
      return kTagHusb;
    case PackTag("WIFE"):
      return kTagWife;
    case PackTag("MARR"):
      return kTagMarr;
    case PackTag("CHIL"):
      return kTagChil;
    case PackTag("OBJE"):
      return kTagObje;
    default:
      return kTagNone;
  }
}

std::string_view ValueOf(std::string_view line) {
  if (line.size() <= 7) return {};
  return line.substr(7);
}

std::optional<std::string_view> CrossReferenceOf(std::string_view line) {
  const std::size_t first = line.find('@');
  if (first == std::string_view::npos) return std::nullopt;
  const std::size_t second = line.find('@', first + 1);
  if (second == std::string_view::npos || second == first + 1) return std::nullopt;
  return line.substr(first + 1, second - first - 1);
}

std::optional<ContinuationWithIdentifier> ParseContinuationWithIdentifier(std::string_view line) {
  if (line.size() < 4 || line[1] != ' ' || line[2] != '@') return std::nullopt;
  const std::size_t close = line.find('@', 3);
  if (close == std::string_view::npos || close == 3) return std::nullopt;
  // What follows the cross-reference reads like columns 1 on of a plain
  // line: a blank, the four-letter tag, a blank and the value.
  const std::string_view rest = line.substr(close + 1);
  if (rest.size() < 5 || rest[0] != ' ' || (rest.size() > 5 && rest[5] != ' ')) {
    return std::nullopt;
  }
  ContinuationWithIdentifier result;
  const std::string_view tag = rest.substr(1, 4);
  if (tag == "CONC") {
    result.code = kTagConc;
  } else if (tag == "CONT") {
    result.code = kTagCont;
  } else {
    return std::nullopt;
  }
  result.identifier = line.substr(3, close - 3);
  if (rest.size() > 6) result.value = rest.substr(6);
  return result;
}

Level0Line ParseLevel0(std::string_view line) {
  Level0Line result;
  std::size_t at = line.empty() ? 0 : 1;
  while (at < line.size() && line[at] == ' ') ++at;
  if (at < line.size() && line[at] == '@') {
    const std::size_t close = line.find('@', at + 1);
    if (close != std::string_view::npos) {
      if (close > at + 1) result.identifier = line.substr(at + 1, close - at - 1);
      at = close + 1;
      while (at < line.size() && line[at] == ' ') ++at;
    }
  }
  std::size_t end = line.find(' ', at);
  if (end == std::string_view::npos) end = line.size();
  result.tag = line.substr(at, end - at);
  result.tag_position = at;
  return result;
}

std::int32_t XrefNumber(std::string_view line) {
  const std::size_t first = line.find('@');
  if (first == std::string_view::npos) return 0;
  const std::size_t second = line.find('@', first + 1);
  if (second == std::string_view::npos) return 0;
  std::size_t end = second;
  while (end > 0 && !IsDigit(line[end - 1])) --end;
  std::size_t begin = end;
  while (begin > 0 && IsDigit(line[begin - 1])) --begin;
  std::int64_t value = 0;
  for (std::size_t i = begin; i < end; ++i) {
    value = value * 10 + (line[i] - '0');
    if (value > std::numeric_limits<std::int32_t>::max()) return 0;
  }
  return static_cast<std::int32_t>(value);
}

bool IsPointer(std::string_view line) {
  const std::size_t first = line.find('@');
  if (first == std::string_view::npos) return false;
  const std::size_t second = line.find('@', first + 1);
  if (second == std::string_view::npos) return false;
  if (first > 10 || second > 20) return false;
  if (second == first + 1) return false;
  std::size_t blank = std::string_view::npos;
  int blanks = 0;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == ' ' && ++blanks == 3) {
      blank = i;
      break;
    }
  }
  if (blank != std::string_view::npos && blank > second) return true;
  return line.find('@', second + 1) == std::string_view::npos;
}

}  // namespace kinloom
