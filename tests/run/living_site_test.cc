// Whole runs with PRIVACY "Y": nothing of a presumed-living individual but
// the surname reaches any file of the site or the log, the dead are shown
// in full, and a tree without anyone living gives the same site as a run
// without the setting.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "gedcom/reader.h"
#include "pages/phases.h"
#include "reliability/site_fixture.h"

namespace kinloom::testing {
namespace {

// Reference year 2026: born in 1916 or earlier is dead by the individual's
// own birth, a marriage or a child's birth in 1931 or earlier makes both
// spouses dead.
constexpr const char* kRunDate = "09 December 2026";

// Each rule, and the dates that must not decide anything. Living: Zelda,
// Quillon, Delphine, Ignatius, Jasper, Kezia, Mirabel, Ottoline, Perpetua,
// Silvanus (numbered twice, dead in one record only), Tabitha, Ulric.
std::string RulesTree(bool numbered_twice = true) {
  std::string tree = Lines({
      "0 HEAD",
      "1 CHAR ASCII",
      // Rule 1: a death without a date; his wife and son are living.
      "0 @I1@ INDI",
      "1 NAME Arthur /Dent/",
      "1 SEX M",
      "1 BIRT",
      "2 DATE 1980",
      "2 PLAC Cottington",
      "1 DEAT Y",
      "1 FAMS @F1@",
      "1 NOTE Arthur liked tea",
      "0 @I2@ INDI",
      "1 NAME Zelda Quintessa /Dent/",
      "1 SEX F",
      "1 BIRT",
      "2 DATE 12 MAR 1950",
      "2 PLAC Ravenholt",
      "2 SOUR @S1@",
      "1 NOTE Zelda keeps a xylophone",
      "1 OBJE",
      "2 FILE c:\\pics\\zelda_portrait.jpg",
      "2 TITL Zelda at the seaside",
      "1 FAMS @F1@",
      "0 @I3@ INDI",
      "1 NAME Quillon /Dent/ Jr.",
      "1 SOUR @S2@",
      "1 FAMC @F1@",
      "0 @I24@ INDI",
      "1 NAME Vivienne /Dent/",
      "1 FAMC @F1@",
      "1 DEAT",
      "2 DATE 2010",
      "2 PLAC Dentham",
      "0 @F1@ FAM",
      "1 HUSB @I1@",
      "1 WIFE @I2@",
      "1 CHIL @I3@",
      "1 CHIL @I24@",
      "1 MARR",
      "2 DATE 1975",
      "2 PLAC Marrowbridge",
      "1 NOTE Family ferntree story",
      // Rule 2: a dual year, a christening range; the latest year counts.
      "0 @I4@ INDI",
      "1 NAME Bartholomew /Oldcastle/",
      "1 BIRT",
      "2 DATE ABT 1850/51",
      "2 PLAC Oldport",
      "0 @I5@ INDI",
      "1 NAME Cuthbert /Oldcastle/",
      "1 CHR",
      "2 DATE BET 1900 AND 1915",
      "0 @I6@ INDI",
      "1 NAME Delphine /Oldcastle/",
      "1 BIRT",
      "2 DATE BET 1900 AND 1990",
      "2 PLAC Youngtown",
      // Rule 3: a marriage range ending in 1930.
      "0 @I7@ INDI",
      "1 NAME Ebenezer /Marsh/",
      "1 FAMS @F2@",
      "0 @I8@ INDI",
      "1 NAME Fenella /Marsh/",
      "1 FAMS @F2@",
      "0 @F2@ FAM",
      "1 HUSB @I7@",
      "1 WIFE @I8@",
      "1 MARR",
      "2 DATE FROM 1890 TO 1930",
      "2 PLAC Marshfield",
      "1 NOTE Marsh family note",
      // Rule 4: a child born in 1920 makes the parents dead, not himself.
      "0 @I9@ INDI",
      "1 NAME Gideon /Pike/",
      "1 FAMS @F3@",
      "0 @I11@ INDI",
      "1 NAME Hortensia /Pike/",
      "1 FAMS @F3@",
      "0 @I10@ INDI",
      "1 NAME Ignatius /Pike/",
      "1 BIRT",
      "2 DATE 7 JUL 1920",
      "2 PLAC Pikeville",
      "1 FAMC @F3@",
      "0 @F3@ FAM",
      "1 HUSB @I9@",
      "1 WIFE @I11@",
      "1 CHIL @I10@",
      "1 MARR",
      "2 PLAC Pike Chapel",
      // Dates that are not dates, other calendars, the future.
      "0 @I12@ INDI",
      "1 NAME Jasper /Unk/",
      "1 BIRT",
      "2 DATE UNKNOWN",
      "2 PLAC Jaspertown",
      "0 @I13@ INDI",
      "1 NAME Kezia /Unk/",
      "1 BIRT",
      "2 DATE abt",
      "0 @I14@ INDI",
      "1 NAME Lucan /Unk/",
      "1 BIRT",
      "2 DATE @#DJULIAN@ 1700",
      "0 @I15@ INDI",
      "1 NAME Mirabel /Unk/",
      "1 BIRT",
      "2 DATE 85",
      "0 @I16@ INDI",
      "1 NAME Nestor /Unk/",
      "1 BIRT",
      "2 DATE 2 BC",
      "0 @I17@ INDI",
      "1 NAME Ottoline /Unk/",
      "1 BIRT",
      "2 DATE 2090",
      "0 @I18@ INDI",
      "1 NAME Perpetua /Unk/",
      "1 BIRT",
      "2 DATE @#DHEBREW@ 5500",
      "0 @I19@ INDI",
      "1 NAME Quentin /Unk/",
      "1 BURI",
      "0 @I20@ INDI",
      "1 NAME Rosamund /Unk/",
      "1 CREM Y",
      // A family without spouses, an old marriage that marks no one.
      "0 @F4@ FAM",
      "1 CHIL @I22@",
      "1 MARR",
      "2 DATE 1800",
      "0 @I22@ INDI",
      "1 NAME Tabitha /Orphan/",
      "1 BIRT",
      "2 DATE 2001",
      "2 PLAC Orphanton",
      "1 FAMC @F4@",
      // In no family: an individual page of their own.
      "0 @I23@ INDI",
      "1 NAME Ulric /Alone/",
      "1 BIRT",
      "2 DATE 1991",
      "2 PLAC Aloneville",
      "0 @S1@ SOUR",
      "1 TITL Ravenholt register",
      "0 @S2@ SOUR",
      "1 TITL Quillon letters",
  });
  if (numbered_twice) {
    // Dead in one record, living in the other.
    tree += Lines({
        "0 @I21@ INDI",
        "1 NAME Silvanus /Twice/",
        "1 DEAT Y",
        "0 @I21@ INDI",
        "1 NAME Silvanus Secundus /Twice/",
        "1 BIRT",
        "2 DATE 1999",
    });
  }
  return tree + "0 TRLR\n";
}

// What the site must never hold: the given names, dates, places, note
// texts, photo file and title of the living, and what is only theirs (the
// marriage of a living spouse, a source cited only for them).
const std::vector<std::string_view> kLivingTexts = {
    "Zelda",     "Quintessa",  "1950",     "Ravenholt",    "xylophone", "zelda_portrait", "seaside",
    "Quillon",   "Jr.",        "1975",     "Marrowbridge", "ferntree",  "Delphine",       "1990",
    "Youngtown", "Ignatius",   "JUL 1920", "Pikeville",    "Jasper",    "UNKNOWN",        "Kezia",
    "abt",       "Mirabel",    "Ottoline", "2090",         "Perpetua",  "HEBREW",         "5500",
    "Silvanus",  "Secundus",   "1999",     "Tabitha",      "2001",      "Orphanton",      "Ulric",
    "1991",      "Aloneville",
};

// Numbers of the dead.
const std::vector<int> kDead = {1, 4, 5, 7, 8, 9, 11, 14, 16, 19, 20, 24};

class LivingSiteTest : public SiteTest {
 protected:
  LivingSiteTest() { run_.test_options.fixed_page_date = kRunDate; }

  int RunPrivate(const std::string& gedcom, char subdirs) {
    Settings settings = EveryOptionOn(subdirs);
    settings.privacy = 'Y';
    return RunSite(gedcom, settings);
  }
};

TEST_F(LivingSiteTest, NothingOfTheLivingButTheSurnameReachesTheSite) {
  // Without a number stored twice, the names index and gendex.txt are
  // made ahead by the names sort's thread; the run waits for it.
  const struct {
    char subdirs;
    bool numbered_twice;
  } variants[] = {{'N', true}, {'Y', true}, {'N', false}};
  for (const auto& variant : variants) {
    const char subdirs = variant.subdirs;
    SCOPED_TRACE(std::string(1, subdirs) + (variant.numbered_twice ? " twice" : " once"));
    std::filesystem::remove_all("html");
    run_.test_options.always_wait_for_names_sort = !variant.numbered_twice;
    ASSERT_EQ(RunPrivate(RulesTree(variant.numbered_twice), subdirs), kResultOk) << Log();
    const auto files = TreeFiles("html");
    ASSERT_FALSE(files.empty());
    for (const auto& [name, bytes] : files) {
      for (const std::string_view text : kLivingTexts) {
        EXPECT_EQ(bytes.find(text), std::string::npos) << text << " in " << name;
        EXPECT_EQ(name.find(text), std::string::npos) << text << " names " << name;
      }
    }
    const std::string log = Log();
    for (const std::string_view text : kLivingTexts) {
      EXPECT_EQ(log.find(text), std::string::npos) << text << " in the log";
    }
    EXPECT_NE(log.find("privacy=Y\n"), std::string::npos);
    const long living = variant.numbered_twice ? 12 : 11;
    EXPECT_NE(log.find(">HideLivingIndividuals\nPresumed living=" + std::to_string(living) +
                       "\n<HideLivingIndividuals\n"),
              std::string::npos);
    EXPECT_EQ(run_.living.count(), living);

    // Charts for the dead only, notes and photo pages for no one living.
    const std::string ped = subdirs == 'Y' ? "ped/" : "";
    for (int number = 1; number <= 24; ++number) {
      const bool dead = std::find(kDead.begin(), kDead.end(), number) != kDead.end();
      char file[32];
      std::snprintf(file, sizeof file, "ped%05d.htm", number);
      EXPECT_EQ(files.count(ped + file), dead ? 1U : 0U) << file;
    }
    const std::string notes = subdirs == 'Y' ? "nti/" : "";
    const std::string family_notes = subdirs == 'Y' ? "ntf/" : "";
    EXPECT_EQ(files.count(notes + "nti00001.htm"), 1U);  // Arthur's
    EXPECT_EQ(files.count(notes + "nti00002.htm"), 0U);
    EXPECT_EQ(files.count(family_notes + "ntf00001.htm"), 0U);
    EXPECT_EQ(files.count(family_notes + "ntf00002.htm"), 1U);  // the Marshes'
    for (const auto& [name, bytes] : files) EXPECT_EQ(name.find("pho"), std::string::npos) << name;

    // gendex.txt: the dead only.
    const std::string& gendex = files.at("gendex.txt");
    EXPECT_EQ(std::count(gendex.begin(), gendex.end(), '\n'), 1 + static_cast<long>(kDead.size()));
    EXPECT_EQ(gendex.find("Living"), std::string::npos);

    // The dead in full.
    const std::string marsh =
        files.at((subdirs == 'Y' ? "fam/" : "") + std::string("fam00002.htm"));
    EXPECT_NE(marsh.find("Married: FROM 1890 TO 1930at: Marshfield"), std::string::npos);
    EXPECT_NE(files.at(notes + "nti00001.htm").find("Arthur liked tea"), std::string::npos);
    EXPECT_NE(files.at(family_notes + "ntf00002.htm").find("Marsh family note"), std::string::npos);
    const std::string pike = files.at((subdirs == 'Y' ? "fam/" : "") + std::string("fam00003.htm"));
    EXPECT_NE(pike.find("<B>Gideon PIKE</B>"), std::string::npos);
    EXPECT_NE(pike.find("at: Pike Chapel"), std::string::npos);
    EXPECT_NE(pike.find("Name: Living PIKE"), std::string::npos);
    // A chart of the dead shows a living mother by her hidden name.
    const std::string chart = files.at(ped + "ped00024.htm");
    EXPECT_NE(chart.find("Living DENT</A> </b>"), std::string::npos) << chart;
    EXPECT_NE(chart.find("Vivienne DENT</A>  (-2010)</b>"), std::string::npos) << chart;
    // The totals count everyone.
    const std::string totals = "Tree currently contains " +
                               std::to_string(variant.numbered_twice ? 25 : 23) +
                               " individuals, in 4 ";
    EXPECT_NE(files.at("surnames.htm").find(totals), std::string::npos);
  }
}

TEST_F(LivingSiteTest, FamilyPageAndGendexWithHiddenPeople) {
  ASSERT_EQ(RunPrivate(RulesTree(), 'N'), kResultOk) << Log();
  // The husband is dead and shown in full; the wife and son are living,
  // so the couple's marriage, notes and sources go too; the dead daughter
  // keeps her death.
  EXPECT_EQ(ReadText("html/fam00001.htm"),
            "<HTML>\n"
            "<HEAD>\n"
            "<TITLE>Arthur DENT/Living DENT</TITLE>\n"
            "</HEAD>\n"
            "<BODY BACKGROUND=\"sand1.jpg\" TEXT=\"#000000\" LINK=\"#0000FF\" "
            "VLINK=\"#200080\">\n"
            "<PRE>\n"
            "<HR NOSHADE SIZE=3>Husband: <B>Arthur DENT</B> (D530)\n"
            "<HR NOSHADE SIZE=3>   Born: 1980             at: Cottington  \n"
            "Married:                  at:   \n"
            "   Died:                  at:   \n"
            " Father:\n"
            " Mother:\n"
            "        Other Spouses: \n"
            "<A HREF=\"ped00001.htm\">PEDIGREE</a>  <A HREF=\"nti00001.htm\">NOTES</a>  "
            "<HR NOSHADE SIZE=3>   Wife: <B>Living DENT</B> (D530)\n"
            "<HR NOSHADE SIZE=3>   Born:                  at:   \n"
            "   Died:                  at:   \n"
            " Father:\n"
            " Mother:\n"
            "        Other Spouses: \n"
            "<HR NOSHADE SIZE=3><B>CHILDREN</B>\n"
            "<HR NOSHADE SIZE=1>   Name: Living DENT\n"
            "   Born:                  at:   \n"
            "Married:                  at:   \n"
            "   Died:                  at:   \n"
            "Spouses: \n"
            "<HR NOSHADE SIZE=1>   Name: Vivienne DENT\n"
            "   Born:                  at:   \n"
            "Married:                  at:   \n"
            "   Died: 2010             at: Dentham  \n"
            "Spouses: \n"
            "<A HREF=\"ped00024.htm\">PEDIGREE</a>  <HR NOSHADE SIZE=1></PRE>\n"
            "<CENTER><FONT SIZE=+2>|&nbsp;<A HREF=\"https://example.org/\">HOME</A>&nbsp;|&nbsp;"
            "<A HREF=\"mailto:me@example.org\">EMAIL</A>&nbsp;|&nbsp;"
            "<A HREF=\"surnames.htm\">SURNAMES</A>&nbsp;|</FONT></CENTER><BR>\n"
            "Page built by <A HREF=\"https://kinloom.example.org/\">Kinloom Version 2.21</A> on "
            "09 December 2026<BR><BR>\n"
            "</BODY>\n"
            "</HTML>\n");
  // One line per dead individual, in name order.
  EXPECT_EQ(ReadText("html/gendex.txt"),
            ";; Kinloom Version 2.21\n"
            "fam00001.htm|DENT|Arthur /Dent/|1980|Cottington|||\n"
            "fam00001.htm|DENT|Vivienne /Dent/|||2010|Dentham|\n"
            "fam00002.htm|MARSH|Ebenezer /Marsh/|||||\n"
            "fam00002.htm|MARSH|Fenella /Marsh/|||||\n"
            "ind00004.htm|OLDCASTLE|Bartholomew /Oldcastle/|ABT 1850/51|Oldport|||\n"
            "ind00005.htm|OLDCASTLE|Cuthbert /Oldcastle/|||||\n"
            "fam00003.htm|PIKE|Gideon /Pike/|||||\n"
            "fam00003.htm|PIKE|Hortensia /Pike/|||||\n"
            "ind00014.htm|UNK|Lucan /Unk/|@#DJULIAN@ 1700||||\n"
            "ind00016.htm|UNK|Nestor /Unk/|2 BC||||\n"
            "ind00019.htm|UNK|Quentin /Unk/|||||\n"
            "ind00020.htm|UNK|Rosamund /Unk/|||||\n");
}

// With nobody living, the setting changes nothing on the site.
TEST_F(LivingSiteTest, TreeOfTheDeadGivesTheSameSiteAsWithoutPrivacy) {
  std::string tree = EveryPageTree();
  for (std::size_t at = tree.find("1 NAME"); at != std::string::npos;
       at = tree.find("1 NAME", at + 1)) {
    at = tree.find('\n', at) + 1;
    tree.insert(at, "1 BURI\n");
  }
  ASSERT_EQ(RunSite(tree, EveryOptionOn('Y')), kResultOk) << Log();
  const auto without = TreeFiles("html");
  std::filesystem::remove_all("html");
  ASSERT_EQ(RunPrivate(tree, 'Y'), kResultOk) << Log();
  EXPECT_EQ(run_.living.count(), 0);
  EXPECT_EQ(TreeFiles("html"), without);
}

// The family shapes whose evidence once went astray, and the boundary
// years of the family rules (a marriage or a child's birth in 1931 is 95
// years back from 2026, 1932 is not).
std::string FamilyShapesTree() {
  std::string tree = Lines({
      "0 HEAD",
      // Marriage dates longer than the stored field: read whole, living.
      "0 @I1@ INDI",
      "1 NAME Amadeus /Long/",
      "1 BIRT",
      "2 DATE 1960",
      "1 FAMS @F1@",
      "0 @I2@ INDI",
      "1 NAME Annunziata /Long/",
      "1 BIRT",
      "2 DATE 1960",
      "1 FAMS @F1@",
      "0 @F1@ FAM",
      "1 HUSB @I1@",
      "1 WIFE @I2@",
      "1 MARR",
      "2 DATE @#DGREGORIAN@ 15 MAY 1990",
      "2 PLAC Longford",
      "0 @I3@ INDI",
      "1 NAME Bellamy /Range/",
      "1 BIRT",
      "2 DATE 1960",
      "1 FAMS @F2@",
      "0 @I4@ INDI",
      "1 NAME Berenice /Range/",
      "1 BIRT",
      "2 DATE 1960",
      "1 FAMS @F2@",
      "0 @F2@ FAM",
      "1 HUSB @I3@",
      "1 WIFE @I4@",
      "1 MARR",
      "2 DATE BET 10 OCT 1929 AND 12 DEC 1935",
      "2 PLAC Rangeley",
      // Two husbands, the first living: both kept, the marriage hidden.
      "0 @I5@ INDI",
      "1 NAME Hubertus /Pair/",
      "1 BIRT",
      "2 DATE 1970",
      "1 FAMS @F3@",
      "0 @I6@ INDI",
      "1 NAME Horatio /Pair/",
      "1 DEAT Y",
      "1 FAMS @F3@",
      "0 @F3@ FAM",
      "1 HUSB @I5@",
      "1 HUSB @I6@",
      "1 MARR",
      "2 DATE 1996",
      "2 PLAC Pairville",
      "1 NOTE Pairnote of the couple",
      // Married in 1920 and again in 1989: the first marriage makes them dead.
      "0 @I8@ INDI",
      "1 NAME Cyril /Twice/",
      "1 FAMS @F4@",
      "0 @I9@ INDI",
      "1 NAME Cora /Twice/",
      "1 FAMS @F4@",
      "0 @F4@ FAM",
      "1 HUSB @I8@",
      "1 WIFE @I9@",
      "1 MARR",
      "2 DATE 1920",
      "2 PLAC Firstwed",
      "1 MARR",
      "2 DATE 1989",
      "2 PLAC Secondwed",
      // The parents of 26 children, of whom only the last was born long ago.
      "0 @I10@ INDI",
      "1 NAME Piers /Many/",
      "1 FAMS @F5@",
      "0 @I11@ INDI",
      "1 NAME Prudence /Many/",
      "1 FAMS @F5@",
      // Boundaries: marriages in 1931 and 1932, written long.
      "0 @I12@ INDI",
      "1 NAME Dora /Edge/",
      "1 FAMS @F6@",
      "0 @I13@ INDI",
      "1 NAME Dirk /Edge/",
      "1 FAMS @F6@",
      "0 @F6@ FAM",
      "1 HUSB @I13@",
      "1 WIFE @I12@",
      "1 MARR",
      "2 DATE @#DGREGORIAN@ 01 JAN 1931",
      "0 @I14@ INDI",
      "1 NAME Lena /Edge/",
      "1 FAMS @F7@",
      "0 @I15@ INDI",
      "1 NAME Lars /Edge/",
      "1 FAMS @F7@",
      "0 @F7@ FAM",
      "1 HUSB @I15@",
      "1 WIFE @I14@",
      "1 MARR",
      "2 DATE @#DGREGORIAN@ 01 JAN 1932",
      // Boundaries: a child born in 1931, and one born in 1932.
      "0 @I16@ INDI",
      "1 NAME Mona /Kin/",
      "1 FAMS @F8@",
      "0 @I17@ INDI",
      "1 NAME Milo /Kin/",
      "1 FAMS @F8@",
      "0 @I18@ INDI",
      "1 NAME Mabel /Kin/",
      "1 BIRT",
      "2 DATE 1931",
      "1 FAMC @F8@",
      "0 @F8@ FAM",
      "1 HUSB @I17@",
      "1 WIFE @I16@",
      "1 CHIL @I18@",
      "0 @I19@ INDI",
      "1 NAME Nina /Kin/",
      "1 FAMS @F9@",
      "0 @I20@ INDI",
      "1 NAME Ned /Kin/",
      "1 FAMS @F9@",
      "0 @I21@ INDI",
      "1 NAME Nell /Kin/",
      "1 BIRT",
      "2 DATE 1932",
      "1 FAMC @F9@",
      "0 @F9@ FAM",
      "1 HUSB @I20@",
      "1 WIFE @I19@",
      "1 CHIL @I21@",
      // Two wives, the second living.
      "0 @I22@ INDI",
      "1 NAME Greta /Same/",
      "1 DEAT Y",
      "1 FAMS @F10@",
      "0 @I23@ INDI",
      "1 NAME Gwen /Same/",
      "1 BIRT",
      "2 DATE 1990",
      "1 FAMS @F10@",
      "0 @F10@ FAM",
      "1 WIFE @I22@",
      "1 WIFE @I23@",
      "1 MARR",
      "2 DATE 2015",
      "2 PLAC Samehill",
      // Two dead partners and a living third, who is not stored.
      "0 @I24@ INDI",
      "1 NAME Hector /Third/",
      "1 DEAT Y",
      "1 FAMS @F11@",
      "0 @I25@ INDI",
      "1 NAME Hedda /Third/",
      "1 DEAT Y",
      "1 FAMS @F11@",
      "0 @I26@ INDI",
      "1 NAME Wilhelmina /Third/",
      "1 BIRT",
      "2 DATE 1980",
      "1 FAMS @F11@",
      "0 @F11@ FAM",
      "1 HUSB @I24@",
      "1 WIFE @I25@",
      "1 WIFE @I26@",
      "1 MARR",
      "2 DATE 2000",
      "2 PLAC Gayton",
      "1 NOTE Threenote of the family",
  });
  std::string family = "0 @F5@ FAM\n1 HUSB @I10@\n1 WIFE @I11@\n";
  for (int child = 100; child <= 125; ++child) {
    const std::string n = std::to_string(child);
    tree += "0 @I" + n + "@ INDI\n1 NAME Kid" + n + " /Many/\n1 FAMC @F5@\n";
    if (child == 125) tree += "1 BIRT\n2 DATE 1900\n";
    family += "1 CHIL @I" + n + "@\n";
  }
  return tree + family + "0 TRLR\n";
}

TEST_F(LivingSiteTest, EveryMarriageChildAndPartnerCountsWhole) {
  ASSERT_EQ(RunPrivate(FamilyShapesTree(), 'N'), kResultOk) << Log();
  const auto files = TreeFiles("html");
  const std::vector<std::string_view> living = {
      "Amadeus", "Annunziata", "Longford", "15 MAY",    "Bellamy",  "Berenice", "Rangeley",
      "1935",    "Hubertus",   "1996",     "Pairville", "Pairnote", "Lena",     "Lars",
      "1932",    "Mabel",      "Nina",     "Ned",       "Nell",     "Gwen",     "Samehill",
      "2015",    "Wilhelmina", "Gayton",   "Threenote", "Kid100",   "Kid124",
  };
  for (const auto& [name, bytes] : files) {
    for (const std::string_view text : living) {
      EXPECT_EQ(bytes.find(text), std::string::npos) << text << " in " << name;
    }
  }
  // Living: 1-5, 14, 15, 18-21, 23, 26 and children 100-124.
  EXPECT_EQ(run_.living.count(), 13 + 25);
  std::string shown;
  for (const auto& [name, bytes] : files) shown += bytes;
  for (const std::string_view text :
       {"Horatio PAIR", "Cyril TWICE", "Cora TWICE", "Secondwed", "Piers MANY", "Prudence MANY",
        "Dora EDGE", "Dirk EDGE", "Mona KIN", "Milo KIN", "Greta SAME", "Hector THIRD",
        "Hedda THIRD"}) {
    EXPECT_NE(shown.find(text), std::string::npos) << text;
  }
  // Both partners on the page, under the captions of their slots.
  const std::string pair = files.at("fam00003.htm");
  EXPECT_NE(pair.find("Husband: <B>Living PAIR</B>"), std::string::npos) << pair;
  EXPECT_NE(pair.find("Wife: <B>Horatio PAIR</B>"), std::string::npos) << pair;
  const std::string same = files.at("fam00010.htm");
  EXPECT_NE(same.find("Husband: <B>Living SAME</B>"), std::string::npos) << same;
  EXPECT_NE(same.find("Wife: <B>Greta SAME</B>"), std::string::npos) << same;
  EXPECT_NE(Log().find("Family @F11@ has more than two partners; Living THIRD is not shown.\n"),
            std::string::npos);
}

// Without privacy a family shows its two partners, and a third is named
// in the log only.
TEST_F(LivingSiteTest, PartnersBeyondTwoAreNamedInTheLog) {
  ASSERT_EQ(RunSite(FamilyShapesTree(), EveryOptionOn('N')), kResultOk) << Log();
  const std::string pair = ReadText("html/fam00003.htm");
  EXPECT_NE(pair.find("Husband: <B>Hubertus PAIR</B>"), std::string::npos) << pair;
  EXPECT_NE(pair.find("Wife: <B>Horatio PAIR</B>"), std::string::npos) << pair;
  EXPECT_EQ(ReadText("html/fam00011.htm").find("Wilhelmina"), std::string::npos);
  EXPECT_NE(Log().find(">BuildFamilyGroupRecords\n"
                       "Family @F11@ has more than two partners; Wilhelmina THIRD is not shown.\n"),
            std::string::npos);
}

// 100 000 generations, each the only child of the next: settled in one
// pass each, without recursion. Only the youngest generations have dates:
// generation k (from 0) is born in 2020 - 25 k for k below 40.
TEST(PresumedLivingTest, DeepTreeIsSettledWithoutRecursion) {
  ScratchDir dir;
  constexpr int kGenerations = 100000;
  std::string tree = "0 HEAD\n";
  for (int k = 0; k < kGenerations; ++k) {
    const int number = k + 1;
    tree += "0 @I" + std::to_string(number) + "@ INDI\n1 NAME G" + std::to_string(k) + " /Deep/\n";
    if (k < 40) tree += "1 BIRT\n2 DATE " + std::to_string(2020 - 25 * k) + "\n";
    if (k > 0) tree += "1 FAMS @F" + std::to_string(k) + "@\n";
    if (k + 1 < kGenerations) {
      tree += "1 FAMC @F" + std::to_string(number) + "@\n";
      tree += "0 @F" + std::to_string(number) + "@ FAM\n1 HUSB @I" + std::to_string(number + 1) +
              "@\n1 CHIL @I" + std::to_string(number) + "@\n";
    }
  }
  tree += "0 TRLR\n";
  WriteFile("deep.ged", tree);
  kinloom::Run run;
  run.settings.gedfile = "deep.ged";
  run.settings.privacy = 'Y';
  run.test_options.fixed_page_date = kRunDate;
  run.labels.Set(Label::kLiving, "Vivant");
  ASSERT_EQ(OpenKinloomFiles(run), kResultOk);
  ASSERT_EQ(ReadGedcom(run), kResultOk);
  ASSERT_EQ(IsValidGedcom(run), kResultOk);
  ASSERT_EQ(HideLivingIndividuals(run), kResultOk);
  // Generations 5 to 39 by their birth (1895 and before), 40 as the
  // father of one born in 1045; 0 to 4 (born 1920 to 2020) and everyone
  // older than 40, of whom nothing is known, are living.
  EXPECT_EQ(run.living.count(), kGenerations - 36);
  for (int k : {0, 4, 41, kGenerations - 1}) EXPECT_TRUE(run.living.IsLiving(k + 1)) << k;
  for (int k : {5, 39, 40}) EXPECT_FALSE(run.living.IsLiving(k + 1)) << k;
  EXPECT_EQ(run.store.IndividualName(1), "Vivant /Deep/");
  EXPECT_EQ(run.store.IndividualBirthDate(1), "");
  EXPECT_EQ(run.store.IndividualName(6), "G5 /Deep/");
  EXPECT_EQ(run.store.IndividualBirthDate(6), "1895");
  CloseKinloomFiles(run);
}

}  // namespace
}  // namespace kinloom::testing
