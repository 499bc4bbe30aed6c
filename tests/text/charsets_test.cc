#include "text/charsets.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "printable.h"

namespace kinloom {
namespace {

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
  std::string line =
      "1 NAME S\x9B"
      "ren /J\x9Brgensen/";
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
  const AnselCase cases[] = {
      // grave
      {"\xE1"
       "A",
       "\xC0"},
      {"\xE1"
       "E",
       "\xC8"},
      {"\xE1"
       "I",
       "\xCC"},
      {"\xE1"
       "O",
       "\xD2"},
      {"\xE1"
       "U",
       "\xD9"},
      {"\xE1"
       "a",
       "\xE0"},
      {"\xE1"
       "e",
       "\xE8"},
      {"\xE1"
       "i",
       "\xEC"},
      {"\xE1"
       "o",
       "\xF2"},
      {"\xE1"
       "u",
       "\xF9"},
      // acute
      {"\xE2"
       "A",
       "\xC1"},
      {"\xE2"
       "E",
       "\xC9"},
      {"\xE2"
       "I",
       "\xCD"},
      {"\xE2"
       "O",
       "\xD3"},
      {"\xE2"
       "U",
       "\xDA"},
      {"\xE2"
       "Y",
       "\xDD"},
      {"\xE2"
       "a",
       "\xE1"},
      {"\xE2"
       "e",
       "\xE9"},
      {"\xE2"
       "i",
       "\xED"},
      {"\xE2"
       "o",
       "\xF3"},
      {"\xE2"
       "u",
       "\xFA"},
      {"\xE2"
       "y",
       "\xFD"},
      // circumflex
      {"\xE3"
       "A",
       "\xC2"},
      {"\xE3"
       "E",
       "\xCA"},
      {"\xE3"
       "I",
       "\xCE"},
      {"\xE3"
       "O",
       "\xD4"},
      {"\xE3"
       "U",
       "\xDB"},
      {"\xE3"
       "a",
       "\xE2"},
      {"\xE3"
       "e",
       "\xEA"},
      {"\xE3"
       "i",
       "\xEE"},
      {"\xE3"
       "o",
       "\xF4"},
      {"\xE3"
       "u",
       "\xFB"},
      // tilde
      {"\xE4"
       "A",
       "\xC3"},
      {"\xE4"
       "N",
       "\xD1"},
      {"\xE4"
       "O",
       "\xD5"},
      {"\xE4"
       "a",
       "\xE3"},
      {"\xE4"
       "n",
       "\xF1"},
      {"\xE4"
       "o",
       "\xF5"},
      // umlaut
      {"\xE8"
       "A",
       "\xC4"},
      {"\xE8"
       "E",
       "\xCB"},
      {"\xE8"
       "I",
       "\xCF"},
      {"\xE8"
       "O",
       "\xD6"},
      {"\xE8"
       "U",
       "\xDC"},
      {"\xE8"
       "a",
       "\xE4"},
      {"\xE8"
       "e",
       "\xEB"},
      {"\xE8"
       "i",
       "\xEF"},
      {"\xE8"
       "o",
       "\xF6"},
      {"\xE8"
       "u",
       "\xFC"},
      {"\xE8"
       "y",
       "\xFF"},
      // ring, cedilla, slash
      {"\xEA"
       "A",
       "\xC5"},
      {"\xEA"
       "a",
       "\xE5"},
      {"\xF0"
       "C",
       "\xC7"},
      {"\xF0"
       "c",
       "\xE7"},
      {"\xFC"
       "O",
       "\xD8"},
      {"\xFC"
       "o",
       "\xF8"},
  };
  for (const AnselCase& c : cases) ExpectAnsel(c);
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
      {"Ren\xE2"
       "e",
       "Ren\xE9"},  // one byte shorter per pair
      {"1 NAME Jos\xE2"
       "e /Mu\xE4"
       "noz/",
       "1 NAME Jos\xE9 /Mu\xF1oz/"},
      {"abc\xE2", "abc"},  // final diacritic dropped
      {"\xE8", ""},
      {"\xE2"
       "c",
       "c"},  // acute before a consonant
      {"\xEA"
       "e",
       "e"},  // ring outside its row
      {"\xE2"
       "\xA5",
       "\xC6"},  // stray accent, special kept
      {"\xE2"
       "\xE8"
       "e",
       "\xEB"},  // first of two accents dropped
      {"\xE2"
       " x",
       " x"},
      {"\xE9"
       "a",
       "\xE9"
       "a"},                     // other diacritics unchanged
      {"\xA1\xA2", "\xA1\xA2"},  // other specials unchanged
      {"plain ASCII, 1 2 3", "plain ASCII, 1 2 3"},
      {"", ""},
  };
  for (const AnselCase& c : cases) ExpectAnsel(c);
}

TEST(AnselToLatin1, ConvertsLinesOfAnyLength) {
  std::string line;
  std::string expected;
  for (int i = 0; i < 400; ++i) {
    line +=
        "\xE8"
        "o";
    expected += "\xF6";
  }
  line += "\xE2";
  AnselToLatin1(line);
  EXPECT_EQ(line, expected);
}

}  // namespace
}  // namespace kinloom
