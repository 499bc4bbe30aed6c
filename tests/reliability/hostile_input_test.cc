// Hostile GEDCOM files in whole runs with every option on: garbage, empty
// and giant files, absurd ancestries, huge and duplicate cross-reference
// numbers, lists past their 25 entries, many sources and note lines, and
// texts at and past every capacity. Each ends with its stated result.
#include <filesystem>
#include <string>
#include <vector>

#include "gedcom/reader.h"
#include "pages/frame.h"
#include "pages/phases.h"
#include "reliability/site_fixture.h"
#include "store/records.h"

namespace kinloom::testing {
namespace {

class HostileInputTest : public SiteTest {};

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t pos = text.find(what); pos != std::string::npos;
       pos = text.find(what, pos + what.size())) {
    ++n;
  }
  return n;
}

// The statistics block of the reader for the given counts.
std::string Statistics(long individuals, long families, long ind_note_lines, long fam_note_lines,
                       long notes, long sources, long photos, long estimate) {
  return "=================================================\n"
         "Ind recs Written=" +
         std::to_string(individuals) + "\n" + "Fam recs Written=" + std::to_string(families) +
         "\n" + "Ind Note lines Written=" + std::to_string(ind_note_lines) + "\n" +
         "Fam Note lines Written=" + std::to_string(fam_note_lines) + "\n" +
         "Note recs Written=" + std::to_string(notes) + "\n" +
         "Src recs Written=" + std::to_string(sources) + "\n" +
         "Photo recs Written=" + std::to_string(photos) + "\n" +
         "Estimated Files=" + std::to_string(estimate) + "\n" +
         "=================================================\n<ReadGedcom\n";
}

// Bytes without a single ASCII printable character, so without any tag or
// cross-reference: line ends, control characters and bytes from 0x80.
std::string Garbage(std::size_t size) {
  std::string out;
  unsigned state = 12345;
  out += static_cast<char>(0x80);  // no byte order mark can start it
  while (out.size() < size) {
    state = state * 1103515245u + 12345u;
    const unsigned byte = (state >> 16) & 0xFF;
    out += static_cast<char>(byte < 0x20 || byte >= 0x80 ? byte : byte + 0x80);
  }
  return out;
}

TEST_F(HostileInputTest, FilesWithoutRecordsGiveAnEmptySite) {
  struct Case {
    const char* what;
    std::string bytes;
  };
  const Case cases[] = {
      {"empty file", ""},
      {"binary garbage", Garbage(256 * 1024)},
      {"NUL bytes", std::string(4096, '\0')},
      {"only line ends", std::string(10000, '\n') + std::string(10000, '\r')},
      {"one line of 10 MB", "0 HEAD " + std::string(10 * 1024 * 1024, 'x')},
      {"levels and tags without records",
       Lines({"9 INDI", "1 FAMS @F1@", "2 CHIL @I1@", "1 NOTE stray", "0 TRLR"})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all("html");
    std::remove("kinloom.log");
    EXPECT_EQ(RunSite(c.bytes, EveryOptionOn('Y')), kResultOk);
    EXPECT_NE(Log().find(Statistics(0, 0, 0, 0, 0, 0, 0, 3)), std::string::npos);
    EXPECT_EQ(FileList("html"), "gendex.txt\nsurnames.htm\n");
    EXPECT_EQ(ReadText("html/gendex.txt"), ";; Kinloom Version 2.21\n");
    EXPECT_EQ(ReadFile("tree.ged"), c.bytes);
    ExpectNoWorkFiles();
  }
}

TEST_F(HostileInputTest, NoteOfOneTenMegabyteLineReachesItsPageWhole) {
  const std::string text(10 * 1024 * 1024, 'x');
  const std::string tree =
      Lines({"0 HEAD", "0 @I1@ INDI", "1 NAME Ann /Long/", "1 NOTE " + text, "0 TRLR"});
  EXPECT_EQ(RunSite(tree, EveryOptionOn('Y')), kResultOk);
  // 10485760 characters in pieces of 269: 38980 whole pieces and one of 260.
  // Estimate: 0 families + 1 note + 0 photos + 1 individual + 0 + 3.
  EXPECT_NE(Log().find(Statistics(1, 0, 38981, 0, 1, 0, 0, 5)), std::string::npos);
  const std::string page = ReadText("html/nti/nti00001.htm");
  EXPECT_NE(page.find(text), std::string::npos);
  EXPECT_EQ(page.find(text + "x"), std::string::npos);
}

TEST_F(HostileInputTest, NoteOfOneHundredThousandLinesReachesItsPage) {
  std::string tree = Lines({"0 HEAD", "0 @F1@ FAM", "1 NOTE line 1"});
  for (int i = 2; i <= 100000; ++i) tree += "2 CONT line " + std::to_string(i) + "\n";
  tree += "0 TRLR\n";
  EXPECT_EQ(RunSite(tree, EveryOptionOn('N')), kResultOk);
  EXPECT_NE(Log().find(Statistics(0, 1, 0, 100000, 1, 0, 0, 5)), std::string::npos);
  const std::string page = ReadText("html/ntf00001.htm");
  EXPECT_EQ(Count(page, "line "), 100000u);
  EXPECT_NE(page.find("<BR>\nline 1<BR>\nline 2<BR>\n"), std::string::npos);
  EXPECT_NE(page.find("<BR>\nline 99999<BR>\nline 100000"), std::string::npos);
}

// I1 is the child of F1, whose husband I2 is the child of F2, and so on.
std::string AncestorChain(int generations) {
  std::string tree = "0 HEAD\n";
  for (int i = 1; i <= generations; ++i) {
    const std::string n = std::to_string(i);
    tree += "0 @I" + n + "@ INDI\n1 NAME Gen" + n + " /Line/\n";
    if (i < generations) tree += "1 FAMC @F" + n + "@\n";
    if (i > 1) tree += "1 FAMS @F" + std::to_string(i - 1) + "@\n";
  }
  for (int i = 1; i < generations; ++i) {
    const std::string n = std::to_string(i);
    tree += "0 @F" + n + "@ FAM\n1 HUSB @I" + std::to_string(i + 1) + "@\n1 CHIL @I" + n + "@\n";
  }
  return tree + "0 TRLR\n";
}

// A line far longer than any real one is drawn whole in every chart; the
// walk keeps its own stack, so no depth is too much for it.
TEST_F(HostileInputTest, AncestorChainInAWholeRunIsDrawnWhole) {
  EXPECT_EQ(RunSite(AncestorChain(200), EveryOptionOn('Y')), kResultOk);
  EXPECT_EQ(LastLines(Log(), 1), "<CreateKinloom 0\n");
  EXPECT_EQ(Log().find("loop"), std::string::npos);
  const std::string chart = ReadText("html/ped/ped00001.htm");
  EXPECT_EQ(Count(chart, "<b><A HREF="), 200u);
  EXPECT_NE(chart.find(std::string(3 * 198, ' ') + "+--<b><A HREF=\"../fam/fam00199.htm\">Gen200 "),
            std::string::npos);
  EXPECT_EQ(Count(ReadText("html/ped/ped00200.htm"), "<b><A HREF="), 1u);
  ExpectNoWorkFiles();
}

TEST_F(HostileInputTest, FamilyThatIsItsOwnAncestorsFamily) {
  struct Case {
    const char* what;
    std::string tree;
    char pedigreeall;
    std::vector<std::string> loops;  // who is named, in order
  };
  const std::string self = Lines({"0 @I1@ INDI", "1 NAME Self /Loop/", "1 FAMS @F1@", "1 FAMC @F1@",
                                  "0 @F1@ FAM", "1 HUSB @I1@", "1 CHIL @I1@", "0 TRLR"});
  const std::string two =
      Lines({"0 @I1@ INDI", "1 NAME One /Loop/", "1 FAMC @F1@", "1 FAMS @F2@", "0 @I2@ INDI",
             "1 NAME Two /Loop/", "1 FAMC @F2@", "1 FAMS @F1@", "0 @F1@ FAM", "1 HUSB @I2@",
             "1 CHIL @I1@", "0 @F2@ FAM", "1 WIFE @I1@", "1 CHIL @I2@", "0 TRLR"});
  const Case cases[] = {
      {"own child, charts for all", self, 'Y', {"Self LOOP (@I1@)"}},
      {"own child, listed chart", self, 'N', {"Self LOOP (@I1@)"}},
      {"two generations, charts for all", two, 'Y', {"One LOOP (@I1@)", "Two LOOP (@I2@)"}},
      {"two generations, listed chart", two, 'N', {"One LOOP (@I1@)"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::remove("kinloom.log");
    Settings settings = EveryOptionOn('Y');
    settings.pedigreeall = c.pedigreeall;
    settings.pedigreelist = "1";
    EXPECT_EQ(RunSite(c.tree, settings), kResultOk);
    const std::string log = Log();
    EXPECT_EQ(Count(log, "Ancestry loop: "), c.loops.size());
    for (const std::string& who : c.loops) {
      EXPECT_NE(log.find("Ancestry loop: " + who + " is recorded as their own ancestor.\n"),
                std::string::npos)
          << log;
    }
    EXPECT_EQ(LastLines(log, 1), "<CreateKinloom 0\n");
    EXPECT_TRUE(FileExists("html/surnames.htm"));
    EXPECT_TRUE(FileExists("html/fam/fam00001.htm"));
    ExpectNoWorkFiles();
  }
}

TEST_F(HostileInputTest, CrossReferenceNumbersNearAndAboveTwoToThe31st) {
  const std::string tree = Lines({
      "0 @I2147483646@ INDI",
      "1 NAME Near /Max/",
      "1 FAMS @F2147483647@",
      "0 @I2147483647@ INDI",
      "1 NAME At /Max/",
      "1 FAMS @F2147483647@",
      "0 @I2147483648@ INDI",
      "1 NAME Past /Max/",
      "1 FAMC @F2147483647@",
      "0 @I18446744073709551617@ INDI",
      "1 NAME Far /Past/",
      "1 FAMC @F2147483647@",
      "0 @F2147483647@ FAM",
      "1 HUSB @I2147483646@",
      "1 WIFE @I2147483647@",
      "1 CHIL @I2147483648@",
      "1 CHIL @I18446744073709551617@",
      "0 TRLR",
  });
  EXPECT_EQ(RunSite(tree, EveryOptionOn('N')), kResultOk);
  // Numbers that fit keep their number; those past 2147483647 get the
  // free numbers below it, from 1. Every one has a page of its own.
  EXPECT_EQ(FileList("html"),
            "fam2147483647.htm\ngendex.txt\nnames1.htm\nped00001.htm\nped00002.htm\n"
            "ped2147483646.htm\nped2147483647.htm\nsurnames.htm\n");
  const std::string family = ReadText("html/fam2147483647.htm");
  for (const char* name : {"Near MAX", "At MAX", "Past MAX", "Far PAST"}) {
    EXPECT_NE(family.find(name), std::string::npos) << name;
  }
}

TEST_F(HostileInputTest, DuplicateCrossReferencesStillFinish) {
  const std::string tree = Lines({
      "0 @I1@ INDI",
      "1 NAME First /Twin/",
      "1 FAMS @F1@",
      "0 @I1@ INDI",
      "1 NAME Second /Twin/",
      "1 FAMS @F1@",
      "0 @F1@ FAM",
      "1 HUSB @I1@",
      "0 @F1@ FAM",
      "1 WIFE @I1@",
      "0 TRLR",
  });
  EXPECT_EQ(RunSite(tree, EveryOptionOn('Y')), kResultOk);
  // Two stored individuals, one line each in the GENDEX file.
  EXPECT_EQ(Count(ReadText("html/gendex.txt"), "\n"), 3u);
  ExpectNoWorkFiles();
}

TEST_F(HostileInputTest, ListsPastTwentyFiveEntries) {
  std::string tree = "0 HEAD\n0 @I1@ INDI\n1 NAME Many /Ties/\n";
  for (int f = 1; f <= 30; ++f) tree += "1 FAMS @F" + std::to_string(f) + "@\n";
  for (int p = 1; p <= 30; ++p) tree += "1 OBJE\n2 FILE p" + std::to_string(p) + ".jpg\n";
  for (int c = 2; c <= 31; ++c) {
    tree += "0 @I" + std::to_string(c) + "@ INDI\n1 NAME Kid" + std::to_string(c) +
            " /Ties/\n1 FAMC @F1@\n";
  }
  for (int f = 1; f <= 30; ++f) {
    tree += "0 @F" + std::to_string(f) + "@ FAM\n1 HUSB @I1@\n";
    if (f == 1) {
      for (int c = 2; c <= 31; ++c) tree += "1 CHIL @I" + std::to_string(c) + "@\n";
    }
  }
  tree += "0 TRLR\n";
  EXPECT_EQ(RunSite(tree, EveryOptionOn('Y')), kResultOk);
  const auto files = TreeFiles("html");
  std::size_t family_pages = 0, photo_pages = 0;
  for (const auto& [name, bytes] : files) {
    family_pages += name.rfind("fam/", 0) == 0;
    photo_pages += name.rfind("pho/", 0) == 0;
  }
  EXPECT_EQ(family_pages, 30u);
  EXPECT_EQ(photo_pages, 30u);  // every photo gets a page, listed or not
  // Family 1 lists the first 25 children only.
  const std::string family = ReadText("html/fam/fam00001.htm");
  EXPECT_NE(family.find("Kid26"), std::string::npos);
  EXPECT_EQ(family.find("Kid27"), std::string::npos);
  ExpectNoWorkFiles();
}

// A family page cites every source its members and its marriage can carry:
// three for each of husband, wife and 25 children, and the marriage's.
TEST_F(HostileInputTest, EverySourceOfAFullFamilyIsListedOnItsPage) {
  std::string tree = "0 HEAD\n";
  int source = 0;
  auto person = [&](int n, const char* link) {
    tree += "0 @I" + std::to_string(n) + "@ INDI\n1 NAME P" + std::to_string(n) + " /Src/\n";
    tree += std::string(link) + "\n";
    tree += "1 SOUR @S" + std::to_string(++source) + "@\n";
    tree += "1 BIRT\n2 DATE 1900\n2 SOUR @S" + std::to_string(++source) + "@\n";
    tree += "1 DEAT\n2 DATE 1990\n2 SOUR @S" + std::to_string(++source) + "@\n";
  };
  person(1, "1 FAMS @F1@");
  person(2, "1 FAMS @F1@");
  for (int c = 3; c <= 27; ++c) person(c, "1 FAMC @F1@");
  tree += "0 @F1@ FAM\n1 HUSB @I1@\n1 WIFE @I2@\n";
  for (int c = 3; c <= 27; ++c) tree += "1 CHIL @I" + std::to_string(c) + "@\n";
  tree += "1 MARR\n2 SOUR @S" + std::to_string(++source) + "@\n";
  for (int s = 1; s <= source; ++s) {
    tree += "0 @S" + std::to_string(s) + "@ SOUR\n1 TITL Title" + std::to_string(s) + "\n";
  }
  tree += "0 TRLR\n";
  ASSERT_EQ(source, 82);
  EXPECT_EQ(RunSite(tree, EveryOptionOn('N')), kResultOk);
  const std::string page = ReadText("html/fam00001.htm");
  for (int s = 1; s <= source; ++s) {
    EXPECT_EQ(Count(page, ") Title" + std::to_string(s) + "\n"), 1u) << s;
  }
  EXPECT_NE(page.find("\n82) Title"), std::string::npos);
}

// 500 sources cited on one page: the list has no fixed limit.
TEST_F(HostileInputTest, FiveHundredSourcesOnOnePage) {
  std::string tree = "0 HEAD\n";
  for (int s = 1; s <= 500; ++s) {
    tree += "0 @S" + std::to_string(s) + "@ SOUR\n1 TITL Book " + std::to_string(s) + "\n";
  }
  WriteFile("tree.ged", tree + "0 TRLR\n");
  run_.settings = EveryOptionOn('N');
  ASSERT_FALSE(run_.store.Open().has_value());
  ASSERT_EQ(ReadGedcom(run_), kResultOk);
  std::filesystem::create_directory("html");
  PageFile page(run_);
  ASSERT_TRUE(page.Create("html/sources.htm", {}));
  for (int round = 0; round < 2; ++round) {
    for (int s = 1; s <= 500; ++s) EXPECT_EQ(SourceNumber(run_, s), s);
  }
  WriteSourceList(run_, page);
  ASSERT_TRUE(page.Close());
  run_.store.CloseAndDelete();
  const std::string list = ReadText("html/sources.htm");
  EXPECT_EQ(Count(list, ") Book "), 500u);
  EXPECT_NE(list.find("\n1) Book 1\n2) Book 2\n"), std::string::npos);
  EXPECT_NE(list.find("\n500) Book 500\n"), std::string::npos);
}

// Each text one character short of, at, and past its capacity: the page
// shows it cut to the capacity, never more and never a broken reference.
TEST_F(HostileInputTest, TextsAtAndPastEveryCapacity) {
  struct Field {
    const char* what;
    std::size_t capacity;
    char fill;
    std::string (*line)(const std::string& value);
    const char* page;  // where the value shows
  };
  const Field fields[] = {
      {"birth date", kDateCapacity, 'd',
       [](const std::string& v) {
         return Lines({"1 BIRT", "2 DATE " + v});
       },
       "fam00001.htm"},
      {"birth place", kPlaceCapacity, 'p',
       [](const std::string& v) {
         return Lines({"1 BIRT", "2 DATE 1", "2 PLAC " + v});
       },
       "fam00001.htm"},
      {"death place", kPlaceCapacity, 'q',
       [](const std::string& v) {
         return Lines({"1 DEAT", "2 DATE 1", "2 PLAC " + v});
       },
       "fam00001.htm"},
      {"inline source", kSourceTitleCapacity, 's',
       [](const std::string& v) { return Lines({"1 SOUR " + v}); }, "fam00001.htm"},
      {"photo title", kPhotoTitleCapacity, 't',
       [](const std::string& v) {
         return Lines({"1 OBJE", "2 FILE a.jpg", "2 TITL " + v});
       },
       "pho00001.htm"},
      {"photo file", kPhotoFileCapacity, 'f',
       [](const std::string& v) {
         return Lines({"1 OBJE", "2 FILE " + v});
       },
       "pho00001.htm"},
  };
  for (const Field& f : fields) {
    for (std::size_t length : {f.capacity - 1, f.capacity, f.capacity + 1, std::size_t{5000}}) {
      SCOPED_TRACE(std::string(f.what) + ", " + std::to_string(length) + " characters");
      std::filesystem::remove_all("html");
      const std::string value(length, f.fill);
      const std::string tree = "0 @I1@ INDI\n1 NAME Val /Cap/\n1 FAMS @F1@\n" + f.line(value) +
                               "0 @F1@ FAM\n1 HUSB @I1@\n0 TRLR\n";
      ASSERT_EQ(RunSite(tree, EveryOptionOn('N')), kResultOk);
      const std::string page = ReadText(std::string("html/") + f.page);
      const std::string shown(std::min(length, f.capacity), f.fill);
      EXPECT_NE(page.find(shown), std::string::npos);
      EXPECT_EQ(page.find(shown + f.fill), std::string::npos);
    }
  }
}

TEST_F(HostileInputTest, NamesAtAndPastCapacityKeepReferencesWhole) {
  struct Case {
    const char* what;
    std::string name;  // NAME value, UTF-8
    const char* kept;  // "whole" when the name is stored as it stands
  };
  const Case cases[] = {
      {"at capacity", std::string(93, 'g') + " /Sur/", "whole"},
      {"past capacity", std::string(200, 'g') + " /Sur/", ""},
      {"reference across the cut", std::string(95, 'g') + "\xC5\x81x /Sur/", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all("html");
    const std::string tree =
        Lines({"0 HEAD", "1 CHAR UTF-8", "0 @I1@ INDI", "1 NAME " + c.name, "0 TRLR"});
    ASSERT_EQ(RunSite(tree, EveryOptionOn('N')), kResultOk);
    const std::string gendex = ReadText("html/gendex.txt");
    // The stored name is the third field; it never holds more than the
    // capacity, nor a reference cut in two.
    const std::size_t start = gendex.find('\n') + 1;
    std::size_t field = start;
    for (int bar = 0; bar < 2; ++bar) field = gendex.find('|', field) + 1;
    const std::string stored = gendex.substr(field, gendex.find('|', field) - field);
    EXPECT_LE(stored.size(), kNameCapacity);
    EXPECT_EQ(stored.find("&#3"), std::string::npos) << stored;
    if (std::string(c.kept) == "whole") {
      EXPECT_EQ(stored, c.name);
    }
  }
}

}  // namespace
}  // namespace kinloom::testing
