#include "pages/frame.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "pages/page_fixture.h"
#include "platform/platform.h"
#include "support/windows_skip.h"

namespace kinloom {
namespace {

using testing::PageTest;
using testing::ReadText;
using testing::WriteFile;

Settings WithFlags(char subdirs, char ucsurname, const std::string& extension = "htm") {
  Settings s;
  s.subdirs = subdirs;
  s.ucsurname = ucsurname;
  s.extension = extension;
  return s;
}

TEST(PageFileNameTest, PadsNumbersToFiveDigitsAndWritesLongerOnesWhole) {
  struct Case {
    const char* prefix;
    std::int32_t number;
    const char* extension;
    const char* expected;
  } cases[] = {
      {"fam", 12, "htm", "fam00012.htm"},
      {"pho", 3, "html", "pho00003.html"},
      {"fam", 0, "htm", "fam00000.htm"},
      {"fam", 99999, "htm", "fam99999.htm"},
      {"fam", 100000, "htm", "fam100000.htm"},
      {"ind", 123456, "htm", "ind123456.htm"},
      {"ntf", 2147483647, "htm", "ntf2147483647.htm"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PageFileName(WithFlags('N', 'N', c.extension), c.prefix, c.number), c.expected)
        << c.prefix << " " << c.number << " " << c.extension;
  }
}

// Paths take the system's directory separator (written | below: "/" on
// Linux, "\" on Windows); links always take "/".
TEST(PagePathTest, SubdirectoriesOnlyForNumberedKindsWhenSubdirsIsY) {
  struct Case {
    char subdirs;
    const char* directory;
    const char* file;
    const char* path;
    const char* link;
  } cases[] = {
      {'Y', "fam", "fam00012.htm", "html|fam|fam00012.htm", "fam/fam00012.htm"},
      {'N', "fam", "fam00012.htm", "html|fam00012.htm", "fam00012.htm"},
      {'Y', "", "surnames.htm", "html|surnames.htm", "/surnames.htm"},
      {'y', "ind", "ind00007.htm", "html|ind00007.htm", "ind00007.htm"},
      {'Y', "../ind", "ind00007.htm", "html|../ind|ind00007.htm", "../ind/ind00007.htm"},
  };
  for (const Case& c : cases) {
    Settings s = WithFlags(c.subdirs, 'N');
    std::string path = c.path;
    std::replace(path.begin(), path.end(), '|', platform::DirectorySeparator());
    EXPECT_EQ(PagePath(s, c.directory, c.file), path) << c.subdirs << " " << c.directory;
    EXPECT_EQ(PageLink(s, c.directory, c.file), c.link) << c.subdirs << " " << c.directory;
  }
}

TEST(UppercaseSurnameTest, RaisesLatin1SmallLettersAndLatinReferencesOnlyWhenOn) {
  struct Case {
    char ucsurname;
    std::string text;
    std::string expected;
  } cases[] = {
      {'N', "m\xFCller", "m\xFCller"},
      {'N', "", ""},
      {'y', "smith", "smith"},
      {'Y', "", " "},
      {'Y', "m\xFCller", "M\xDCLLER"},
      {'Y', "\xE0\xFE\xF7\xFF", "\xC0\xDE\xD7\xFF"},  // 0xF7 too, 0xFF stays small
      {'Y', "o'neil-van 2", "O'NEIL-VAN 2"},
      {'Y', "&#322;ukasiewicz", "&#321;UKASIEWICZ"},  // l with stroke
      {'Y', "dvo&#345;\xE1k", "DVO&#344;\xC1K"},      // r with caron
      {'Y', "&#321;ada", "&#321;ADA"},                // already capital
      {'Y', "&#945;lpha", "&#945;LPHA"},              // Greek: no Latin letter
      {'Y', "a&b &#;x", "A&B &#;X"},                  // not references at all
  };
  for (const Case& c : cases) {
    EXPECT_EQ(UppercaseSurname(WithFlags('N', c.ucsurname), c.text), c.expected)
        << c.ucsurname << " [" << c.text << "]";
  }
}

TEST(FormatNameTest, GivenNamesSurnameAndSuffix) {
  struct Case {
    std::string name;
    std::string off;  // UCSURNAME "N"
    std::string on;   // UCSURNAME "Y"
  } cases[] = {
      {"John /Smith/", "John Smith", "John SMITH"},
      {"John /Smith/ Jr.", "John Smith, Jr.", "John SMITH, JR."},
      {"/Smith/", " Smith", " SMITH"},
      {"Mary //", "Mary ", "Mary  "},
      {"", " ", " "},
      {"John Paul   /Smith/", "John Paul Smith", "John Paul SMITH"},
      {"John /Smith/ ,, III", "John Smith, III", "John SMITH, III"},
      {"John /Smith/ ", "John Smith, ", "John SMITH, "},
      {"Ann / /", "Ann  ", "Ann  "},
      {"Anna /von M\xFCller/", "Anna von M\xFCller", "Anna VON M\xDCLLER"},
      // Names the reader never stores, read as far as they go.
      {"Plain Name", "Plain Name ", "Plain Name  "},
      {"Anna /Open", "Anna Open", "Anna OPEN"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatName(WithFlags('N', 'N'), c.name), c.off) << "[" << c.name << "]";
    EXPECT_EQ(FormatName(WithFlags('N', 'Y'), c.name), c.on) << "[" << c.name << "]";
  }
}

TEST(FormatNameTest, LongNamesAreNeverCut) {
  const std::string given(150, 'g');
  const std::string surname(150, 's');
  EXPECT_EQ(FormatName(WithFlags('N', 'N'), given + " /" + surname + "/"), given + " " + surname);
}

TEST(ExtractSurnameTest, TextBetweenTheFirstTwoSlashes) {
  struct Case {
    std::string name;
    std::string off;
    std::string on;
  } cases[] = {
      {"John /Smith/", "Smith", "SMITH"},
      {"John /Smith/ Jr.", "Smith", "SMITH"},
      {"", " ", " "},
      {"Mary //", "", " "},
      {"A /b/c/d", "b", "B"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ExtractSurname(WithFlags('N', 'N'), c.name), c.off) << "[" << c.name << "]";
    EXPECT_EQ(ExtractSurname(WithFlags('N', 'Y'), c.name), c.on) << "[" << c.name << "]";
  }
}

TEST(PageFileTest, ReportsWritesThatDoNotReachTheDisk) {
  KINLOOM_SKIP_ON_WINDOWS("no /dev/full to stand for a full disk");
  kinloom::Run run;
  PageFile full(run);
  ASSERT_TRUE(full.Create("/dev/full", {}));
  full.Write(std::string(10000, 'x'));
  EXPECT_FALSE(full.Close());

  PageFile never_created(run);
  never_created.Write("text");
  EXPECT_FALSE(never_created.Close());
}

TEST(PageFileTest, CannotCreateInAMissingDirectoryOrOverADirectory) {
  testing::ScratchDir scratch;
  std::filesystem::create_directory("page.htm");
  kinloom::Run run;
  PageFile page(run);
  EXPECT_FALSE(page.Create("missing/page.htm", {}));
  EXPECT_FALSE(page.Create("page.htm", {}));
  ASSERT_TRUE(page.Create("ok.htm", {}));
  page.Write("a\nb\n");
  EXPECT_TRUE(page.Close());
  EXPECT_EQ(ReadText("ok.htm"), "a\nb\n");
}

class FrameTest : public PageTest {
 protected:
  // Runs write on a fresh page and returns what it wrote.
  template <typename Write>
  std::string Written(Write write) {
    PageFile page(run_);
    EXPECT_TRUE(page.Create("page.htm", {}));
    write(page);
    EXPECT_TRUE(page.Close());
    return ReadText("page.htm");
  }
};

TEST_F(FrameTest, EventLineColumns) {
  struct Case {
    const char* caption;
    const char* date;
    const char* place;
    const char* mark;
    const char* expected;
  } cases[] = {
      {"Born", "12 MAR 1850", "Boston", "", "   Born: 12 MAR 1850      at: Boston  \n"},
      {"Died", "", "", "", "   Died:                  at:   \n"},
      {"Married", "ABT 12 MAR 1850 OR LATER", "X", "M ",
       "Married: ABT 12 MAR 1850 OR LATERat: X M  \n"},
      {"Geboren am", "1", "", "",
       "Geboren am: 1                "
       "at:   \n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(
        Written([&](PageFile& p) { WriteEventLine(p, c.caption, c.date, "at", c.place, c.mark); }),
        c.expected)
        << c.caption << " [" << c.date << "]";
  }
}

TEST_F(FrameTest, SourceNumbersFollowFirstCitationWithoutALimit) {
  EXPECT_EQ(SourceNumber(run_, 40), 1);
  EXPECT_EQ(SourceNumber(run_, 7), 2);
  EXPECT_EQ(SourceNumber(run_, 40), 1);
  for (std::int32_t source = 1000; source < 1200; ++source) SourceNumber(run_, source);
  EXPECT_EQ(SourceNumber(run_, 1150), 153);
  EXPECT_EQ(SourceNumber(run_, 5000), 203);
  EXPECT_EQ(SourceNumber(run_, 7), 2);
}

TEST_F(FrameTest, SourceListNamesEachCitedSourceInFootnoteOrder) {
  AddSource(3, "Parish register of St. Mary's <Boston> & more");
  AddSource(9, "Family Bible");
  SourceNumber(run_, 9);
  SourceNumber(run_, 3);
  EXPECT_EQ(Written([&](PageFile& p) { WriteSourceList(run_, p); }),
            "<A NAME=\"SRC\"></A><B>SOURCES</B>\n"
            "1) Family Bible\n"
            "2) Parish register of St. Mary's &lt;Boston&gt; &amp; more\n"
            "<HR NOSHADE SIZE=1>");
}

TEST_F(FrameTest, NoSourceListWithoutCitationsOrWithSourcesOff) {
  EXPECT_EQ(Written([&](PageFile& p) { WriteSourceList(run_, p); }), "");
  AddSource(1, "Family Bible");
  SourceNumber(run_, 1);
  run_.settings.sources = 'N';
  EXPECT_EQ(Written([&](PageFile& p) { WriteSourceList(run_, p); }), "");
}

TEST_F(FrameTest, BodyStartWithoutUserFiles) {
  EXPECT_EQ(Written([&](PageFile& p) { WritePageStart(run_, p, "A <b>title</b>"); }),
            ExpectedHead("A &lt;b&gt;title&lt;/b&gt;"));
}

TEST_F(FrameTest, BodyStartCopiesMetaAndHeaderWithCrLfTurnedIntoLineFeeds) {
  WriteFile("meta.htm", "<META NAME=\"x\">\r\n<META a\rb>");
  WriteFile("header.htm", "<H1>Smith\r\nfamily</H1>\r\n\r");
  run_.settings.background = 'C';
  run_.settings.bgcolor = "FFFFEF";
  EXPECT_EQ(Written([&](PageFile& p) { WriteBodyStart(run_, p); }),
            "<META NAME=\"x\">\n<META a\rb>\n"
            "</HEAD>\n"
            "<BODY BGCOLOR=\"#FFFFEF\" TEXT=\"#000000\" LINK=\"#0000FF\" VLINK=\"#200080\">\n"
            "<H1>Smith\nfamily</H1>\n\r<BR>\n");
}

// The owner's texts keep their markup; a quote cannot break the tag of an
// address or colour, and letters above 127 become references except in
// the user's own files.
TEST_F(FrameTest, OwnerTextsKeepTheirMarkupAndPagesStayPlainAscii) {
  WriteFile("meta.htm", "<META NAME=\"caf\xE9\">");
  WriteFile("footer.htm", "<I>Fran\xE7ois</I>");
  run_.settings.bgpic = "a\"b.jpg";
  run_.settings.textc = "00\"0";
  run_.settings.home = "http://x.org/?a=1&b=\"2\"";
  run_.settings.email = "me\"@x.org";
  run_.labels.Set(Label::kHome, "<B>Startseite</B>");
  run_.labels.Set(Label::kEmail,
                  "\xC9"
                  "crire");
  EXPECT_EQ(Written([&](PageFile& p) {
              WriteBodyStart(run_, p);
              WritePageFoot(run_, p, 'N', "");
            }),
            "<META NAME=\"caf\xE9\">\n"
            "</HEAD>\n"
            "<BODY BACKGROUND=\"a&quot;b.jpg\" TEXT=\"#00&quot;0\" LINK=\"#0000FF\" "
            "VLINK=\"#200080\">\n"
            "<CENTER><FONT SIZE=+2>|&nbsp;<A HREF=\"http://x.org/?a=1&b=&quot;2&quot;\">"
            "<B>Startseite</B></A>&nbsp;|&nbsp;<A HREF=\"mailto:me&quot;@x.org\">&#201;crire</A>"
            "&nbsp;|</FONT></CENTER><BR>\n"
            "<I>Fran\xE7ois</I><BR>\n"
            "Page built by <A HREF=\"https://kinloom.example.org/\">Kinloom Version 2.21</A> on "
            "07 December 2026<BR><BR>\n");
}

TEST_F(FrameTest, EmptyUserFilesStillAddTheirLineEnds) {
  WriteFile("meta.htm", "");
  WriteFile("header.htm", "");
  WriteFile("footer.htm", "");
  run_.settings.background = ' ';
  run_.settings.bgcolor = "zz";
  run_.settings.textc = "1";
  EXPECT_EQ(Written([&](PageFile& p) {
              WriteBodyStart(run_, p);
              WritePageFoot(run_, p, 'N', "");
            }),
            "\n</HEAD>\n<BODY BGCOLOR=\"#zz\" TEXT=\"#1\" LINK=\"#0000FF\" VLINK=\"#200080\">\n"
            "<BR>\n"
            "<CENTER><FONT SIZE=+2>|&nbsp;<A HREF=\"http://www.example.net/~smith/\">HOME</A>"
            "&nbsp;|&nbsp;<A HREF=\"mailto:smith@example.net\">EMAIL</A>"
            "&nbsp;|</FONT></CENTER><BR>\n<BR>\n"
            "Page built by <A HREF=\"https://kinloom.example.org/\">Kinloom Version 2.21</A>"
            " on 07 December 2026<BR><BR>\n");
}

TEST_F(FrameTest, UserFileThatIsADirectoryIsLeftOut) {
  std::filesystem::create_directory("header.htm");
  run_.settings.bgpic = "../pics/oak.gif";
  EXPECT_EQ(Written([&](PageFile& p) { WriteBodyStart(run_, p); }),
            "</HEAD>\n"
            "<BODY BACKGROUND=\"../pics/oak.gif\" TEXT=\"#000000\" LINK=\"#0000FF\" "
            "VLINK=\"#200080\">\n");
}

TEST_F(FrameTest, PageFootNavigationBar) {
  WriteFile("footer.htm", "<I>Updated\r\nweekly</I>");
  struct Case {
    char subdirs;
    const char* email;
    char surnames;
    const char* up;
    const char* bar;
  } cases[] = {
      {'N', testing::kEmail, 'Y', "../",
       "|&nbsp;<A HREF=\"http://www.example.net/~smith/\">HOME</A>&nbsp;|&nbsp;"
       "<A HREF=\"mailto:smith@example.net\">EMAIL</A>&nbsp;|&nbsp;"
       "<A HREF=\"surnames.htm\">SURNAMES</A>&nbsp;|"},
      {'Y', testing::kEmail, 'Y', "../",
       "|&nbsp;<A HREF=\"http://www.example.net/~smith/\">HOME</A>&nbsp;|&nbsp;"
       "<A HREF=\"mailto:smith@example.net\">EMAIL</A>&nbsp;|&nbsp;"
       "<A HREF=\"../surnames.htm\">SURNAMES</A>&nbsp;|"},
      {'Y', "", 'Y', "",
       "|&nbsp;<A HREF=\"http://www.example.net/~smith/\">HOME</A>&nbsp;|&nbsp;"
       "<A HREF=\"surnames.htm\">SURNAMES</A>&nbsp;|"},
      {'Y', "", 'N', "../", "|&nbsp;<A HREF=\"http://www.example.net/~smith/\">HOME</A>&nbsp;|"},
  };
  for (const Case& c : cases) {
    run_.settings.subdirs = c.subdirs;
    run_.settings.email = c.email;
    EXPECT_EQ(Written([&](PageFile& p) { WritePageFoot(run_, p, c.surnames, c.up); }),
              std::string("<CENTER><FONT SIZE=+2>") + c.bar +
                  "</FONT></CENTER><BR>\n<I>Updated\nweekly</I><BR>\n"
                  "Page built by <A HREF=\"https://kinloom.example.org/\">Kinloom Version "
                  "2.21</A> on 07 December 2026<BR><BR>\n")
        << c.subdirs << " [" << c.email << "] " << c.surnames;
  }
}

TEST_F(FrameTest, EmptyHomeStillGivesTheHomeLink) {
  run_.settings.home = "";
  run_.labels.Set(Label::kHome, "Start");
  const std::string foot = Written([&](PageFile& p) { WritePageFoot(run_, p, 'N', ""); });
  EXPECT_EQ(foot.substr(0, 52), "<CENTER><FONT SIZE=+2>|&nbsp;<A HREF=\"\">Start</A>&nb");
}

TEST_F(FrameTest, FinishPageCountsOnlyPagesThatReachTheDisk) {
  KINLOOM_SKIP_ON_WINDOWS("no /dev/full to stand for a full disk");
  PageFile page(run_);
  ASSERT_TRUE(page.Create("page.htm", {}));
  EXPECT_TRUE(FinishPage(run_, page));
  EXPECT_EQ(ReadText("page.htm"), "</BODY>\n</HTML>\n");
  EXPECT_EQ(run_.progress.pages_written, 1);

  PageFile full(run_);
  ASSERT_TRUE(full.Create("/dev/full", {}));
  full.Write(std::string(10000, 'x'));
  EXPECT_FALSE(FinishPage(run_, full));
  EXPECT_EQ(run_.progress.pages_written, 1);
}

TEST_F(FrameTest, CoupleNameShowsAMissingSpouseAsQuestionMark) {
  AddIndividual(testing::Person(1, "John /Smith/"));
  AddIndividual(testing::Person(2, "Mary /Jones/"));
  run_.settings.ucsurname = 'Y';
  EXPECT_EQ(CoupleName(run_, 1, 2), "John SMITH/Mary JONES");
  EXPECT_EQ(CoupleName(run_, 1, 0), "John SMITH/?");
  EXPECT_EQ(CoupleName(run_, 0, 2), "?/Mary JONES");
  EXPECT_EQ(CoupleName(run_, 0, 0), "?/?");
}

TEST(PageDateTest, TodayInEnglishWhateverTheLocale) {
  kinloom::Run run;
  const std::string date = PageDate(run);
  EXPECT_TRUE(std::regex_match(date, std::regex("[0-3][0-9] (January|February|March|April|May|"
                                                "June|July|August|September|October|"
                                                "November|December) [0-9]{4}")))
      << date;
  run.test_options.fixed_page_date = "01 January 2000";
  EXPECT_EQ(PageDate(run), "01 January 2000");
}

}  // namespace
}  // namespace kinloom
