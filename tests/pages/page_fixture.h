// A run in a scratch directory with an open, empty store, for tests of the
// page writers: fill the store with the Add* helpers, call a phase, and
// compare the pages it wrote (Page) and the log (LogText).
//
// The run's settings are the defaults except HOME, EMAIL and the page
// date, which are set to kHome, kEmail and kDate, and PEDIGREELIST, which
// is empty. "html" exists; call MakeSubdirectories() after setting SUBDIRS
// to "Y".
//
// Header-only, so that every test file of the page writers can use it
// without a build rule of its own.
#ifndef KINLOOM_TESTS_PAGES_PAGE_FIXTURE_H_
#define KINLOOM_TESTS_PAGES_PAGE_FIXTURE_H_

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "run/run.h"
#include "store/records.h"
#include "support/scratch_dir.h"

namespace kinloom::testing {

inline constexpr const char* kHome = "http://www.example.net/~smith/";
inline constexpr const char* kEmail = "smith@example.net";
inline constexpr const char* kDate = "07 December 2026";

class PageTest : public ::testing::Test {
 protected:
  PageTest();
  ~PageTest() override;

  // The six page directories under "html".
  void MakeSubdirectories();

  // Each Add* stores its record in the next slot and counts it.
  void AddIndividual(const IndividualRecord& record);
  void AddFamily(const FamilyRecord& record);
  void AddSource(std::int32_t number, const std::string& title);
  // Photos are numbered by slot: the first added is 1.
  void AddPhoto(std::int32_t owner, const std::string& file, const std::string& title);
  // A note of key made of (kind, text) lines, stored after every earlier
  // note of its file.
  using NoteLines = std::vector<std::pair<std::int32_t, std::string>>;
  void AddIndividualNote(std::int32_t key, const NoteLines& lines);
  void AddFamilyNote(std::int32_t key, const NoteLines& lines);

  // Bytes of a file under the scratch directory ("" when missing).
  static std::string Page(const std::string& path) { return ReadText(path); }
  static std::string LogText() { return ReadText("kinloom.log"); }

  // The head of a page with the default colours and picture and without
  // meta.htm or header.htm.
  static std::string ExpectedHead(std::string_view title);
  // The foot of a page without footer.htm, the surnames link pointing to
  // surnames_href, then "</BODY>" and "</HTML>".
  static std::string ExpectedFoot(std::string_view surnames_href);

  ScratchDir scratch_;
  kinloom::Run run_;

 private:
  std::int32_t individual_note_lines_ = 0;
  std::int32_t family_note_lines_ = 0;
};

// A record of individual number with the given GEDCOM name; the rest empty.
IndividualRecord Person(std::int32_t number, const std::string& name);
// A family record of number with husband and wife; the rest empty.
FamilyRecord Couple(std::int32_t number, std::int32_t husband, std::int32_t wife);

inline PageTest::PageTest() {
  run_.settings.home = kHome;
  run_.settings.email = kEmail;
  run_.test_options.fixed_page_date = kDate;
  run_.log = RunLog("kinloom.log");
  if (auto failed = run_.store.Open()) ADD_FAILURE() << "cannot open work file " << failed->path;
  std::filesystem::create_directory("html");
}

inline PageTest::~PageTest() { run_.store.CloseAndDelete(); }

inline void PageTest::MakeSubdirectories() {
  for (const char* dir : {"fam", "ind", "nti", "ntf", "ped", "pho"}) {
    std::filesystem::create_directory(std::string("html/") + dir);
  }
}

inline void PageTest::AddIndividual(const IndividualRecord& record) {
  std::int32_t slot = ++run_.store.counters.IndividualCount;
  run_.store.PutIndividual(record.number, slot, record);
}

inline void PageTest::AddFamily(const FamilyRecord& record) {
  std::int32_t slot = ++run_.store.counters.FamilyCount;
  run_.store.PutFamily(record.number, slot, record);
}

inline void PageTest::AddSource(std::int32_t number, const std::string& title) {
  std::int32_t slot = ++run_.store.counters.SourceCount;
  run_.store.PutSource(number, slot, SourceRecord{number, title});
}

inline void PageTest::AddPhoto(std::int32_t owner, const std::string& file,
                               const std::string& title) {
  std::int32_t number = ++run_.store.counters.PhotoCount;
  run_.store.PutPhoto(number, number, PhotoRecord{number, owner, file, title});
}

inline void PageTest::AddIndividualNote(std::int32_t key, const NoteLines& lines) {
  for (const auto& [kind, text] : lines) {
    run_.store.PutIndividualNoteLine(key, ++individual_note_lines_, NoteLine{key, kind, text});
  }
}

inline void PageTest::AddFamilyNote(std::int32_t key, const NoteLines& lines) {
  for (const auto& [kind, text] : lines) {
    run_.store.PutFamilyNoteLine(key, ++family_note_lines_, NoteLine{key, kind, text});
  }
}

inline std::string PageTest::ExpectedHead(std::string_view title) {
  return "<HTML>\n<HEAD>\n<TITLE>" + std::string(title) +
         "</TITLE>\n</HEAD>\n"
         "<BODY BACKGROUND=\"sand1.jpg\" TEXT=\"#000000\" LINK=\"#0000FF\" VLINK=\"#200080\">\n";
}

inline std::string PageTest::ExpectedFoot(std::string_view surnames_href) {
  return "<CENTER><FONT SIZE=+2>|&nbsp;<A HREF=\"http://www.example.net/~smith/\">HOME</A>"
         "&nbsp;|&nbsp;<A HREF=\"mailto:smith@example.net\">EMAIL</A>"
         "&nbsp;|&nbsp;<A HREF=\"" +
         std::string(surnames_href) +
         "\">SURNAMES</A>&nbsp;|</FONT></CENTER><BR>\n"
         "Page built by <A HREF=\"https://kinloom.example.org/\">Kinloom Version 2.21</A>"
         " on 07 December 2026<BR><BR>\n"
         "</BODY>\n</HTML>\n";
}

inline IndividualRecord Person(std::int32_t number, const std::string& name) {
  IndividualRecord record;
  record.number = number;
  record.name = name;
  record.sex = ' ';
  return record;
}

inline FamilyRecord Couple(std::int32_t number, std::int32_t husband, std::int32_t wife) {
  FamilyRecord record;
  record.number = number;
  record.husband = husband;
  record.wife = wife;
  return record;
}

}  // namespace kinloom::testing

#endif  // KINLOOM_TESTS_PAGES_PAGE_FIXTURE_H_
