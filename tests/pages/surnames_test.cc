// The names sort and the surnames page: sort keys, the order the sort
// leaves in indv.dat (checked against a plain in-memory rendering of the
// same quicksort), its depth on inputs that make that quicksort degenerate,
// the surnames page and the cutting into names pages.
#include <gtest/gtest.h>
#include <pthread.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "pages/page_fixture.h"
#include "pages/phases.h"
#include "support/windows_skip.h"

namespace kinloom::testing {
namespace {

TEST(NameSortKeyTest, KeysFoldSurnameThenGivenNames) {
  struct Case {
    char ucsurname;
    std::string name;
    std::string expected;
  };
  const std::string long_given(150, 'x');
  const Case cases[] = {
      {'N', "John /Smith/", "Smith, John"},
      {'Y', "John /Smith/", "SMITH, JOHN"},
      {'N', "John /Smith/ Jr.", "Smith, John"},
      {'N', "Mary Ann  /Lee/", "Lee, Mary Ann"},
      {'N', "", " "},
      {'Y', "", " "},
      {'N', "/Smith/", "Smith, "},
      {'Y', "/Smith/", "SMITH,  "},
      {'N', "John / /", " , John"},
      {'N', "Ann //", ", Ann"},
      {'Y', "Ann //", " , ANN"},
      {'N', "Per /\xc6r\xf8/", "[ro, Per"},
      {'Y', "Per /\xc6r\xf8/", "[R\\, PER"},
      {'N',
       "\xe6sa /Stra\xdf"
       "e/",
       "Stra"
       "SS"
       "e, aesa"},
      {'Y', "\xe9mile /\xc5s/", "]S, EMILE"},
      {'N', "John", ", John"},
      {'N', long_given + " /Long/", "Long, " + long_given},
  };
  for (const Case& c : cases) {
    Settings settings;
    settings.ucsurname = c.ucsurname;
    EXPECT_EQ(NameSortKey(settings, c.name), c.expected)
        << "name \"" << c.name << "\", UCSURNAME " << c.ucsurname;
  }
}

class SortTest : public PageTest {
 protected:
  void AddNames(const std::vector<std::string>& names) {
    std::int32_t number = 100;
    for (const std::string& name : names) AddIndividual(Person(++number, name));
  }
  std::vector<std::string> NamesBySlot() const {
    std::vector<std::string> names;
    for (std::int32_t slot = 1; slot <= run_.store.counters.IndividualCount; ++slot) {
      names.push_back(run_.store.IndividualNameAt(slot));
    }
    return names;
  }
};

TEST_F(SortTest, NamesSortByFoldedSurnameThenGivenNames) {
  struct Case {
    const char* what;
    char ucsurname;
    std::vector<std::string> input;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"a comma closes the surname; AE, OE and AA with rings sort after Z",
       'Y',
       {"Al /Vance/", "Al /Smithers/",
        "Al /\xc5"
        "berg/",
        "Al /Smith-Jones/", "Al /Zorn/", "Al /Smith/", "Al /\xd8rsted/", "Al /Smith Jones/",
        "Al /van Dyke/",
        "Al /\xc6"
        "ble/"},
       {"Al /Smith Jones/", "Al /Smith/", "Al /Smith-Jones/", "Al /Smithers/", "Al /van Dyke/",
        "Al /Vance/", "Al /Zorn/",
        "Al /\xc6"
        "ble/",
        "Al /\xd8rsted/",
        "Al /\xc5"
        "berg/"}},
      {"given names after the surname; capitals first when surnames keep their case",
       'N',
       {"bob /smith/", "Bob /Smith/", "Al /smith/", "Al /Smith/", "\xc9va /Smith/"},
       {"Al /Smith/", "Bob /Smith/", "\xc9va /Smith/", "Al /smith/", "bob /smith/"}},
      {"an empty name sorts before every surname",
       'N',
       {"Ann /Ames/", "", "Bo /Bell/"},
       {"", "Ann /Ames/", "Bo /Bell/"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    run_.store.counters.IndividualCount = 0;
    run_.settings.ucsurname = c.ucsurname;
    AddNames(c.input);
    QsortIndividuals(run_, 1, run_.store.counters.IndividualCount);
    EXPECT_EQ(NamesBySlot(), c.expected);
  }
}

// The quicksort as a plain recursive function over records in memory, with
// the exchanges of records and the comparison of C strings written out.
struct ReferenceSort {
  Settings settings;
  std::vector<IndividualRecord> slots;  // slot s at s - 1
  int depth = 0;
  int max_depth = 0;

  static bool Less(const std::string& a, const std::string& b) {
    for (std::size_t k = 0;; ++k) {
      if (k == b.size()) return false;
      if (k == a.size()) return true;
      const auto ca = static_cast<unsigned char>(a[k]);
      const auto cb = static_cast<unsigned char>(b[k]);
      if (ca != cb) return ca < cb;
    }
  }
  std::string Key(std::int32_t slot) const {
    return NameSortKey(settings, slots[static_cast<std::size_t>(slot - 1)].name);
  }
  void Sort(std::int32_t lo, std::int32_t hi) {
    max_depth = std::max(max_depth, ++depth);
    const std::string pivot = Key((lo + hi) / 2);
    std::int32_t i = lo;
    std::int32_t j = hi;
    do {
      while (Less(Key(i), pivot)) ++i;
      while (Less(pivot, Key(j))) --j;
      if (i <= j) {
        std::swap(slots[static_cast<std::size_t>(i - 1)], slots[static_cast<std::size_t>(j - 1)]);
        ++i;
        --j;
      }
    } while (i <= j);
    if (lo < j) Sort(lo, j);
    if (i < hi) Sort(i, hi);
    --depth;
  }
};

// Keys in the order of a list of ranks: "R%06d" surnames.
std::vector<std::string> RankedNames(const std::vector<int>& ranks) {
  std::vector<std::string> names;
  char buffer[32];
  for (int rank : ranks) {
    std::snprintf(buffer, sizeof buffer, "G /R%06d/", rank);
    names.push_back(buffer);
  }
  return names;
}

// Ranks 0..n-1 placed so that at every partition the middle element holds
// the largest key of its range: each partition then sheds one element, and
// the large part is the left one, sorted by the first (non-tail) call.
std::vector<int> MiddleMaximumRanks(int n) {
  std::vector<int> at(static_cast<std::size_t>(n));  // position -> element
  for (int p = 0; p < n; ++p) at[static_cast<std::size_t>(p)] = p;
  std::vector<int> rank(static_cast<std::size_t>(n));  // element -> rank
  int next = n - 1;
  int lo = 0;
  int hi = n - 1;
  while (lo < hi) {
    const int middle = lo + (hi - lo) / 2;
    rank[static_cast<std::size_t>(at[static_cast<std::size_t>(middle)])] = next--;
    std::swap(at[static_cast<std::size_t>(middle)], at[static_cast<std::size_t>(hi)]);
    --hi;
  }
  if (n > 0) rank[static_cast<std::size_t>(at[static_cast<std::size_t>(lo)])] = next;
  return rank;
}

TEST_F(SortTest, OrderIsThatOfTheDescribedQuicksort) {
  struct Input {
    std::string what;
    std::vector<std::string> names;
  };
  std::vector<Input> inputs;
  std::mt19937 random(20261207);
  const char* surnames[] = {"Ames", "Bell", "Bell", "Cole"};
  const char* given[] = {"Al", "Bo", "Cy"};
  for (int trial = 0; trial < 40; ++trial) {
    Input input{"few keys, many equal, trial " + std::to_string(trial), {}};
    const int n = static_cast<int>(random() % 60);
    for (int k = 0; k < n; ++k) {
      // The suffix tells equal keys apart without being part of the key.
      input.names.push_back(std::string(given[random() % 3]) + " /" + surnames[random() % 4] +
                            "/ " + std::to_string(k));
    }
    inputs.push_back(input);
  }
  std::vector<int> ascending(200), descending(200), organ(200), random_ranks(200);
  for (int k = 0; k < 200; ++k) {
    ascending[static_cast<std::size_t>(k)] = k;
    descending[static_cast<std::size_t>(k)] = 199 - k;
    organ[static_cast<std::size_t>(k)] = k < 100 ? k : 199 - k;
    random_ranks[static_cast<std::size_t>(k)] = static_cast<int>(random() % 50);
  }
  inputs.push_back({"ascending", RankedNames(ascending)});
  inputs.push_back({"descending", RankedNames(descending)});
  inputs.push_back({"organ pipe", RankedNames(organ)});
  inputs.push_back({"random with repeats", RankedNames(random_ranks)});
  inputs.push_back({"middle maximum", RankedNames(MiddleMaximumRanks(301))});
  inputs.push_back({"all equal", std::vector<std::string>(150, "Al /Ames/")});
  for (int k = 0; k < 150; ++k)
    inputs.back().names[static_cast<std::size_t>(k)] += std::to_string(k);

  for (const Input& input : inputs) {
    SCOPED_TRACE(input.what);
    run_.store.counters.IndividualCount = 0;
    AddNames(input.names);
    ReferenceSort reference;
    reference.slots.resize(input.names.size());
    for (std::size_t k = 0; k < input.names.size(); ++k) {
      run_.store.GetIndividualAt(static_cast<std::int32_t>(k + 1), reference.slots[k]);
    }
    const std::int32_t n = run_.store.counters.IndividualCount;
    if (n > 0) reference.Sort(1, n);

    QsortIndividuals(run_, 1, n);

    std::vector<std::string> expected;
    for (const IndividualRecord& r : reference.slots) expected.push_back(r.name);
    ASSERT_EQ(NamesBySlot(), expected);
    for (const IndividualRecord& r : reference.slots) {
      IndividualRecord by_number;
      run_.store.GetIndividual(r.number, by_number);
      ASSERT_EQ(by_number.name, r.name) << "number " << r.number << " lost its record";
    }
    if (input.what == "middle maximum") {
      EXPECT_EQ(reference.max_depth, 300) << "the input should make the quicksort degenerate";
    }
  }
}

TEST_F(SortTest, PartOfTheSlotsAndNumbersStoredTwice) {
  // Number 7 is stored three times; the index points at the last copy, and
  // must still do so after the sort, wherever that copy ends up.
  AddNames({"Zed /Zorn/", "Al /Ames/"});
  AddIndividual(Person(7, "Cy /Cole/ first"));
  AddIndividual(Person(8, "Bo /Bell/"));
  AddIndividual(Person(7, "Al /Cole/ second"));
  AddIndividual(Person(9, "Ann /Ames/"));
  AddIndividual(Person(7, "Bo /Cole/ third"));
  AddIndividual(Person(200, "Aa /Aa/"));

  QsortIndividuals(run_, 2, 7);

  EXPECT_EQ(NamesBySlot(),
            (std::vector<std::string>{"Zed /Zorn/", "Al /Ames/", "Ann /Ames/", "Bo /Bell/",
                                      "Al /Cole/ second", "Bo /Cole/ third", "Cy /Cole/ first",
                                      "Aa /Aa/"}));
  IndividualRecord seven;
  run_.store.GetIndividual(7, seven);
  EXPECT_EQ(seven.name, "Bo /Cole/ third");
}

TEST_F(SortTest, RangesWithoutRecordsAreLeftAlone) {
  AddNames({"Bo /Bell/", "Al /Ames/"});
  QsortIndividuals(run_, 2, 1);
  QsortIndividuals(run_, 2, 2);
  QsortIndividuals(run_, 3, 10);
  EXPECT_EQ(NamesBySlot(), (std::vector<std::string>{"Bo /Bell/", "Al /Ames/"}));
  QsortIndividuals(run_, -5, 10);
  EXPECT_EQ(NamesBySlot(), (std::vector<std::string>{"Al /Ames/", "Bo /Bell/"}));
  EXPECT_EQ(run_.store.counters.IndividualCount, 2);
}

// A degenerate input makes the plain quicksort recurse once per element.
// Sorted on a thread with a small stack, it needs the recursion bound: one
// frame per element would need several times this stack.
TEST_F(SortTest, DegenerateInputSortsWithinASmallStack) {
  constexpr int kCount = 6000;
  AddNames(RankedNames(MiddleMaximumRanks(kCount)));

  pthread_attr_t attributes;
  ASSERT_EQ(pthread_attr_init(&attributes), 0);
  ASSERT_EQ(pthread_attr_setstacksize(&attributes, 128 * 1024), 0);
  pthread_t thread;
  ASSERT_EQ(pthread_create(
                &thread, &attributes,
                [](void* arg) -> void* {
                  kinloom::Run& run = *static_cast<kinloom::Run*>(arg);
                  QsortIndividuals(run, 1, run.store.counters.IndividualCount);
                  return nullptr;
                },
                &run_),
            0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attributes);

  std::vector<int> ascending(kCount);
  for (int k = 0; k < kCount; ++k) ascending[static_cast<std::size_t>(k)] = k;
  EXPECT_EQ(NamesBySlot(), RankedNames(ascending));
}

class SurnamesPageTest : public PageTest {
 protected:
  // Individuals who are children of family 1, so that no individual pages
  // are written.
  void AddChild(std::int32_t number, const std::string& name) {
    IndividualRecord r = Person(number, name);
    r.parentFamilies[0] = 1;
    AddIndividual(r);
  }
  static std::string SurnamesFoot() {
    return "</CENTER><HR NOSHADE SIZE=2>"
           "<CENTER><FONT SIZE=+2>|&nbsp;<A HREF=\"http://www.example.net/~smith/\">HOME</A>"
           "&nbsp;|&nbsp;<A HREF=\"mailto:smith@example.net\">EMAIL</A>"
           "&nbsp;|</FONT></CENTER><BR>\n"
           "Page built by <A HREF=\"https://kinloom.example.org/\">Kinloom Version 2.21</A>"
           " on 07 December 2026<BR><BR>\n"
           "</BODY>\n</HTML>\n";
  }
  static std::string SurnamesHead(const std::string& totals) {
    return ExpectedHead("Surnames Index Page") +
           "<CENTER><H1>All Surnames in Family Tree</H1>\n"
           "<HR NOSHADE SIZE=2>\n" +
           totals + "<BR>\n";
  }
  static int Count(const std::string& text, const std::string& what) {
    int count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
      ++count;
    }
    return count;
  }
};

TEST_F(SurnamesPageTest, LinksGroupedByInitialAndTheNamesPage) {
  AddChild(1, "John /Smith/");
  AddChild(2, "Ann /Adams/");
  AddChild(3, "Eve /smith/");
  AddChild(4, "Bob /Smith/");
  AddChild(0, "Zed /Zero/");  // counted in the totals, listed nowhere
  AddChild(5, "Zoe /Brown/");
  AddChild(6, "Al /Abbot/");
  run_.store.counters.FamilyCount = 2;

  ASSERT_EQ(BuildSurnamesPages(run_), 0);

  EXPECT_EQ(Page("html/surnames.htm"),
            SurnamesHead("Tree currently contains 7 individuals, in 2 family groups.") +
                "<br>\n"
                "<A HREF=\"names1.htm#Abbot\">Abbot</a>&nbsp;&nbsp;\n"
                "<A HREF=\"names1.htm#Adams\">Adams</a>&nbsp;&nbsp;\n"
                "<br>\n"
                "<A HREF=\"names1.htm#Brown\">Brown</a>&nbsp;&nbsp;\n"
                "<br>\n"
                "<A HREF=\"names1.htm#Smith\">Smith</a>&nbsp;&nbsp;\n"
                "<br>\n"
                "<A HREF=\"names1.htm#smith\">smith</a>&nbsp;&nbsp;\n" +
                SurnamesFoot());
  EXPECT_EQ(Page("html/names1.htm"),
            ExpectedHead("Names Index Page") +
                "<CENTER><H1>Family Tree Names</H1></CENTER><HR NOSHADE SIZE=2>\n"
                "<A NAME=\"Abbot\"></a>\n"
                "<A HREF=\"fam00001.htm\">Abbot, Al</A><BR>\n"
                "<A NAME=\"Adams\"></a>\n"
                "<A HREF=\"fam00001.htm\">Adams, Ann</A><BR>\n"
                "<A NAME=\"Brown\"></a>\n"
                "<A HREF=\"fam00001.htm\">Brown, Zoe</A><BR>\n"
                "<A NAME=\"Smith\"></a>\n"
                "<A HREF=\"fam00001.htm\">Smith, Bob</A><BR>\n"
                "<A HREF=\"fam00001.htm\">Smith, John</A><BR>\n"
                "<A NAME=\"smith\"></a>\n"
                "<A HREF=\"fam00001.htm\">smith, Eve</A><BR>\n"
                "<HR NOSHADE SIZE=2>" +
                ExpectedFoot("surnames.htm"));
  EXPECT_FALSE(FileExists("html/names2.htm"));
  EXPECT_EQ(LogText(),
            ">BuildSurnamesPages\n>QsortIndividuals\n<QsortIndividuals\n"
            ">BuildNamesPages\n<BuildNamesPages\n<BuildSurnamesPages\n");
  EXPECT_EQ(run_.progress.pages_written, 2);
}

TEST_F(SurnamesPageTest, CapitalSurnamesShareOneLink) {
  run_.settings.ucsurname = 'Y';
  run_.settings.extension = "html";
  AddChild(1, "Eve /smith/");
  AddChild(2, "Bob /Smith/");

  ASSERT_EQ(BuildSurnamesPages(run_), 0);

  EXPECT_EQ(Page("html/surnames.html"),
            SurnamesHead("Tree currently contains 2 individuals, in 0 family groups.") +
                "<br>\n<A HREF=\"names1.html#SMITH\">SMITH</a>&nbsp;&nbsp;\n" + SurnamesFoot());
}

TEST_F(SurnamesPageTest, EmptyTree) {
  ASSERT_EQ(BuildSurnamesPages(run_), 0);
  EXPECT_EQ(
      Page("html/surnames.htm"),
      SurnamesHead("Tree currently contains 0 individuals, in 0 family groups.") + SurnamesFoot());
  EXPECT_FALSE(FileExists("html/names1.htm"));
  EXPECT_EQ(LogText(),
            ">BuildSurnamesPages\n>QsortIndividuals\n<QsortIndividuals\n<BuildSurnamesPages\n");
}

TEST_F(SurnamesPageTest, NamesPagesAreCutAtAChangeOfSurnameAfter1000) {
  struct Case {
    std::vector<int> per_surname;  // individuals of surnames A, B, C, ... in that order
    std::vector<int> per_page;     // entries on names1, names2, ...
    std::string links;             // the names page each surname links to, as digits
  };
  const Case cases[] = {
      {{1000, 5}, {1005}, "11"},
      {{1001, 5}, {1001, 5}, "12"},
      {{3000, 2}, {3000, 2}, "12"},
      {{1001, 1000, 1}, {1001, 1001}, "122"},
      {{400, 400, 201, 1}, {1001, 1}, "1112"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.per_surname));
    std::filesystem::remove_all("html");
    std::filesystem::create_directory("html");
    run_.store.counters.IndividualCount = 0;
    // Stored in reverse order, so that the sort has the work to do.
    std::int32_t number = 0;
    for (int s = static_cast<int>(c.per_surname.size()) - 1; s >= 0; --s) {
      for (int k = c.per_surname[static_cast<std::size_t>(s)]; k > 0; --k) {
        char name[32];
        std::snprintf(name, sizeof name, "G%04d /%c/", k, 'A' + s);
        AddChild(++number, name);
      }
    }

    ASSERT_EQ(BuildSurnamesPages(run_), 0);

    for (std::size_t p = 0; p < c.per_page.size(); ++p) {
      EXPECT_EQ(Count(Page("html/names" + std::to_string(p + 1) + ".htm"), "</A><BR>\n"),
                c.per_page[p])
          << "names page " << p + 1;
    }
    EXPECT_FALSE(FileExists("html/names" + std::to_string(c.per_page.size() + 1) + ".htm"));
    const std::string surnames = Page("html/surnames.htm");
    for (std::size_t s = 0; s < c.links.size(); ++s) {
      const char letter = static_cast<char>('A' + s);
      const std::string link = "<A HREF=\"names" + std::string(1, c.links[s]) + ".htm#" + letter +
                               "\">" + letter + "</a>";
      EXPECT_EQ(Count(surnames, link), 1) << link;
    }
  }
}

TEST_F(SurnamesPageTest, SurnamesPageThatCannotBeWritten) {
  KINLOOM_SKIP_ON_WINDOWS("no /dev/full to stand for a full disk");
  AddChild(1, "Bo /Bell/");
  AddChild(2, "Al /Ames/");
  std::filesystem::create_directory("html/surnames.htm");

  EXPECT_EQ(BuildSurnamesPages(run_), kResultCannotWrite);
  EXPECT_EQ(LogText(),
            ">BuildSurnamesPages\n>QsortIndividuals\n<QsortIndividuals\n"
            "Unable to create new SURNAMES file.\n");
  EXPECT_EQ(run_.store.IndividualNameAt(1), "Al /Ames/") << "the sort is done all the same";
  EXPECT_FALSE(FileExists("html/names1.htm"));

  std::filesystem::remove("html/surnames.htm");
  std::filesystem::create_symlink("/dev/full", "html/surnames.htm");
  std::filesystem::remove("kinloom.log");
  EXPECT_EQ(BuildSurnamesPages(run_), kResultCannotWrite);
  EXPECT_EQ(LogText(),
            ">BuildSurnamesPages\n>QsortIndividuals\n<QsortIndividuals\n"
            ">BuildNamesPages\n<BuildNamesPages\n"
            "Unable to create new SURNAMES file.\n");
}

TEST_F(SurnamesPageTest, NamesPageThatCannotBeWrittenDoesNotStopThePhase) {
  AddChild(1, "Al /Ames/");
  std::filesystem::create_directory("html/names1.htm");

  EXPECT_EQ(BuildSurnamesPages(run_), 0);
  EXPECT_EQ(LogText(),
            ">BuildSurnamesPages\n>QsortIndividuals\n<QsortIndividuals\n"
            ">BuildNamesPages\nUnable to create new NAMES file.\n<BuildSurnamesPages\n");
  EXPECT_NE(Page("html/surnames.htm").find("<A HREF=\"names1.htm#Ames\">Ames</a>"),
            std::string::npos);
}

}  // namespace
}  // namespace kinloom::testing
