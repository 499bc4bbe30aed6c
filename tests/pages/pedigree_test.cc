// Pedigree charts, built on a store filled directly: the drawn tree, the
// links and life spans, ancestors met twice, loops and the choice of charts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "pages/page_fixture.h"
#include "pages/phases.h"
#include "run/driver.h"
#include "support/windows_skip.h"

namespace kinloom::testing {
namespace {

class PedigreeTest : public PageTest {
 protected:
  void AddPerson(std::int32_t number, const std::string& name, std::int32_t spouse_family = 0,
                 std::int32_t parent_family = 0, const std::string& birth = "",
                 const std::string& death = "") {
    IndividualRecord r = Person(number, name);
    r.birthDate = birth;
    r.deathDate = death;
    r.spouseFamilies[0] = spouse_family;
    r.parentFamilies[0] = parent_family;
    AddIndividual(r);
  }

  // The whole chart page around the lines of its <pre> block.
  static std::string ChartPage(const std::string& title, const std::string& lines,
                               const std::string& surnames_href = "surnames.htm") {
    return ExpectedHead("Pedigree Chart For " + title) + "<HR NOSHADE SIZE=3><pre>\n" + lines +
           "</pre>\n<HR NOSHADE SIZE=1>" + ExpectedFoot(surnames_href);
  }

  static std::string Lines(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& line : lines) out += line + "\n";
    return out;
  }
};

TEST_F(PedigreeTest, GrandparentsAreDrawnWithTheirLeads) {
  // Root 1; parents 2 and 3 (family 10); 2's parents 4 and 5 (family 11),
  // 3's parents 6 and 7 (family 12); 4's parents 8 and 9 (family 13).
  AddPerson(1, "Robert /Root/", 0, 10, "1 JAN 1900", "2 FEB 1980");
  AddPerson(2, "Frank /Root/", 10, 11, "1870", "");
  AddPerson(3, "Maud /Miller/", 10, 12, "", "1950");
  AddPerson(4, "Fred /Root/", 11, 13);
  AddPerson(5, "Flora /Fisher/", 11);
  AddPerson(6, "Mark /Miller/", 12);
  AddPerson(7, "Mina /Moss/", 12);
  AddPerson(8, "Old /Root/", 13);
  AddPerson(9, "Olga /Ott/", 13);
  AddFamily(Couple(10, 2, 3));
  AddFamily(Couple(11, 4, 5));
  AddFamily(Couple(12, 6, 7));
  AddFamily(Couple(13, 8, 9));

  ASSERT_EQ(PedigreeChart(run_, 1), 0);

  const std::string lines = Lines({
      "      +--<b><A HREF=\"fam00013.htm\">Old Root</A> </b>",
      "   +--<b><A HREF=\"fam00011.htm\">Fred Root</A> </b>",
      "   |  +--<b><A HREF=\"fam00013.htm\">Olga Ott</A> </b>",
      "+--<b><A HREF=\"fam00010.htm\">Frank Root</A>  (1870-)</b>",
      "|  +--<b><A HREF=\"fam00011.htm\">Flora Fisher</A> </b>",
      "<b><A HREF=\"fam00010.htm\">Robert Root</A>  (1 JAN 1900-2 FEB 1980)</b>",
      "|  +--<b><A HREF=\"fam00012.htm\">Mark Miller</A> </b>",
      "+--<b><A HREF=\"fam00010.htm\">Maud Miller</A>  (-1950)</b>",
      "   +--<b><A HREF=\"fam00012.htm\">Mina Moss</A> </b>",
  });
  EXPECT_EQ(Page("html/ped00001.htm"), ChartPage("Robert Root", lines));
  EXPECT_EQ(LogText(), ">PedigreeChart\n<PedigreeChart\n");
}

TEST_F(PedigreeTest, ChartsOfSmallFamilies) {
  struct Case {
    const char* what;
    std::int32_t root;
    const char* title;
    std::string lines;
  };
  // 20: no family at all. 21: father 22 known, no mother (family 30).
  // 23: spouse in 31 and child in 32 whose parents are both unknown.
  AddPerson(20, "Lone /Person/");
  AddPerson(21, "Son /Single/", 0, 30);
  AddPerson(22, "Dad /Single/", 30);
  AddPerson(23, "Wed /Person/ Jr.", 31, 32, "1901", "");
  AddFamily(Couple(30, 22, 0));
  AddFamily(Couple(31, 23, 0));
  AddFamily(Couple(32, 0, 0));
  const Case cases[] = {
      {"no parents: one line, empty lead", 20, "Lone Person",
       "<b><A HREF=\"ind00020.htm\">Lone Person</A> </b>\n"},
      {"father only: nothing below the own line", 21, "Son Single",
       "+--<b><A HREF=\"fam00030.htm\">Dad Single</A> </b>\n"
       "<b><A HREF=\"fam00030.htm\">Son Single</A> </b>\n"},
      {"spouse with empty parent family: spouse family link", 23, "Wed Person, Jr.",
       "<b><A HREF=\"fam00031.htm\">Wed Person, Jr.</A>  (1901-)</b>\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(PedigreeChart(run_, c.root), 0);
    EXPECT_EQ(Page("html/ped000" + std::to_string(c.root) + ".htm"), ChartPage(c.title, c.lines));
  }
}

TEST_F(PedigreeTest, SubdirectoryLinksAndPlace) {
  run_.settings.subdirs = 'Y';
  MakeSubdirectories();
  AddPerson(5, "Kid /Kay/", 0, 7);
  AddPerson(6, "Pa /Kay/", 7);
  AddPerson(8, "Lone /Lee/");
  AddFamily(Couple(7, 6, 0));

  ASSERT_EQ(PedigreeChart(run_, 5), 0);
  ASSERT_EQ(PedigreeChart(run_, 8), 0);
  EXPECT_EQ(Page("html/ped/ped00005.htm"),
            ChartPage("Kid Kay",
                      "+--<b><A HREF=\"../fam/fam00007.htm\">Pa Kay</A> </b>\n"
                      "<b><A HREF=\"../fam/fam00007.htm\">Kid Kay</A> </b>\n",
                      "../surnames.htm"));
  EXPECT_EQ(Page("html/ped/ped00008.htm"),
            ChartPage("Lone Lee", "<b><A HREF=\"../ind/ind00008.htm\">Lone Lee</A> </b>\n",
                      "../surnames.htm"));
}

// Adam (1) is the son of Bert (2), who is the son of Adam: Adam is his
// own father's father.
class PedigreeLoopTest : public PedigreeTest {
 protected:
  PedigreeLoopTest() {
    AddPerson(1, "Adam /Loop/", 11, 10);
    AddPerson(2, "Bert /Loop/", 10, 11);
    AddFamily(Couple(10, 2, 0));
    AddFamily(Couple(11, 1, 0));
  }
};

const char kAdamLoop[] = "Ancestry loop: Adam Loop (@I1@) is recorded as their own ancestor.";
const char kBertLoop[] = "Ancestry loop: Bert Loop (@I2@) is recorded as their own ancestor.";

TEST_F(PedigreeLoopTest, LoopIsMarkedNamedAndThePageIsComplete) {
  EXPECT_EQ(PedigreeChart(run_, 1), 0);
  EXPECT_EQ(LogText(), ">PedigreeChart\n" + std::string(kAdamLoop) + "\n<PedigreeChart\n");
  EXPECT_EQ(run_.notices.Text(), kAdamLoop);
  EXPECT_EQ(
      Page("html/ped00001.htm"),
      ChartPage("Adam Loop", Lines({
                                 "   +--<b><A HREF=\"fam00011.htm\">Adam Loop</A> </b> (see above)",
                                 "+--<b><A HREF=\"fam00010.htm\">Bert Loop</A> </b>",
                                 "<b><A HREF=\"fam00011.htm\">Adam Loop</A> </b>",
                             })));
}

TEST_F(PedigreeLoopTest, EveryChartIsWrittenAndEachLoopNamedOnce) {
  struct Case {
    char all;
    const char* list;
  };
  for (const Case& c : {Case{'Y', ""}, Case{'N', "1,2,1"}}) {
    SCOPED_TRACE(c.list);
    std::filesystem::remove("kinloom.log");
    run_.notices = {};
    run_.settings.pedigreeall = c.all;
    run_.settings.pedigreelist = c.list;
    EXPECT_EQ(BuildPedigreeCharts(run_), 0);
    const std::string chart = ">PedigreeChart\n<PedigreeChart\n";
    EXPECT_EQ(LogText(), ">BuildPedigreeCharts\n>PedigreeChart\n" + std::string(kAdamLoop) +
                             "\n<PedigreeChart\n>PedigreeChart\n" + kBertLoop +
                             "\n<PedigreeChart\n" + (c.all == 'Y' ? "" : chart) +
                             "<BuildPedigreeCharts\n");
    EXPECT_EQ(run_.notices.Text(), std::string(kAdamLoop) + "\n" + kBertLoop);
    EXPECT_TRUE(FileExists("html/ped00001.htm"));
    EXPECT_TRUE(FileExists("html/ped00002.htm"));
  }
}

// Rose's parents Frank and Mary are first cousins: Frank's father Al and
// Mary's mother Bea are the children of Gus and Hil, and Gus's parents are
// Old and Ola. Gus and Hil are reached twice; the second time they are
// marked and Gus's parents are not drawn again.
TEST_F(PedigreeTest, CousinMarriageDrawsEachAncestorOnce) {
  AddPerson(1, "Rose /Root/", 0, 10);
  AddPerson(2, "Frank /Root/", 10, 11);
  AddPerson(3, "Mary /Moss/", 10, 12);
  AddPerson(4, "Al /Root/", 11, 13);
  AddPerson(5, "Bea /Gee/", 12, 13);
  AddPerson(6, "Gus /Gee/", 13, 14, "1800", "1870");
  AddPerson(7, "Hil /Hay/", 13);
  AddPerson(8, "Xena /Ix/", 11);
  AddPerson(9, "Yan /Moss/", 12);
  AddPerson(20, "Old /Gee/", 14);
  AddPerson(21, "Ola /Oh/", 14);
  AddFamily(Couple(10, 2, 3));
  AddFamily(Couple(11, 4, 8));
  AddFamily(Couple(12, 9, 5));
  AddFamily(Couple(13, 6, 7));
  AddFamily(Couple(14, 20, 21));
  const std::string gus = "<b><A HREF=\"fam00013.htm\">Gus Gee</A>  (1800-1870)</b>";
  const std::string hil = "<b><A HREF=\"fam00013.htm\">Hil Hay</A> </b>";
  auto lines = [&](const std::string& marker) {
    return Lines({
        "         +--<b><A HREF=\"fam00014.htm\">Old Gee</A> </b>",
        "      +--" + gus,
        "      |  +--<b><A HREF=\"fam00014.htm\">Ola Oh</A> </b>",
        "   +--<b><A HREF=\"fam00011.htm\">Al Root</A> </b>",
        "   |  +--" + hil,
        "+--<b><A HREF=\"fam00010.htm\">Frank Root</A> </b>",
        "|  +--<b><A HREF=\"fam00011.htm\">Xena Ix</A> </b>",
        "<b><A HREF=\"fam00010.htm\">Rose Root</A> </b>",
        "|  +--<b><A HREF=\"fam00012.htm\">Yan Moss</A> </b>",
        "+--<b><A HREF=\"fam00010.htm\">Mary Moss</A> </b>",
        "   |  +--" + gus + marker,
        "   +--<b><A HREF=\"fam00012.htm\">Bea Gee</A> </b>",
        "      +--" + hil + marker,
    });
  };
  struct Case {
    const char* caption;
    const char* marker;
  };
  for (const Case& c : {Case{nullptr, " (see above)"},
                        Case{"(voir plus haut)", " (voir plus haut)"}, Case{"", ""}}) {
    SCOPED_TRACE(c.marker);
    if (c.caption != nullptr) run_.labels.Set(Label::kRepeat, c.caption);
    ASSERT_EQ(PedigreeChart(run_, 1), 0);
    EXPECT_EQ(Page("html/ped00001.htm"), ChartPage("Rose Root", lines(c.marker)));
  }
  EXPECT_TRUE(run_.notices.empty());
  EXPECT_EQ(LogText().find("loop"), std::string::npos);
}

// Person k's father is k + 1 (family k, no mother), up to person 200:
// every generation is drawn, three columns further in than the one below.
TEST_F(PedigreeTest, LineOfTwoHundredGenerationsIsDrawnWhole) {
  std::string lines;
  for (std::int32_t k = 1; k <= 200; ++k) {
    AddPerson(k, "P" + std::to_string(k) + " /Chain/", k > 1 ? k - 1 : 0, k < 200 ? k : 0);
    if (k < 200) AddFamily(Couple(k, k + 1, 0));
    char target[16];
    std::snprintf(target, sizeof target, "fam%05d.htm", k > 1 ? k - 1 : 1);
    const std::string lead = k == 1 ? "" : std::string(3 * (k - 2), ' ') + "+--";
    lines =
        lead + "<b><A HREF=\"" + target + "\">P" + std::to_string(k) + " Chain</A> </b>\n" + lines;
  }
  EXPECT_EQ(PedigreeChart(run_, 1), 0);
  EXPECT_EQ(Page("html/ped00001.htm"), ChartPage("P1 Chain", lines));
  EXPECT_EQ(LogText(), ">PedigreeChart\n<PedigreeChart\n");
}

TEST_F(PedigreeTest, PedigreeListChoosesTheCharts) {
  AddPerson(3, "Three /Tee/");
  AddPerson(5, "Five /Fay/");
  struct Case {
    char all;
    const char* list;
    std::vector<std::int32_t> charts;  // in order of writing
  };
  const Case cases[] = {
      {'N', "", {}},
      {'N', "3,,5", {3}},
      {'N', "3, 5", {3, 5}},
      {'N', "0,3", {}},
      {'N', "5,3,5", {5, 3, 5}},
      {'N', "3,99,5", {3, 5}},  // 99 names no one: no page, no log lines
      {'n', "5", {5}},
      {'Y', "", {3, 5}},
      {'Y', "99", {3, 5}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("PEDIGREEALL ") + c.all + ", list \"" + c.list + "\"");
    std::filesystem::remove_all("html");
    std::filesystem::create_directory("html");
    std::filesystem::remove("kinloom.log");
    run_.settings.pedigreeall = c.all;
    run_.settings.pedigreelist = c.list;

    EXPECT_EQ(BuildPedigreeCharts(run_), 0);
    std::string log = ">BuildPedigreeCharts\n";
    for (std::size_t i = 0; i < c.charts.size(); ++i) log += ">PedigreeChart\n<PedigreeChart\n";
    EXPECT_EQ(LogText(), log + "<BuildPedigreeCharts\n");
    for (std::int32_t n : {3, 5, 99}) {
      const bool wanted = std::find(c.charts.begin(), c.charts.end(), n) != c.charts.end();
      EXPECT_EQ(
          FileExists("html/ped000" + std::string(n < 10 ? "0" : "") + std::to_string(n) + ".htm"),
          wanted)
          << n;
    }
  }
}

TEST_F(PedigreeTest, PageThatCannotBeWritten) {
  KINLOOM_SKIP_ON_WINDOWS("no /dev/full to stand for a full disk");
  AddPerson(1, "One /Uno/");
  AddPerson(2, "Two /Dos/");
  // ped00001 cannot be created; ped00002 is created but its bytes never
  // reach the disk.
  std::filesystem::create_directory("html/ped00001.htm");
  std::filesystem::create_symlink("/dev/full", "html/ped00002.htm");

  EXPECT_EQ(PedigreeChart(run_, 1), kResultCannotWrite);
  EXPECT_EQ(PedigreeChart(run_, 2), kResultCannotWrite);
  EXPECT_EQ(LogText(),
            ">PedigreeChart\nUnable to create new PED file.\n"
            ">PedigreeChart\nUnable to create new PED file.\n");

  std::filesystem::remove("kinloom.log");
  run_.settings.pedigreelist = "2,1";
  EXPECT_EQ(BuildPedigreeCharts(run_), 0) << "listed charts that fail do not stop the phase";
  std::filesystem::remove("kinloom.log");
  run_.settings.pedigreeall = 'Y';
  EXPECT_EQ(BuildPedigreeCharts(run_), kResultCannotWrite);
  EXPECT_EQ(LogText(), ">BuildPedigreeCharts\n>PedigreeChart\nUnable to create new PED file.\n");
}

TEST_F(PedigreeTest, EachWrittenChartCountsAsAPage) {
  AddPerson(1, "One /Uno/");
  AddPerson(2, "Two /Dos/");
  run_.settings.pedigreeall = 'Y';
  ASSERT_EQ(BuildPedigreeCharts(run_), 0);
  EXPECT_EQ(run_.progress.pages_written, 2);
}

// Whole runs over a GEDCOM file in which Adam is his own father's father.
class PedigreeLoopRunTest : public ::testing::Test {
 protected:
  PedigreeLoopRunTest() {
    WriteFile("loop.ged",
              "0 HEAD\n1 CHAR ANSI\n"
              "0 @I1@ INDI\n1 NAME Adam /Loop/\n1 FAMC @F10@\n1 FAMS @F11@\n"
              "0 @I2@ INDI\n1 NAME Bert /Loop/\n1 FAMC @F11@\n1 FAMS @F10@\n"
              "0 @F10@ FAM\n1 HUSB @I2@\n1 CHIL @I1@\n"
              "0 @F11@ FAM\n1 HUSB @I1@\n1 CHIL @I2@\n"
              "0 TRLR\n");
    run_.settings.gedfile = "loop.ged";
    run_.settings.home = kHome;
    run_.settings.email = kEmail;
    run_.test_options.fixed_page_date = kDate;
  }
  ScratchDir scratch_;
  kinloom::Run run_;
};

TEST_F(PedigreeLoopRunTest, EveryoneChartedFinishesTheSite) {
  run_.settings.pedigreeall = 'Y';
  EXPECT_EQ(CreateKinloom(run_), 0);
  const std::string log = ReadText("kinloom.log");
  EXPECT_NE(log.find(std::string(kAdamLoop) + "\n<PedigreeChart\n"), std::string::npos) << log;
  EXPECT_NE(log.find(std::string(kBertLoop) + "\n<PedigreeChart\n"), std::string::npos) << log;
  EXPECT_TRUE(run_.notices.Text().starts_with(std::string(kAdamLoop) + "\n" + kBertLoop + "\n"));
  EXPECT_TRUE(FileExists("html/surnames.htm"));
  EXPECT_TRUE(FileExists("html/gendex.txt"));
}

TEST_F(PedigreeLoopRunTest, ListedChartsLetTheRunGoOn) {
  run_.settings.pedigreelist = "1,2";
  EXPECT_EQ(CreateKinloom(run_), 0);
  EXPECT_TRUE(FileExists("html/ped00001.htm"));
  EXPECT_TRUE(FileExists("html/ped00002.htm"));
  EXPECT_TRUE(FileExists("html/surnames.htm"));
  EXPECT_EQ(ReadText("html/gendex.txt"),
            ";; Kinloom Version 2.21\n"
            "fam00011.htm|Loop|Adam /Loop/|||||\n"
            "fam00010.htm|Loop|Bert /Loop/|||||\n");
}

}  // namespace
}  // namespace kinloom::testing
