// Whole runs over trees whose links name records the file does not hold,
// with Skip Missing Records on: the site is the site of the same tree
// without those links, and every link of every page leads to a page that
// was written.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "reliability/site_fixture.h"

namespace kinloom::testing {
namespace {

// Lines that start with "!" name a record the tree lacks: the tree with
// holes has them (without the "!"), the mended tree leaves them out.
const std::vector<std::string_view> kTreeLines = {
    "0 HEAD",
    "0 @I1@ INDI",
    "1 NAME John /Smith/",
    "1 BIRT",
    "2 DATE 1 JAN 1900",
    "! 1 FAMS @F9@",  // before his stored family: his first spouse family
    "1 FAMS @F1@",
    "1 NOTE Farmer",
    "1 OBJE",
    "2 FILE john.jpg",
    "2 TITL John",
    "0 @I2@ INDI",
    "1 NAME Mary /Jones/",
    "! 1 FAMC @F8@",  // her only parent family
    "1 FAMS @F1@",
    "0 @I3@ INDI",
    "1 NAME Tom /Smith/",
    "1 FAMC @F1@",
    "1 FAMS @F3@",
    "0 @I4@ INDI",
    "1 NAME Lone /Walker/",
    "! 1 FAMS @F7@",  // his only family: he gets an individual page
    "1 NOTE A traveller",
    "1 OBJE",
    "2 FILE lone.jpg",
    "0 @I5@ INDI",
    "1 NAME Ann /Brown/",
    "1 FAMS @F2@",
    "0 @I6@ INDI",
    "1 NAME Sue /Smith/",
    "1 FAMC @F1@",
    "! 1 FAMC @F6@",
    "0 @I7@ INDI",
    "1 NAME Kid /Brown/",
    "1 FAMC @F2@",
    "0 @F1@ FAM",
    "1 HUSB @I1@",
    "1 WIFE @I2@",
    "! 1 CHIL @I99@",  // before two stored children
    "1 CHIL @I3@",
    "1 CHIL @I6@",
    "1 MARR",
    "2 DATE 1920",
    "1 NOTE Married in spring",
    "0 @F2@ FAM",
    "! 1 HUSB @I98@",
    "1 WIFE @I5@",
    "1 CHIL @I7@",
    "0 @F3@ FAM",
    "1 HUSB @I3@",
    "! 1 WIFE @I97@",
    "0 TRLR",
};

const char* const kHoleLines =
    ">IsValidGedcom\n"
    "INDV rec 99 from FAM rec 1 does not exist\n"
    "INDV rec 98 from FAM rec 2 does not exist\n"
    "INDV rec 97 from FAM rec 3 does not exist\n"
    "FAM rec 9 for INDV rec 1 does not exist\n"
    "FAM rec 8 for INDV rec 2 does not exist\n"
    "FAM rec 7 for INDV rec 4 does not exist\n"
    "FAM rec 6 for INDV rec 6 does not exist\n"
    "<IsValidGedcom\n";

std::string Tree(bool with_holes) {
  std::string out;
  for (std::string_view line : kTreeLines) {
    if (line.starts_with("! ")) {
      if (!with_holes) continue;
      line.remove_prefix(2);
    }
    out += line;
    out += '\n';
  }
  return out;
}

// Every link of every page under html, and the page field of every line
// of gendex.txt, that leads to a page of the site, as "from -> to" for
// each one whose page (or anchor in it) is not there.
struct LinkCheck {
  int links = 0;
  std::vector<std::string> broken;
};

LinkCheck CheckLinks() {
  namespace fs = std::filesystem;
  LinkCheck check;
  auto follow = [&check](const fs::path& from, const fs::path& directory, std::string target) {
    if (target.starts_with("http") || target.starts_with("mailto:")) return;
    std::string anchor;
    if (const std::size_t hash = target.find('#'); hash != std::string::npos) {
      anchor = target.substr(hash + 1);
      target.erase(hash);
    }
    // Pictures are the user's to copy beside the photo pages.
    if (!target.empty() && !target.ends_with(".htm")) return;
    ++check.links;
    const fs::path page = target.empty() ? from : directory / target;
    const std::string text = ReadFile(page.string());
    if (!FileExists(page.string()) ||
        (!anchor.empty() && text.find("<A NAME=\"" + anchor + "\">") == std::string::npos)) {
      check.broken.push_back(from.string() + " -> " + target + "#" + anchor);
    }
  };
  for (const auto& entry : fs::recursive_directory_iterator("html")) {
    if (!entry.is_regular_file()) continue;
    const fs::path& from = entry.path();
    const std::string text = ReadFile(from.string());
    if (from.filename() == "gendex.txt") {
      // After the first line, each line starts with its page and a bar.
      for (std::size_t at = text.find('\n'); at != std::string::npos && at + 1 < text.size();
           at = text.find('\n', at + 1)) {
        follow(from, "html", text.substr(at + 1, text.find('|', at + 1) - at - 1));
      }
      continue;
    }
    for (const std::string_view opening : {"HREF=\"", "href=\""}) {
      for (std::size_t at = text.find(opening); at != std::string::npos;
           at = text.find(opening, at + 1)) {
        const std::size_t begin = at + opening.size();
        follow(from, from.parent_path(), text.substr(begin, text.find('"', begin) - begin));
      }
    }
  }
  return check;
}

class SkipMissingTest : public SiteTest {
 protected:
  // The run of tree in a directory of its own, with the files it wrote
  // under html.
  struct Outcome {
    int result = -1;
    std::string log;
    std::map<std::string, std::string> site;
    LinkCheck links;
  };
  Outcome RunIn(const std::string& tree, const Settings& settings) {
    ScratchDir inner;
    Outcome outcome;
    run_.missing_records.Clear();
    outcome.result = RunSite(tree, settings);
    outcome.log = Log();
    outcome.site = TreeFiles("html");
    if (IsDirectory("html")) outcome.links = CheckLinks();
    return outcome;
  }
  static Settings Skipping(Settings settings) {
    settings.skipmissing = 'Y';
    return settings;
  }
};

TEST_F(SkipMissingTest, TreeWithHolesPublishesTheSiteOfTheTreeWithout) {
  for (const char subdirs : {'N', 'Y'}) {
    SCOPED_TRACE(subdirs);
    const Outcome mended = RunIn(Tree(false), EveryOptionOn(subdirs));
    ASSERT_EQ(mended.result, kResultOk) << mended.log;
    const Outcome skipped = RunIn(Tree(true), Skipping(EveryOptionOn(subdirs)));
    ASSERT_EQ(skipped.result, kResultOk) << skipped.log;

    EXPECT_NE(skipped.log.find(kHoleLines), std::string::npos) << skipped.log;
    EXPECT_TRUE(skipped.log.ends_with(
        "<CloseKinloomFiles\nSkipped 7 references without records.\n<CreateKinloom 0\n"))
        << skipped.log;
    EXPECT_EQ(run_.missing_records.skipped(), 7);
    // 3 family pages, Lone's page, 3 notes pages, 2 photo pages, 7
    // pedigree charts, the surnames and names pages and gendex.txt.
    ASSERT_EQ(skipped.site.size(), 19u);
    EXPECT_EQ(mended.site.size(), 19u);
    for (const auto& [name, bytes] : mended.site) {
      EXPECT_EQ(skipped.site.count(name) ? skipped.site.at(name) : "(missing)", bytes) << name;
    }
    EXPECT_GT(skipped.links.links, 60);
    EXPECT_TRUE(skipped.links.broken.empty()) << ::testing::PrintToString(skipped.links.broken);
  }
}

TEST_F(SkipMissingTest, WithoutTheFlagTheTreeIsRefusedAsBefore) {
  const Outcome refused = RunIn(Tree(true), EveryOptionOn('N'));
  EXPECT_EQ(refused.result, kResultInvalidGedcom);
  EXPECT_NE(refused.log.find(std::string(kHoleLines) +
                             ">CloseKinloomFiles\n<CloseKinloomFiles\n<CreateKinloom 5\n"),
            std::string::npos)
      << refused.log;
  EXPECT_TRUE(refused.site.empty());
  EXPECT_EQ(refused.log.find("Skipped"), std::string::npos);
}

TEST_F(SkipMissingTest, TreeWithoutHolesIsTheSameWithTheFlag) {
  const Outcome plain = RunIn(EveryPageTree(), EveryOptionOn('N'));
  const Outcome flagged = RunIn(EveryPageTree(), Skipping(EveryOptionOn('N')));
  ASSERT_EQ(flagged.result, kResultOk);
  EXPECT_TRUE(plain.site == flagged.site);
  EXPECT_EQ(plain.log, flagged.log);
  EXPECT_TRUE(flagged.links.broken.empty()) << ::testing::PrintToString(flagged.links.broken);

  // The link check sees a page that is not there.
  ASSERT_EQ(RunSite(EveryPageTree(), EveryOptionOn('N')), kResultOk);
  std::filesystem::remove("html/ind00004.htm");
  // Linked from the names page, the notes page, the pedigree chart and gendex.
  EXPECT_EQ(CheckLinks().broken.size(), 4u);
}

// Someone who is their own ancestor is named, and the run goes on, while
// the tree's holes are skipped.
TEST_F(SkipMissingTest, AncestryLoopIsNamedAndTheRunFinishes) {
  const std::string tree = Lines({
      "0 @I1@ INDI",
      "1 NAME Adam /Loop/",
      "1 FAMC @F1@",
      "1 FAMS @F2@",
      "0 @I2@ INDI",
      "1 NAME Seth /Loop/",
      "1 FAMC @F2@",
      "1 FAMS @F1@",
      "0 @F1@ FAM",
      "1 HUSB @I2@",
      "1 WIFE @I9@",
      "1 CHIL @I1@",
      "0 @F2@ FAM",
      "1 HUSB @I1@",
      "1 CHIL @I2@",
      "0 TRLR",
  });
  const Outcome looped = RunIn(tree, Skipping(EveryOptionOn('N')));
  EXPECT_EQ(looped.result, kResultOk);
  EXPECT_NE(looped.log.find("INDV rec 9 from FAM rec 1 does not exist\n<IsValidGedcom\n"),
            std::string::npos);
  EXPECT_NE(looped.log.find("Ancestry loop: Adam LOOP (@I1@) is recorded as their own ancestor.\n"),
            std::string::npos);
  EXPECT_TRUE(looped.log.ends_with("Skipped 1 reference without a record.\n<CreateKinloom 0\n"))
      << looped.log;

  EXPECT_EQ(RunIn(tree, EveryOptionOn('N')).result, kResultInvalidGedcom);
}

}  // namespace
}  // namespace kinloom::testing
