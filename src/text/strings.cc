#include "text/strings.h"

#include <cstddef>

#include "text/unicode.h"

namespace kinloom {

namespace {

bool IsAsciiLower(unsigned char c) { return c >= 'a' && c <= 'z'; }

char AsciiUpper(char c) {
  return IsAsciiLower(static_cast<unsigned char>(c)) ? static_cast<char>(c - 'a' + 'A') : c;
}

// The Soundex digit of an ASCII letter of either case; 0 for everything
// else (vowels, H, W, Y, punctuation, bytes above 0x7F).
char SoundexDigit(char c) {
  //                                  ABCDEFGHIJKLMNOPQRSTUVWXYZ
  static constexpr char kDigits[] = "01230120022455012623010202";
  const char upper = AsciiUpper(c);
  if (upper < 'A' || upper > 'Z') return 0;
  const char digit = kDigits[upper - 'A'];
  return digit == '0' ? 0 : digit;
}

// The sort fold of one ISO 8859-1 byte; nullptr when it folds to itself.
const char* FoldOf(unsigned char c) {
  if (c < 0xB5) return nullptr;
  if (c == 0xB5) return "u";
  if (c >= 0xC0 && c <= 0xC4) return "A";
  if (c >= 0xC8 && c <= 0xCB) return "E";
  if (c >= 0xCC && c <= 0xCF) return "I";
  if (c >= 0xD2 && c <= 0xD6) return "O";
  if (c >= 0xD9 && c <= 0xDC) return "U";
  if (c >= 0xE0 && c <= 0xE5) return "a";
  if (c >= 0xE8 && c <= 0xEB) return "e";
  if (c >= 0xEC && c <= 0xEF) return "i";
  if ((c >= 0xF2 && c <= 0xF6) || c == 0xF8) return "o";
  if (c >= 0xF9 && c <= 0xFC) return "u";
  switch (c) {
    case 0xC5:
      return "]";
    case 0xC6:
      return "[";
    case 0xC7:
      return "C";
    case 0xD0:
      return "D";
    case 0xD1:
      return "N";
    case 0xD8:
      return "\\";
    case 0xDD:
      return "Y";
    case 0xDE:
      return "b";
    case 0xDF:
      return "SS";
    case 0xE6:
      return "ae";
    case 0xE7:
      return "c";
    case 0xF0:
      return "o";
    case 0xF1:
      return "n";
    case 0xFD:
      return "y";
    case 0xFF:
      return "y";
    default:
      return nullptr;
  }
}

}  // namespace

int FindOccurrence(std::string_view text, std::string_view pattern, int n) {
  if (pattern.empty() || n < 1 || text.size() < pattern.size()) return -1;
  // Each search starts one past the previous match, so overlapping
  // occurrences count.
  int count = 0;
  for (std::size_t from = 0;; ++from) {
    from = text.find(pattern, from);
    if (from == std::string_view::npos) return -1;
    if (++count == n) return static_cast<int>(from);
  }
}

std::string SubText(std::string_view text, int start, int count) {
  if (start < 0 || count <= 0 || static_cast<std::size_t>(start) > text.size()) return {};
  return std::string(text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(count)));
}

std::string TrimTrailingSpaces(std::string_view text) {
  std::size_t end = text.size();
  while (end > 1 && text[end - 1] == ' ') --end;
  return std::string(text.substr(0, end));
}

std::string SkipLeadingSeparators(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" ,");
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first));
}

void StripDirectory(std::string& path) {
  const std::size_t last = path.find_last_of("/\\");
  if (last != std::string::npos) path.erase(0, last + 1);
}

void LowerCaseText(std::string& text) {
  for (char& ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE)) ch = static_cast<char>(c + 0x20);
  }
}

// The walk keeps the code's first position free for the surname's first
// character, whatever that is: a letter with a digit fills it with its
// digit (replaced at the end), anything else reserves it. That is why H and
// W separate equal digits like vowels do. A Latin-letter reference counts
// as its base letter, and any other character reference as one character
// without a digit.
std::string SoundexCode(std::string_view surname) {
  if (surname.empty()) return {};

  std::string first;
  if (auto latin = LatinLetterReferenceAt(surname, 0)) {
    first = std::string(1, AsciiUpper(latin->base));
  } else if (std::size_t length = CharacterReferenceLengthAt(surname, 0)) {
    first = std::string(surname.substr(0, length));
  } else {
    first = std::string(1, AsciiUpper(surname[0]));
  }

  std::string digits;  // the code after position 0
  bool position0_taken = false;
  char last_digit = 0;
  std::size_t i = 0;
  while (i < surname.size()) {
    char letter = surname[i];
    std::size_t step = 1;
    if (auto latin = LatinLetterReferenceAt(surname, i)) {
      letter = latin->base;
      step = latin->length;
    } else if (std::size_t length = CharacterReferenceLengthAt(surname, i)) {
      letter = 0;
      step = length;
    }
    i += step;

    const char digit = SoundexDigit(letter);
    if (digit == 0) {
      last_digit = 0;
      position0_taken = true;
      continue;
    }
    if (digit == last_digit) continue;
    last_digit = digit;
    if (!position0_taken) {
      position0_taken = true;  // replaced by the first character below
    } else if (digits.size() < 3) {
      digits += digit;
    }
  }
  digits.resize(3, '0');
  return "(" + first + digits + ")";
}

std::string FoldForSorting(std::string_view text) {
  std::string folded;
  folded.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    if (auto latin = LatinLetterReferenceAt(text, i)) {
      folded += latin->base;
      i += latin->length;
      continue;
    }
    if (const char* fold = FoldOf(static_cast<unsigned char>(text[i]))) {
      folded += fold;
    } else {
      folded += text[i];
    }
    ++i;
  }
  return folded;
}

std::string_view WithoutSurroundingQuotes(std::string_view text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
    return text.substr(1, text.size() - 2);
  }
  return text;
}

}  // namespace kinloom
