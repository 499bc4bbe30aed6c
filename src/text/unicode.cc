#include "text/unicode.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "text/charsets.h"
#include "text/latin_letters_table.h"

namespace kinloom {

namespace {

constexpr char32_t kMaxCodePoint = 0x10FFFF;
// "&#1114111;" is the longest reference: "&#", seven digits, ";".
constexpr std::size_t kMaxReferenceDigits = 7;
constexpr std::size_t kMaxReferenceLength = 2 + kMaxReferenceDigits + 1;

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Decodes the UTF-8 sequence at line[i]. Returns its length, 0 when the
// byte there does not begin a valid sequence. The lead byte ranges and the
// narrowed second-byte ranges after E0, ED, F0 and F4 rule out overlong
// forms, surrogates and code points past U+10FFFF.
std::size_t DecodeAt(std::string_view line, std::size_t i, char32_t& code) {
  const auto lead = static_cast<unsigned char>(line[i]);
  if (lead < 0x80) {
    code = lead;
    return 1;
  }
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (line.size() - i < length) return 0;
  const auto second = static_cast<unsigned char>(line[i + 1]);
  if (second < low || second > high) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    const auto c = static_cast<unsigned char>(line[i + k]);
    if (!IsContinuation(c)) return 0;
    code = (code << 6) | (c & 0x3F);
  }
  return length;
}

// The code point of the reference at text[pos], with its length.
std::size_t ReferenceAt(std::string_view text, std::size_t pos, char32_t& code) {
  if (pos >= text.size() || text.size() - pos < 4) return 0;
  if (text[pos] != '&' || text[pos + 1] != '#') return 0;
  code = 0;
  std::size_t i = pos + 2;
  const std::size_t end = std::min(text.size(), pos + 2 + kMaxReferenceDigits);
  while (i < end && text[i] >= '0' && text[i] <= '9') {
    code = code * 10 + static_cast<char32_t>(text[i] - '0');
    ++i;
  }
  if (i == pos + 2 || i >= text.size() || text[i] != ';' || code > kMaxCodePoint) return 0;
  return i + 1 - pos;
}

void AppendReference(std::string& out, char32_t code) {
  char digits[8];
  const auto result =
      std::to_chars(digits, digits + sizeof digits, static_cast<unsigned long>(code));
  out += "&#";
  out.append(digits, result.ptr);
  out += ';';
}

const latin_letters::Entry* LatinEntry(char32_t code) {
  if (code < latin_letters::kFirst || code > latin_letters::kLast) return nullptr;
  const latin_letters::Entry& entry = latin_letters::kTable[code - latin_letters::kFirst];
  return entry.base != 0 ? &entry : nullptr;
}

}  // namespace

// The line is rewritten in place while it can only shrink (characters up
// to U+00FF and bytes kept as they are); from the first character that
// becomes a reference on, the rest is built in a copy.
void Utf8ToLatin1(std::string& line) {
  const std::size_t size = line.size();
  std::size_t i = FirstHighByte(line);
  if (i == size) return;
  std::size_t out = i;
  char32_t code = 0;
  std::size_t length = 0;
  while (i < size) {
    length = DecodeAt(line, i, code);
    if (length == 0) {
      line[out++] = line[i];
      ++i;
      continue;
    }
    if (code > 0xFF) break;
    line[out++] = static_cast<char>(code);
    i += length;
  }
  if (i == size) {
    line.resize(out);
    return;
  }
  std::string rest;
  rest.reserve(2 * (size - i));
  while (i < size) {
    length = DecodeAt(line, i, code);
    if (length == 0) {
      rest += line[i];
      ++i;
      continue;
    }
    if (code <= 0xFF) {
      rest += static_cast<char>(code);
    } else {
      AppendReference(rest, code);
    }
    i += length;
  }
  line.resize(out);
  line += rest;
}

std::size_t CharacterReferenceLengthAt(std::string_view text, std::size_t pos) {
  char32_t code = 0;
  return ReferenceAt(text, pos, code);
}

std::optional<LatinReference> LatinLetterReferenceAt(std::string_view text, std::size_t pos) {
  char32_t code = 0;
  const std::size_t length = ReferenceAt(text, pos, code);
  if (length == 0) return std::nullopt;
  const latin_letters::Entry* entry = LatinEntry(code);
  if (entry == nullptr) return std::nullopt;
  return LatinReference{length, code, entry->base};
}

char32_t LatinUppercase(char32_t code) {
  const latin_letters::Entry* entry = LatinEntry(code);
  return entry != nullptr ? static_cast<char32_t>(entry->upper) : 0;
}

// A reference is at most ten bytes long and holds no '&' after its first
// byte, so at most one reference can straddle the cut, and it starts in the
// last ten bytes before it.
std::size_t CutLengthKeepingReferences(std::string_view text, std::size_t capacity) {
  if (text.size() <= capacity) return text.size();
  const std::size_t from = capacity > kMaxReferenceLength ? capacity - kMaxReferenceLength : 0;
  for (std::size_t pos = capacity; pos-- > from;) {
    const std::size_t length = CharacterReferenceLengthAt(text, pos);
    if (length != 0 && pos + length > capacity) return pos;
  }
  return capacity;
}

std::string CutKeepingReferences(std::string_view text, std::size_t capacity) {
  return std::string(text.substr(0, CutLengthKeepingReferences(text, capacity)));
}

}  // namespace kinloom
