#include "text/charsets.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string_view>

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

// For each row of kAnselDiacritics and each byte, the composed character,
// or 0 when the diacritic does not compose with that byte.
constexpr std::array<std::array<unsigned char, 256>, std::size(kAnselDiacritics)> ComposedTable() {
  std::array<std::array<unsigned char, 256>, std::size(kAnselDiacritics)> table{};
  for (std::size_t row = 0; row < std::size(kAnselDiacritics); ++row) {
    const DiacriticRow& diacritic = kAnselDiacritics[row];
    for (std::size_t k = 0; diacritic.letters[k] != 0; ++k) {
      table[row][static_cast<unsigned char>(diacritic.letters[k])] =
          static_cast<unsigned char>(diacritic.composed[k]);
    }
  }
  return table;
}
constexpr auto kComposed = ComposedTable();

}  // namespace

std::size_t FirstHighByte(std::string_view text) {
  const std::size_t size = text.size();
  const char* const bytes = text.data();
  std::size_t i = 0;
  // Eight bytes at a time while they last.
  for (; i + 8 <= size; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, bytes + i, sizeof word);
    if ((word & 0x8080808080808080ull) != 0) break;
  }
  while (i < size && static_cast<unsigned char>(bytes[i]) < 0x80) ++i;
  return i;
}

void IbmPcToLatin1(std::string& line) {
  for (char& ch : line) ch = static_cast<char>(kIbmPcTable[static_cast<unsigned char>(ch)]);
}

// The line is rewritten in place in one pass: every step reads at least
// one byte and writes at most one, so the write position never overtakes
// the read position. A diacritic with no composed form for the byte after
// it is dropped, and that byte is then converted like any other, so a stray
// accent before a special character or before a second diacritic loses
// nothing else.
void AnselToLatin1(std::string& line) {
  // Bytes below 0x80 are the same in both, and most lines hold nothing else.
  const std::size_t size = line.size();
  std::size_t i = FirstHighByte(line);
  if (i == size) return;
  char* const bytes = line.data();
  std::size_t out = i;
  while (i < size) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (const unsigned char row = kDiacriticRow[c]; row != 0) {
      ++i;
      if (i == size) break;
      const unsigned char composed = kComposed[row - 1][static_cast<unsigned char>(bytes[i])];
      if (composed != 0) {
        bytes[out++] = static_cast<char>(composed);
        ++i;
      }
      continue;
    }
    bytes[out++] = static_cast<char>(kAnselSpecialTable[c]);
    ++i;
  }
  line.resize(out);
}

}  // namespace kinloom
