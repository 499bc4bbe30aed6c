#include "ui/config.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/scratch_dir.h"

namespace kinloom {
namespace {

using testing::ReadText;
using testing::ScratchDir;
using testing::WriteFile;

const char kDefaultFile[] =
    "BACKGROUND=G\n"
    "BGPIC=sand1.jpg\n"
    "BGCOLOR=FFFFEF\n"
    "TEXTC=000000\n"
    "LINKC=0000FF\n"
    "VLINKC=200080\n"
    "HOME=http://www.example.com/~janedoe/\n"
    "EMAIL=jane.doe@example.com\n"
    "GEDFILE=smith.ged\n"
    "NOTES=Y\n"
    "UCSURNAME=N\n"
    "SOUNDEX=Y\n"
    "SOURCES=Y\n"
    "PHOTOS= \n"
    "SUBDIRS=N\n"
    "PEDIGREEALL=N\n"
    "PEDIGREELIST=\n"
    "EXTENSION=htm\n"
    "SHUSBAND=Husband\n"
    "SWIFE=Wife\n"
    "SNAME=Name\n"
    "SBORN=Born\n"
    "SMARRIED=Married\n"
    "SDIED=Died\n"
    "SAT=at\n"
    "SFATHER=Father\n"
    "SMOTHER=Mother\n"
    "SOSPOUSES=Other Spouses\n"
    "SSPOUSES=Spouses\n"
    "SNOTES=NOTES\n"
    "SFNOTES=FAMILY NOTES\n"
    "SCHILDREN=CHILDREN\n"
    "SSOURCES=SOURCES\n"
    "SNOTESFOR=Notes for\n"
    "SHOME=HOME\n"
    "SEMAIL=EMAIL\n"
    "SSURNAMES=SURNAMES\n"
    "SNAMES=NAMES\n"
    "SALLSURNAMES=All Surnames in Family Tree\n"
    "SALLNAMES=Family Tree Names\n"
    "STOTALS1=Tree currently contains\n"
    "STOTALS2=individuals, in\n"
    "STOTALS3=family groups.\n"
    "SPEDIGREEFOR=Pedigree Chart For\n"
    "SPEDIGREE=PEDIGREE\n"
    "SPHOTOS=PHOTOS\n"
    "SPHOTOFOR=Photo for\n";

TEST(ConfigurationTest, DefaultSaveWritesAll47KeysInOrder) {
  ScratchDir dir;
  Settings settings;
  LabelTexts labels;
  SetDefaultSettings(settings, labels);
  ASSERT_TRUE(SaveConfiguration(settings, labels));
  EXPECT_EQ(ReadText("kinloom.cfg"), kDefaultFile);
  EXPECT_FALSE(testing::FileExists("kinloom.cfg.tmp"));
}

TEST(ConfigurationTest, SkipMissingIsSavedAfterThe47KeysOnlyWhenOn) {
  ScratchDir dir;
  for (const char* line : {"SKIPMISSING=Y\n", "SKIPMISSING=y\n", "SKIPMISSING=\n", ""}) {
    SCOPED_TRACE(line);
    WriteFile("kinloom.cfg", std::string("NOTES=Y\n") + line);
    Settings settings;
    LabelTexts labels;
    LoadConfiguration(settings, labels);
    const bool on = std::string(line) == "SKIPMISSING=Y\n";
    EXPECT_EQ(settings.skipmissing == 'Y', on);
    ASSERT_TRUE(SaveConfiguration(settings, labels));
    EXPECT_EQ(ReadText("kinloom.cfg"), std::string(kDefaultFile) + (on ? "SKIPMISSING=Y\n" : ""));
  }
}

// A later option goes after the 47 keys, and only while it is on: a file
// saved with it off is byte for byte the file of before.
TEST(ConfigurationTest, ChangedOnlyIsSavedAfterTheKeysOnlyWhenOn) {
  ScratchDir dir;
  Settings settings;
  LabelTexts labels;
  settings.changedonly = 'Y';
  ASSERT_TRUE(SaveConfiguration(settings, labels));
  EXPECT_EQ(ReadText("kinloom.cfg"), std::string(kDefaultFile) + "CHANGEDONLY=Y\n");
  Settings loaded;
  LoadConfiguration(loaded, labels);
  EXPECT_EQ(loaded.changedonly, 'Y');

  for (const char* value : {"N", "y", ""}) {
    WriteFile("kinloom.cfg", std::string("CHANGEDONLY=") + value + "\n");
    LoadConfiguration(loaded, labels);
    EXPECT_NE(loaded.changedonly, 'Y') << value;
    ASSERT_TRUE(SaveConfiguration(loaded, labels));
    EXPECT_EQ(ReadText("kinloom.cfg"), kDefaultFile) << value;
  }
}

// Quotes around GEDFILE (a pasted Explorer path) go before the value is
// cut to its 150 characters; a quote on one side only, or around another
// value, is kept.
TEST(ConfigurationTest, QuotesAroundTheGedcomPathAreRemoved) {
  ScratchDir dir;
  Settings settings;
  LabelTexts labels;
  const std::string longest(150, 'g');
  struct Case {
    std::string line;
    std::string gedfile;
    std::string bgpic;
  };
  const Case cases[] = {
      {"GEDFILE=\"C:\\Users\\ann\\family.ged\"", "C:\\Users\\ann\\family.ged", "sand1.jpg"},
      {"GEDFILE=\"" + longest + "\"", longest, "sand1.jpg"},
      {"GEDFILE=\"family.ged", "\"family.ged", "sand1.jpg"},
      {"GEDFILE=\"\"", "", "sand1.jpg"},
      {"BGPIC=\"sand2.jpg\"", "smith.ged", "\"sand2.jpg\""},
  };
  for (const Case& c : cases) {
    WriteFile("kinloom.cfg", c.line + "\n");
    LoadConfiguration(settings, labels);
    EXPECT_EQ(settings.gedfile, c.gedfile) << c.line;
    EXPECT_EQ(settings.bgpic, c.bgpic) << c.line;
  }
}

// Each line whose key is not a setting gets one warning with its number;
// captions and later keys are settings too, lines without "=" say nothing.
TEST(ConfigurationTest, LinesWhoseKeyIsNotASettingAreWarnedAbout) {
  ScratchDir dir;
  EXPECT_TRUE(ConfigurationWarnings().empty());  // no file
  WriteFile("kinloom.cfg",
            "EMAIL =me@example.org\r\nSHUSBAND=Mann\r\nSKIPMISSING=Y\r\nemail=x\r\n\r\nno key\r\n"
            "=value\r\nGEDFIEL=tree.ged");
  const std::vector<std::string> expected = {
      "kinloom.cfg line 1: 'EMAIL ' is not a setting; ignored.",
      "kinloom.cfg line 4: 'email' is not a setting; ignored.",
      "kinloom.cfg line 7: '' is not a setting; ignored.",
      "kinloom.cfg line 8: 'GEDFIEL' is not a setting; ignored.",
  };
  EXPECT_EQ(ConfigurationWarnings(), expected);
}

// The pictures folder goes last, and only when set; it is cut to 150
// characters on the way in.
TEST(ConfigurationTest, PicturesFolderIsSavedLastOnlyWhenSet) {
  ScratchDir dir;
  Settings settings;
  LabelTexts labels;
  settings.photodir = "C:\\My Pictures";
  settings.changedonly = 'Y';
  ASSERT_TRUE(SaveConfiguration(settings, labels));
  EXPECT_EQ(ReadText("kinloom.cfg"),
            std::string(kDefaultFile) + "CHANGEDONLY=Y\nPHOTODIR=C:\\My Pictures\n");
  // What the program saves it never warns about.
  EXPECT_TRUE(ConfigurationWarnings().empty());
  Settings loaded;
  LoadConfiguration(loaded, labels);
  EXPECT_EQ(loaded.photodir, "C:\\My Pictures");

  WriteFile("kinloom.cfg", "PHOTODIR=" + std::string(200, 'p') + "\n");
  LoadConfiguration(loaded, labels);
  EXPECT_EQ(loaded.photodir, std::string(150, 'p'));
  WriteFile("kinloom.cfg", "PHOTODIR=\n");
  LoadConfiguration(loaded, labels);
  EXPECT_EQ(loaded.photodir, "");
  ASSERT_TRUE(SaveConfiguration(loaded, labels));
  EXPECT_EQ(ReadText("kinloom.cfg"), kDefaultFile);
}

TEST(ConfigurationTest, MissingFileGivesDefaults) {
  ScratchDir dir;
  Settings settings;
  LabelTexts labels;
  settings.notes = 'N';
  LoadConfiguration(settings, labels);
  EXPECT_EQ(settings, Settings{});
  EXPECT_EQ(labels, LabelTexts{});
}

TEST(ConfigurationTest, LoadSaveLoadKeepsEverySetting) {
  ScratchDir dir;
  Settings settings;
  LabelTexts labels;
  settings.background = 'C';
  settings.bgpic = " pictures/sand 2.jpg ";
  settings.home = "https://halloran.example.org/a=b";
  settings.email = "";
  settings.gedfile = "/home/me/trees/halloran.ged";
  settings.photos = 'Y';
  settings.subdirs = 'Y';
  settings.pedigreelist = "1, 2,3";
  settings.extension = "html";
  settings.skipmissing = 'Y';
  labels.Set(Label::kHusband, "Ehemann");
  labels.Set(Label::kAt, "");
  labels.Set(Label::kPhotoFor, "  Foto von");
  ASSERT_TRUE(SaveConfiguration(settings, labels));

  Settings loaded;
  LabelTexts loaded_labels;
  LoadConfiguration(loaded, loaded_labels);
  EXPECT_EQ(loaded, settings);
  EXPECT_EQ(loaded_labels, labels);

  ASSERT_TRUE(SaveConfiguration(loaded, loaded_labels));
  Settings again;
  LabelTexts again_labels;
  LoadConfiguration(again, again_labels);
  EXPECT_EQ(again, settings);
  EXPECT_EQ(again_labels, labels);
}

TEST(ConfigurationTest, LineRulesForKeysAndValues) {
  ScratchDir dir;
  WriteFile("kinloom.cfg",
            "NOTES = N\n"   // blanks around "=": not the key NOTES
            "soundex=N\n"   // keys are case-sensitive
            "SOURCES=no\n"  // a flag takes the first character
            "UCSURNAME=Yes\n"
            "HOME=http://x.example/?a=b=c\n"  // value keeps further "="
            "BGPIC=\n"                        // empty text value empties the field
            "PEDIGREEALL=\n"                  // empty flag value turns it off
            "SAT=  bei\n"                     // leading blanks are kept
            "garbage line without equals\n"
            "=value without key\n"
            "EMAIL=first@example.org\n"
            "EMAIL=second@example.org\n"  // the last line of a key wins
            "SUBDIRS=Y");                 // last line without a line end
  Settings settings;
  LabelTexts labels;
  LoadConfiguration(settings, labels);
  EXPECT_EQ(settings.notes, 'Y');
  EXPECT_EQ(settings.soundex, 'Y');
  EXPECT_EQ(settings.sources, 'n');
  EXPECT_EQ(settings.ucsurname, 'Y');
  EXPECT_EQ(settings.home, "http://x.example/?a=b=c");
  EXPECT_EQ(settings.bgpic, "");
  EXPECT_NE(settings.pedigreeall, 'Y');
  EXPECT_EQ(labels[Label::kAt], "  bei");
  EXPECT_EQ(settings.email, "second@example.org");
  EXPECT_EQ(settings.subdirs, 'Y');
}

TEST(ConfigurationTest, CrLfFileLoadsLikeLfFile) {
  ScratchDir dir;
  std::string crlf;
  for (char c : std::string(kDefaultFile)) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  // Change two values so the load is visible.
  crlf.replace(crlf.find("NOTES=Y"), 7, "NOTES=N");
  crlf.replace(crlf.find("SAT=at"), 6, "SAT=um");
  WriteFile("kinloom.cfg", crlf);
  Settings settings;
  LabelTexts labels;
  LoadConfiguration(settings, labels);
  EXPECT_EQ(settings.notes, 'N');
  EXPECT_EQ(labels[Label::kAt], "um");
  EXPECT_EQ(settings.gedfile, "smith.ged");
  EXPECT_EQ(settings.extension, "htm");
}

TEST(ConfigurationTest, OverlongValuesAreCutToCapacity) {
  ScratchDir dir;
  WriteFile("kinloom.cfg", "BGCOLOR=0123456789\nGEDFILE=" + std::string(500, 'g') + "\nSHUSBAND=" +
                               std::string(300, 'h') + "\nEXTENSION=" + std::string(40, 'e') +
                               "\n" + std::string(100000, 'x') + "=1\nNOTES=N\n");
  Settings settings;
  LabelTexts labels;
  LoadConfiguration(settings, labels);
  EXPECT_EQ(settings.bgcolor, "0123456");
  EXPECT_EQ(settings.gedfile, std::string(150, 'g'));
  EXPECT_EQ(labels[Label::kHusband], std::string(99, 'h'));
  EXPECT_EQ(settings.extension, std::string(10, 'e'));
  EXPECT_EQ(settings.notes, 'N');
}

TEST(ConfigurationTest, BinaryFileLoadsWithoutHarm) {
  ScratchDir dir;
  std::string bytes;
  for (int i = 0; i < 5000; ++i) bytes += static_cast<char>((i * 7919) & 0xFF);
  bytes += "\nNOTES=N\n";
  WriteFile("kinloom.cfg", bytes);
  Settings settings;
  LabelTexts labels;
  LoadConfiguration(settings, labels);
  EXPECT_EQ(settings.notes, 'N');
}

TEST(ConfigurationTest, FailedSaveLeavesTheOldFileWhole) {
  ScratchDir dir;
  WriteFile("kinloom.cfg", "NOTES=N\n");
  // The temporary file cannot be created where a directory stands.
  ASSERT_TRUE(std::filesystem::create_directory("kinloom.cfg.tmp"));
  Settings settings;
  LabelTexts labels;
  EXPECT_FALSE(SaveConfiguration(settings, labels));
  EXPECT_EQ(ReadText("kinloom.cfg"), "NOTES=N\n");
}

}  // namespace
}  // namespace kinloom

namespace kinloom {
namespace {

TEST(ConfigurationTest, PrivacyKeysFollowThe47OnlyWhenNotAtTheirDefaults) {
  ScratchDir dir;
  Settings settings;
  LabelTexts labels;
  // Either key alone, then both: always after the 47, PRIVACY first.
  settings.privacy = 'Y';
  EXPECT_EQ(ConfigurationText(settings, labels), std::string(kDefaultFile) + "PRIVACY=Y\n");
  settings.privacy = 'N';
  labels.Set(Label::kLiving, "Lebend");
  EXPECT_EQ(ConfigurationText(settings, labels), std::string(kDefaultFile) + "SLIVING=Lebend\n");
  settings.privacy = 'Y';
  ASSERT_TRUE(SaveConfiguration(settings, labels));
  EXPECT_EQ(ReadText("kinloom.cfg"), std::string(kDefaultFile) + "PRIVACY=Y\nSLIVING=Lebend\n");

  Settings loaded;
  LabelTexts loaded_labels;
  LoadConfiguration(loaded, loaded_labels);
  EXPECT_EQ(loaded, settings);
  EXPECT_EQ(loaded_labels, labels);

  // The keys may stand anywhere in a file written by hand; a file without
  // them keeps the defaults, and an empty caption is kept as empty.
  WriteFile("kinloom.cfg", "SLIVING=\nPRIVACY=yes\nNOTES=N\n");
  LoadConfiguration(loaded, loaded_labels);
  EXPECT_EQ(loaded.privacy, 'y');  // off, but kept as written
  EXPECT_EQ(loaded_labels[Label::kLiving], "");
  EXPECT_TRUE(ConfigurationText(loaded, loaded_labels)
                  .ends_with("SPHOTOFOR=Photo for\nPRIVACY=y\nSLIVING=\n"));
}

TEST(ConfigurationTest, RepeatCaptionIsSavedOnlyWhenChanged) {
  ScratchDir dir;
  Settings settings;
  LabelTexts labels;
  EXPECT_EQ(labels[Label::kRepeat], "(see above)");
  EXPECT_EQ(ConfigurationText(settings, labels), kDefaultFile);
  labels.Set(Label::kRepeat, "(voir plus haut)");
  labels.Set(Label::kLiving, "Vivant");
  ASSERT_TRUE(SaveConfiguration(settings, labels));
  EXPECT_EQ(ReadText("kinloom.cfg"),
            std::string(kDefaultFile) + "SLIVING=Vivant\nSREPEAT=(voir plus haut)\n");
  Settings loaded;
  LabelTexts loaded_labels;
  LoadConfiguration(loaded, loaded_labels);
  EXPECT_EQ(loaded_labels, labels);
  // An empty marker is kept as empty.
  WriteFile("kinloom.cfg", "SREPEAT=\n");
  LoadConfiguration(loaded, loaded_labels);
  EXPECT_EQ(loaded_labels[Label::kRepeat], "");
  EXPECT_TRUE(
      ConfigurationText(loaded, loaded_labels).ends_with("SPHOTOFOR=Photo for\nSREPEAT=\n"));
}

}  // namespace
}  // namespace kinloom
