// Pedigree charts, built on a store filled directly: the drawn tree, the
// links and life spans, the loop guard and the choice of charts.
#include <gtest/gtest.h>

#include <algorithm>
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

  // 151 levels, written on the way back: the deepest (an Adam, at odd
  // depth 151) first, the root last.
  static std::string LoopLines() {
    std::string lines;
    for (int depth = 151; depth >= 1; --depth) {
      const bool adam = depth % 2 == 1;
      std::string lead = depth == 1 ? "" : std::string(3 * (depth - 2), ' ') + "+--";
      lines += lead + (adam ? "<b><A HREF=\"fam00011.htm\">Adam Loop</A> </b>\n"
                            : "<b><A HREF=\"fam00010.htm\">Bert Loop</A> </b>\n");
    }
    return lines;
  }

  // The loop report of one chart: depths 131 to 151 alternate between the
  // root (odd depths) and the other man.
  static std::string LoopReport(const std::string& root = "Adam Loop",
                                const std::string& other = "Bert Loop") {
    std::string log = "Possible ancestry loop involving:\n";
    for (int depth = 131; depth <= 151; ++depth) log += (depth % 2 == 1 ? root : other) + "\n";
    return log + "Pedigree chart exceeded depth of 150. Someone is likely their own ancestor.\n";
  }
};

TEST_F(PedigreeLoopTest, LoopIsCutAfter150LevelsAndThePageIsComplete) {
  EXPECT_EQ(PedigreeChart(run_, 1), kResultPedigreeDepth);
  EXPECT_EQ(LogText(), ">PedigreeChart\n" + LoopReport() + "<PedigreeChart\n");
  EXPECT_EQ(Page("html/ped00001.htm"), ChartPage("Adam Loop", LoopLines()));
}

TEST_F(PedigreeLoopTest, EveryoneChartedStopsAtTheLoop) {
  run_.settings.pedigreeall = 'Y';
  run_.settings.pedigreelist = "2";
  EXPECT_EQ(BuildPedigreeCharts(run_), kResultPedigreeDepth);
  // The first chart fails; Bert's is never begun and the phase has no exit line.
  EXPECT_EQ(LogText(),
            ">BuildPedigreeCharts\n>PedigreeChart\n" + LoopReport() + "<PedigreeChart\n");
  EXPECT_TRUE(FileExists("html/ped00001.htm"));
  EXPECT_FALSE(FileExists("html/ped00002.htm"));
}

TEST_F(PedigreeLoopTest, ListedChartsGoOnPastTheLoop) {
  run_.settings.pedigreelist = "1,2";
  EXPECT_EQ(BuildPedigreeCharts(run_), 0);
  EXPECT_EQ(LogText(),
            ">BuildPedigreeCharts\n"
            ">PedigreeChart\n" +
                LoopReport() +
                "<PedigreeChart\n"
                ">PedigreeChart\n" +
                LoopReport("Bert Loop", "Adam Loop") +
                "<PedigreeChart\n"
                "<BuildPedigreeCharts\n");
  EXPECT_TRUE(FileExists("html/ped00001.htm"));
  EXPECT_TRUE(FileExists("html/ped00002.htm"));
}

TEST_F(PedigreeTest, LongLineWithoutLoopIsReportedButNotCut) {
  // Person k's father is k + 1 (family k, no mother), up to person 132 at
  // depth 132. On the way back each absent mother is a call one level
  // deeper than her child: those above depth 130 log one blank each, and
  // the one at exactly 131 opens a new report.
  for (std::int32_t k = 1; k <= 132; ++k) {
    AddPerson(k, "P" + std::to_string(k) + " /Chain/", k > 1 ? k - 1 : 0, k < 132 ? k : 0);
    if (k < 132) AddFamily(Couple(k, k + 1, 0));
  }
  EXPECT_EQ(PedigreeChart(run_, 1), 0);
  EXPECT_EQ(LogText(),
            ">PedigreeChart\n"
            "Possible ancestry loop involving:\n"
            "P131 Chain\n"
            "P132 Chain\n"
            " \n"
            "Possible ancestry loop involving:\n"
            " \n"
            "<PedigreeChart\n");
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
    run_.fixed_page_date = kDate;
  }
  ScratchDir scratch_;
  kinloom::Run run_;
};

TEST_F(PedigreeLoopRunTest, EveryoneChartedEndsTheRunWith7) {
  run_.settings.pedigreeall = 'Y';
  EXPECT_EQ(CreateKinloom(run_), kResultPedigreeDepth);
  const std::string log = ReadText("kinloom.log");
  EXPECT_NE(log.find("Someone is likely their own ancestor.\n<PedigreeChart\n"
                     ">CloseKinloomFiles\n"),
            std::string::npos)
      << log;
  EXPECT_FALSE(FileExists("html/surnames.htm"));
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
