// Faults injected into whole runs: a GEDCOM file that cannot be read, an
// output tree that cannot be written for each kind of page, work files
// that cannot be created, a full disk, a run killed in the middle, and a
// kinloom.cfg that is damaged or cannot be saved. Each fault gives its
// RunResult and log lines, never "Finished" for a site that was not
// written, and never touches the GEDCOM file.
#include <filesystem>
#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "reliability/site_fixture.h"
#include "support/windows_skip.h"
#include "ui/config.h"

namespace kinloom::testing {
namespace {

// The site of EveryPageTree, by path under html.
const char kSubdirSite[] =
    "fam/fam00001.htm\n"
    "gendex.txt\n"
    "ind/ind00004.htm\n"
    "names1.htm\n"
    "ntf/ntf00001.htm\n"
    "nti/nti00001.htm\n"
    "nti/nti00004.htm\n"
    "ped/ped00001.htm\n"
    "ped/ped00002.htm\n"
    "ped/ped00003.htm\n"
    "ped/ped00004.htm\n"
    "pho/pho00001.htm\n"
    "surnames.htm\n";
const char kFlatSite[] =
    "fam00001.htm\n"
    "gendex.txt\n"
    "ind00004.htm\n"
    "names1.htm\n"
    "ntf00001.htm\n"
    "nti00001.htm\n"
    "nti00004.htm\n"
    "ped00001.htm\n"
    "ped00002.htm\n"
    "ped00003.htm\n"
    "ped00004.htm\n"
    "pho00001.htm\n"
    "surnames.htm\n";

const char kCloseLines[] = ">CloseKinloomFiles\n<CloseKinloomFiles\n";

// The site list without the lines that name one of the files in missing.
std::string SiteWithout(const std::string& site, const std::vector<std::string>& missing) {
  std::string out;
  std::size_t pos = 0;
  while (pos < site.size()) {
    const std::size_t end = site.find('\n', pos);
    const std::string name = site.substr(pos, end - pos);
    bool gone = false;
    for (const std::string& m : missing) gone = gone || name == m;
    if (!gone) out += name + "\n";
    pos = end + 1;
  }
  return out;
}

class FaultTest : public SiteTest {};

TEST_F(FaultTest, IntactRunWritesEveryPageInBothLayouts) {
  for (char subdirs : {'Y', 'N'}) {
    SCOPED_TRACE(std::string("SUBDIRS ") + subdirs);
    std::filesystem::remove_all("html");
    EXPECT_EQ(RunSite(EveryPageTree(), EveryOptionOn(subdirs)), kResultOk);
    EXPECT_EQ(FileList("html"), subdirs == 'Y' ? kSubdirSite : kFlatSite);
    EXPECT_EQ(LastLines(Log(), 4),
              std::string("<BuildGendexFile\n") + kCloseLines + "<CreateKinloom 0\n");
    ExpectNoWorkFiles();
  }
}

TEST_F(FaultTest, GedcomFileThatCannotBeOpenedStopsWithOne) {
  struct Case {
    const char* what;
    const char* gedfile;
  };
  const Case cases[] = {
      {"missing", "absent.ged"},
      {"a directory", "folder.ged"},
      {"below a regular file", "plain.txt/tree.ged"},
      {"a dangling symbolic link", "dangling.ged"},
      {"empty name", ""},
  };
  ASSERT_TRUE(std::filesystem::create_directory("folder.ged"));
  WriteFile("plain.txt", "not a directory");
#ifndef _WIN32
  ASSERT_EQ(::symlink("nowhere.ged", "dangling.ged"), 0);  // elsewhere it is merely missing
#endif
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Settings settings = EveryOptionOn('Y');
    settings.gedfile = c.gedfile;
    run_.settings = settings;
    EXPECT_EQ(CreateKinloom(run_), kResultGedcomNotOpened);
    EXPECT_EQ(LastLines(Log(), 5),
              std::string("<OpenKinloomFiles\n>ReadGedcom\n") + kCloseLines + "<CreateKinloom 1\n");
    EXPECT_EQ(FileList("html"), "");
    ExpectNoWorkFiles();
  }
  EXPECT_TRUE(IsDirectory("folder.ged"));
  EXPECT_EQ(ReadFile("plain.txt"), "not a directory");
}

// One page kind that cannot be written. A file stands where the kind's
// sub-directory belongs (SUBDIRS "Y") or a directory where its page belongs
// (SUBDIRS "N"). A failure of the page phases stops the run at once; a
// failure of an individual page, a names page or a listed pedigree chart is
// logged and the run goes on, but still ends with 6.
struct PageFault {
  const char* kind;
  const char* subdir_blocker;  // made a regular file
  const char* flat_blocker;    // made a directory
  const char* log_line;
  // Lines before the close lines at the end of the log; empty when the run
  // goes on to the end.
  const char* stop_lines;
  std::vector<std::string> missing_subdir;
  std::vector<std::string> missing_flat;
  bool pedigree_list_only = false;
};

TEST_F(FaultTest, EveryPageKindThatCannotBeWrittenEndsWithSix) {
  const PageFault faults[] = {
      {"family pages",
       "html/fam",
       "html/fam00001.htm",
       "Unable to create new FAM file.",
       ">BuildFamilyGroupRecords\nUnable to create new FAM file.\n",
       {},
       {}},
      {"individual notes pages",
       "html/nti",
       "html/nti00001.htm",
       "Unable to create new NTI file.",
       ">BuildIndividualNotes\nUnable to create new NTI file.\n",
       {},
       {}},
      {"family notes pages",
       "html/ntf",
       "html/ntf00001.htm",
       "Unable to create new NTF file.",
       ">BuildFamilyNotes\nUnable to create new NTF file.\n",
       {},
       {}},
      {"photo pages",
       "html/pho",
       "html/pho00001.htm",
       "Unable to create new PHO file.",
       // The picture is looked for before the pages are written.
       ">BuildPhotoPages\nPicture not found: photos/john.jpg (looked in .)\n"
       "Unable to create new PHO file.\n",
       {},
       {}},
      {"pedigree charts",
       "html/ped",
       "html/ped00001.htm",
       "Unable to create new PED file.",
       ">PedigreeChart\nUnable to create new PED file.\n",
       {},
       {}},
      {"surnames page",
       "html/surnames.htm",
       "html/surnames.htm",
       "Unable to create new SURNAMES file.",
       "Unable to create new SURNAMES file.\n",
       {},
       {}},
      {"gendex file",
       "html/gendex.txt",
       "html/gendex.txt",
       "Unable to create new GENDEX file.",
       ">BuildGendexFile\nUnable to create new GENDEX file.\n",
       {},
       {}},
      {"individual pages",
       "html/ind",
       "html/ind00004.htm",
       "Unable to create new IND file.",
       "",
       {"ind/ind00004.htm"},
       {"ind00004.htm"}},
      {"names pages",
       "html/names1.htm",
       "html/names1.htm",
       "Unable to create new NAMES file.",
       "",
       {"names1.htm"},
       {"names1.htm"}},
      {"listed pedigree chart",
       "html/ped",
       "html/ped00001.htm",
       "Unable to create new PED file.",
       "",
       {"ped/ped00001.htm", "ped/ped00002.htm", "ped/ped00003.htm", "ped/ped00004.htm"},
       {"ped00001.htm", "ped00002.htm", "ped00004.htm"},
       true},
  };
  const std::string tree = EveryPageTree();
  for (const PageFault& f : faults) {
    for (char subdirs : {'Y', 'N'}) {
      SCOPED_TRACE(std::string(f.kind) + ", SUBDIRS " + subdirs);
      std::filesystem::remove_all("html");
      ASSERT_TRUE(std::filesystem::create_directory("html"));
      const std::string blocker = subdirs == 'Y' ? f.subdir_blocker : f.flat_blocker;
      if (subdirs == 'Y' && blocker.find('.') == std::string::npos) {
        WriteFile(blocker, "in the way");
      } else {
        if (subdirs == 'Y') {
          for (const char* d :
               {"html/fam", "html/ind", "html/nti", "html/ntf", "html/ped", "html/pho"}) {
            std::filesystem::create_directory(d);
          }
        }
        ASSERT_TRUE(std::filesystem::create_directory(blocker.c_str()));
      }
      Settings settings = EveryOptionOn(subdirs);
      if (f.pedigree_list_only) {
        settings.pedigreeall = 'N';
        settings.pedigreelist = "1,3";
      }

      EXPECT_EQ(RunSite(tree, settings), kResultCannotWrite);
      const std::string log = Log();
      EXPECT_NE(log.find(std::string(f.log_line) + "\n"), std::string::npos);
      const std::string tail = std::string(*f.stop_lines ? f.stop_lines : "<BuildGendexFile\n") +
                               kCloseLines + "<CreateKinloom 6\n";
      EXPECT_EQ(log.substr(log.size() - std::min(log.size(), tail.size())), tail);
      if (!*f.stop_lines) {
        // The run went on: everything but the blocked pages is there.
        if (subdirs == 'Y') std::remove(blocker.c_str());
        const std::string site = subdirs == 'Y' ? kSubdirSite : kFlatSite;
        EXPECT_EQ(FileList("html"),
                  SiteWithout(site, subdirs == 'Y' ? f.missing_subdir : f.missing_flat));
      }
      EXPECT_EQ(ReadFile("tree.ged"), tree);
      ExpectNoWorkFiles();
    }
  }
}

TEST_F(FaultTest, EachWorkFileThatCannotBeCreatedStopsWithSix) {
  const std::string tree = EveryPageTree();
  for (const char* name : kWorkFileNames) {
    SCOPED_TRACE(name);
    std::filesystem::remove_all("html");
    ASSERT_TRUE(std::filesystem::create_directory(name));
    std::remove("kinloom.log");
    EXPECT_EQ(RunSite(tree, EveryOptionOn('Y')), kResultCannotWrite);
    EXPECT_EQ(LastLines(Log(), 5), std::string(">OpenKinloomFiles\nUnable to create work file ") +
                                       name + ".\n" + kCloseLines + "<CreateKinloom 6\n");
    EXPECT_EQ(Log().find(">ReadGedcom"), std::string::npos);
    for (const char* other : kWorkFileNames) {
      if (std::string(other) != name) {
        EXPECT_FALSE(FileExists(other)) << other;
      }
    }
    EXPECT_TRUE(IsDirectory(name));
    EXPECT_EQ(ReadFile("tree.ged"), tree);
    ASSERT_EQ(::rmdir(name), 0);
  }
}

// A GEDCOM file that is itself one of the work files, by name, by a
// symbolic link or by a hard link: creating the work files would empty it.
TEST_F(FaultTest, GedcomFileThatIsAWorkFileIsLeftAlone) {
  struct Case {
    const char* what;
    const char* gedfile;
    const char* work_file;
  };
  const Case cases[] = {
      {"named like a work file", "indv.dat", "indv.dat"},
      {"the last work file", "photo.idx", "photo.idx"},
      {"through a symbolic link", "linked.ged", "fnote.dat"},
      {"through a hard link", "hard.ged", "src.idx"},
  };
  const std::string tree = EveryPageTree();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::remove("kinloom.log");
    const bool linked = std::string(c.gedfile) == "linked.ged";
    const bool hard = std::string(c.gedfile) == "hard.ged";
#ifdef _WIN32
    if (linked || hard) continue;  // links need privileges there
#endif
    WriteFile(c.work_file, tree);
#ifndef _WIN32
    if (linked) {
      ASSERT_EQ(::symlink(c.work_file, c.gedfile), 0);
    }
    if (hard) {
      ASSERT_EQ(::link(c.work_file, c.gedfile), 0);
    }
#endif
    Settings settings = EveryOptionOn('Y');
    settings.gedfile = c.gedfile;
    run_.settings = settings;
    EXPECT_EQ(CreateKinloom(run_), kResultCannotWrite);
    EXPECT_EQ(LastLines(Log(), 5), std::string(">OpenKinloomFiles\nUnable to create work file ") +
                                       c.work_file + ".\n" + kCloseLines + "<CreateKinloom 6\n");
    EXPECT_EQ(ReadFile(c.work_file), tree);
    EXPECT_EQ(ReadFile(c.gedfile), tree);
    std::remove(c.gedfile);
    std::remove(c.work_file);
    ExpectNoWorkFiles();
  }
}

// Every page carries header.htm, which is larger than the file size limit,
// while the work files and the log stay far below it: the disk is "full"
// exactly when the first page is written.
TEST(FullDiskTest, FullDiskWhilePagesAreWrittenEndsWithSix) {
  KINLOOM_SKIP_ON_WINDOWS("no per-process file size limit");
#ifndef _WIN32
  ScratchDir dir;
  const std::string tree = EveryPageTree();
  WriteFile("tree.ged", tree);
  WriteFile("kinloom.cfg", EveryOptionOnConfig('Y'));
  WriteFile("header.htm", std::string(64 * 1024, 'h'));
  const ChildEnd end = RunKinloomCreateWithFileLimit(32 * 1024);
  EXPECT_EQ(end.signal, 0);
  EXPECT_EQ(end.exit_status, kResultCannotWrite);
  EXPECT_EQ(ReadText("create.out"), "");
  // The first page that could not be written is named, with the reason.
  EXPECT_EQ(ReadText("create.err"),
            "Error opening file for write.\nSee kinloom.log file.\n"
            "Cannot write \"html/fam/fam00001.htm\": File too large.\n");
  EXPECT_EQ(LastLines(ReadText("kinloom.log"), 8),
            std::string(">BuildFamilyGroupRecords\n"
                        "Unable to create new FAM file.\n") +
                kCloseLines +
                "<CreateKinloom 6\n"
                "Cannot write \"html/fam/fam00001.htm\": File too large.\n"
                "Windows has a limit of 32767 files in a single directory.\n"
                "You have most likely surpassed it.\n");
  EXPECT_EQ(ReadFile("tree.ged"), tree);
  ExpectNoWorkFiles();
#endif
}

// 1000 individuals fill 1000 records of 633 bytes in indv.dat, more than
// the store holds in memory; with files limited to 64 KiB the disk is
// "full" while the GEDCOM file is read. The log stays below the limit.
TEST(FullDiskTest, FullDiskWhileWorkFilesAreWrittenEndsWithSix) {
  KINLOOM_SKIP_ON_WINDOWS("no per-process file size limit");
#ifndef _WIN32
  ScratchDir dir;
  std::string tree = "0 HEAD\n";
  for (int i = 1; i <= 1000; ++i) {
    tree += "0 @I" + std::to_string(i) + "@ INDI\n1 NAME Person" + std::to_string(i) + " /Smith/\n";
  }
  tree += "0 TRLR\n";
  WriteFile("tree.ged", tree);
  WriteFile("kinloom.cfg", EveryOptionOnConfig('N'));
  const ChildEnd end = RunKinloomCreateWithFileLimit(64 * 1024);
  EXPECT_EQ(end.signal, 0);
  EXPECT_EQ(end.exit_status, kResultCannotWrite);
  const std::string log = ReadText("kinloom.log");
  EXPECT_NE(log.find("Unable to write work file indv.dat.\n"), std::string::npos);
  EXPECT_EQ(LastLines(log, 5), std::string(kCloseLines) +
                                   "<CreateKinloom 6\n"
                                   "Windows has a limit of 32767 files in a single directory.\n"
                                   "You have most likely surpassed it.\n");
  EXPECT_EQ(log.find(">BuildFamilyGroupRecords"), std::string::npos);
  EXPECT_EQ(ReadFile("tree.ged"), tree);
  ExpectNoWorkFiles();
#endif
}

// The child kills itself with SIGKILL right after its third page, so the
// kill lands in the middle of the family pages every time, with no timing.
// With the pages written in the background the run is a few pages further
// on when it sees the third one done; the next run mends the site all the
// same.
TEST_F(FaultTest, RunKilledMidwayIsFollowedByACleanRun) {
  KINLOOM_SKIP_ON_WINDOWS("no fork() and no per-process file size limit");
#ifndef _WIN32
  std::string tree = "0 HEAD\n";
  for (int f = 1; f <= 12; ++f) {
    const std::string n = std::to_string(f);
    tree += "0 @I" + n + "@ INDI\n1 NAME Man" + n + " /Kerr/\n1 FAMS @F" + n + "@\n";
    tree += "0 @F" + n + "@ FAM\n1 HUSB @I" + n + "@\n";
  }
  tree += "0 TRLR\n";
  for (const bool background : {false, true}) {
    SCOPED_TRACE(background ? "background" : "one thread");
    ScratchDir dir;
    WriteFile("tree.ged", tree);
    kinloom::Run run(EveryOptionOn('Y'), LabelTexts());
    run.test_options.fixed_page_date = run_.test_options.fixed_page_date;
    run.test_options.write_in_background = background;

    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      run.on_progress = [](const Progress& progress) {
        if (progress.pages_written >= 3) ::raise(SIGKILL);
      };
      CreateKinloom(run);
      ::_exit(100);  // not reached: the third page ends the process
    }
    const ChildEnd end = WaitForChild(pid);
    ASSERT_EQ(end.signal, SIGKILL);
    for (const char* name : kWorkFileNames) EXPECT_TRUE(FileExists(name)) << name;
    if (!background) {
      EXPECT_EQ(LastLines(Log(), 1), ">BuildFamilyGroupRecords\n");
      EXPECT_EQ(FileList("html"), "fam/fam00001.htm\nfam/fam00002.htm\nfam/fam00003.htm\n");
    } else {
      EXPECT_EQ(FileList("html").substr(0, 51),
                "fam/fam00001.htm\nfam/fam00002.htm\nfam/fam00003.htm\n");
    }

    EXPECT_EQ(CreateKinloom(run), kResultOk);
    ExpectNoWorkFiles();
    EXPECT_EQ(LastLines(Log(), 3), std::string(kCloseLines) + "<CreateKinloom 0\n");
    const auto second = TreeFiles("html");
    EXPECT_EQ(ReadFile("tree.ged"), tree);

    // The same site as a run that was never interrupted.
    ScratchDir fresh;
    WriteFile("tree.ged", tree);
    kinloom::Run clean(EveryOptionOn('Y'), LabelTexts());
    clean.test_options.fixed_page_date = run_.test_options.fixed_page_date;
    ASSERT_EQ(CreateKinloom(clean), kResultOk);
    EXPECT_TRUE(TreeFiles("html") == second);
    EXPECT_EQ(TreeFiles("html").size(), 12u + 12u + 3u);
  }
#endif
}

// The end of a whole run of tree.ged: its result, log and site.
struct Ending {
  int result;
  std::string log;
  std::map<std::string, std::string> files;
};

// Runs tree with settings in a fresh directory, which prepare may fill
// first, writing in the background or not.
Ending RunInMode(const std::string& tree, const Settings& settings, bool background,
                 const std::function<void()>& prepare = {}) {
  ScratchDir dir;
  WriteFile("tree.ged", tree);
  if (prepare) prepare();
  kinloom::Run run(settings, LabelTexts());
  run.test_options.fixed_page_date = "1 January 2000";
  run.test_options.write_in_background = background;
  run.test_options.always_wait_for_names_sort = true;  // the work done ahead is always used
  const int result = CreateKinloom(run);
  ExpectNoWorkFiles();
  return {result, ReadText("kinloom.log"), TreeFiles("html")};
}

// Writing the pages in the background changes nothing a user can see:
// whatever stands in the way, both modes give the same result, the same
// files and the same log, line for line.
TEST(BackgroundWritingTest, EveryFaultGivesTheSameSiteAndLogInBothModes) {
  struct Setup {
    const char* blocker;  // a file in the way of a directory, or a directory in the way of a file
    bool whole_list;      // PEDIGREEALL "Y" rather than a list of two
  };
  const Setup setups[] = {
      {"", true},
      {"html/fam", true},
      {"html/ind", true},
      {"html/nti", true},
      {"html/ntf", true},
      {"html/pho", true},
      {"html/ped", true},
      {"html/ped", false},
      {"html/names1.htm", true},
      {"html/surnames.htm", true},
      {"html/gendex.txt", true},
  };
  const std::string tree = EveryPageTree();
  for (const Setup& setup : setups) {
    SCOPED_TRACE(std::string(setup.blocker) + (setup.whole_list ? " all" : " list"));
    Settings settings = EveryOptionOn('Y');
    if (!setup.whole_list) {
      settings.pedigreeall = 'N';
      settings.pedigreelist = "1,3";
    }
    const auto block = [&setup] {
      ASSERT_TRUE(std::filesystem::create_directory("html"));
      const std::string blocker = setup.blocker;
      if (blocker.find('.') == std::string::npos) {
        if (!blocker.empty()) WriteFile(blocker, "in the way");
      } else {
        ASSERT_TRUE(std::filesystem::create_directory(blocker.c_str()));
      }
    };
    const Ending ends[2] = {RunInMode(tree, settings, false, block),
                            RunInMode(tree, settings, true, block)};
    EXPECT_EQ(ends[1].result, ends[0].result);
    EXPECT_EQ(ends[1].log, ends[0].log);
    EXPECT_TRUE(ends[1].files == ends[0].files);
    EXPECT_EQ(ends[0].result, *setup.blocker ? kResultCannotWrite : kResultOk);
  }
}

// In background mode the names sort and the GENDEX lines are worked out
// ahead, from the records at each slot; they must come out as the one-thread
// run's, which asks the store by number, also where a number does not lead
// to exactly one record.
TEST(BackgroundWritingTest, UnusualTreesGiveTheSameSiteAndLogInBothModes) {
  std::string many = "0 HEAD\n";
  // Equal and unequal keys in no order, some without a surname or a name.
  const char* const names[] = {"Ann /Lee/", "Bo /Kim/", "Ann /Lee/", "Cy //", "/Lee/", ""};
  for (int i = 1; i <= 40; ++i) {
    many += "0 @I" + std::to_string(i * 7 % 41) + "@ INDI\n";
    if (*names[i % 6] != '\0') many += std::string("1 NAME ") + names[i % 6] + "\n";
    many += "1 BIRT\n2 DATE " + std::to_string(1800 + i) + "\n";
    if (i % 3 == 0) many += "1 FAMC @F1@\n";
  }
  many += "0 @F1@ FAM\n1 HUSB @I7@\n0 TRLR\n";
  // Enough individuals for several names pages, a page closing only where
  // the surname changes; every fifth belongs to no family and so gets an
  // individual page, written just before its entry.
  std::string pages = "0 HEAD\n";
  for (int i = 1; i <= 3000; ++i) {
    pages += "0 @I" + std::to_string(i) + "@ INDI\n1 NAME N" + std::to_string(i % 97) + " /S" +
             std::to_string(i % 4) + (i % 11 == 0 ? "x" : "") + "/\n";
    if (i % 5 != 0) pages += "1 FAMC @F1@\n";
  }
  pages += "0 @F1@ FAM\n0 TRLR\n";
  const std::pair<const char*, std::string> trees[] = {
      {"many", many},
      {"several names pages", pages},
      {"a number stored twice",
       Lines({"0 @I1@ INDI", "1 NAME Zed /Twin/", "1 FAMS @F1@", "0 @I2@ INDI",
              "1 NAME Amy /Other/", "1 FAMC @F1@", "0 @I1@ INDI", "1 NAME Abe /Twin/", "0 @F1@ FAM",
              "1 HUSB @I1@", "0 TRLR"})},
      {"identifiers without digits",
       Lines({"0 @IX@ INDI", "1 NAME Xena /Young/", "0 @IY@ INDI", "1 NAME Yves /Adams/",
              "0 @I5@ INDI", "1 NAME Bea /Young/", "0 TRLR"})},
      {"one individual", Lines({"0 @I1@ INDI", "1 NAME Only /One/", "0 TRLR"})},
  };
  for (const auto& [what, tree] : trees) {
    SCOPED_TRACE(what);
    Settings settings = EveryOptionOn('N');
    settings.pedigreeall = 'N';
    settings.pedigreelist = "1";
    Ending ends[2] = {RunInMode(tree, settings, false), RunInMode(tree, settings, true)};
    EXPECT_EQ(ends[0].result, kResultOk);
    EXPECT_EQ(ends[1].result, ends[0].result);
    EXPECT_EQ(ends[1].log, ends[0].log);
    EXPECT_TRUE(ends[1].files == ends[0].files);
    EXPECT_GT(ends[1].files["gendex.txt"].size(), 30u);
    if (what == std::string("several names pages")) {
      EXPECT_EQ(ends[1].files.count("names3.htm"), 1u);
      EXPECT_EQ(ends[1].files.count("names4.htm"), 0u);
      EXPECT_EQ(ends[1].files.count("ind00600.htm"), 1u);
    }
  }
}

}  // namespace
}  // namespace kinloom::testing
