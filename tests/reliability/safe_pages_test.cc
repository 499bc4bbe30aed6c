// A GEDCOM file whose names, dates, places, notes (CONC and CONT lines and
// a note record), source title, citation and picture records carry markup
// and small scripts, in a whole run with every option on, SUBDIRS both
// ways. Every file of the site is compared whole with its expected bytes
// in tests/reliability/safe_pages/<flat|subdirs>/: each payload shows as
// text, notes keep only their harmless markup, no picture comes from
// another host, gendex.txt keeps seven fields a line, and every page is
// plain ASCII.
#include <filesystem>
#include <map>
#include <string>

#include "reliability/site_fixture.h"

namespace kinloom::testing {
namespace {

class SafePagesTest : public SiteTest {
 protected:
  static std::string Source(const std::string& path) {
    return std::string(KINLOOM_SOURCE_DIR) + "/tests/reliability/safe_pages/" + path;
  }

  // Every file under dir by its path below dir. The names are cut from the
  // paths as they are, since the source directory's absolute path need not
  // be one the system can make canonical (a Unix path under Wine).
  static std::map<std::string, std::string> ExpectedFiles(const std::string& dir) {
    std::map<std::string, std::string> files;
    const std::string prefix = std::filesystem::path(dir).generic_string() + "/";
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
      if (!entry.is_regular_file()) continue;
      const std::string path = entry.path().generic_string();
      files[path.substr(prefix.size())] = ReadText(entry.path().string());
    }
    return files;
  }

  void ExpectSite(char subdirs, const std::string& expected_dir) {
    run_.test_options.fixed_page_date = "01 January 2000";
    Settings settings = EveryOptionOn(subdirs);
    settings.pedigreeall = 'N';
    settings.pedigreelist = "3";
    ASSERT_EQ(RunSite(ReadText(Source("hostile.ged")), settings), kResultOk) << Log();
    std::map<std::string, std::string> written = TreeFiles("html");
    written.erase("sand1.jpg");
    const std::map<std::string, std::string> expected = ExpectedFiles(Source(expected_dir));
    ASSERT_FALSE(expected.empty());
    std::string written_names;
    std::string expected_names;
    for (const auto& [name, bytes] : written) written_names += name + "\n";
    for (const auto& [name, bytes] : expected) expected_names += name + "\n";
    EXPECT_EQ(written_names, expected_names);
    for (const auto& [name, bytes] : expected) {
      const auto page = written.find(name);
      if (page == written.end()) continue;
      EXPECT_EQ(page->second, bytes) << name;
      if (name == "gendex.txt") continue;
      for (const char c : page->second) {
        ASSERT_LT(static_cast<unsigned char>(c), 128) << name << " is not plain ASCII";
      }
    }
  }
};

TEST_F(SafePagesTest, HostileTreeInOneDirectory) { ExpectSite('N', "flat"); }

TEST_F(SafePagesTest, HostileTreeInSubdirectories) { ExpectSite('Y', "subdirs"); }

}  // namespace
}  // namespace kinloom::testing
