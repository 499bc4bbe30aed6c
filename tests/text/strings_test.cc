#include "text/strings.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "printable.h"
#include "text/charsets.h"
#include "text/unicode.h"

namespace kinloom {
namespace {

using testing::Bytes;
using testing::Printable;

TEST(FindOccurrence, CountsOverlappingMatchesAndRejectsBadArguments) {
  struct Case {
    std::string text;
    std::string pattern;
    int n;
    int expected;
  };
  const Case cases[] = {
      {"/Smith/", "/", 1, 0},  {"/Smith/", "/", 2, 6},
      {"/Smith/", "/", 3, -1}, {"John /Smith", "/", 2, -1},
      {"aaaa", "aa", 1, 0},    {"aaaa", "aa", 2, 1},
      {"aaaa", "aa", 3, 2},    {"aaaa", "aa", 4, -1},
      {"ab", "abc", 1, -1},    {"", "a", 1, -1},
      {"abc", "", 1, -1},      {"abc", "a", 0, -1},
      {"abc", "a", -2, -1},    {"1 NAME Ann /Lee/", "NAME", 1, 2},
      {"xyz", "xyz", 1, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindOccurrence(c.text, c.pattern, c.n), c.expected)
        << Printable(c.text) << " pattern " << Printable(c.pattern) << " n=" << c.n;
  }
}

TEST(FindOccurrence, FindsMatchesBeyondTheOldLineLength) {
  const std::string text = std::string(1000, 'x') + "/Lee/";
  EXPECT_EQ(FindOccurrence(text, "/", 1), 1000);
  EXPECT_EQ(FindOccurrence(text, "/", 2), 1004);
}

TEST(SubText, CutsWithinTheTextAndIsEmptyOutsideIt) {
  struct Case {
    std::string text;
    int start;
    int count;
    std::string expected;
  };
  const Case cases[] = {
      {"Smith", 0, 3, "Smi"},
      {"Smith", 1, 4, "mith"},
      {"Smith", 2, 269, "ith"},
      {"Smith", 4, 1, "h"},
      {"Smith", 5, 1, ""},
      {"Smith", 6, 1, ""},
      {"Smith", -1, 2, ""},
      {"Smith", 1, 0, ""},
      {"Smith", 1, -3, ""},
      {"", 0, 5, ""},
      {"Smith", 0, 2147483647, "Smith"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SubText(c.text, c.start, c.count), c.expected)
        << Printable(c.text) << " start=" << c.start << " count=" << c.count;
  }
}

TEST(SubText, ReturnsLongCutsWhole) {
  const std::string text = "2 NOTE " + std::string(600, 'n');
  EXPECT_EQ(SubText(text, 7, 2147483647), std::string(600, 'n'));
  EXPECT_EQ(SubText(text, 7, 500), std::string(500, 'n'));
}

TEST(TrimTrailingSpaces, CutsOnlyTrailingBlanksAndKeepsTheFirstCharacter) {
  struct Case {
    std::string text;
    std::string expected;
  };
  const Case cases[] = {
      {"   ", " "},   {"a  ", "a"},   {"", ""},         {" ", " "},       {" a ", " a"},
      {"a b", "a b"}, {"a\t", "a\t"}, {"a \r", "a \r"}, {"a\t  ", "a\t"}, {"Smith ", "Smith"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TrimTrailingSpaces(c.text), c.expected) << Printable(c.text);
  }
  EXPECT_EQ(TrimTrailingSpaces(std::string(400, 'x') + std::string(300, ' ')),
            std::string(400, 'x'));
}

TEST(SkipLeadingSeparators, DropsLeadingBlanksAndCommasOnly) {
  struct Case {
    std::string text;
    std::string expected;
  };
  const Case cases[] = {
      {", ,x,", "x,"}, {" , ,", ""},           {"", ""},       {"\tx", "\tx"},
      {"x y", "x y"},  {"  1 NAME", "1 NAME"}, {",,;a", ";a"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SkipLeadingSeparators(c.text), c.expected) << Printable(c.text);
  }
}

TEST(StripDirectory, KeepsWhatFollowsTheLastSeparatorOfEitherKind) {
  struct Case {
    std::string path;
    std::string expected;
  };
  const Case cases[] = {
      {"C:\\photos/old\\me.jpg", "me.jpg"},
      {"C:\\photos\\old/me.jpg", "me.jpg"},
      {"/home/ann/pic.gif", "pic.gif"},
      {"me.jpg", "me.jpg"},
      {"photos/", ""},
      {"\\", ""},
      {"", ""},
      {"a b/c d.jpg", "c d.jpg"},
  };
  for (const Case& c : cases) {
    std::string path = c.path;
    StripDirectory(path);
    EXPECT_EQ(path, c.expected) << Printable(c.path);
  }
}

TEST(LowerCaseText, LowersAsciiAndTheLatin1CapitalRow) {
  std::string accents = "\xC0\xC9";  // ÀÉ
  LowerCaseText(accents);
  EXPECT_EQ(accents, "\xE0\xE9");  // àé

  std::string times = "\xD7";  // ×
  LowerCaseText(times);
  EXPECT_EQ(times, "\xF7");  // ÷

  std::string mixed = "PHOTO@[Z].JPG";
  LowerCaseText(mixed);
  EXPECT_EQ(mixed, "photo@[z].jpg");

  // Every byte: A-Z and 0xC0..0xDE move up by 0x20, nothing else moves.
  for (int b = 0; b < 256; ++b) {
    std::string text(1, static_cast<char>(b));
    LowerCaseText(text);
    const bool lowered = (b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE);
    EXPECT_EQ(static_cast<unsigned char>(text[0]), lowered ? b + 0x20 : b) << "byte " << b;
  }
}

TEST(SoundexCode, CodesSurnames) {
  struct Case {
    std::string surname;
    std::string expected;
  };
  const Case cases[] = {
      {"Smith", "(S530)"},
      {"smith", "(S530)"},
      {"Lloyd", "(L300)"},
      {"Pfister", "(P236)"},
      {"Tymczak", "(T522)"},
      {"Ashcraft", "(A226)"},  // H separates like a vowel
      {"O'Brien", "(O165)"},
      {"Lee", "(L000)"},
      {"X", "(X000)"},
      {"", ""},
      {" Smith", "( 253)"},  // the blank keeps position 0
      {"Jackson", "(J250)"},
      {"Washington", "(W252)"},
      {"Sc", "(S000)"},  // same digit as the first letter
      {"Ab", "(A100)"},  // first letter without a digit
      {"Tt", "(T000)"},
      {"T-t", "(T300)"},                 // a hyphen separates equal digits
      {"M\xFCller", "(M460)"},           // ü has no digit and separates
      {"\xC9lise", Bytes("({C9}420)")},  // a non-ASCII first letter stays
      {"van der Berg", "(V536)"},
      {"Bbbbbbbbbbbbbbbbbcdlmr", "(B234)"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SoundexCode(c.surname), c.expected) << Printable(c.surname);
  }
}

TEST(SoundexCode, ReadsLatinLetterReferencesAsTheirBaseLetter) {
  struct Case {
    std::string surname;
    std::string expected;
  };
  const Case cases[] = {
      {"&#321;ukasiewicz", "(L222)"},  // Ł
      {"&#322;ukasiewicz", "(L222)"},  // ł, capitalised like l
      {"Dvo&#345;\xE1k", "(D162)"},    // ř codes as r
      {"L&#322;oyd", "(L300)"},        // ł repeats L's digit
      {"&#937;mega", "(&#937;520)"},   // Ω: not a letter, kept whole in front
      {"T&#937;t", "(T300)"},          // other references separate
      {"&#453;ukic", "(&#453;220)"},   // ǅ is a digraph, not one letter
      {"&#321ukasiewicz", "(&222)"},   // no ';': plain characters
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SoundexCode(c.surname), c.expected) << Printable(c.surname);
  }
}

TEST(FoldForSorting, FoldsEveryLatin1LetterOfTheTable) {
  // Hand copy of the fold table; bytes not listed fold to themselves.
  struct Fold {
    int from;
    int to;  // inclusive
    std::string fold;
  };
  const Fold table[] = {
      {0xB5, 0xB5, "u"},  {0xC0, 0xC4, "A"}, {0xC5, 0xC5, "]"},  {0xC6, 0xC6, "["},
      {0xC7, 0xC7, "C"},  {0xC8, 0xCB, "E"}, {0xCC, 0xCF, "I"},  {0xD0, 0xD0, "D"},
      {0xD1, 0xD1, "N"},  {0xD2, 0xD6, "O"}, {0xD8, 0xD8, "\\"}, {0xD9, 0xDC, "U"},
      {0xDD, 0xDD, "Y"},  {0xDE, 0xDE, "b"}, {0xDF, 0xDF, "SS"}, {0xE0, 0xE5, "a"},
      {0xE6, 0xE6, "ae"}, {0xE7, 0xE7, "c"}, {0xE8, 0xEB, "e"},  {0xEC, 0xEF, "i"},
      {0xF0, 0xF0, "o"},  {0xF1, 0xF1, "n"}, {0xF2, 0xF6, "o"},  {0xF8, 0xF8, "o"},
      {0xF9, 0xFC, "u"},  {0xFD, 0xFD, "y"}, {0xFF, 0xFF, "y"},
  };
  for (int b = 0; b < 256; ++b) {
    std::string expected(1, static_cast<char>(b));
    for (const Fold& f : table) {
      if (b >= f.from && b <= f.to) expected = f.fold;
    }
    EXPECT_EQ(FoldForSorting(std::string(1, static_cast<char>(b))), expected) << "byte " << b;
  }
}

TEST(FoldForSorting, FoldsTexts) {
  struct Case {
    std::string text;
    std::string expected;
  };
  const Case cases[] = {
      {"\xC6r\xF8", "[ro"},              // Ærø
      {"\xE6\xE9", "aee"},               // æé
      {Bytes("Stra{DF}e"), "StraSSe"},   // Straße
      {"\xD7\xF7\xFE", "\xD7\xF7\xFE"},  // × ÷ þ stay
      {"", ""},
      {"Smith, John", "Smith, John"},
      {"&#321;ukasiewicz", "Lukasiewicz"},  // Ł
      {"Dvo&#345;\xE1k", "Dvorak"},         // ř and á
      {"&#7838;x", "&#7838;x"},             // ẞ lies outside the Latin letters
      {"&#937;mega", "&#937;mega"},         // Ω stays a reference
      {"&#453;ukic", "&#453;ukic"},         // ǅ stays a reference
      {"&#321", "&#321"},                   // no ';': plain characters
      {"&#x141;", "&#x141;"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FoldForSorting(c.text), c.expected) << Printable(c.text);
  }
}

TEST(FoldForSorting, GrowsPastTheOldLineLength) {
  const std::string text(300, '\xDF');
  EXPECT_EQ(FoldForSorting(text), std::string(600, 'S'));
}

// Arbitrary bytes, stray '&' and '#' and cut-off references included, go
// through every helper without reading past the text (run under the
// sanitizers to see a fault) and keep the length promises.
TEST(TextHelpers, HandleArbitraryBytes) {
  std::uint32_t state = 12345;
  auto next = [&state] {
    state = state * 1103515245u + 12345u;
    return (state >> 16) & 0xFF;
  };
  const std::string alphabet = "&#;0123456789 ,/\\aZ";
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    const std::uint32_t length = next() % 40;
    for (std::uint32_t i = 0; i < length; ++i) {
      const std::uint32_t r = next();
      text += r < 128 ? alphabet[r % alphabet.size()] : static_cast<char>(next());
    }
    EXPECT_LE(TrimTrailingSpaces(text).size(), text.size()) << Printable(text);
    EXPECT_LE(SkipLeadingSeparators(text).size(), text.size()) << Printable(text);
    EXPECT_GE(FoldForSorting(text).size() * 10, text.size()) << Printable(text);
    const std::string code = SoundexCode(text);
    if (!text.empty()) {
      EXPECT_EQ(code.front(), '(') << Printable(text);
      EXPECT_EQ(code.back(), ')') << Printable(text);
    }
    std::string lowered = text;
    LowerCaseText(lowered);
    EXPECT_EQ(lowered.size(), text.size());
    std::string path = text;
    StripDirectory(path);
    EXPECT_LE(path.size(), text.size());
    std::string ansel = text;
    AnselToLatin1(ansel);
    EXPECT_LE(ansel.size(), text.size()) << Printable(text);
    std::string utf8 = text;
    Utf8ToLatin1(utf8);
    for (std::size_t capacity = 0; capacity <= text.size(); ++capacity) {
      const std::string cut = CutKeepingReferences(text, capacity);
      EXPECT_LE(cut.size(), capacity) << Printable(text);
      EXPECT_EQ(text.compare(0, cut.size(), cut), 0) << Printable(text);
    }
  }
}

}  // namespace
}  // namespace kinloom
