// The tree generator: the same seed gives the same file, the file is
// well-formed GEDCOM in ANSEL with CR LF line ends, it holds exactly the
// individuals asked for, its links agree in both directions, and Kinloom's
// own reader takes it without a dangling reference.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "gedcom/reader.h"
#include "run/run.h"
#include "support/scratch_dir.h"
#include "tools/gedgen/generator.h"

namespace kinloom::gedgen {
namespace {

std::string Generate(std::int32_t individuals, std::uint64_t seed,
                     GeneratorStats* stats = nullptr) {
  std::string text;
  const GeneratorStats got =
      GenerateGedcom({individuals, seed}, [&text](std::string_view piece) { text.append(piece); });
  if (stats != nullptr) *stats = got;
  return text;
}

// The lines of the file without their CR LF; a line end of any other
// form fails the test.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "text after the last CR LF: " << text.substr(start, 40);
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

// The digits of the first cross-reference on a line ("@I12@" gives 12).
long XrefDigits(const std::string& line) {
  const std::size_t at = line.find('@');
  std::size_t i = at + 1;
  while (i < line.size() && (line[i] < '0' || line[i] > '9')) ++i;
  return std::stol(line.substr(i));
}

TEST(GedgenTest, SameSeedGivesSameBytesAndOtherSeedsDiffer) {
  const std::string first = Generate(500, 7);
  EXPECT_EQ(first, Generate(500, 7));
  EXPECT_NE(first, Generate(500, 8));
}

TEST(GedgenTest, HoldsExactlyTheIndividualsAskedFor) {
  for (const std::int32_t n : {0, 1, 2, 3, 10, 399, 401, 2500}) {
    GeneratorStats stats;
    const std::vector<std::string> lines = Lines(Generate(n, 1, &stats));
    long individuals = 0;
    std::set<long> numbers;
    for (const std::string& line : lines) {
      if (line.rfind("0 @I", 0) == 0 && line.size() > 5 &&
          line.compare(line.size() - 5, 5, " INDI") == 0) {
        ++individuals;
        numbers.insert(XrefDigits(line));
      }
    }
    EXPECT_EQ(n, individuals) << "asked for " << n;
    EXPECT_EQ(n, stats.individuals) << "asked for " << n;
    // Numbered 1 to n without a gap.
    if (n > 0) {
      EXPECT_EQ(1, *numbers.begin()) << "asked for " << n;
      EXPECT_EQ(n, *numbers.rbegin()) << "asked for " << n;
    }
  }
}

TEST(GedgenTest, IsAnselGedcomWithCrLfLinesOfAtMost255Characters) {
  GeneratorStats stats;
  const std::string text = Generate(3000, 3, &stats);
  const std::vector<std::string> lines = Lines(text);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ("0 HEAD", lines.front());
  EXPECT_EQ("0 TRLR", lines.back());
  EXPECT_EQ(stats.lines, static_cast<std::int64_t>(lines.size()));
  EXPECT_EQ(stats.bytes, static_cast<std::int64_t>(text.size()));
  int char_lines = 0;
  bool accented = false;
  for (const std::string& line : lines) {
    EXPECT_LE(line.size(), 255u) << line;
    EXPECT_EQ(std::string::npos, line.find_first_of("\r\n")) << line;
    ASSERT_FALSE(line.empty());
    EXPECT_TRUE(line[0] >= '0' && line[0] <= '9') << line;
    if (line == "1 CHAR ANSEL") ++char_lines;
    for (const char c : line) {
      if (static_cast<unsigned char>(c) >= 0x80) accented = true;
    }
  }
  EXPECT_EQ(1, char_lines);
  EXPECT_TRUE(accented);
}

// FAMS, FAMC, HUSB, WIFE and CHIL name records that exist and name each
// other back; note keys and source pointers name records of the file.
TEST(GedgenTest, LinksAgreeInBothDirections) {
  const std::vector<std::string> lines = Lines(Generate(4000, 11));
  std::map<long, std::set<long>> fams, famc;         // individual -> families
  std::map<long, std::set<long>> spouses, children;  // family -> individuals
  std::set<long> individuals, families, notes, sources;
  std::vector<long> note_pointers, source_pointers;
  long individual = 0, family = 0;
  for (const std::string& line : lines) {
    if (line[0] == '0') {
      individual = family = 0;
      if (line.find(" INDI") != std::string::npos)
        individuals.insert(individual = XrefDigits(line));
      if (line.find(" FAM") != std::string::npos) families.insert(family = XrefDigits(line));
      if (line.find(" NOTE") != std::string::npos) notes.insert(XrefDigits(line));
      if (line.find(" SOUR") != std::string::npos) sources.insert(XrefDigits(line));
      continue;
    }
    const std::string tag = line.substr(2, 4);
    const bool pointer = line.find('@') != std::string::npos;
    if (tag == "FAMS") fams[individual].insert(XrefDigits(line));
    if (tag == "FAMC") famc[individual].insert(XrefDigits(line));
    if (tag == "HUSB" || tag == "WIFE") spouses[family].insert(XrefDigits(line));
    if (tag == "CHIL") children[family].insert(XrefDigits(line));
    if (tag == "NOTE" && pointer) note_pointers.push_back(XrefDigits(line));
    if (tag == "SOUR" && pointer) source_pointers.push_back(XrefDigits(line));
  }
  for (const auto& [person, set] : fams) {
    for (const long f : set) EXPECT_TRUE(spouses[f].count(person)) << "I" << person << " F" << f;
  }
  for (const auto& [person, set] : famc) {
    for (const long f : set) EXPECT_TRUE(children[f].count(person)) << "I" << person << " F" << f;
  }
  for (const auto& [f, set] : spouses) {
    for (const long person : set) EXPECT_TRUE(fams[person].count(f)) << "F" << f << " I" << person;
  }
  for (const auto& [f, set] : children) {
    for (const long person : set) EXPECT_TRUE(famc[person].count(f)) << "F" << f << " I" << person;
  }
  for (const long n : note_pointers) EXPECT_TRUE(notes.count(n)) << "note " << n;
  for (const long n : source_pointers) EXPECT_TRUE(sources.count(n)) << "source " << n;
  // A note key never meets an individual's or a family's number, which
  // inline notes use as their keys.
  ASSERT_FALSE(notes.empty());
  EXPECT_GT(*notes.begin(), std::max(*individuals.rbegin(), *families.rbegin()));
  // Some people belong to no family at all; some families have several
  // children; some people married twice.
  long in_no_family = 0, married_twice = 0;
  for (const long person : individuals) {
    if (fams[person].empty() && famc[person].empty()) ++in_no_family;
    if (fams[person].size() > 1) ++married_twice;
  }
  EXPECT_GT(in_no_family, 0);
  EXPECT_GT(married_twice, 0);
}

TEST(GedgenTest, ReaderTakesTheWholeTreeWithoutADanglingReference) {
  testing::ScratchDir scratch;
  GeneratorStats stats;
  testing::WriteFile("tree.ged", Generate(2000, 5, &stats));
  kinloom::Run run;
  run.settings.gedfile = "tree.ged";
  run.settings.notes = 'Y';
  run.settings.sources = 'Y';
  run.settings.photos = 'Y';
  ASSERT_FALSE(run.store.Open().has_value());
  ASSERT_EQ(kResultOk, ReadGedcom(run));
  EXPECT_EQ(kResultOk, IsValidGedcom(run));
  EXPECT_EQ(stats.individuals, run.store.counters.IndividualCount);
  EXPECT_EQ(stats.families, run.store.counters.FamilyCount);
  EXPECT_EQ(stats.photos, run.store.counters.PhotoCount);
  EXPECT_GE(run.store.counters.SourceCount, stats.source_records);
  run.store.CloseAndDelete();
}

}  // namespace
}  // namespace kinloom::gedgen
