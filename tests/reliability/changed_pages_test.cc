// Publishing only what changed (CHANGEDONLY=Y): a re-run of the same tree
// writes nothing, an edit writes just the pages that show it, files of
// records that are gone are removed and the user's own files stay, and
// whatever happened before (a hand-edited page, a damaged record, a full
// disk, a run killed at any point), the next run leaves html/ as a fresh
// full run would.
#include "publish/changed_pages.h"

#ifndef _WIN32
#include <signal.h>
#include <unistd.h>
#endif

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "reliability/site_fixture.h"
#include "support/windows_skip.h"

namespace kinloom::testing {
namespace {

// The site of EveryPageTree without sub-directories, as kinloom.changes
// lists it after a run that wrote it all.
const char kAllWritten[] =
    "written fam00001.htm\n"
    "written gendex.txt\n"
    "written ind00004.htm\n"
    "written names1.htm\n"
    "written ntf00001.htm\n"
    "written nti00001.htm\n"
    "written nti00004.htm\n"
    "written ped00001.htm\n"
    "written ped00002.htm\n"
    "written ped00003.htm\n"
    "written ped00004.htm\n"
    "written pho00001.htm\n"
    "written surnames.htm\n";

const char kNoRecordWarning[] =
    "No record of a previous run in kinloom.manifest: every page is written and no file is "
    "removed.\n";

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

// Modification times of the files under html, in nanoseconds.
std::map<std::string, long long> Times() {
  std::map<std::string, long long> times;
  for (const auto& [name, bytes] : TreeFiles("html")) {
    const platform::FileStatus status = platform::StatusOf("html/" + name);
    if (status.exists) times[name] = status.modified_ns;
  }
  return times;
}

Settings ChangedOnly(char subdirs = 'N') {
  Settings s = EveryOptionOn(subdirs);
  s.changedonly = 'Y';
  return s;
}

// The site a run without CHANGEDONLY writes for tree in a fresh directory.
std::map<std::string, std::string> FreshSite(const std::string& tree, const Settings& settings,
                                             const std::string& date) {
  ScratchDir fresh;
  WriteFile("tree.ged", tree);
  Settings plain = settings;
  plain.changedonly = 'N';
  kinloom::Run run(plain, LabelTexts());
  run.test_options.fixed_page_date = date;
  EXPECT_EQ(CreateKinloom(run), kResultOk);
  return TreeFiles("html");
}

class ChangedOnlyTest : public SiteTest {
 protected:
  ChangedOnlyTest() {
    run_.on_warning = [this](std::string_view line) { warnings_ += std::string(line) + "\n"; };
  }

  int Publish(const std::string& tree, char subdirs = 'N') {
    warnings_.clear();
    return RunSite(tree, ChangedOnly(subdirs));
  }

  // Nothing of the run's own is left behind.
  void ExpectNoLeftovers() {
    EXPECT_FALSE(FileExists("kinloom.journal"));
    EXPECT_FALSE(FileExists("kinloom.tmp"));
    EXPECT_FALSE(FileExists("kinloom.manifest.tmp"));
    EXPECT_FALSE(FileExists("kinloom.changes.tmp"));
    ExpectNoWorkFiles();
  }

  std::string warnings_;
};

TEST_F(ChangedOnlyTest, UnchangedTreeIsNotWrittenAgainWhateverTheDate) {
  ASSERT_EQ(Publish(EveryPageTree()), kResultOk);
  EXPECT_EQ(ReadFile("kinloom.changes"), kAllWritten);
  EXPECT_EQ(warnings_, kNoRecordWarning);
  EXPECT_TRUE(TreeFiles("html") == FreshSite(EveryPageTree(), ChangedOnly(), "1 January 2000"));
  const auto files = TreeFiles("html");
  const auto times = Times();
  ExpectNoLeftovers();

  // A day later: the pages would differ only in their date.
  run_.test_options.fixed_page_date = "2 January 2000";
  ASSERT_EQ(Publish(EveryPageTree()), kResultOk);
  EXPECT_EQ(warnings_, "");
  EXPECT_EQ(ReadFile("kinloom.changes"), "");
  EXPECT_TRUE(TreeFiles("html") == files);
  EXPECT_TRUE(Times() == times);
  EXPECT_EQ(LastLines(Log(), 1), "<CreateKinloom 0\n");
  ExpectNoLeftovers();

  // Without the flag every page is written as always, and the record and
  // the change list are left as they are.
  const std::string manifest = ReadFile("kinloom.manifest");
  WriteFile("kinloom.changes", "from before\n");
  ASSERT_EQ(RunSite(EveryPageTree(), EveryOptionOn('N')), kResultOk);
  EXPECT_TRUE(TreeFiles("html") == FreshSite(EveryPageTree(), ChangedOnly(), "2 January 2000"));
  EXPECT_EQ(ReadFile("kinloom.changes"), "from before\n");
  EXPECT_EQ(ReadFile("kinloom.manifest"), manifest);

  // The pages the run without the flag wrote are its own now: all differ
  // from the record by their times, so all are written once more.
  ASSERT_EQ(Publish(EveryPageTree()), kResultOk);
  EXPECT_EQ(ReadFile("kinloom.changes"), kAllWritten);
}

TEST_F(ChangedOnlyTest, OneEditWritesOnlyThePagesThatShowIt) {
  ASSERT_EQ(Publish(EveryPageTree()), kResultOk);
  const auto before = Times();
  // John's birth place shows on his family's page and in gendex.txt (the
  // charts show names alone).
  const std::string edited = Replaced(EveryPageTree(), "2 PLAC Boston", "2 PLAC Salem");
  ASSERT_EQ(Publish(edited), kResultOk);
  EXPECT_EQ(ReadFile("kinloom.changes"),
            "written fam00001.htm\n"
            "written gendex.txt\n");
  EXPECT_TRUE(TreeFiles("html") == FreshSite(edited, ChangedOnly(), "1 January 2000"));
  const auto after = Times();
  for (const auto& [name, time] : after) {
    const bool listed = ReadFile("kinloom.changes").find(" " + name + "\n") != std::string::npos;
    EXPECT_EQ(time != before.at(name), listed) << name;
  }
  ExpectNoLeftovers();
}

TEST_F(ChangedOnlyTest, FilesOfGoneRecordsAreRemovedAndTheUsersFilesStay) {
  ASSERT_TRUE(std::filesystem::create_directories("html/photos"));
  WriteFile("html/photos/john.jpg", "a picture");
  WriteFile("html/about.htm", "my own page");
  WriteFile("html/fam00009.htm", "my own page under a name like Kinloom's");
  ASSERT_EQ(Publish(EveryPageTree()), kResultOk);

  // Lone goes, and with him his page, his notes and his chart; the totals
  // and the index pages change.
  std::string without_lone = EveryPageTree();
  const std::size_t from = without_lone.find("0 @I4@ INDI");
  without_lone.erase(from, without_lone.find("0 @F1@ FAM") - from);
  ASSERT_EQ(Publish(without_lone), kResultOk);
  EXPECT_EQ(ReadFile("kinloom.changes"),
            "written gendex.txt\n"
            "removed ind00004.htm\n"
            "written names1.htm\n"
            "removed nti00004.htm\n"
            "removed ped00004.htm\n"
            "written surnames.htm\n");
  auto expected = FreshSite(without_lone, ChangedOnly(), "1 January 2000");
  expected["photos/john.jpg"] = "a picture";
  expected["about.htm"] = "my own page";
  expected["fam00009.htm"] = "my own page under a name like Kinloom's";
  EXPECT_TRUE(TreeFiles("html") == expected);

  // Sub-directories: every numbered page moves, the flat ones go.
  ASSERT_EQ(Publish(without_lone, 'Y'), kResultOk);
  auto moved = FreshSite(without_lone, ChangedOnly('Y'), "1 January 2000");
  moved["photos/john.jpg"] = "a picture";
  moved["about.htm"] = "my own page";
  moved["fam00009.htm"] = "my own page under a name like Kinloom's";
  EXPECT_TRUE(TreeFiles("html") == moved);
  EXPECT_EQ(ReadFile("kinloom.changes"),
            "written fam/fam00001.htm\n"
            "removed fam00001.htm\n"
            "written gendex.txt\n"
            "written names1.htm\n"
            "written ntf/ntf00001.htm\n"
            "removed ntf00001.htm\n"
            "written nti/nti00001.htm\n"
            "removed nti00001.htm\n"
            "written ped/ped00001.htm\n"
            "written ped/ped00002.htm\n"
            "written ped/ped00003.htm\n"
            "removed ped00001.htm\n"
            "removed ped00002.htm\n"
            "removed ped00003.htm\n"
            "written pho/pho00001.htm\n"
            "removed pho00001.htm\n");
  ExpectNoLeftovers();
}

TEST_F(ChangedOnlyTest, HandEditedPageIsWrittenAgain) {
  ASSERT_EQ(Publish(EveryPageTree()), kResultOk);
  const auto site = TreeFiles("html");
  // The same size, other bytes; then a page whose time alone is changed.
  std::string page = site.at("fam00001.htm");
  page[page.find("Husband")] = 'h';
  WriteFile("html/fam00001.htm", TextLineEnds(page));
  const std::filesystem::path names("html/names1.htm");
  std::filesystem::last_write_time(names,
                                   std::filesystem::last_write_time(names) + std::chrono::hours(1));
  ASSERT_EQ(Publish(EveryPageTree()), kResultOk);
  EXPECT_EQ(ReadFile("kinloom.changes"), "written fam00001.htm\nwritten names1.htm\n");
  EXPECT_TRUE(TreeFiles("html") == site);
}

// Whatever is wrong with the record, the run writes every page and removes
// nothing, and says why once.
TEST_F(ChangedOnlyTest, UnusableRecordWritesEveryPageAndRemovesNothing) {
  std::string without_lone = EveryPageTree();
  const std::size_t from = without_lone.find("0 @I4@ INDI");
  without_lone.erase(from, without_lone.find("0 @F1@ FAM") - from);
  const char kWritten[] =
      "written fam00001.htm\n"
      "written gendex.txt\n"
      "written names1.htm\n"
      "written ntf00001.htm\n"
      "written nti00001.htm\n"
      "written ped00001.htm\n"
      "written ped00002.htm\n"
      "written ped00003.htm\n"
      "written pho00001.htm\n"
      "written surnames.htm\n";
  const struct {
    const char* name;
    std::string (*spoil)(const std::string& record);
    const char* warning;
  } cases[] = {
      {"missing", [](const std::string&) { return std::string(); }, kNoRecordWarning},
      {"cut short", [](const std::string& r) { return r.substr(0, r.size() - 30); },
       "kinloom.manifest is damaged: every page is written and no file is removed.\n"},
      {"without its end", [](const std::string& r) { return r.substr(0, r.rfind("end ")); },
       "kinloom.manifest is damaged: every page is written and no file is removed.\n"},
      {"a line edited",
       [](const std::string& r) { return Replaced(r, "html/ind00004", "html/ind00005"); },
       "kinloom.manifest is damaged: every page is written and no file is removed.\n"},
      {"a path outside html",
       [](const std::string& r) { return Replaced(r, "html/ind00004", "html/../x0004"); },
       "kinloom.manifest is damaged: every page is written and no file is removed.\n"},
      {"binary",
       [](const std::string&) {
         return std::string(
             "\x7f"
             "ELF\0\0\n\xff",
             8);
       },
       "kinloom.manifest is damaged: every page is written and no file is removed.\n"},
      {"with a journal of a run cut off in another folder",
       [](const std::string& r) {
         WriteFile("kinloom.journal", "kinloom record 1 1\n");
         return r;
       },
       "kinloom.journal, the record of an unfinished run, is not usable: every page is written "
       "and no file is removed.\n"},
      {"of another folder",
       [](const std::string& r) { return Replaced(r, "kinloom record 1 ", "kinloom record 1 9"); },
       "kinloom.manifest was made for another html folder: every page is written and no file "
       "is removed.\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    ASSERT_EQ(Publish(EveryPageTree()), kResultOk);
    const std::string spoilt = c.spoil(ReadFile("kinloom.manifest"));
    std::remove("kinloom.manifest");
    if (!spoilt.empty()) WriteFile("kinloom.manifest", spoilt);
    ASSERT_EQ(Publish(without_lone), kResultOk);
    EXPECT_EQ(warnings_, c.warning);
    EXPECT_EQ(ReadFile("kinloom.changes"), kWritten);
    EXPECT_TRUE(FileExists("html/ind00004.htm"));
    // The record is whole again.
    ASSERT_EQ(Publish(without_lone), kResultOk);
    EXPECT_EQ(warnings_, "");
    EXPECT_EQ(ReadFile("kinloom.changes"), "");
  }
}

// Links planted where a run puts its own files lead nowhere: the files are
// made in their place and what the links point to stays as it was.
TEST_F(ChangedOnlyTest, PlantedLinksAreNotFollowed) {
  KINLOOM_SKIP_ON_WINDOWS("symbolic links need privileges");
#ifndef _WIN32
  ASSERT_EQ(Publish(EveryPageTree()), kResultOk);
  ASSERT_TRUE(std::filesystem::create_directories("elsewhere/dir"));
  WriteFile("elsewhere/victim", "precious");
  WriteFile("elsewhere/dir/victim", "precious");
  const std::string victim = dir_.path() + "/elsewhere/victim";
  std::vector<std::string> links(std::begin(kWorkFileNames), std::end(kWorkFileNames));
  for (const char* name : {"kinloom.journal", "kinloom.changes.tmp"}) {
    links.push_back(name);
  }
  for (const std::string& link : links) {
    ASSERT_EQ(::symlink(victim.c_str(), link.c_str()), 0) << link;
  }
  ASSERT_EQ(::symlink((dir_.path() + "/elsewhere/dir").c_str(), "kinloom.tmp"), 0);
  const std::string edited = Replaced(EveryPageTree(), "2 PLAC Boston", "2 PLAC Salem");
  ASSERT_EQ(Publish(edited), kResultOk);
  EXPECT_EQ(ReadFile("kinloom.changes"), "written fam00001.htm\nwritten gendex.txt\n");
  EXPECT_EQ(ReadFile("elsewhere/victim"), "precious");
  EXPECT_EQ(FileList("elsewhere"), "dir/victim\nvictim\n");
  EXPECT_TRUE(TreeFiles("html") == FreshSite(edited, ChangedOnly(), "1 January 2000"));
  ExpectNoLeftovers();
#endif
}

#ifndef _WIN32
// A tree of some size, so that a run has many pages to be killed among:
// families of a father, a mother and a child, each with a note.
std::string FamiliesTree(int families, const std::string& place) {
  std::string tree = "0 HEAD\n";
  for (int f = 1; f <= families; ++f) {
    const std::string n = std::to_string(f);
    const std::string h = std::to_string(3 * f - 2);
    const std::string w = std::to_string(3 * f - 1);
    const std::string c = std::to_string(3 * f);
    tree += "0 @I" + h + "@ INDI\n1 NAME Man" + n + " /Kerr" + n + "/\n1 BIRT\n2 PLAC " + place +
            "\n1 FAMS @F" + n + "@\n1 NOTE Note of " + n + "\n";
    tree += "0 @I" + w + "@ INDI\n1 NAME Wife" + n + " /Lane/\n1 FAMS @F" + n + "@\n";
    tree += "0 @I" + c + "@ INDI\n1 NAME Child" + n + " /Kerr" + n + "/\n1 FAMC @F" + n + "@\n";
    tree += "0 @F" + n + "@ FAM\n1 HUSB @I" + h + "@\n1 WIFE @I" + w + "@\n1 CHIL @I" + c + "@\n";
  }
  return tree + "0 TRLR\n";
}
#endif

// A run killed anywhere, then run again: the site is the fresh full run's,
// nothing stale is left, and the change list of the run that finished is
// that of a run that was never interrupted (what the killed run wrote is
// listed then).
TEST_F(ChangedOnlyTest, RunKilledAnywhereIsMendedByTheNextRun) {
  KINLOOM_SKIP_ON_WINDOWS("no fork()");
#ifndef _WIN32
  const std::string before = FamiliesTree(40, "Boston");
  // Every other place edited, and the last ten families gone.
  std::string after = FamiliesTree(30, "Boston");
  for (std::size_t at = 0; (at = after.find("PLAC Boston", at)) != std::string::npos; at += 22) {
    after.replace(at, 11, "PLAC Salem");
  }
  const auto expected = FreshSite(after, ChangedOnly(), "1 January 2000");

  std::string uninterrupted_changes;
  {
    ScratchDir dir;
    ASSERT_EQ(Publish(before), kResultOk);
    ASSERT_EQ(Publish(after), kResultOk);
    uninterrupted_changes = ReadFile("kinloom.changes");
  }
  ASSERT_NE(uninterrupted_changes, "");

  struct KillPoint {
    const char* phase;  // killed on entering this phase, or
    long pages;         // after this many pages
    bool background;
  };
  const KillPoint points[] = {
      {"ReadGedcom", 0, true},       {"BuildFamilyGroupRecords", 0, true},
      {nullptr, 1, false},           {nullptr, 1, true},
      {nullptr, 25, false},          {nullptr, 60, true},
      {nullptr, 150, false},         {"BuildSurnamesPages", 0, true},
      {"BuildGendexFile", 0, false},
  };
  for (const KillPoint& point : points) {
    SCOPED_TRACE(point.phase != nullptr ? point.phase : std::to_string(point.pages));
    ScratchDir dir;
    ASSERT_EQ(Publish(before), kResultOk);
    WriteFile("html/mine.htm", "mine");

    WriteFile("tree.ged", after);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      kinloom::Run run(ChangedOnly(), LabelTexts());
      run.test_options.fixed_page_date = "1 January 2000";
      run.test_options.write_in_background = point.background;
      run.on_warning = [](std::string_view) {};
      run.on_progress = [&point](const Progress& progress) {
        if (point.phase != nullptr ? progress.phase == point.phase
                                   : progress.pages_written >= point.pages) {
          ::raise(SIGKILL);
        }
      };
      CreateKinloom(run);
      ::_exit(100);
    }
    ASSERT_EQ(WaitForChild(pid).signal, SIGKILL);
    EXPECT_TRUE(FileExists("kinloom.journal"));

    ASSERT_EQ(Publish(after), kResultOk);
    EXPECT_EQ(warnings_, "");
    auto site = TreeFiles("html");
    EXPECT_EQ(site["mine.htm"], "mine");
    site.erase("mine.htm");
    EXPECT_TRUE(site == expected);
    EXPECT_EQ(ReadFile("kinloom.changes"), uninterrupted_changes);
    ExpectNoLeftovers();
    // And the one after that has nothing to do.
    ASSERT_EQ(Publish(after), kResultOk);
    EXPECT_EQ(ReadFile("kinloom.changes"), "");
  }
#endif
}

// A run cut off after it removed the files of the previous record that it
// did not write, but before its own record took the old one's place and
// it listed what it did: the next run still lists every file it removed.
TEST_F(ChangedOnlyTest, FilesRemovedByACutOffRunAreStillListed) {
  KINLOOM_SKIP_ON_WINDOWS("no fork()");
#ifndef _WIN32
  ASSERT_EQ(Publish(FamiliesTree(40, "Boston")), kResultOk);
  const auto before = TreeFiles("html");
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    // A run that writes nothing: every file of the record goes.
    ChangedPages pages([](std::string_view) {});
    if (pages.Begin()) ::_exit(101);
    (void)pages.Finish(true, [](long long, std::uint64_t) { ::raise(SIGKILL); });
    ::_exit(100);
  }
  ASSERT_EQ(WaitForChild(pid).signal, SIGKILL);
  ASSERT_TRUE(TreeFiles("html").empty());

  const std::string after = FamiliesTree(30, "Boston");
  ASSERT_EQ(Publish(after), kResultOk);
  EXPECT_EQ(warnings_, "");
  const auto site = TreeFiles("html");
  EXPECT_TRUE(site == FreshSite(after, ChangedOnly(), "1 January 2000"));
  std::string expected;
  for (const auto& [name, bytes] : before) {
    expected += (site.count(name) != 0 ? "written " : "removed ") + name + "\n";
  }
  EXPECT_EQ(ReadFile("kinloom.changes"), expected);
  ExpectNoLeftovers();
  ASSERT_EQ(Publish(after), kResultOk);
  EXPECT_EQ(ReadFile("kinloom.changes"), "");
#endif
}

// Every page carries header.htm; the new one does not fit on the "disk"
// (files limited in size), so no page can be replaced: the run ends with 6,
// every old page is whole, and the next run with room puts the site right.
TEST(ChangedOnlyFullDiskTest, OldPagesStayWholeAndTheRecordTrue) {
  KINLOOM_SKIP_ON_WINDOWS("no per-process file size limit");
#ifndef _WIN32
  ScratchDir dir;
  WriteFile("tree.ged", EveryPageTree());
  WriteFile("kinloom.cfg", EveryOptionOnConfig('N') + "CHANGEDONLY=Y\n");
  WriteFile("header.htm", "small\n");
  ASSERT_EQ(RunKinloomCreateWithFileLimit(1 << 20).exit_status, kResultOk);
  const auto old_site = TreeFiles("html");

  WriteFile("header.htm", std::string(64 * 1024, 'h'));
  const ChildEnd full = RunKinloomCreateWithFileLimit(32 * 1024);
  EXPECT_EQ(full.signal, 0);
  EXPECT_EQ(full.exit_status, kResultCannotWrite);
  EXPECT_TRUE(TreeFiles("html") == old_site);
  EXPECT_FALSE(FileExists("kinloom.tmp"));

  const ChildEnd roomy = RunKinloomCreateWithFileLimit(RLIM_INFINITY);
  EXPECT_EQ(roomy.exit_status, kResultOk);
  const auto new_site = TreeFiles("html");
  EXPECT_EQ(new_site.size(), old_site.size());
  for (const auto& [name, bytes] : new_site) {
    // gendex.txt has no header; the background picture is no page.
    if (name != "gendex.txt" && name != "sand1.jpg") {
      EXPECT_NE(bytes, old_site.at(name)) << name;
    }
  }
  EXPECT_EQ(ReadFile("kinloom.changes"), Replaced(kAllWritten, "written gendex.txt\n", ""));
#endif
}

// A page that cannot be replaced for its permissions keeps its old bytes;
// the run ends with 6 and the next run writes it.
TEST_F(ChangedOnlyTest, ReadOnlyPageStaysWholeAndEndsWithSix) {
  ASSERT_EQ(Publish(EveryPageTree()), kResultOk);
  const std::string old_page = ReadFile("html/fam00001.htm");
  // Windows keeps the write bits as the file's read-only attribute.
  namespace fs = std::filesystem;
  const fs::perms write = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  fs::permissions("html/fam00001.htm", write, fs::perm_options::remove);
  if (platform::MayWrite("html/fam00001.htm")) {
    fs::permissions("html/fam00001.htm", fs::perms::owner_write, fs::perm_options::add);
    GTEST_SKIP() << "permissions do not bind the super-user";
  }
  const std::string edited = Replaced(EveryPageTree(), "2 PLAC Boston", "2 PLAC Salem");
  EXPECT_EQ(Publish(edited), kResultCannotWrite);
  EXPECT_EQ(ReadFile("html/fam00001.htm"), old_page);
  fs::permissions("html/fam00001.htm", fs::perms::owner_write, fs::perm_options::add);
  ASSERT_EQ(Publish(edited), kResultOk);
  EXPECT_TRUE(TreeFiles("html") == FreshSite(edited, ChangedOnly(), "1 January 2000"));
}

}  // namespace
}  // namespace kinloom::testing
