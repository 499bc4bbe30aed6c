// Whole runs over a UTF-8 tree: Latin-1 letters arrive as their bytes,
// everything else as character references, and Latin letters among those
// sort, code and link like the plain letters they are built on.
#include <gtest/gtest.h>

#include <string>

#include "run/driver.h"
#include "run/run.h"
#include "support/scratch_dir.h"

namespace kinloom {
namespace {

using testing::ReadText;
using testing::ScratchDir;
using testing::WriteFile;

std::string Lines(std::initializer_list<const char*> lines) {
  std::string out;
  for (const char* line : lines) out += std::string(line) + "\r\n";
  return out;
}

int RunTree(kinloom::Run& run, const std::string& gedcom) {
  WriteFile("tree.ged", gedcom);
  run.settings.gedfile = "tree.ged";
  run.settings.email = "me@example.org";
  run.settings.home = "https://example.org/";
  run.settings.notes = 'N';
  run.test_options.fixed_page_date = "08 December 2026";
  return CreateKinloom(run);
}

const std::string kUtf8Tree = Lines({
    "0 HEAD",
    "1 GEDC",
    "2 VERS 5.5.1",
    "1 CHAR UTF-8",
    "0 @I1@ INDI",
    "1 NAME Hans /M\xC3\xBCller/",  // ü
    "1 FAMS @F1@",
    "0 @I2@ INDI",
    "1 NAME Jos\xC3\xA9 /\xC3\x91\xC3\xBA\xC3\xB1"
    "ez/",  // José Ñúñez
    "1 FAMS @F1@",
    "0 @I3@ INDI",
    "1 NAME Jan /\xC5\x81ukasiewicz/",  // Ł
    "1 FAMS @F2@",
    "0 @I4@ INDI",
    "1 NAME Anton\xC3\xADn /Dvo\xC5\x99\xC3\xA1k/",  // Antonín Dvořák
    "1 FAMS @F2@",
    "0 @I5@ INDI",
    "1 NAME \xCE\x9D\xCE\xAF\xCE\xBA\xCE\xBF\xCF\x82 /\xCE\xA0\xCE\xB1\xCF\x80\xCE\xAC/",  // Νίκος
                                                                                           // Παπά
    "1 FAMS @F3@",
    "0 @I6@ INDI",
    "1 NAME \xE6\x98\x8E /\xE6\x9D\x8E/",  // 明 李
    "1 FAMS @F3@",
    "0 @F1@ FAM",
    "1 HUSB @I1@",
    "1 WIFE @I2@",
    "0 @F2@ FAM",
    "1 HUSB @I3@",
    "1 WIFE @I4@",
    "0 @F3@ FAM",
    "1 HUSB @I5@",
    "1 WIFE @I6@",
    "0 TRLR",
});

TEST(UnicodeSiteTest, NamesIndexSortsLatinReferencesByTheirBaseLetter) {
  ScratchDir dir;
  kinloom::Run run;
  ASSERT_EQ(RunTree(run, kUtf8Tree), kResultOk);
  const std::string names = ReadText("html/names1.htm");
  const std::string body = names.substr(names.find("<HR NOSHADE SIZE=2>\n") + 20);
  // Keys: "&#26446;, ..." < "&#928;..." (digit order) < Dvorak < Lukasiewicz
  // < Muller < Nunez.
  EXPECT_EQ(
      body.substr(0, body.find("<HR NOSHADE SIZE=2>")),
      "<A NAME=\"&#26446;\"></a>\n"
      "<A HREF=\"fam00003.htm\">&#26446;, &#26126;</A><BR>\n"
      "<A NAME=\"&#928;&#945;&#960;&#940;\"></a>\n"
      "<A HREF=\"fam00003.htm\">&#928;&#945;&#960;&#940;, &#925;&#943;&#954;&#959;&#962;</A><BR>\n"
      "<A NAME=\"Dvo&#345;&#225;k\"></a>\n"
      "<A HREF=\"fam00002.htm\">Dvo&#345;&#225;k, Anton&#237;n</A><BR>\n"
      "<A NAME=\"&#321;ukasiewicz\"></a>\n"
      "<A HREF=\"fam00002.htm\">&#321;ukasiewicz, Jan</A><BR>\n"
      "<A NAME=\"M&#252;ller\"></a>\n"
      "<A HREF=\"fam00001.htm\">M&#252;ller, Hans</A><BR>\n"
      "<A NAME=\"&#209;&#250;&#241;"
      "ez\"></a>\n"
      "<A HREF=\"fam00001.htm\">&#209;&#250;&#241;"
      "ez, Jos&#233;</A><BR>\n");

  // The surnames page links to exactly those anchors, grouped by first byte.
  const std::string surnames = ReadText("html/surnames.htm");
  EXPECT_NE(
      surnames.find("<br>\n"
                    "<A HREF=\"names1.htm#&#26446;\">&#26446;</a>&nbsp;&nbsp;\n"
                    "<A HREF=\"names1.htm#&#928;&#945;&#960;&#940;\">&#928;&#945;&#960;&#940;</a>"
                    "&nbsp;&nbsp;\n"
                    "<br>\n"
                    "<A HREF=\"names1.htm#Dvo&#345;&#225;k\">Dvo&#345;&#225;k</a>&nbsp;&nbsp;\n"
                    "<br>\n"
                    "<A HREF=\"names1.htm#&#321;ukasiewicz\">&#321;ukasiewicz</a>"
                    "&nbsp;&nbsp;\n"),
      std::string::npos)
      << surnames;
}

TEST(UnicodeSiteTest, SoundexAndCapitalsReadLatinReferencesAsLetters) {
  ScratchDir dir;
  kinloom::Run run;
  run.settings.ucsurname = 'Y';
  ASSERT_EQ(RunTree(run, kUtf8Tree), kResultOk);
  const std::string f1 = ReadText("html/fam00001.htm");
  EXPECT_NE(f1.find("Husband: <B>Hans M&#220;LLER</B> (M460)\n"), std::string::npos) << f1;
  EXPECT_NE(f1.find("   Wife: <B>Jos&#233; &#209;&#218;&#209;"
                    "EZ</B> (&#209;"
                    "200)\n"),
            std::string::npos)
      << f1;
  const std::string f2 = ReadText("html/fam00002.htm");
  EXPECT_NE(f2.find("Husband: <B>Jan &#321;UKASIEWICZ</B> (L222)\n"), std::string::npos) << f2;
  EXPECT_NE(f2.find("   Wife: <B>Anton&#237;n DVO&#344;&#193;K</B> (D162)\n"), std::string::npos)
      << f2;
  EXPECT_NE(ReadText("html/gendex.txt")
                .find("fam00002.htm|&#321;UKASIEWICZ|Jan /&#321;ukasiewicz/|||||\n"),
            std::string::npos);
  // The pages are plain ASCII; gendex.txt stays ISO 8859-1.
  EXPECT_NE(ReadText("html/gendex.txt").find("fam00001.htm|M\xDCLLER|Hans /M\xFCller/|||||\n"),
            std::string::npos);
}

TEST(UnicodeSiteTest, AnselTreeGivesTheSamePagesForTheNamesItCanHold) {
  const std::string utf8 =
      Lines({"0 HEAD", "1 CHAR UTF-8", "0 @I1@ INDI", "1 NAME Hans /M\xC3\xBCller/", "0 @I2@ INDI",
             "1 NAME Jos\xC3\xA9 /\xC3\x91\xC3\xBA\xC3\xB1"
             "ez/",
             "0 @F1@ FAM", "1 HUSB @I1@", "1 WIFE @I2@", "0 TRLR"});
  const std::string ansel =
      Lines({"0 HEAD", "1 CHAR ANSEL", "0 @I1@ INDI", "1 NAME Hans /M\xE8uller/", "0 @I2@ INDI",
             "1 NAME Jos\xE2"
             "e /\xE4N\xE2u\xE4nez/",
             "0 @F1@ FAM", "1 HUSB @I1@", "1 WIFE @I2@", "0 TRLR"});
  std::string pages[2][4];
  for (int i = 0; i < 2; ++i) {
    ScratchDir dir;
    kinloom::Run run;
    run.settings.ucsurname = 'Y';
    ASSERT_EQ(RunTree(run, i == 0 ? utf8 : ansel), kResultOk);
    pages[i][0] = ReadText("html/fam00001.htm");
    pages[i][1] = ReadText("html/names1.htm");
    pages[i][2] = ReadText("html/surnames.htm");
    pages[i][3] = ReadText("html/gendex.txt");
  }
  for (int k = 0; k < 4; ++k) EXPECT_EQ(pages[0][k], pages[1][k]) << "file " << k;
  EXPECT_NE(pages[0][0].find("M&#220;LLER"), std::string::npos);
}

}  // namespace
}  // namespace kinloom
