#include "text/unicode.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "printable.h"

namespace kinloom {
namespace {

using testing::Bytes;
using testing::Printable;

struct ConversionCase {
  std::string utf8;
  std::string expected;
};

void ExpectConversion(const ConversionCase& c) {
  std::string line = c.utf8;
  Utf8ToLatin1(line);
  EXPECT_EQ(line, c.expected) << Printable(c.utf8) << " gave " << Printable(line);
}

TEST(Utf8ToLatin1, ConvertsValidCharacters) {
  const ConversionCase cases[] = {
      {"", ""},
      {"1 NAME John /Smith/", "1 NAME John /Smith/"},
      {std::string("a\0b", 3), std::string("a\0b", 3)},
      {"M\xC3\xBCller", "M\xFCller"},                                  // Müller
      {Bytes("{C3}{91}{C3}{BA}{C3}{B1}ez"), Bytes("{D1}{FA}{F1}ez")},  // Ñúñez
      {"\xC2\x80", "\x80"},                                            // U+0080
      {"\xC3\xBF", "\xFF"},                                            // U+00FF, last byte
      {"\xC4\x80", "&#256;"},                                          // U+0100, first reference
      {"\xC5\x81ukasiewicz", "&#321;ukasiewicz"},                      // Łukasiewicz
      {"Dvo\xC5\x99\xC3\xA1k", "Dvo&#345;\xE1k"},                      // Dvořák
      {"\xCE\xA9\xCE\xBC", "&#937;&#956;"},                            // Greek
      {"\xE7\x8E\x8B", "&#29579;"},                                    // 王
      {"\xDF\xBF", "&#2047;"},                                         // last 2-byte
      {"\xE0\xA0\x80", "&#2048;"},                                     // first 3-byte
      {"\xED\x9F\xBF", "&#55295;"},                                    // below the surrogates
      {"\xEE\x80\x80", "&#57344;"},                                    // above the surrogates
      {Bytes("{EF}{BB}{BF}x"), "&#65279;x"},                           // a mark inside a line
      {"\xEF\xBF\xBF", "&#65535;"},                                    // last 3-byte
      {"\xF0\x90\x80\x80", "&#65536;"},                                // first 4-byte
      {"\xF0\x9F\x98\x80!", "&#128512;!"},                             // an emoji
      {"\xF4\x8F\xBF\xBF", "&#1114111;"},                              // U+10FFFF
      // Letters that shrink, then one that grows, then more of both and a
      // byte kept as it is, after a run of plain ASCII.
      {"1 NAME J\xC3\xBCrgen \xC3\xBC\xC5\x81\xC3\xBC\x80\xCE\xA9",
       "1 NAME J\xFCrgen \xFC&#321;\xFC\x80&#937;"},
  };
  for (const ConversionCase& c : cases) ExpectConversion(c);
}

TEST(Utf8ToLatin1, KeepsBytesThatBeginNoValidSequence) {
  const ConversionCase cases[] = {
      {"M\xFCller", "M\xFCller"},  // Latin-1 text in a UTF-8 file
      {"\x80", "\x80"},            // lone continuation byte
      {"\xBF\xBF", "\xBF\xBF"},
      {"\xC0\xAF", "\xC0\xAF"},                  // overlong '/'
      {"\xC1\xBF", "\xC1\xBF"},                  // overlong
      {"\xE0\x80\xAF", "\xE0\x80\xAF"},          // overlong, 3 bytes
      {"\xE0\x9F\xBF", "\xE0\x9F\xBF"},          // overlong U+07FF
      {"\xF0\x80\x80\xAF", "\xF0\x80\x80\xAF"},  // overlong, 4 bytes
      {"\xF0\x8F\xBF\xBF", "\xF0\x8F\xBF\xBF"},  // overlong U+FFFF
      {"\xED\xA0\x80", "\xED\xA0\x80"},          // surrogate U+D800
      {"\xED\xBF\xBF", "\xED\xBF\xBF"},          // surrogate U+DFFF
      {"\xF4\x90\x80\x80", "\xF4\x90\x80\x80"},  // U+110000
      {"\xF5\x80\x80\x80", "\xF5\x80\x80\x80"},
      {"\xF8\x88\x80\x80\x80", "\xF8\x88\x80\x80\x80"},
      {"\xFE\xFF", "\xFE\xFF"},
      {"ab\xC3", "ab\xC3"},  // truncated at the end
      {"\xE2\x82", "\xE2\x82"},
      {"\xF0\x9F\x98", "\xF0\x9F\x98"},
      {"\xE2\x82x", "\xE2\x82x"},    // cut short by an ASCII byte
      {"\xC3\xC3\xBC", "\xC3\xFC"},  // cut short by a valid sequence
      {"\xF0\x9F\xC3\xBC", "\xF0\x9F\xFC"},
      {"\xC3 \xC3\xBC", "\xC3 \xFC"},
  };
  for (const ConversionCase& c : cases) ExpectConversion(c);
}

TEST(Utf8ToLatin1, RoundTripsEveryLatin1Character) {
  for (int b = 0; b < 256; ++b) {
    std::string line;
    if (b < 0x80) {
      line += static_cast<char>(b);
    } else {
      line += static_cast<char>(0xC0 | (b >> 6));
      line += static_cast<char>(0x80 | (b & 0x3F));
    }
    Utf8ToLatin1(line);
    EXPECT_EQ(line, std::string(1, static_cast<char>(b))) << "U+" << std::hex << b;
  }
}

TEST(CharacterReferenceLengthAt, RecognisesDecimalReferencesOnly) {
  struct Case {
    std::string text;
    std::size_t pos;
    std::size_t expected;
  };
  const Case cases[] = {
      {"&#321;", 0, 6},      {"x&#321;", 1, 6},    {"x&#321;", 0, 0},     {"&#0;", 0, 4},
      {"&#1114111;", 0, 10}, {"&#1114112;", 0, 0}, {"&#99999999;", 0, 0}, {"&#321", 0, 0},
      {"&#;", 0, 0},         {"&#x141;", 0, 0},    {"&321;", 0, 0},       {"#321;", 0, 0},
      {"&#32 1;", 0, 0},     {"&#", 0, 0},         {"&", 0, 0},           {"", 0, 0},
      {"&#321;", 6, 0},      {"&#321;", 99, 0},    {"&#&#65;", 2, 5},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CharacterReferenceLengthAt(c.text, c.pos), c.expected)
        << Printable(c.text) << " at " << c.pos;
  }
}

TEST(LatinLetterReferenceAt, KnowsLatinLettersByName) {
  struct Case {
    std::string text;
    std::size_t pos;
    char32_t code;  // 0: not a Latin-letter reference
    char base;
    std::size_t length;
  };
  const Case cases[] = {
      {"&#321;", 0, 0x141, 'L', 6},       // LATIN CAPITAL LETTER L WITH STROKE
      {"&#322;ukasz", 0, 0x142, 'l', 6},  // LATIN SMALL LETTER L WITH STROKE
      {"Dvo&#345;", 3, 0x159, 'r', 6},    // LATIN SMALL LETTER R WITH CARON
      {"&#256;", 0, 0x100, 'A', 6},       // first of the range
      {"&#591;", 0, 0x24F, 'y', 6},       // last: LATIN SMALL LETTER Y WITH STROKE
      {"&#272;", 0, 0x110, 'D', 6},       // LATIN CAPITAL LETTER D WITH STROKE
      {"&#539;", 0, 0x21B, 't', 6},       // LATIN SMALL LETTER T WITH COMMA BELOW
      {"&#510;", 0, 0x1FE, 'O', 6},       // ... O WITH STROKE AND ACUTE
      {"&#0321;", 0, 0x141, 'L', 7},      // leading zero
      {"Dvo&#345;", 0, 0, 0, 0},          // no reference at that position
      {"&#592;", 0, 0, 0, 0},             // U+0250 lies past the range
      {"&#255;", 0, 0, 0, 0},             // ÿ lies before it
      {"&#452;", 0, 0, 0, 0},             // LATIN CAPITAL LETTER DZ WITH CARON
      {"&#453;", 0, 0, 0, 0},             // titlecase digraph D with small Z
      {"&#456;", 0, 0, 0, 0},             // titlecase digraph L with small J
      {"&#459;", 0, 0, 0, 0},             // titlecase digraph N with small J
      {"&#498;", 0, 0, 0, 0},             // titlecase digraph D with small Z
      {"&#306;", 0, 0, 0, 0},             // LATIN CAPITAL LIGATURE IJ
      {"&#305;", 0, 0, 0, 0},             // LATIN SMALL LETTER DOTLESS I
      {"&#312;", 0, 0, 0, 0},             // LATIN SMALL LETTER KRA
      {"&#329;", 0, 0, 0, 0},             // ... N PRECEDED BY APOSTROPHE
      {"&#383;", 0, 0, 0, 0},             // LATIN SMALL LETTER LONG S
      {"&#439;", 0, 0, 0, 0},             // LATIN CAPITAL LETTER EZH
      {"&#448;", 0, 0, 0, 0},             // LATIN LETTER DENTAL CLICK
      {"&#321", 0, 0, 0, 0},
      {"&#x141;", 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    const auto found = LatinLetterReferenceAt(c.text, c.pos);
    if (c.code == 0) {
      EXPECT_FALSE(found.has_value()) << Printable(c.text) << " at " << c.pos;
      continue;
    }
    ASSERT_TRUE(found.has_value()) << Printable(c.text) << " at " << c.pos;
    EXPECT_EQ(static_cast<std::uint32_t>(found->code), static_cast<std::uint32_t>(c.code))
        << Printable(c.text);
    EXPECT_EQ(found->base, c.base) << Printable(c.text);
    EXPECT_EQ(found->length, c.length) << Printable(c.text);
  }
}

TEST(LatinLetterReferenceAt, GivesEveryLetterOfLatinExtendedABaseLetter) {
  // U+0100..U+017F are Latin letters except dotless i, the IJ ligatures,
  // kra, N preceded by apostrophe, eng, the OE ligatures and long s.
  for (char32_t code = 0x100; code <= 0x17F; ++code) {
    const bool excluded = code == 0x131 || code == 0x132 || code == 0x133 || code == 0x138 ||
                          code == 0x149 || code == 0x14A || code == 0x14B || code == 0x152 ||
                          code == 0x153 || code == 0x17F;
    const std::string text = "&#" + std::to_string(static_cast<unsigned>(code)) + ";";
    EXPECT_EQ(LatinLetterReferenceAt(text, 0).has_value(), !excluded) << text;
  }
}

TEST(LatinUppercase, MapsSmallLettersWithinTheRange) {
  struct Case {
    char32_t code;
    char32_t expected;
  };
  const Case cases[] = {
      {0x142, 0x141},  // ł -> Ł
      {0x101, 0x100},  // ā -> Ā
      {0x159, 0x158},  // ř -> Ř
      {0x17E, 0x17D},  // ž -> Ž
      {0x180, 0x243},  // ƀ -> Ƀ, far away but in range
      {0x19A, 0x23D},  // ƚ -> Ƚ
      {0x24F, 0x24E},  // ɏ -> Ɏ
      {0x141, 0},      // already a capital
      {0x23F, 0},      // ȿ: its capital lies outside the range
      {0x240, 0},      // ɀ: likewise
      {0x1F0, 0},      // ǰ: its uppercase is two code points
      {0x1C6, 0},      // ǆ: a digraph, not a Latin letter
      {0x131, 0},      // dotless i
      {0x17F, 0},      // long s
      {0xFF, 0},       // ÿ is a byte, not a reference
      {'a', 0},       {0x250, 0}, {0x10FFFF, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(static_cast<std::uint32_t>(LatinUppercase(c.code)),
              static_cast<std::uint32_t>(c.expected))
        << "U+" << std::hex << static_cast<std::uint32_t>(c.code);
  }
}

TEST(CutKeepingReferences, NeverSplitsAReference) {
  struct Case {
    std::string text;
    std::size_t capacity;
    std::string expected;
  };
  const Case cases[] = {
      {"xx&#321;yy", 0, ""},
      {"xx&#321;yy", 2, "xx"},
      {"xx&#321;yy", 3, "xx"},
      {"xx&#321;yy", 4, "xx"},
      {"xx&#321;yy", 5, "xx"},
      {"xx&#321;yy", 6, "xx"},
      {"xx&#321;yy", 7, "xx"},
      {"xx&#321;yy", 8, "xx&#321;"},
      {"xx&#321;yy", 9, "xx&#321;y"},
      {"xx&#321;yy", 10, "xx&#321;yy"},
      {"xx&#321;yy", 50, "xx&#321;yy"},
      {"&#1114111;", 9, ""},
      {"&#1114111;x", 10, "&#1114111;"},
      {"&#321;&#322;", 11, "&#321;"},
      {"a&#12", 4, "a&#1"},  // no ';': not a reference
      {"a&b#12;", 4, "a&b#"},
      {"abcdef", 3, "abc"},
      {"", 0, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CutKeepingReferences(c.text, c.capacity), c.expected)
        << Printable(c.text) << " capacity " << c.capacity;
  }
}

TEST(CutKeepingReferences, CutsLongTextsAtTheCapacity) {
  const std::string text = std::string(250, 'a') + "&#29579;" + std::string(50, 'b');
  EXPECT_EQ(CutKeepingReferences(text, 255), std::string(250, 'a'));
  EXPECT_EQ(CutKeepingReferences(text, 258), std::string(250, 'a') + "&#29579;");
  EXPECT_EQ(CutKeepingReferences(std::string(300, 'a'), 255), std::string(255, 'a'));
}

}  // namespace
}  // namespace kinloom
