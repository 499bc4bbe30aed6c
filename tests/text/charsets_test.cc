#include "text/charsets.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "printable.h"

namespace kinloom {
namespace {

using testing::Bytes;
using testing::Printable;

struct ByteCase {
  int from;
  int to;
};

// The IBM PC table, copied by hand column by column.
const ByteCase kIbmPcTable[] = {
    {0x80, 0xC7}, {0x81, 0xFC}, {0x82, 0xE9}, {0x83, 0xE2}, {0x84, 0xE4}, {0x85, 0xE0},
    {0x86, 0xE5}, {0x87, 0xE7}, {0x88, 0xEA}, {0x89, 0xEB}, {0x8A, 0xE8}, {0x8B, 0xEF},
    {0x8C, 0xEE}, {0x8D, 0xEC}, {0x8E, 0xC4}, {0x8F, 0xC5}, {0x90, 0xC9}, {0x91, 0xE6},
    {0x92, 0xC6}, {0x93, 0xF4}, {0x94, 0xF6}, {0x95, 0xF2}, {0x96, 0xFB}, {0x97, 0xF9},
    {0x98, 0xFF}, {0x99, 0xD6}, {0x9A, 0xDC}, {0x9B, 0xF8}, {0x9C, 0xA3}, {0x9D, 0xD8},
    {0xA0, 0xE1}, {0xA1, 0xED}, {0xA2, 0xF3}, {0xA3, 0xFA}, {0xA4, 0xF1}, {0xA5, 0xD1},
    {0xA6, 0xAA}, {0xA7, 0xBA}, {0xE1, 0xDF}, {0xEC, 0xF8},
};

TEST(IbmPcToLatin1, ConvertsEveryTableEntry) {
  for (const ByteCase& c : kIbmPcTable) {
    std::string line(1, static_cast<char>(c.from));
    IbmPcToLatin1(line);
    EXPECT_EQ(line, std::string(1, static_cast<char>(c.to))) << "byte " << std::hex << c.from;
  }
}

TEST(IbmPcToLatin1, LeavesEveryOtherByteUnchanged) {
  std::set<int> mapped;
  for (const ByteCase& c : kIbmPcTable) mapped.insert(c.from);
  for (int b = 0; b < 256; ++b) {
    if (mapped.count(b) != 0) continue;
    std::string line(1, static_cast<char>(b));
    IbmPcToLatin1(line);
    EXPECT_EQ(line, std::string(1, static_cast<char>(b))) << "byte " << std::hex << b;
  }
  // The bytes named as untouched: box drawing, Greek, 0x9E and 0x9F.
  std::string untouched = "\x9E\x9F";
  for (int b = 0xA8; b <= 0xE0; ++b) untouched += static_cast<char>(b);
  std::string line = untouched;
  IbmPcToLatin1(line);
  EXPECT_EQ(line, untouched);
}

TEST(IbmPcToLatin1, ConvertsAWholeLineInPlace) {
  std::string line = Bytes("1 NAME S{9B}ren /J{9B}rgensen/");
  IbmPcToLatin1(line);
  EXPECT_EQ(line, "1 NAME S\xF8ren /J\xF8rgensen/");
  std::string empty;
  IbmPcToLatin1(empty);
  EXPECT_EQ(empty, "");
}

struct AnselCase {
  std::string line;
  std::string expected;
};

void ExpectAnsel(const AnselCase& c) {
  std::string line = c.line;
  AnselToLatin1(line);
  EXPECT_EQ(line, c.expected) << Printable(c.line) << " gave " << Printable(line);
}

TEST(AnselToLatin1, ComposesEveryDiacriticWithEveryLetterOfItsRow) {
  struct Case {
    int diacritic;
    char letter;
    int composed;
  };
  const Case cases[] = {
      // grave
      {0xE1, 'A', 0xC0},
      {0xE1, 'E', 0xC8},
      {0xE1, 'I', 0xCC},
      {0xE1, 'O', 0xD2},
      {0xE1, 'U', 0xD9},
      {0xE1, 'a', 0xE0},
      {0xE1, 'e', 0xE8},
      {0xE1, 'i', 0xEC},
      {0xE1, 'o', 0xF2},
      {0xE1, 'u', 0xF9},
      // acute
      {0xE2, 'A', 0xC1},
      {0xE2, 'E', 0xC9},
      {0xE2, 'I', 0xCD},
      {0xE2, 'O', 0xD3},
      {0xE2, 'U', 0xDA},
      {0xE2, 'Y', 0xDD},
      {0xE2, 'a', 0xE1},
      {0xE2, 'e', 0xE9},
      {0xE2, 'i', 0xED},
      {0xE2, 'o', 0xF3},
      {0xE2, 'u', 0xFA},
      {0xE2, 'y', 0xFD},
      // circumflex
      {0xE3, 'A', 0xC2},
      {0xE3, 'E', 0xCA},
      {0xE3, 'I', 0xCE},
      {0xE3, 'O', 0xD4},
      {0xE3, 'U', 0xDB},
      {0xE3, 'a', 0xE2},
      {0xE3, 'e', 0xEA},
      {0xE3, 'i', 0xEE},
      {0xE3, 'o', 0xF4},
      {0xE3, 'u', 0xFB},
      // tilde
      {0xE4, 'A', 0xC3},
      {0xE4, 'N', 0xD1},
      {0xE4, 'O', 0xD5},
      {0xE4, 'a', 0xE3},
      {0xE4, 'n', 0xF1},
      {0xE4, 'o', 0xF5},
      // umlaut
      {0xE8, 'A', 0xC4},
      {0xE8, 'E', 0xCB},
      {0xE8, 'I', 0xCF},
      {0xE8, 'O', 0xD6},
      {0xE8, 'U', 0xDC},
      {0xE8, 'a', 0xE4},
      {0xE8, 'e', 0xEB},
      {0xE8, 'i', 0xEF},
      {0xE8, 'o', 0xF6},
      {0xE8, 'u', 0xFC},
      {0xE8, 'y', 0xFF},
      // ring, cedilla, slash
      {0xEA, 'A', 0xC5},
      {0xEA, 'a', 0xE5},
      {0xF0, 'C', 0xC7},
      {0xF0, 'c', 0xE7},
      {0xFC, 'O', 0xD8},
      {0xFC, 'o', 0xF8},
  };
  for (const Case& c : cases) {
    // Between two plain letters, so a pair that consumed too much or too
    // little shows.
    std::string line = std::string("x") + static_cast<char>(c.diacritic) + c.letter + "z";
    AnselToLatin1(line);
    EXPECT_EQ(line, std::string("x") + static_cast<char>(c.composed) + "z")
        << "diacritic " << std::hex << c.diacritic << " letter " << c.letter;
  }
}

TEST(AnselToLatin1, ReplacesEverySpecialCharacter) {
  const AnselCase cases[] = {
      {"\xA4", "\xDE"}, {"\xA5", "\xC6"}, {"\xA6", "\x90"}, {"\xA8", "\xB7"},
      {"\xAB", "\xB1"}, {"\xB2", "\xF8"}, {"\xB4", "\xFE"}, {"\xB5", "\xE6"},
      {"\xB6", "\x9C"}, {"\xB9", "\xA3"}, {"\xBA", "\xF0"}, {"\xBE", "\x7F"},
      {"\xC0", "\xA7"}, {"\xC3", "\xA9"}, {"\xC5", "\xBF"}, {"\xC6", "\xA1"},
  };
  for (const AnselCase& c : cases) ExpectAnsel(c);
}

TEST(AnselToLatin1, ConvertsLinesAndHandlesStrayDiacritics) {
  const AnselCase cases[] = {
      {Bytes("Ren{E2}e"), Bytes("Ren{E9}")},  // one byte shorter per pair
      {Bytes("1 NAME Jos{E2}e /Mu{E4}noz/"), Bytes("1 NAME Jos{E9} /Mu{F1}oz/")},
      {Bytes("abc{E2}"), "abc"},  // final diacritic dropped
      {Bytes("{E8}"), ""},
      {Bytes("{E2}c"), "c"},                // acute before a consonant
      {Bytes("{EA}e"), "e"},                // ring outside its row
      {Bytes("{E2}{A5}"), Bytes("{C6}")},   // stray accent, special still converted
      {Bytes("{E2}{E8}e"), Bytes("{EB}")},  // first of two accents dropped
      {Bytes("{E2} x"), " x"},
      {Bytes("{E9}a"), Bytes("{E9}a")},        // other diacritics unchanged
      {Bytes("{A1}{A2}"), Bytes("{A1}{A2}")},  // other specials unchanged
      {"plain ASCII, 1 2 3", "plain ASCII, 1 2 3"},
      {"", ""},
  };
  for (const AnselCase& c : cases) ExpectAnsel(c);
}

TEST(AnselToLatin1, ConvertsLinesOfAnyLength) {
  std::string line;
  std::string expected;
  for (int i = 0; i < 400; ++i) {
    line += Bytes("{E8}o");
    expected += "\xF6";
  }
  line += Bytes("{E2}");
  AnselToLatin1(line);
  EXPECT_EQ(line, expected);
}

}  // namespace
}  // namespace kinloom
