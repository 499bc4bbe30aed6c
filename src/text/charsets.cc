#include "text/charsets.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <iterator>
#include <string_view>
#include <utility>

namespace kinloom {

namespace {

struct ByteMapping {
  unsigned char from;
  unsigned char to;
};

// IBM PC bytes that differ in ISO 8859-1: code page 437, except 0x9B and
// 0x9D, which are the Nordic ø and Ø of code page 865, and 0xEC (φ in 437),
// which Nordic files use for ø as well.
constexpr ByteMapping kIbmPc[] = {
    {0x80, 0xC7}, {0x81, 0xFC}, {0x82, 0xE9}, {0x83, 0xE2}, {0x84, 0xE4}, {0x85, 0xE0},
    {0x86, 0xE5}, {0x87, 0xE7}, {0x88, 0xEA}, {0x89, 0xEB}, {0x8A, 0xE8}, {0x8B, 0xEF},
    {0x8C, 0xEE}, {0x8D, 0xEC}, {0x8E, 0xC4}, {0x8F, 0xC5}, {0x90, 0xC9}, {0x91, 0xE6},
    {0x92, 0xC6}, {0x93, 0xF4}, {0x94, 0xF6}, {0x95, 0xF2}, {0x96, 0xFB}, {0x97, 0xF9},
    {0x98, 0xFF}, {0x99, 0xD6}, {0x9A, 0xDC}, {0x9B, 0xF8}, {0x9C, 0xA3}, {0x9D, 0xD8},
    {0xA0, 0xE1}, {0xA1, 0xED}, {0xA2, 0xF3}, {0xA3, 0xFA}, {0xA4, 0xF1}, {0xA5, 0xD1},
    {0xA6, 0xAA}, {0xA7, 0xBA}, {0xE1, 0xDF}, {0xEC, 0xF8},
};

// ANSEL special characters. 0xA6 (Œ) and 0xB6 (œ) have no ISO 8859-1
// letter and keep the historical bytes 0x90 and 0x9C.
constexpr ByteMapping kAnselSpecial[] = {
    {0xA4, 0xDE}, {0xA5, 0xC6}, {0xA6, 0x90}, {0xA8, 0xB7}, {0xAB, 0xB1}, {0xB2, 0xF8},
    {0xB4, 0xFE}, {0xB5, 0xE6}, {0xB6, 0x9C}, {0xB9, 0xA3}, {0xBA, 0xF0}, {0xBE, 0x7F},
    {0xC0, 0xA7}, {0xC3, 0xA9}, {0xC5, 0xBF}, {0xC6, 0xA1},
};

// One row per ANSEL combining diacritic: the letters it composes with, and
// at the same index the composed ISO 8859-1 characters.
struct DiacriticRow {
  unsigned char diacritic;
  const char* letters;
  const char* composed;
};

constexpr DiacriticRow kAnselDiacritics[] = {
    {0xE1, "AEIOUaeiou", "\xC0\xC8\xCC\xD2\xD9\xE0\xE8\xEC\xF2\xF9"},
    {0xE2, "AEIOUYaeiouy", "\xC1\xC9\xCD\xD3\xDA\xDD\xE1\xE9\xED\xF3\xFA\xFD"},
    {0xE3, "AEIOUaeiou", "\xC2\xCA\xCE\xD4\xDB\xE2\xEA\xEE\xF4\xFB"},
    {0xE4, "ANOano", "\xC3\xD1\xD5\xE3\xF1\xF5"},
    {0xE8, "AEIOUaeiouy", "\xC4\xCB\xCF\xD6\xDC\xE4\xEB\xEF\xF6\xFC\xFF"},
    {0xEA, "Aa", "\xC5\xE5"},
    {0xF0, "Cc", "\xC7\xE7"},
    {0xFC, "Oo", "\xD8\xF8"},
};

template <std::size_t N>
constexpr std::array<unsigned char, 256> ByteTable(const ByteMapping (&mappings)[N]) {
  std::array<unsigned char, 256> table{};
  for (std::size_t i = 0; i < table.size(); ++i) table[i] = static_cast<unsigned char>(i);
  for (const ByteMapping& m : mappings) table[m.from] = m.to;
  return table;
}

constexpr std::array<unsigned char, 256> kIbmPcTable = ByteTable(kIbmPc);
constexpr std::array<unsigned char, 256> kAnselSpecialTable = ByteTable(kAnselSpecial);

// For each byte, 1 + the index of its row in kAnselDiacritics, or 0.
constexpr std::array<unsigned char, 256> DiacriticRowTable() {
  std::array<unsigned char, 256> table{};
  for (std::size_t i = 0; i < std::size(kAnselDiacritics); ++i) {
    table[kAnselDiacritics[i].diacritic] = static_cast<unsigned char>(i + 1);
  }
  return table;
}
constexpr std::array<unsigned char, 256> kDiacriticRow = DiacriticRowTable();

const DiacriticRow* DiacriticRowOf(unsigned char c) {
  return kDiacriticRow[c] == 0 ? nullptr : &kAnselDiacritics[kDiacriticRow[c] - 1];
}

}  // namespace

void IbmPcToLatin1(std::string& line) {
  for (char& ch : line) ch = static_cast<char>(kIbmPcTable[static_cast<unsigned char>(ch)]);
}

// The line is rebuilt in one pass; it can only shrink. A diacritic with no
// composed form for the byte after it is dropped, and that byte is then
// converted like any other, so a stray accent before a special character or
// before a second diacritic loses nothing else.
void AnselToLatin1(std::string& line) {
  // Bytes below 0x80 are the same in both, and most lines hold nothing else.
  if (std::all_of(line.begin(), line.end(),
                  [](char ch) { return static_cast<unsigned char>(ch) < 0x80; })) {
    return;
  }
  std::string out;
  out.reserve(line.size());
  std::size_t i = 0;
  while (i < line.size()) {
    const auto c = static_cast<unsigned char>(line[i]);
    if (const DiacriticRow* row = DiacriticRowOf(c)) {
      ++i;
      if (i == line.size()) break;
      const std::string_view letters(row->letters);
      const std::size_t at = letters.find(line[i]);
      if (at != std::string_view::npos) {
        out += row->composed[at];
        ++i;
      }
      continue;
    }
    out += static_cast<char>(kAnselSpecialTable[c]);
    ++i;
  }
  line = std::move(out);
}

}  // namespace kinloom
