// Re-runs with CHANGEDONLY keep the pages whose records did not change,
// without making them again. Whatever is edited between two runs (a
// place, a name, a source, a note, a photo, the family links, the order
// or the numbers of the records, the captions, the include files, the
// pages on disk), the site and the log are those of a fresh full run.
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "reliability/site_fixture.h"

namespace kinloom::testing {
namespace {

// Three generations in three families, with sources, photos, notes of
// individuals and of families, a note record shared by two people, and
// Lone, who belongs to no family.
std::string FamilyTree() {
  return Lines({
      "0 HEAD",
      "1 CHAR ANSEL",
      "0 @I1@ INDI",
      "1 NAME John /Smith/",
      "1 SEX M",
      "1 BIRT",
      "2 DATE 1 JAN 1850",
      "2 PLAC Boston",
      "2 SOUR @S1@",
      "1 DEAT",
      "2 DATE 1920",
      "1 FAMS @F1@",
      "1 NOTE Farmer",
      "2 CONT and miller",
      "0 @I2@ INDI",
      "1 NAME Mary /Jones/",
      "1 SEX F",
      "1 BIRT",
      "2 DATE 1852",
      "1 DEAT",
      "2 DATE 1925",
      "1 FAMS @F1@",
      "0 @I3@ INDI",
      "1 NAME Tom /Smith/",
      "1 SEX M",
      "1 BIRT",
      "2 DATE 1875",
      "1 DEAT",
      "2 DATE 1950",
      "1 FAMC @F1@",
      "1 FAMS @F2@",
      "0 @I4@ INDI",
      "1 NAME Ann /Smith/",
      "1 SEX F",
      "1 BIRT",
      "2 DATE 1877",
      "1 FAMC @F1@",
      "1 FAMS @F3@",
      "0 @I5@ INDI",
      "1 NAME Eve /Brown/",
      "1 SEX F",
      "1 BIRT",
      "2 DATE 1878",
      "2 PLAC Salem",
      "1 FAMS @F2@",
      "1 OBJE",
      "2 FILE photos/eve.jpg",
      "2 TITL Eve at twenty",
      "0 @I6@ INDI",
      "1 NAME Bob /White/",
      "1 SEX M",
      "1 FAMS @F3@",
      "0 @I7@ INDI",
      "1 NAME Sam /Smith/",
      "1 SEX M",
      "1 BIRT",
      "2 DATE 1900",
      "1 FAMC @F2@",
      "0 @I8@ INDI",
      "1 NAME Sue /Smith/",
      "1 SEX F",
      "1 BIRT",
      "2 DATE 1902",
      "1 FAMC @F2@",
      "1 NOTE @N1@",
      "0 @I9@ INDI",
      "1 NAME Ray /White/",
      "1 SEX M",
      "1 BIRT",
      "2 DATE 1905",
      "2 SOUR @S2@",
      "1 FAMC @F3@",
      "1 NOTE @N1@",
      "0 @I10@ INDI",
      "1 NAME Lone /Walker/",
      "1 NOTE A traveller",
      "0 @F1@ FAM",
      "1 HUSB @I1@",
      "1 WIFE @I2@",
      "1 CHIL @I3@",
      "1 CHIL @I4@",
      "1 MARR",
      "2 DATE 1874",
      "0 @F2@ FAM",
      "1 HUSB @I3@",
      "1 WIFE @I5@",
      "1 CHIL @I7@",
      "1 CHIL @I8@",
      "1 NOTE Married in spring",
      "0 @F3@ FAM",
      "1 HUSB @I6@",
      "1 WIFE @I4@",
      "1 CHIL @I9@",
      "0 @S1@ SOUR",
      "1 TITL Parish register",
      "0 @S2@ SOUR",
      "1 TITL Census 1910",
      "0 @N1@ NOTE Shared",
      "0 TRLR",
  });
}

// Replaces every occurrence; the edit must apply.
std::string Edited(std::string text, const std::string& from, const std::string& to) {
  std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  while (at != std::string::npos) {
    text.replace(at, from.size(), to);
    at = text.find(from, at + to.size());
  }
  return text;
}

// One step of the sequence: what it changes, and whether pages that do
// not show the change can be kept.
struct Step {
  std::string what;
  std::function<void(std::string& tree, Settings& settings)> edit;
  bool keeps = true;
};

std::vector<Step> Steps() {
  auto tree_edit = [](std::string from, std::string to) {
    return [from, to](std::string& tree, Settings&) { tree = Edited(tree, from, to); };
  };
  return {
      {"nothing", [](std::string&, Settings&) {}},
      {"a birth place", tree_edit("2 PLAC Salem", "2 PLAC Marblehead")},
      {"a source title", tree_edit("1 TITL Census 1910", "1 TITL Census of 1910")},
      {"a shared note", tree_edit("0 @N1@ NOTE Shared", "0 @N1@ NOTE Shared by two")},
      {"a note of a family", tree_edit("1 NOTE Married in spring", "1 NOTE Married in May")},
      {"a photo title", tree_edit("2 TITL Eve at twenty", "2 TITL Eve, aged twenty")},
      {"a parent's name", tree_edit("1 NAME Tom /Smith/", "1 NAME Thomas /Smith/")},
      {"a birth date that makes someone young",
       tree_edit("2 DATE 1900\n1 FAMC @F2@", "2 DATE 1990\n1 FAMC @F2@")},
      {"a child added",
       [](std::string& tree, Settings&) {
         tree = Edited(tree, "1 CHIL @I9@\n", "1 CHIL @I9@\n1 CHIL @I11@\n");
         tree = Edited(tree, "0 @F1@ FAM\n",
                       "0 @I11@ INDI\n1 NAME Kim /White/\n1 FAMC @F3@\n0 @F1@ FAM\n");
       }},
      {"a person removed",
       [](std::string& tree, Settings&) {
         const std::size_t from = tree.find("0 @I10@ INDI");
         tree.erase(from, tree.find("0 @I11@ INDI") - from);
       }},
      {"two records in another order",
       [](std::string& tree, Settings&) {
         const std::size_t sam = tree.find("0 @I7@ INDI");
         const std::size_t sue = tree.find("0 @I8@ INDI");
         const std::size_t ray = tree.find("0 @I9@ INDI");
         const std::string sam_lines = tree.substr(sam, sue - sam);
         tree.insert(ray, sam_lines);
         tree.erase(sam, sue - sam);
       }},
      {"a person numbered anew", tree_edit("@I9@", "@I19@")},
      {"a colour", [](std::string&, Settings& s) { s.bgcolor = "FFFFFF"; }, false},
      {"nothing again", [](std::string&, Settings&) {}},
  };
}

class KeptPagesTest : public SiteTest, public ::testing::WithParamInterface<char> {
 protected:
  // The site and the log of a run without CHANGEDONLY in a fresh folder
  // with the same include files.
  std::pair<std::map<std::string, std::string>, std::string> Fresh(const std::string& tree,
                                                                   const Settings& settings) {
    const std::map<std::string, std::string> includes = {{"footer.htm", ReadFile("footer.htm")}};
    const bool footer = FileExists("footer.htm");
    ScratchDir fresh;
    WriteFile("tree.ged", tree);
    if (footer) WriteFile("footer.htm", includes.at("footer.htm"));
    Settings plain = settings;
    plain.changedonly = 'N';
    kinloom::Run run(plain, LabelTexts());
    run.test_options.fixed_page_date = run_.test_options.fixed_page_date;
    run.date = run_.date;
    EXPECT_EQ(CreateKinloom(run), kResultOk);
    return {TreeFiles("html"), ReadText("kinloom.log")};
  }

  void ExpectFreshSite(const std::string& tree, const Settings& settings, const std::string& what) {
    const auto [site, log] = Fresh(tree, settings);
    EXPECT_TRUE(TreeFiles("html") == site) << "after " << what;
    EXPECT_EQ(Log(), log) << "after " << what;
  }
};

TEST_P(KeptPagesTest, EveryEditLeavesTheSiteAndLogOfAFreshRun) {
  run_.date.fixed_epoch = 1700000000;  // 14 November 2023, for who is presumed living
  std::string warnings;
  run_.on_warning = [&warnings](std::string_view line) { warnings += std::string(line) + "\n"; };
  std::string tree = FamilyTree();
  Settings settings = EveryOptionOn('Y');
  settings.changedonly = 'Y';
  settings.privacy = GetParam();
  ASSERT_EQ(RunSite(tree, settings), kResultOk);
  EXPECT_EQ(run_.progress.pages_kept, 0);  // nothing to keep from
  EXPECT_NE(warnings, "");                 // no record of a previous run
  warnings.clear();

  for (const Step& step : Steps()) {
    step.edit(tree, settings);
    run_.log.Clear();  // as the programs do before every run
    ASSERT_EQ(RunSite(tree, settings), kResultOk) << step.what;
    ExpectFreshSite(tree, settings, step.what);
    EXPECT_EQ(warnings, "") << step.what;
    const long kept = run_.progress.pages_kept;
    if (step.keeps) {
      EXPECT_GT(kept, 0) << step.what;
    } else {
      EXPECT_EQ(kept, 0) << step.what;
    }
    if (step.what.rfind("nothing", 0) == 0) {
      EXPECT_EQ(ReadFile("kinloom.changes"), "") << step.what;
      // Every page is kept but the names and surnames pages and
      // gendex.txt, the second page of the shared note, Lone's notes
      // page, during which his own page is made, and the photo page,
      // whose picture's name depends on the other photos.
      EXPECT_GE(kept, run_.progress.pages_written - 7) << step.what;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutPrivacy, KeptPagesTest, ::testing::Values('N', 'Y'));

class KeptPagesOutsideTest : public SiteTest {
 protected:
  KeptPagesOutsideTest() {
    run_.on_warning = [](std::string_view) {};  // the first run has no record
  }
};

TEST_F(KeptPagesOutsideTest, KeptPagesFollowWhatHappensOutsideTheTree) {
  std::string tree = FamilyTree();
  Settings settings = EveryOptionOn('N');
  settings.changedonly = 'Y';
  ASSERT_EQ(RunSite(tree, settings), kResultOk);
  const auto first = TreeFiles("html");
  ASSERT_EQ(RunSite(tree, settings), kResultOk);
  const long all_kept = run_.progress.pages_kept;
  ASSERT_GT(all_kept, 0);

  // An include file: every page shows it.
  WriteFile("footer.htm", "<P>My footer</P>\n");
  ASSERT_EQ(RunSite(tree, settings), kResultOk);
  EXPECT_EQ(run_.progress.pages_kept, 0);
  EXPECT_NE(TreeFiles("html"), first);

  // A page deleted or changed by hand is made again; the others are kept.
  ASSERT_TRUE(std::filesystem::remove("html/fam00002.htm"));
  WriteFile("html/fam00003.htm", "mine now");
  ASSERT_EQ(RunSite(tree, settings), kResultOk);
  EXPECT_EQ(run_.progress.pages_kept, all_kept - 2);
  EXPECT_EQ(ReadFile("kinloom.changes"),
            "written fam00002.htm\n"
            "written fam00003.htm\n");

  // A record of inputs that does not belong to the manifest, or is cut or
  // damaged, keeps nothing: every page is made and compared as before,
  // and nothing is said about it.
  const std::string inputs = ReadFile("kinloom.inputs");
  const auto site = TreeFiles("html");
  for (const std::string& damaged :
       {inputs.substr(0, inputs.size() - 1), inputs.substr(0, 20),
        Edited(inputs, "kinloom inputs 1", "kinloom inputs 2"), std::string()}) {
    WriteFile("kinloom.inputs", damaged);
    ASSERT_EQ(RunSite(tree, settings), kResultOk);
    EXPECT_EQ(run_.progress.pages_kept, 0);
    EXPECT_TRUE(TreeFiles("html") == site);
  }
  // The manifest of another run beside it (here: one more line).
  ASSERT_EQ(RunSite(tree, settings), kResultOk);
  ASSERT_GT(run_.progress.pages_kept, 0);
  WriteFile("kinloom.inputs.keep", ReadFile("kinloom.inputs"));
  ASSERT_EQ(RunSite(Edited(tree, "2 PLAC Boston", "2 PLAC Salem"), settings), kResultOk);
  WriteFile("kinloom.inputs", ReadFile("kinloom.inputs.keep"));
  ASSERT_EQ(RunSite(tree, settings), kResultOk);
  EXPECT_EQ(run_.progress.pages_kept, 0);
  EXPECT_TRUE(TreeFiles("html") == site);
}

}  // namespace
}  // namespace kinloom::testing
