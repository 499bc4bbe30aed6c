// Whole runs in a scratch directory for the reliability tests: a small tree
// that makes every kind of page, settings with every option on, helpers to
// read the log and the output tree, and a child process that runs
// kinloom-create under a file size limit.
//
// Header-only, like the other fixtures.
#ifndef KINLOOM_TESTS_RELIABILITY_SITE_FIXTURE_H_
#define KINLOOM_TESTS_RELIABILITY_SITE_FIXTURE_H_

#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>

#include "run/driver.h"
#include "run/run.h"
#include "store/work_files.h"
#include "support/command.h"
#include "support/scratch_dir.h"

namespace kinloom::testing {

// Lines joined with "\n" after each.
inline std::string Lines(std::initializer_list<std::string_view> lines) {
  std::string out;
  for (std::string_view line : lines) {
    out += line;
    out += '\n';
  }
  return out;
}

// Every kind of page: family 1 with a note and a marriage, John (1) with a
// note, a photo and a cited source, Mary (2), their son Tom (3), and Lone
// (4), who belongs to no family and so gets an individual page, and whose
// note page links to it.
inline std::string EveryPageTree() {
  return Lines({
      "0 HEAD",
      "1 CHAR ANSEL",
      "0 @I1@ INDI",
      "1 NAME John /Smith/",
      "1 SEX M",
      "1 BIRT",
      "2 DATE 1 JAN 1900",
      "2 PLAC Boston",
      "2 SOUR @S1@",
      "1 FAMS @F1@",
      "1 NOTE Farmer",
      "2 CONT and miller",
      "1 OBJE",
      "2 FILE photos/john.jpg",
      "2 TITL John in 1920",
      "0 @I2@ INDI",
      "1 NAME Mary /Jones/",
      "1 SEX F",
      "1 FAMS @F1@",
      "0 @I3@ INDI",
      "1 NAME Tom /Smith/",
      "1 FAMC @F1@",
      "0 @I4@ INDI",
      "1 NAME Lone /Walker/",
      "1 NOTE A traveller",
      "0 @F1@ FAM",
      "1 HUSB @I1@",
      "1 WIFE @I2@",
      "1 CHIL @I3@",
      "1 MARR",
      "2 DATE 1920",
      "1 NOTE Married in spring",
      "0 @S1@ SOUR",
      "1 TITL Parish register",
      "0 TRLR",
  });
}

// Settings of a run that writes every kind of page, pedigree charts for
// everyone included, with real addresses and the GEDCOM file "tree.ged".
inline Settings EveryOptionOn(char subdirs) {
  Settings s;
  s.email = "me@example.org";
  s.home = "https://example.org/";
  s.gedfile = "tree.ged";
  s.notes = 'Y';
  s.ucsurname = 'Y';
  s.soundex = 'Y';
  s.sources = 'Y';
  s.photos = 'Y';
  s.subdirs = subdirs;
  s.pedigreeall = 'Y';
  s.extension = "htm";
  return s;
}

// The same lines as kinloom.cfg, for runs of kinloom-create.
inline std::string EveryOptionOnConfig(char subdirs) {
  return Lines({"EMAIL=me@example.org", "HOME=https://example.org/", "GEDFILE=tree.ged", "NOTES=Y",
                "UCSURNAME=Y", "SOUNDEX=Y", "SOURCES=Y", "PHOTOS=Y",
                std::string("SUBDIRS=") + subdirs, "PEDIGREEALL=Y"});
}

inline bool IsDirectory(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_directory(path, error);
}

inline void ExpectNoWorkFiles() {
  for (const char* name : kWorkFileNames) EXPECT_FALSE(FileExists(name)) << name;
}

// The last n lines of text (all of it when it has fewer).
inline std::string LastLines(const std::string& text, int n) {
  std::size_t start = text.size();
  if (start > 0 && text.back() == '\n') --start;
  for (int i = 0; i < n; ++i) {
    const std::size_t nl = start == 0 ? std::string::npos : text.rfind('\n', start - 1);
    if (nl == std::string::npos) return text;
    start = nl;
  }
  return text.substr(start + 1);
}

// Every regular file under dir with its bytes, by path relative to dir.
inline std::map<std::string, std::string> TreeFiles(const std::string& dir) {
  std::map<std::string, std::string> files;
  if (!IsDirectory(dir)) return files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
    if (!entry.is_regular_file()) continue;
    files[std::filesystem::relative(entry.path(), dir).generic_string()] =
        ReadText(entry.path().string());
  }
  return files;
}

// Names of the files under dir, one per line in path order.
inline std::string FileList(const std::string& dir) {
  std::string out;
  for (const auto& [name, bytes] : TreeFiles(dir)) out += name + "\n";
  return out;
}

// How a child process ended.
struct ChildEnd {
  int exit_status = -1;  // when it exited
  int signal = 0;        // when a signal ended it
};

#ifndef _WIN32
inline ChildEnd WaitForChild(pid_t pid) {
  int status = 0;
  ChildEnd end;
  if (::waitpid(pid, &status, 0) != pid) return end;
  if (WIFEXITED(status)) end.exit_status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) end.signal = WTERMSIG(status);
  return end;
}

// Runs kinloom-create in the current directory in a child process whose
// files may not grow beyond file_size_limit bytes. SIGXFSZ is ignored, so a
// write past the limit fails as it does on a full disk. stdout and stderr
// go to "create.out" and "create.err".
inline ChildEnd RunKinloomCreateWithFileLimit(rlim_t file_size_limit) {
  const std::string program = KinloomCreatePath();
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (std::freopen("create.out", "w", stdout) == nullptr) ::_exit(122);
    if (std::freopen("create.err", "w", stderr) == nullptr) ::_exit(123);
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{file_size_limit, file_size_limit};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(120);
    ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    ::_exit(121);
  }
  return WaitForChild(pid);
}
#endif

// A run of CreateKinloom in a scratch directory.
class SiteTest : public ::testing::Test {
 protected:
  SiteTest() { run_.test_options.fixed_page_date = "1 January 2000"; }

  // Writes tree.ged and runs with settings; returns the RunResult.
  int RunSite(const std::string& gedcom, const Settings& settings) {
    WriteFile("tree.ged", gedcom);
    run_.settings = settings;
    return CreateKinloom(run_);
  }

  std::string Log() const { return ReadText("kinloom.log"); }

  ScratchDir dir_;
  kinloom::Run run_;
};

}  // namespace kinloom::testing

#endif  // KINLOOM_TESTS_RELIABILITY_SITE_FIXTURE_H_
