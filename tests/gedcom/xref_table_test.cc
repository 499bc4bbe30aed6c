// Numbering of cross-reference identifiers, one table per kind of record.
#include "gedcom/xref_table.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <map>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace kinloom {
namespace {

TEST(DigitRuleTest, ReadsTheLastDigitRunOfTheIdentifier) {
  const std::pair<std::string, std::int32_t> cases[] = {
      {"I12", 12},
      {"F0012", 12},
      {"I1A2", 2},
      {"I0", 0},
      {"I0000", 0},
      {"FATHER", 0},
      {"", 0},
      {"12", 12},
      {"I2147483647", 2147483647},
      {"I2147483648", 0},
      {"I123456789012", 0},
      {"P1234567890123456789", 0},
      {"F1-2", 2},
  };
  for (const auto& [identifier, number] : cases) {
    EXPECT_EQ(number, DigitRuleNumber(identifier)) << identifier;
  }
}

// Each case feeds identifiers in order and expects the numbers they get.
TEST(XrefTableTest, GivesEachIdentifierOneNumberOnFirstAppearance) {
  struct Case {
    const char* name;
    std::vector<std::string> identifiers;
    std::vector<std::int32_t> numbers;
  };
  const Case cases[] = {
      {"clean numbers stay", {"I3", "I1", "I12", "I3"}, {3, 1, 12, 3}},
      {"zero-based", {"I0000", "I0001", "I0002", "I0000"}, {1, 2, 3, 1}},
      {"zero after others", {"I5", "I0"}, {5, 6}},
      {"digitless", {"Homer_Simpson", "Marge_Simpson", "Homer_Simpson"}, {1, 2, 1}},
      {"huge", {"I123456789012", "I123456789013", "I7"}, {1, 2, 7}},
      {"clashing digits", {"F1", "FAMILY1", "F00002", "F1-2"}, {1, 2, 3, 4}},
      {"clash takes one more than the largest", {"F9", "F2", "X9"}, {9, 2, 10}},
      {"later digit number may fill a gap", {"A", "B5", "C2"}, {1, 5, 2}},
      {"compared byte for byte", {"i1", "I1", "I1 "}, {1, 2, 3}},
  };
  for (const Case& c : cases) {
    XrefTable table;
    std::vector<std::int32_t> got;
    for (const std::string& identifier : c.identifiers) got.push_back(table.NumberOf(identifier));
    EXPECT_EQ(c.numbers, got) << c.name;
  }
}

TEST(XrefTableTest, InOrderNumberingIgnoresDigits) {
  XrefTable table(XrefTable::Numbering::kInOrder);
  EXPECT_EQ(1, table.NumberOf("M7"));
  EXPECT_EQ(2, table.NumberOf("M1"));
  EXPECT_EQ(1, table.NumberOf("M7"));
  EXPECT_EQ(2u, table.size());
}

TEST(XrefTableTest, FindGivesNoNumber) {
  XrefTable table;
  EXPECT_EQ(0, table.Find("I4"));
  EXPECT_EQ(4, table.NumberOf("I4"));
  EXPECT_EQ(4, table.Find("I4"));
  EXPECT_EQ(0, table.Find("I5"));
  EXPECT_EQ(1u, table.size());
}

TEST(XrefTableTest, FreshNumbersAreNeverGivenToIdentifiers) {
  XrefTable table;
  EXPECT_EQ(3, table.NumberOf("S3"));
  EXPECT_EQ(4, table.FreshNumber());
  // S4 finds its digit number taken by the fresh one.
  EXPECT_EQ(5, table.NumberOf("S4"));
  EXPECT_EQ(6, table.FreshNumber());
  EXPECT_EQ(1, table.NumberOf("S1"));
}

TEST(XrefTableTest, AfterTheLargestNumberTheGapsBelowAreUsed) {
  XrefTable table;
  EXPECT_EQ(2147483647, table.NumberOf("I2147483647"));
  EXPECT_EQ(2, table.NumberOf("I2"));
  EXPECT_EQ(1, table.NumberOf("Nobody"));
  EXPECT_EQ(3, table.NumberOf("X2"));
  EXPECT_EQ(4, table.FreshNumber());
}

TEST(XrefTableTest, LongAndOddIdentifiersRoundTrip) {
  XrefTable table;
  const std::string long_one(100000, 'x');
  const std::string with_nul("a\0b", 3);
  EXPECT_EQ(1, table.NumberOf(long_one));
  EXPECT_EQ(2, table.NumberOf(with_nul));
  EXPECT_EQ(3, table.NumberOf(std::string("a\0c", 3)));
  EXPECT_EQ(1, table.NumberOf(long_one));
  EXPECT_EQ(2, table.NumberOf(with_nul));
  EXPECT_EQ(4, table.NumberOf(""));
  EXPECT_EQ(4, table.NumberOf(""));
}

TEST(XrefTableTest, AMillionIdentifiersStayCompactAndDistinct) {
  XrefTable table;
  for (std::int32_t i = 0; i < 1000000; ++i) {
    // Zero-based, so every number is one more than the digits say.
    ASSERT_EQ(i + 1, table.NumberOf("I" + std::to_string(i))) << i;
  }
  for (std::int32_t i = 0; i < 1000000; i += 999) {
    ASSERT_EQ(i + 1, table.Find("I" + std::to_string(i))) << i;
  }
  EXPECT_EQ(1000000u, table.size());
  EXPECT_LT(table.MemoryBytes(), 48u * 1024 * 1024);
}

// The numbering rules, kept as plainly as they can be written: a map of
// identifiers and a set of numbers in use.
class NumberingModel {
 public:
  std::int32_t NumberOf(const std::string& identifier) {
    if (auto it = numbers_.find(identifier); it != numbers_.end()) return it->second;
    std::int32_t number = DigitRuleNumber(identifier);
    if (number != 0 && used_.count(number) != 0) number = 0;
    if (number == 0) number = NextFree();
    Take(number);
    numbers_[identifier] = number;
    return number;
  }
  std::int32_t FreshNumber() {
    const std::int32_t number = NextFree();
    Take(number);
    return number;
  }
  void Reserve(std::int32_t number) { Take(number); }

 private:
  std::int32_t NextFree() {
    if (largest_ < std::numeric_limits<std::int32_t>::max()) return largest_ + 1;
    // Numbers are never given back, so the lowest free one only rises.
    while (used_.count(lowest_free_) != 0) ++lowest_free_;
    return lowest_free_;
  }
  void Take(std::int32_t number) {
    used_.insert(number);
    if (number > largest_) largest_ = number;
  }
  std::map<std::string, std::int32_t> numbers_;
  std::set<std::int32_t> used_;
  std::int32_t largest_ = 0;
  std::int32_t lowest_free_ = 1;
};

// Identifiers of every make a file may hold, mixed so that each way the
// table may keep one is taken: common and rare prefixes (more than the
// table keeps apart), suffixes, leading zeros, clashing digits, values near
// and far apart, values past 32 bits, no digits at all, long texts. Each
// appears several times, so that later appearances must find the first.
std::string RandomIdentifier(std::mt19937& random) {
  const auto pick = [&random](int n) {
    return static_cast<int>(random() % static_cast<unsigned>(n));
  };
  std::string prefix;
  switch (pick(6)) {
    case 0:
    case 1:
      prefix = "I";
      break;
    case 2:
      prefix = "P" + std::to_string(pick(600)) + "_";
      break;
    case 3:
      prefix = std::string(static_cast<std::size_t>(60 + pick(10)), 'x');
      break;
    case 4:
      prefix = "";
      break;
    default:
      prefix = "F";
      break;
  }
  std::string digits;
  switch (pick(8)) {
    case 0:
      digits = std::to_string(2147483600LL + pick(100));  // near and past the largest number
      break;
    case 1:
      digits = std::to_string(pick(2000) * 997);  // far apart, and met again
      break;
    case 2:
      digits = "";
      break;
    case 3:
      digits = std::string(static_cast<std::size_t>(pick(3)), '0') + std::to_string(pick(50));
      break;
    default:
      digits = std::to_string(pick(20000));
      break;
  }
  std::string suffix = pick(5) == 0 ? std::string(1, static_cast<char>('a' + pick(3))) : "";
  if (pick(20) == 0) suffix += "-" + std::to_string(pick(9));
  return prefix + digits + suffix;
}

TEST(XrefTableTest, AgreesWithThePlainRulesOnIdentifiersOfEveryMake) {
  for (unsigned seed = 1; seed <= 3; ++seed) {
    std::mt19937 random(seed);
    XrefTable table;
    NumberingModel model;
    std::vector<std::string> seen;
    for (int step = 0; step < 60000; ++step) {
      const unsigned choice = random() % 100;
      if (choice < 2) {
        ASSERT_EQ(model.FreshNumber(), table.FreshNumber()) << "seed " << seed << " step " << step;
        continue;
      }
      if (choice < 4) {
        const auto number = static_cast<std::int32_t>(1 + random() % 40000);
        model.Reserve(number);
        table.Reserve(number);
        continue;
      }
      std::string identifier;
      if (choice < 40 && !seen.empty()) {
        identifier = seen[random() % seen.size()];
      } else {
        identifier = RandomIdentifier(random);
        seen.push_back(identifier);
      }
      ASSERT_EQ(model.NumberOf(identifier), table.NumberOf(identifier))
          << "seed " << seed << " step " << step << " identifier " << identifier;
    }
    for (const std::string& identifier : seen) {
      ASSERT_EQ(model.NumberOf(identifier), table.Find(identifier)) << identifier;
    }
  }
}

}  // namespace
}  // namespace kinloom
