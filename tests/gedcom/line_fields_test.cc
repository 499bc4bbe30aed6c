// Column rules of a GEDCOM line: cross-reference numbers, pointers, tags.
#include "gedcom/line_fields.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "gedcom/reader.h"

namespace kinloom {
namespace {

TEST(XrefNumberTest, ReadsTheLastDigitRunBeforeTheSecondAt) {
  struct Case {
    std::string line;
    std::int32_t number;
  };
  const Case cases[] = {
      {"0 @I12@ INDI", 12},
      {"1 FAMS @F12@", 12},
      {"1 SOUR @S12@", 12},
      {"1 CHIL @I1A2@", 2},
      {"1 HUSB @I007@", 7},
      {"0 @I0@ INDI", 0},
      // Without digits the walk goes on to the line's own level.
      {"1 HUSB @FATHER@", 1},
      {"0 @Homer_Simpson@ INDI", 0},
      {"1 NOTE no pointer here", 0},
      {"1 NOTE only @one", 0},
      {"", 0},
      {"@@", 0},
      {"1 HUSB @I2147483647@", 2147483647},
      // Runs too large for 32 bits give 0, however long they are.
      {"1 HUSB @I2147483648@", 0},
      {"0 @I123456789012@ INDI", 0},
      {"0 @I1234567890123456789@ INDI", 0},
      {"0 @I" + std::string(400, '9') + "@ INDI", 0},
      {"1 HUSB @I00000000000000000005@", 5},
  };
  for (const Case& c : cases) EXPECT_EQ(c.number, XrefNumber(c.line)) << c.line;
}

TEST(IsPointerTest, FollowsThePositionsOfAtSignsAndBlanks) {
  struct Case {
    std::string line;
    bool pointer;
  };
  const Case cases[] = {
      {"1 SOUR @S1@", true},
      {"1 NOTE @N12@", true},
      {"2 SOUR @S1@ page 4", true},  // third blank after the second "@"
      {"1 NOTE plain text", false},
      {"1 NOTE mail me at a@b", false},   // one "@"
      {"1 NOTE @@ escaped", false},       // adjacent
      {"1 NOTE a b@c d@e@", false},       // third blank before the second "@", a third "@"
      {"1 NOTE a b@c d@", true},          // third blank before the second "@", no third "@"
      {"1 NOTE a@b@c", true},             // two "@", two blanks, no third "@"
      {"1 NOTE a@b@c@", false},           // a third "@"
      {"1 NOTE 123456@S1@", false},       // first "@" at 13
      {"1 SOUR           @S1@", false},   // first "@" at 17
      {"1 SOUR @S12345678901@", true},    // second "@" at 20
      {"1 SOUR @S123456789012@", false},  // second "@" at 21
      {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(c.pointer, IsPointer(c.line)) << c.line;
}

TEST(TagCodeTest, TakesExactlyColumnsTwoToFive) {
  struct Case {
    std::string line;
    int code;
  };
  const Case cases[] = {
      {"1 SOUR @S1@", 8}, {"1 NAME x", 21},   {"1 SEX M", 23},  {"1 SEX", 0},    {"1 BIRT", 24},
      {"1 DEAT", 28},     {"2 DATE x", 48},   {"2 PLAC x", 51}, {"1 NOTE", 52},  {"2 CONC", 53},
      {"2 CONT", 54},     {"1 TITL x", 55},   {"1 ABBR x", 56}, {"1 FAMS", 32},  {"1 FAMC", 34},
      {"1 HUSB", 82},     {"1 WIFE", 85},     {"1 MARR", 86},   {"2 FILE", 96},  {"1 CHIL", 97},
      {"1 OBJE", 99},     {"1 NOT", 0},       {"1", 0},         {"1 note x", 0}, {"1 NOTES x", 52},
      {"1  NOTE", 0},     {"0 @I1@ INDI", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(c.code, TagCodeOf(c.line)) << c.line;
}

TEST(ValueTest, StartsAtColumnSeven) {
  EXPECT_EQ("John /Smith/", ValueOf("1 NAME John /Smith/"));
  EXPECT_EQ("", ValueOf("1 NAME "));
  EXPECT_EQ("", ValueOf("1 NAME"));
  EXPECT_EQ(" x", ValueOf("2 CONC  x"));
}

TEST(CrossReferenceTest, IsTheTextBetweenTheFirstTwoAtSigns) {
  EXPECT_EQ("I12", CrossReferenceOf("1 HUSB @I12@").value_or("-"));
  EXPECT_EQ("Homer_Simpson", CrossReferenceOf("1 CHIL @Homer_Simpson@").value_or("-"));
  EXPECT_FALSE(CrossReferenceOf("1 HUSB @@"));
  EXPECT_FALSE(CrossReferenceOf("1 HUSB @I12"));
  EXPECT_FALSE(CrossReferenceOf("1 HUSB I12"));
}

TEST(Level0Test, SplitsCrossReferenceAndTag) {
  struct Case {
    std::string line;
    std::string identifier;  // "-" for none
    std::string tag;
    std::size_t tag_position;
  };
  const Case cases[] = {
      {"0 @I1@ INDI", "I1", "INDI", 7},
      {"0 @N1@ NOTE text with INDI FAM SOUR", "N1", "NOTE", 7},
      {"0 @N1@ SNOTE text", "N1", "SNOTE", 7},
      {"0 HEAD", "-", "HEAD", 2},
      {"0 TRLR", "-", "TRLR", 2},
      {"0 NOTE text", "-", "NOTE", 2},
      {"0 @@ INDI", "-", "INDI", 5},
      {"0 @I1 INDI", "-", "@I1", 2},
      {"0", "-", "", 1},
      {"0 @FAMILY 1@ FAM", "FAMILY 1", "FAM", 13},
  };
  for (const Case& c : cases) {
    const Level0Line parsed = ParseLevel0(c.line);
    EXPECT_EQ(c.identifier, std::string(parsed.identifier.value_or("-"))) << c.line;
    EXPECT_EQ(c.tag, parsed.tag) << c.line;
    EXPECT_EQ(c.tag_position, parsed.tag_position) << c.line;
  }
}

}  // namespace
}  // namespace kinloom
