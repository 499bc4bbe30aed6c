#include "gedcom/line_fields.h"

#include <array>
#include <cstdint>
#include <limits>
#include <utility>

#include "gedcom/reader.h"

namespace kinloom {

namespace {

constexpr std::array<std::pair<std::string_view, int>, 20> kTagCodes = {{
    {"SOUR", kTagSour}, {"NAME", kTagName}, {"SEX ", kTagSex},  {"BIRT", kTagBirt},
    {"DEAT", kTagDeat}, {"DATE", kTagDate}, {"PLAC", kTagPlac}, {"NOTE", kTagNote},
    {"CONC", kTagConc}, {"FILE", kTagFile}, {"CONT", kTagCont}, {"TITL", kTagTitl},
    {"ABBR", kTagAbbr}, {"FAMS", kTagFams}, {"FAMC", kTagFamc}, {"HUSB", kTagHusb},
    {"WIFE", kTagWife}, {"MARR", kTagMarr}, {"CHIL", kTagChil}, {"OBJE", kTagObje},
}};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string_view TagColumns(std::string_view line) {
  if (line.size() <= 2) return {};
  return line.substr(2, 4);
}

int TagCodeOf(std::string_view line) {
  const std::string_view tag = TagColumns(line);
  if (tag.size() < 4) return kTagNone;
  for (const auto& [text, code] : kTagCodes) {
    if (tag == text) return code;
  }
  return kTagNone;
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
