// The user's documents name every setting kinloom.cfg takes and every exit
// code the programs end with, as the programs themselves know them, so
// that README.md, the user guide, the Windows README.txt and the manual
// pages cannot drift from the program (or from each other) unnoticed.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <string_view>
#include <vector>

#include "apps/command_line.h"
#include "run/driver.h"
#include "run/run.h"
#include "run/settings.h"
#include "support/scratch_dir.h"
#include "ui/config.h"

namespace kinloom {
namespace {

using testing::ReadFile;

struct Document {
  // Files under the source tree, read as one text: the manual pages are
  // made of a page and the sections both pages share.
  std::vector<const char*> paths;
  // The pattern of a line or cell that documents exit code %s.
  const char* exit_code_pattern;
};

// Each document, with its own way of listing an exit code.
std::vector<Document> Documents() {
  return {
      {{"README.md"}, "\\n\\| %s \\| "},
      {{"example/help.htm"}, "<tr><td>%s</td><td>"},
      {{"packaging/windows/README.txt"}, "\\n  %s +[a-z]"},
      {{"packaging/kinloom.1.in", "packaging/man-results.roff", "packaging/man-configuration.roff"},
       "\\.TP\\n\\.B %s\\n"},
      {{"packaging/kinloom-create.1.in", "packaging/man-results.roff",
        "packaging/man-configuration.roff"},
       "\\.TP\\n\\.B %s\\n"},
  };
}

// The keys of the settings (not the captions), as the program saves them
// with every option on.
std::vector<std::string> SettingKeys() {
  Settings settings;
  LabelTexts labels;
  SetDefaultSettings(settings, labels);
  settings.privacy = 'Y';
  settings.changedonly = 'Y';
  settings.skipmissing = 'Y';
  std::vector<std::string> keys;
  const std::string text = ConfigurationText(settings, labels);
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = text.find('\n', at);
    const std::string key = text.substr(at, text.find('=', at) - at);
    bool caption = false;
    for (const LabelInfo& info : kLabelInfo) caption = caption || info.key == key;
    if (!caption) keys.push_back(key);
    at = end + 1;
  }
  return keys;
}

std::string Source(const char* path) {
  return ReadFile(std::string(KINLOOM_SOURCE_DIR) + "/" + path);
}

std::string Source(const Document& document) {
  std::string text;
  for (const char* path : document.paths) text += Source(path);
  return text;
}

TEST(DocumentationTest, EverySettingKeyIsDocumented) {
  const std::vector<std::string> keys = SettingKeys();
  ASSERT_GE(keys.size(), 21u);  // 18 of the first version and the later ones
  for (const Document& document : Documents()) {
    const std::string text = Source(document);
    ASSERT_FALSE(text.empty()) << document.paths[0];
    for (const std::string& key : keys) {
      // As a word of its own: PEDIGREE is no mention of PEDIGREELIST.
      const std::regex word("(^|[^A-Z])" + key + "([^A-Z]|$)");
      EXPECT_TRUE(std::regex_search(text, word)) << document.paths[0] << " does not name " << key;
    }
  }
}

TEST(DocumentationTest, EveryExitCodeIsDocumented) {
  std::vector<int> codes;
  for (int code = kResultOk; code <= kResultRunLocked; ++code) codes.push_back(code);
  codes.push_back(kUsageError);
  for (const Document& document : Documents()) {
    const std::string text = Source(document);
    for (const int code : codes) {
      std::string pattern = document.exit_code_pattern;
      pattern.replace(pattern.find("%s"), 2, std::to_string(code));
      EXPECT_TRUE(std::regex_search(text, std::regex(pattern)))
          << document.paths[0] << " does not list exit code " << code;
    }
  }
  // Both manual pages take the list of results.
  for (const char* page : {"packaging/kinloom.1.in", "packaging/kinloom-create.1.in"}) {
    EXPECT_NE(Source(page).find("@MAN_RESULTS@"), std::string::npos) << page;
  }
}

// The guide's table of messages holds every message a run ends with, as
// the program words it (its line break read as a blank).
TEST(DocumentationTest, TheGuideListsEveryRunMessage) {
  const std::string guide = Source("example/help.htm");
  for (int result = kResultOk; result <= kResultRunLocked + 1; ++result) {
    std::string text(RunResultMessage(result).text);
    text.erase(0, text.find_first_not_of(' '));
    for (char& c : text) c = c == '\n' ? ' ' : c;
    EXPECT_NE(guide.find("<tr><td>" + text + "</td>"), std::string::npos)
        << "the guide's message table lacks \"" << text << "\"";
  }
}

}  // namespace
}  // namespace kinloom
