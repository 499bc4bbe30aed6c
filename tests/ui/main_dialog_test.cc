#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "run/driver.h"
#include "run/installed_data.h"
#include "run/run_lock.h"
#include "ui/config.h"

namespace kinloom::ui {
namespace {

using kinloom::testing::FileExists;
using kinloom::testing::kPlaceholderEmailLog;
using kinloom::testing::ReadFile;
using kinloom::testing::SourceFile;
using kinloom::testing::WriteFile;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr const char* kFilledInConfig =
    "BACKGROUND=C\n"
    "BGPIC=paper.png\n"
    "BGCOLOR=ABCDEF\n"
    "TEXTC=111111\n"
    "LINKC=222222\n"
    "VLINKC=333333\n"
    "HOME=http://home.test/\n"
    "EMAIL=me@home.test\n"
    "GEDFILE=tree.ged\n"
    "NOTES=N\n"
    "UCSURNAME=Y\n"
    "SOUNDEX=y\n"
    "SOURCES=Y\n"
    "PHOTOS=Y\n"
    "SUBDIRS=N\n"
    "PEDIGREEALL=Y\n"
    "PEDIGREELIST=1,2,3\n"
    "EXTENSION=html\n"
    "SKIPMISSING=Y\n";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (char c : text) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

// --- Initial state ---------------------------------------------------------

TEST_F(DialogTest, FieldsShowTheLoadedConfiguration) {
  WriteFile("kinloom.cfg", kFilledInConfig);
  WithMainDialog([&](HWND dialog) {
    const struct {
      int id;
      const char* text;
    } cases[] = {
        {id::kBgColor, "ABCDEF"},     {id::kGedFile, "tree.ged"},  {id::kTextColor, "111111"},
        {id::kLinkColor, "222222"},   {id::kVlinkColor, "333333"}, {id::kHome, "http://home.test/"},
        {id::kEmail, "me@home.test"}, {id::kBgPic, "paper.png"},   {id::kPedigreeList, "1,2,3"},
    };
    for (const auto& c : cases) EXPECT_EQ(desktop.Text(dialog, c.id), c.text) << "field " << c.id;
  });
}

TEST_F(DialogTest, CheckBoxesShowTheFlagsOfTheConfiguration) {
  WriteFile("kinloom.cfg", kFilledInConfig);
  WithMainDialog([&](HWND dialog) {
    const struct {
      int id;
      bool checked;
    } cases[] = {
        {id::kColoredBackground, true},
        {id::kGraphicBackground, false},
        {id::kNotes, false},
        {id::kUcSurname, true},
        {id::kSoundex, false},  // a small "y" is off
        {id::kSources, true},
        {id::kPhotos, true},
        {id::kSubDirs, false},
        {id::kSkipMissing, true},
        {id::kPedigreeAll, true},
        {id::kHtmlExtension, true},
    };
    for (const auto& c : cases) {
      EXPECT_EQ(desktop.IsChecked(dialog, c.id), c.checked) << "control " << c.id;
    }
    // Coloured background: the colour field and its Pick button are live.
    EXPECT_TRUE(desktop.IsEnabled(dialog, id::kBgColor));
    EXPECT_TRUE(desktop.IsEnabled(dialog, id::kPickBgColor));
    EXPECT_FALSE(desktop.IsEnabled(dialog, id::kBgPic));
    // All individuals get charts: the list is not needed.
    EXPECT_FALSE(desktop.IsEnabled(dialog, id::kPedigreeList));
  });
}

TEST_F(DialogTest, WithoutConfigurationTheDefaultsShow) {
  WithMainDialog([&](HWND dialog) {
    EXPECT_EQ(desktop.Text(dialog, id::kBgColor), "FFFFEF");
    EXPECT_EQ(desktop.Text(dialog, id::kBgPic), "sand1.jpg");
    EXPECT_EQ(desktop.Text(dialog, id::kGedFile), "smith.ged");
    EXPECT_EQ(desktop.Text(dialog, id::kHome), kPlaceholderHome);
    EXPECT_EQ(desktop.Text(dialog, id::kEmail), kPlaceholderEmail);
    EXPECT_EQ(desktop.Text(dialog, id::kPedigreeList), "");
    EXPECT_TRUE(desktop.IsChecked(dialog, id::kGraphicBackground));
    EXPECT_FALSE(desktop.IsChecked(dialog, id::kColoredBackground));
    EXPECT_FALSE(desktop.IsEnabled(dialog, id::kBgColor));
    EXPECT_FALSE(desktop.IsEnabled(dialog, id::kPickBgColor));
    EXPECT_TRUE(desktop.IsEnabled(dialog, id::kBgPic));
    EXPECT_TRUE(desktop.IsEnabled(dialog, id::kPedigreeList));
    EXPECT_TRUE(desktop.IsChecked(dialog, id::kNotes));
    EXPECT_FALSE(desktop.IsChecked(dialog, id::kPhotos));  // a blank is off
    EXPECT_FALSE(desktop.IsChecked(dialog, id::kHtmlExtension));
  });
}

TEST_F(DialogTest, OpeningDeletesThePreviousRunLog) {
  WriteFile("kinloom.log", ">CreateKinloom\n");
  WithMainDialog([&](HWND) { EXPECT_FALSE(FileExists("kinloom.log")); });
}

TEST_F(DialogTest, MainDialogHasItsCaptionAndMenu) {
  WithMainDialog([&](HWND dialog) {
    // The title names the folder the dialog works in.
    EXPECT_EQ(desktop.Caption(dialog), "Kinloom - " + scratch.path());
    EXPECT_FALSE(desktop.ChooseMenu(dialog, 134));  // no such item
  });
}

// --- Radio buttons and check boxes -------------------------------------

TEST_F(DialogTest, BackgroundRadioButtonsSwitchFieldsAndSetting) {
  WithMainDialog([&](HWND dialog) {
    ASSERT_TRUE(desktop.Click(dialog, id::kColoredBackground));
    EXPECT_EQ(state.settings.background, 'C');
    EXPECT_TRUE(desktop.IsChecked(dialog, id::kColoredBackground));
    EXPECT_FALSE(desktop.IsChecked(dialog, id::kGraphicBackground));
    EXPECT_TRUE(desktop.IsEnabled(dialog, id::kBgColor));
    EXPECT_TRUE(desktop.IsEnabled(dialog, id::kPickBgColor));
    EXPECT_FALSE(desktop.IsEnabled(dialog, id::kBgPic));

    ASSERT_TRUE(desktop.Click(dialog, id::kGraphicBackground));
    EXPECT_EQ(state.settings.background, 'G');
    EXPECT_FALSE(desktop.IsChecked(dialog, id::kColoredBackground));
    EXPECT_TRUE(desktop.IsChecked(dialog, id::kGraphicBackground));
    EXPECT_FALSE(desktop.IsEnabled(dialog, id::kBgColor));
    EXPECT_FALSE(desktop.IsEnabled(dialog, id::kPickBgColor));
    EXPECT_TRUE(desktop.IsEnabled(dialog, id::kBgPic));
  });
}

TEST_F(DialogTest, EachFlagCheckBoxTogglesItsFlag) {
  const struct {
    int id;
    char Settings::*flag;
    const char* name;
  } cases[] = {
      {id::kNotes, &Settings::notes, "NOTES"},
      {id::kUcSurname, &Settings::ucsurname, "UCSURNAME"},
      {id::kSoundex, &Settings::soundex, "SOUNDEX"},
      {id::kSources, &Settings::sources, "SOURCES"},
      {id::kPhotos, &Settings::photos, "PHOTOS"},
      {id::kSubDirs, &Settings::subdirs, "SUBDIRS"},
      {id::kSkipMissing, &Settings::skipmissing, "SKIPMISSING"},
      {id::kHideLiving, &Settings::privacy, "PRIVACY"},
      {id::kChangedOnly, &Settings::changedonly, "CHANGEDONLY"},
      {id::kPedigreeAll, &Settings::pedigreeall, "PEDIGREEALL"},
  };
  // Every flag starts as a small "y", which is off: the box is unchecked.
  std::string config;
  for (const auto& c : cases) config += std::string(c.name) + "=y\n";
  WriteFile("kinloom.cfg", config);
  WithMainDialog([&](HWND dialog) {
    for (const auto& c : cases) {
      SCOPED_TRACE(c.name);
      ASSERT_FALSE(desktop.IsChecked(dialog, c.id));
      ASSERT_TRUE(desktop.Click(dialog, c.id));
      EXPECT_TRUE(desktop.IsChecked(dialog, c.id));
      EXPECT_EQ(state.settings.*c.flag, 'Y');
      ASSERT_TRUE(desktop.Click(dialog, c.id));
      EXPECT_FALSE(desktop.IsChecked(dialog, c.id));
      EXPECT_EQ(state.settings.*c.flag, 'N');
    }
  });
}

TEST_F(DialogTest, AllPedigreesDisablesTheListWithoutClearingIt) {
  WriteFile("kinloom.cfg", "PEDIGREELIST=4,5\n");
  WithMainDialog([&](HWND dialog) {
    ASSERT_TRUE(desktop.Click(dialog, id::kPedigreeAll));
    EXPECT_FALSE(desktop.IsEnabled(dialog, id::kPedigreeList));
    EXPECT_EQ(desktop.Text(dialog, id::kPedigreeList), "4,5");
    EXPECT_FALSE(desktop.Type(dialog, id::kPedigreeList, "9"));  // cannot type there now

    ASSERT_TRUE(desktop.Click(dialog, id::kPedigreeAll));
    EXPECT_TRUE(desktop.IsEnabled(dialog, id::kPedigreeList));
    EXPECT_EQ(desktop.Text(dialog, id::kPedigreeList), "4,5");
  });
}

TEST_F(DialogTest, HtmlExtensionBoxSwitchesBetweenHtmlAndHtm) {
  WriteFile("kinloom.cfg", "EXTENSION=shtml\n");  // edited by hand
  WithMainDialog([&](HWND dialog) {
    EXPECT_FALSE(desktop.IsChecked(dialog, id::kHtmlExtension));
    ASSERT_TRUE(desktop.Click(dialog, id::kHtmlExtension));
    EXPECT_TRUE(desktop.IsChecked(dialog, id::kHtmlExtension));
    EXPECT_EQ(state.settings.extension, "html");
    ASSERT_TRUE(desktop.Click(dialog, id::kHtmlExtension));
    EXPECT_FALSE(desktop.IsChecked(dialog, id::kHtmlExtension));
    EXPECT_EQ(state.settings.extension, "htm");
  });
}

// --- Colour picking ---------------------------------------------------------

TEST_F(DialogTest, EachPickButtonStoresAndShowsThePickedColour) {
  const struct {
    int button;
    int field;
    std::string Settings::*colour;
  } cases[] = {
      {id::kPickBgColor, id::kBgColor, &Settings::bgcolor},
      {id::kPickTextColor, id::kTextColor, &Settings::textc},
      {id::kPickLinkColor, id::kLinkColor, &Settings::linkc},
      {id::kPickVlinkColor, id::kVlinkColor, &Settings::vlinkc},
  };
  WriteFile("kinloom.cfg", "BACKGROUND=C\n");
  WithMainDialog([&](HWND dialog) {
    for (const auto& c : cases) {
      SCOPED_TRACE(c.button);
      desktop.ExpectDialog(kColourDialog, [&](HWND picker) {
        EXPECT_EQ(desktop.Caption(picker), "Colors");
        desktop.Click(picker, 236);  // Off White
      });
      ASSERT_TRUE(desktop.Click(dialog, c.button));
      EXPECT_EQ(state.settings.*c.colour, "FFFFCC");
      EXPECT_EQ(desktop.Text(dialog, c.field), "FFFFCC");
    }
  });
}

TEST_F(DialogTest, ClosingThePickerKeepsTheOldColour) {
  WithMainDialog([&](HWND dialog) {
    desktop.ExpectDialog(kColourDialog, [&](HWND picker) { desktop.Click(picker, 202); });
    desktop.Click(dialog, id::kPickLinkColor);
    ASSERT_EQ(state.settings.linkc, "FF0000");

    desktop.ExpectDialog(kColourDialog, [&](HWND picker) { desktop.CloseBox(picker); });
    desktop.Click(dialog, id::kPickLinkColor);
    EXPECT_EQ(state.settings.linkc, "FF0000");
    EXPECT_EQ(desktop.Text(dialog, id::kLinkColor), "FF0000");
  });
}

TEST_F(DialogTest, BackgroundColourCannotBePickedWithPictureBackground) {
  WithMainDialog([&](HWND dialog) {
    EXPECT_FALSE(desktop.Click(dialog, id::kPickBgColor));
    EXPECT_THAT(desktop.dialogs_shown(), ElementsAre(kMainDialog));
  });
}

// --- Edit fields --------------------------------------------------------------

struct FieldLimit {
  int id;
  std::string Settings::*field;
  std::size_t limit;
};
constexpr FieldLimit kFieldLimits[] = {
    {id::kBgColor, &Settings::bgcolor, 6},
    {id::kTextColor, &Settings::textc, 6},
    {id::kLinkColor, &Settings::linkc, 6},
    {id::kVlinkColor, &Settings::vlinkc, 6},
    {id::kBgPic, &Settings::bgpic, 149},
    {id::kGedFile, &Settings::gedfile, 149},
    {id::kHome, &Settings::home, 99},
    {id::kEmail, &Settings::email, 99},
    {id::kPedigreeList, &Settings::pedigreelist, 99},
};

std::string Digits(std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) text += static_cast<char>('0' + i % 10);
  return text;
}

TEST_F(DialogTest, FieldsReachSettingsCutToTheirLimit) {
  for (std::size_t extra : {0u, 1u, 40u}) {
    WithMainDialog([&](HWND dialog) {
      for (const FieldLimit& f : kFieldLimits) {
        // The background colour and picture fields are live one at a time.
        desktop.Click(dialog,
                      f.id == id::kBgColor ? id::kColoredBackground : id::kGraphicBackground);
        EXPECT_TRUE(desktop.Type(dialog, f.id, Digits(f.limit + extra))) << "field " << f.id;
      }
    });
    for (const FieldLimit& f : kFieldLimits) {
      EXPECT_EQ(state.settings.*f.field, Digits(f.limit))
          << "field " << f.id << " typed with " << f.limit + extra << " characters";
    }
  }
}

TEST_F(DialogTest, TypedFieldsReachSettingsOnlyAtCreatePageOrClose) {
  WithMainDialog([&](HWND dialog) {
    desktop.Type(dialog, id::kHome, "http://typed.test/");
    EXPECT_EQ(state.settings.home, kPlaceholderHome);
  });
  EXPECT_EQ(state.settings.home, "http://typed.test/");
}

// --- Create Page ------------------------------------------------------------

struct ResultCase {
  int result;
  const char* text;
  UINT type;
};
// Typed from the message table of the run results.
constexpr ResultCase kResultCases[] = {
    {0, "        Finished!", MB_OK},
    {1, "Error opening GEDCOM file.\nVerify filename, and path are correct.",
     MB_OK | MB_ICONEXCLAMATION},
    {2, "Gedcom has non-abbreviated tags.", MB_OK | MB_ICONEXCLAMATION},
    {3, "You forgot to fill in your E-mail address", MB_OK | MB_ICONEXCLAMATION},
    {4, "You forgot to fill in your homepage address", MB_OK | MB_ICONEXCLAMATION},
    {5, "Your gedcom file is invalid! See kinloom.log file.", MB_OK | MB_ICONEXCLAMATION},
    {6, "Error opening file for write.\nSee kinloom.log file.", MB_OK | MB_ICONEXCLAMATION},
    {7, "Undefined Kinloom Error. See kinloom.log file.", MB_OK | MB_ICONEXCLAMATION},
    {8, "Another Kinloom run is working in this folder.", MB_OK | MB_ICONEXCLAMATION},
    {99, "Undefined Kinloom Error. See kinloom.log file.", MB_OK | MB_ICONEXCLAMATION},
};

TEST_F(DialogTest, EachRunResultShowsItsMessageBox) {
  // With a kinloom.cfg, so that no line about a missing one follows.
  WriteFile("kinloom.cfg", kFilledInConfig);
  int next_result = 0;
  state.create_kinloom = [&](kinloom::Run&) { return next_result; };
  WithMainDialog([&](HWND dialog) {
    for (const ResultCase& c : kResultCases) {
      SCOPED_TRACE(c.result);
      next_result = c.result;
      const std::size_t before = desktop.message_boxes().size();
      ASSERT_TRUE(desktop.Click(dialog, id::kCreatePage));
      ASSERT_EQ(desktop.message_boxes().size(), before + 1);
      const auto& box = desktop.message_boxes().back();
      // A finished run says where the site is.
      EXPECT_EQ(box.text, c.result == 0 ? std::string(c.text) + "\nThe site is in " +
                                              scratch.path() + "/html."
                                        : std::string(c.text));
      EXPECT_EQ(box.caption, "Kinloom Create");
      EXPECT_EQ(box.type, c.type);
      EXPECT_EQ(box.owner, dialog);
      EXPECT_TRUE(desktop.IsOpen(dialog));  // a run never ends the dialog
    }
  });
}

TEST_F(DialogTest, SkippedReferencesAreTheMessageBoxSecondLine) {
  long skipped = 622;
  state.create_kinloom = [&](kinloom::Run& run) {
    for (long n = 0; n < skipped; ++n) run.missing_records.NoteInFamily(1);
    run.missing_records.Skip(run.store);
    return kResultOk;
  };
  WithMainDialog([&](HWND dialog) {
    desktop.Click(dialog, id::kCreatePage);
    skipped = 0;
    desktop.Click(dialog, id::kCreatePage);
  });
  ASSERT_EQ(desktop.message_boxes().size(), 2u);
  const std::string where = "\nThe site is in " + scratch.path() + "/html.";
  EXPECT_EQ(desktop.message_boxes()[0].text,
            "        Finished!\nSkipped 622 references without records." + where);
  EXPECT_EQ(desktop.message_boxes()[1].text, "        Finished!" + where);
}

// The log is whole and the folder free before the message box shows: a
// script started while it is up is not refused.
TEST_F(DialogTest, CannotWriteAppendsTwoLogLinesBeforeItsMessage) {
  state.create_kinloom = [](kinloom::Run& run) {
    run.log.LogLine("<CreateKinloom 6");
    return kResultCannotWrite;
  };
  std::string log_while_box_is_up;
  bool free_while_box_is_up = false;
  desktop.OnMessageBox([&](const auto&) {
    log_while_box_is_up = ReadFile("kinloom.log");
    RunLock script;
    free_while_box_is_up = script.TryTake();
  });
  WithMainDialog([&](HWND dialog) { desktop.Click(dialog, id::kCreatePage); });
  EXPECT_EQ(log_while_box_is_up,
            "<CreateKinloom 6\n"
            "Windows has a limit of 32767 files in a single directory.\n"
            "You have most likely surpassed it.\n");
  EXPECT_TRUE(free_while_box_is_up);
}

TEST_F(DialogTest, FinishedRunReleasesTheFolderBeforeItsMessage) {
  state.create_kinloom = [](kinloom::Run&) { return kResultOk; };
  bool free_while_box_is_up = false;
  desktop.OnMessageBox([&](const auto&) {
    RunLock script;
    free_while_box_is_up = script.TryTake();
  });
  WithMainDialog([&](HWND dialog) { desktop.Click(dialog, id::kCreatePage); });
  EXPECT_TRUE(free_while_box_is_up);
}

// Another run (a script, a second window) works in this folder: the dialog
// leaves its log alone at start-up and refuses Create Page without running.
TEST_F(DialogTest, WhileAnotherRunHoldsTheFolderNothingIsTouched) {
  WriteFile("kinloom.log", "the other run's log\n");
  bool ran = false;
  state.create_kinloom = [&](kinloom::Run&) {
    ran = true;
    return kResultOk;
  };
  {
    RunLock other;
    ASSERT_TRUE(other.TryTake());
    WithMainDialog([&](HWND dialog) { desktop.Click(dialog, id::kCreatePage); });
    EXPECT_FALSE(ran);
    ASSERT_EQ(desktop.message_boxes().size(), 1u);
    EXPECT_EQ(desktop.message_boxes()[0].text, "Another Kinloom run is working in this folder.");
    EXPECT_EQ(ReadFile("kinloom.log"), "the other run's log\n");
  }
  WithMainDialog([&](HWND dialog) {
    EXPECT_FALSE(FileExists("kinloom.log"));
    desktop.Click(dialog, id::kCreatePage);
  });
  EXPECT_TRUE(ran);
}

TEST_F(DialogTest, OtherResultsAppendNothingToTheLog) {
  for (int result : {0, 1, 2, 3, 4, 5, 7}) {
    std::filesystem::remove("kinloom.log");
    state.create_kinloom = [result](kinloom::Run& run) {
      run.log.LogLine("run");
      return result;
    };
    WithMainDialog([&](HWND dialog) { desktop.Click(dialog, id::kCreatePage); });
    EXPECT_EQ(ReadFile("kinloom.log"), "run\n") << "result " << result;
  }
}

TEST_F(DialogTest, CreatePageRunsWithTheFieldsAndCaptionsOfTheDialog) {
  WriteFile("kinloom.cfg", std::string(kFilledInConfig) + "SHUSBAND=Mann\n");
  Settings seen;
  std::string husband;
  state.create_kinloom = [&](kinloom::Run& run) {
    seen = run.settings;
    husband = run.Text(Label::kHusband);
    return kResultOk;
  };
  WithMainDialog([&](HWND dialog) {
    desktop.Type(dialog, id::kEmail, "typed@home.test");
    desktop.Type(dialog, id::kGedFile, "other.ged");
    desktop.Click(dialog, id::kCreatePage);
  });
  EXPECT_EQ(seen.email, "typed@home.test");
  EXPECT_EQ(seen.gedfile, "other.ged");
  EXPECT_EQ(seen.home, "http://home.test/");
  EXPECT_EQ(seen.ucsurname, 'Y');
  EXPECT_EQ(seen.skipmissing, 'Y');
  EXPECT_EQ(husband, "Mann");
}

TEST_F(DialogTest, WaitCursorShowsDuringTheRunOnly) {
  HCURSOR during_run = nullptr;
  HCURSOR during_message = nullptr;
  state.create_kinloom = [&](kinloom::Run&) {
    during_run = desktop.cursor();
    return kResultOk;
  };
  desktop.OnMessageBox([&](const auto&) { during_message = desktop.cursor(); });
  WithMainDialog([&](HWND dialog) { desktop.Click(dialog, id::kCreatePage); });
  EXPECT_EQ(during_run, WaitCursor());
  EXPECT_EQ(during_message, ArrowCursor());
}

TEST_F(DialogTest, EnterStartsARunAndEscapeDoesNothing) {
  int runs = 0;
  state.create_kinloom = [&](kinloom::Run&) {
    ++runs;
    return kResultOk;
  };
  WithMainDialog([&](HWND dialog) {
    desktop.PressEscape(dialog);
    EXPECT_TRUE(desktop.IsOpen(dialog));
    EXPECT_EQ(runs, 0);
    desktop.PressEnter(dialog);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(desktop.message_boxes().size(), 1u);
  });
}

// Real runs, for the results that need no GEDCOM reading.
TEST_F(DialogTest, RunWithPlaceholderEmailStopsWithItsMessageAndLog) {
  WithMainDialog([&](HWND dialog) { desktop.Click(dialog, id::kCreatePage); });
  ASSERT_EQ(desktop.message_boxes().size(), 1u);
  // Without a kinloom.cfg the fields showed the defaults: a second line says
  // why the address is the placeholder.
  EXPECT_EQ(desktop.message_boxes()[0].text,
            "You forgot to fill in your E-mail address\nNo kinloom.cfg in " +
                std::filesystem::current_path().string() + ": the default settings were used.");
  EXPECT_EQ(ReadFile("kinloom.log"), SourceFile(kPlaceholderEmailLog));
  EXPECT_TRUE(std::filesystem::is_directory("html"));
  EXPECT_FALSE(FileExists("indv.dat"));
}

TEST_F(DialogTest, RunWithPlaceholderHomeStopsWithItsMessage) {
  WithMainDialog([&](HWND dialog) {
    desktop.Type(dialog, id::kEmail, "me@home.test");
    desktop.Click(dialog, id::kCreatePage);
  });
  ASSERT_EQ(desktop.message_boxes().size(), 1u);
  EXPECT_EQ(desktop.message_boxes()[0].text,
            "You forgot to fill in your homepage address\nNo kinloom.cfg in " +
                std::filesystem::current_path().string() + ": the default settings were used.");
  EXPECT_THAT(ReadFile("kinloom.log"), EndsWith("<CreateKinloom 4\n"));
}

TEST_F(DialogTest, PlaceholderStopWithAConfigurationSaysNothingOfIt) {
  WriteFile("kinloom.cfg", "GEDFILE=tree.ged\n");
  WithMainDialog([&](HWND dialog) { desktop.Click(dialog, id::kCreatePage); });
  ASSERT_EQ(desktop.message_boxes().size(), 1u);
  EXPECT_EQ(desktop.message_boxes()[0].text, "You forgot to fill in your E-mail address");
}

TEST_F(DialogTest, RunWithMissingGedcomFileShowsTheOpenError) {
  WriteFile("kinloom.cfg", kFilledInConfig);  // names tree.ged, which is not there
  WithMainDialog([&](HWND dialog) { desktop.Click(dialog, id::kCreatePage); });
  ASSERT_EQ(desktop.message_boxes().size(), 1u);
  EXPECT_EQ(desktop.message_boxes()[0].text,
            "Error opening GEDCOM file.\nVerify filename, and path are correct.\n"
            "Cannot open the GEDCOM file \"tree.ged\": No such file or directory.");
  EXPECT_EQ(desktop.message_boxes()[0].type, MB_OK | MB_ICONEXCLAMATION);
  EXPECT_THAT(ReadFile("kinloom.log"), EndsWith("<CreateKinloom 1\n"));
}

TEST_F(DialogTest, AncestryLoopIsNamedUnderFinished) {
  WriteFile("kinloom.cfg", kFilledInConfig);
  WriteFile("tree.ged",
            "0 HEAD\n0 @I12@ INDI\n1 NAME Ann /Lee/\n1 FAMC @F1@\n1 FAMS @F1@\n"
            "0 @F1@ FAM\n1 WIFE @I12@\n1 CHIL @I12@\n0 TRLR\n");
  WithMainDialog([&](HWND dialog) { desktop.Click(dialog, id::kCreatePage); });
  ASSERT_EQ(desktop.message_boxes().size(), 1u);
  EXPECT_EQ(desktop.message_boxes()[0].text,
            "        Finished!\n"
            "Ancestry loop: Ann LEE (@I12@) is recorded as their own ancestor.\n"
            "The site is in " +
                scratch.path() + "/html.");
  EXPECT_EQ(desktop.message_boxes()[0].type, MB_OK);
  EXPECT_THAT(ReadFile("kinloom.log"), EndsWith("<CreateKinloom 0\n"));
}

TEST_F(DialogTest, RunThatCannotCreateAWorkFileShowsTheWriteError) {
  WriteFile("kinloom.cfg", kFilledInConfig);
  std::filesystem::create_directory("indv.dat");  // no file can be made by that name
  WithMainDialog([&](HWND dialog) { desktop.Click(dialog, id::kCreatePage); });
  ASSERT_EQ(desktop.message_boxes().size(), 1u);
  EXPECT_EQ(desktop.message_boxes()[0].text,
            "Error opening file for write.\nSee kinloom.log file.\n"
            "Cannot create the work file indv.dat in this folder.");
  EXPECT_THAT(ReadFile("kinloom.log"),
              EndsWith("<CreateKinloom 6\n"
                       "Windows has a limit of 32767 files in a single directory.\n"
                       "You have most likely surpassed it.\n"));
}

TEST_F(DialogTest, TwoRunsLeaveTwoBlocksInTheLog) {
  WithMainDialog([&](HWND dialog) {
    desktop.Click(dialog, id::kCreatePage);
    desktop.Click(dialog, id::kCreatePage);
  });
  const std::vector<std::string> lines = Lines(ReadFile("kinloom.log"));
  EXPECT_EQ(std::count(lines.begin(), lines.end(), ">CreateKinloom"), 2);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "<CreateKinloom 3"), 2);
}

// --- Closing -----------------------------------------------------------------

TEST_F(DialogTest, QuitExitAndCloseBoxEachSaveTheConfiguration) {
  const struct {
    const char* way;
    std::function<void(HeadlessDesktop&, HWND)> close;
  } cases[] = {
      {"Quit", [](HeadlessDesktop& d, HWND w) { d.Click(w, id::kQuit); }},
      {"File Exit", [](HeadlessDesktop& d, HWND w) { d.ChooseMenu(w, id::kMenuExit); }},
      {"close box", [](HeadlessDesktop& d, HWND w) { d.CloseBox(w); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.way);
    std::filesystem::remove("kinloom.cfg");
    const INT_PTR result = RunMain([&](HWND dialog) {
      desktop.Type(dialog, id::kEmail, "saved@home.test");
      desktop.Click(dialog, id::kNotes);  // off
      c.close(desktop, dialog);
      EXPECT_FALSE(desktop.IsOpen(dialog));
    });
    EXPECT_EQ(result, 1);
    Settings settings;
    LabelTexts labels;
    LoadConfiguration(settings, labels);
    EXPECT_EQ(settings.email, "saved@home.test");
    EXPECT_EQ(settings.notes, 'N');
    EXPECT_EQ(Lines(ReadFile("kinloom.cfg")).size(), 47u);
  }
  EXPECT_THAT(desktop.message_boxes(), IsEmpty());
}

TEST_F(DialogTest, CreatePageDoesNotSaveTheConfiguration) {
  RunMain([&](HWND dialog) {
    desktop.Click(dialog, id::kCreatePage);
    EXPECT_FALSE(FileExists("kinloom.cfg"));
    desktop.Click(dialog, id::kQuit);
  });
  EXPECT_TRUE(FileExists("kinloom.cfg"));
}

TEST_F(DialogTest, FailedSaveIsReportedBeforeTheProgramEnds) {
  // A directory with something in it cannot be replaced by the saved file.
  std::filesystem::create_directories("kinloom.cfg/keep");
  const INT_PTR result = RunMain([&](HWND dialog) { desktop.Click(dialog, id::kQuit); });
  EXPECT_EQ(result, 1);
  ASSERT_EQ(desktop.message_boxes().size(), 1u);
  const auto& box = desktop.message_boxes()[0];
  EXPECT_EQ(box.text,
            "Settings could not be saved to kinloom.cfg.\n"
            "Cannot write \"kinloom.cfg\": Is a directory.");
  EXPECT_EQ(box.caption, "Kinloom");
  EXPECT_EQ(box.type, MB_OK | MB_ICONEXCLAMATION);
}

TEST_F(DialogTest, WinMainRunsTheMainDialogAndReturnsZero) {
  desktop.ExpectDialog(kMainDialog, [&](HWND dialog) {
    EXPECT_EQ(desktop.Text(dialog, id::kBgPic), "sand1.jpg");
    desktop.Click(dialog, id::kQuit);
  });
  EXPECT_EQ(WinMain(&instance, nullptr, nullptr, SW_SHOWNORMAL), 0);
  EXPECT_THAT(ReadFile("kinloom.cfg"),
              HasSubstr("BACKGROUND=G\nBGPIC=sand1.jpg\nBGCOLOR=FFFFEF\n"));
}

// --- Browse, Help and the other menu items -------------------------------

// Makes a file whose absolute path has exactly `length` characters.
std::string FileWithPathLength(std::size_t length) {
  std::string path = std::filesystem::current_path().string() + "/";
  const std::string name = "tree.ged";
  if (path.size() + name.size() + 2 > length) return {};
  std::string directory(length - path.size() - name.size() - 1, 'd');
  // Directory names stay below the usual limit of 255 characters.
  for (std::size_t i = 200; i < directory.size(); i += 201) directory[i] = '/';
  path += directory + "/" + name;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  WriteFile(path, "0 HEAD\n");
  return path;
}

TEST_F(DialogTest, BrowseShowsTheGedcomFilterAndKeepsTheCurrentDirectory) {
  const std::string before = std::filesystem::current_path().string();
  std::filesystem::create_directory("family");
  WriteFile("family/tree.ged", "0 HEAD\n");
  desktop.AnswerOpenFile("family/tree.ged");
  WithMainDialog([&](HWND dialog) {
    ASSERT_TRUE(desktop.Click(dialog, id::kBrowse));
    EXPECT_EQ(std::filesystem::current_path().string(), before);
    // Under the working folder: kept relative to it, so the folder can move.
    EXPECT_EQ(state.settings.gedfile, "family/tree.ged");
    EXPECT_EQ(desktop.Text(dialog, id::kGedFile), "family/tree.ged");

    ASSERT_EQ(desktop.open_file_calls().size(), 1u);
    const auto& call = desktop.open_file_calls()[0];
    EXPECT_EQ(call.owner, dialog);
    EXPECT_THAT(call.filter,
                ElementsAre(std::pair<std::string, std::string>("Gedcom Files(*.GED)", "*.ged")));
    EXPECT_EQ(call.filter_index, 1u);
    EXPECT_EQ(call.initial_file, "");
    EXPECT_EQ(call.initial_dir, before);
    EXPECT_EQ(call.title, "");
    EXPECT_EQ(call.default_extension, "");
    // The Explorer-style dialog, without a read-only box or a Help button.
    EXPECT_EQ(call.flags, OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST);
  });
  // The configuration lands where it was loaded from.
  EXPECT_TRUE(FileExists(before + "/kinloom.cfg"));
}

// A path pasted with Explorer's "Copy as path" comes in double quotes.
TEST_F(DialogTest, QuotesAroundTheGedcomPathAreRemoved) {
  WithMainDialog([&](HWND dialog) {
    desktop.Type(dialog, id::kGedFile, "\"C:\\Users\\ann\\my tree\\family.ged\"");
    desktop.Click(dialog, id::kCreatePage);
    EXPECT_EQ(state.settings.gedfile, "C:\\Users\\ann\\my tree\\family.ged");
    EXPECT_EQ(desktop.Text(dialog, id::kGedFile), "C:\\Users\\ann\\my tree\\family.ged");
    // One quote alone is part of the name.
    desktop.Type(dialog, id::kGedFile, "\"family.ged");
    desktop.Click(dialog, id::kCreatePage);
    EXPECT_EQ(state.settings.gedfile, "\"family.ged");
  });
}

// kinloom.cfg lines that set nothing are named once, in one box, as the
// dialog opens; the rest of the file is read.
TEST_F(DialogTest, ConfigurationLinesThatSetNothingAreShownAtStartUp) {
  WriteFile("kinloom.cfg", "HOME=https://example.org/\nEMAIL =me@example.org\nemail=x\n");
  WithMainDialog([&](HWND dialog) {
    EXPECT_EQ(desktop.Text(dialog, id::kHome), "https://example.org/");
    ASSERT_EQ(desktop.message_boxes().size(), 1u);
    const auto& box = desktop.message_boxes()[0];
    EXPECT_EQ(box.text,
              "kinloom.cfg line 2: 'EMAIL ' is not a setting; ignored.\n"
              "kinloom.cfg line 3: 'email' is not a setting; ignored.");
    EXPECT_EQ(box.caption, "Kinloom");
    EXPECT_EQ(box.type, MB_OK | MB_ICONEXCLAMATION);
  });
}

TEST_F(DialogTest, CancelledBrowseChangesNothing) {
  desktop.CancelOpenFile();
  WithMainDialog([&](HWND dialog) {
    desktop.Type(dialog, id::kGedFile, "typed.ged");
    desktop.Click(dialog, id::kBrowse);
    EXPECT_EQ(state.settings.gedfile, "smith.ged");
    EXPECT_EQ(desktop.Text(dialog, id::kGedFile), "typed.ged");
  });
}

// A file outside the working folder is kept by its full path.
TEST_F(DialogTest, BrowsePathsUpToWhatTheFieldHoldsAreTaken) {
  const std::string longest = FileWithPathLength(149);
  ASSERT_EQ(longest.size(), 149u);
  std::filesystem::create_directory("work");
  std::filesystem::current_path("work");
  desktop.AnswerOpenFile(longest);
  WithMainDialog([&](HWND dialog) { desktop.Click(dialog, id::kBrowse); });
  EXPECT_EQ(state.settings.gedfile, longest);  // also after the field is copied back
  EXPECT_THAT(desktop.message_boxes(), IsEmpty());
}

TEST_F(DialogTest, BrowsePathTooLongForTheFieldIsRefused) {
  for (std::size_t length : {150u, 151u, 400u}) {
    SCOPED_TRACE(length);
    const std::string path = FileWithPathLength(length);
    ASSERT_EQ(path.size(), length);
    std::filesystem::create_directory("work");
    std::filesystem::current_path("work");
    desktop.AnswerOpenFile(path);
    const std::size_t boxes = desktop.message_boxes().size();
    WithMainDialog([&](HWND dialog) {
      desktop.Click(dialog, id::kBrowse);
      EXPECT_EQ(state.settings.gedfile, "smith.ged");
      EXPECT_EQ(desktop.Text(dialog, id::kGedFile), "smith.ged");
    });
    std::filesystem::current_path("..");
    ASSERT_EQ(desktop.message_boxes().size(), boxes + 1);
    const auto& box = desktop.message_boxes().back();
    EXPECT_EQ(box.text, "The path of the GEDCOM file is too long.");
    EXPECT_EQ(box.caption, "Kinloom");
    EXPECT_EQ(box.type, MB_OK | MB_ICONEXCLAMATION);
  }
}

TEST_F(DialogTest, HelpOpensHelpDocumentOfTheCurrentDirectory) {
  WriteFile("help.htm", "<html>");
  WithMainDialog([&](HWND dialog) { EXPECT_TRUE(desktop.ChooseMenu(dialog, id::kMenuHelp)); });
  ASSERT_EQ(desktop.shell_calls().size(), 1u);
  const auto& call = desktop.shell_calls()[0];
  EXPECT_EQ(call.operation, "");
  EXPECT_EQ(call.file, "help.htm");
  EXPECT_EQ(call.parameters, "");
  EXPECT_EQ(call.directory, "");
  EXPECT_EQ(call.show, SW_SHOWNORMAL);
  EXPECT_THAT(desktop.message_boxes(), IsEmpty());
}

// No guide anywhere: a word on where Help looked, and no shell call.
TEST_F(DialogTest, HelpThatFindsNothingSaysWhereItLooked) {
  state.program_directory = scratch.path() + "/program";
  state.installed = InstalledData({scratch.path() + "/share/kinloom"});
  WithMainDialog([&](HWND dialog) { EXPECT_TRUE(desktop.ChooseMenu(dialog, id::kMenuHelp)); });
  EXPECT_THAT(desktop.shell_calls(), IsEmpty());
  ASSERT_EQ(desktop.message_boxes().size(), 1u);
  const auto& box = desktop.message_boxes()[0];
  EXPECT_EQ(box.text, "The user guide help.htm was not found. Help looked in:\n" + scratch.path() +
                          "\n" + scratch.path() + "/program\n" + scratch.path() + "/share/kinloom");
  EXPECT_EQ(box.caption, "Kinloom");
  EXPECT_EQ(box.type, MB_OK | MB_ICONEXCLAMATION);
}

TEST_F(DialogTest, HelpFallsBackToTheDocumentBesideTheProgram) {
  std::filesystem::create_directory("program");
  const std::string beside = std::filesystem::absolute("program/help.htm").string();
  const std::string here = std::filesystem::absolute("help.htm").string();
  struct Case {
    bool here;           // help.htm in the current directory
    bool in_program;     // help.htm beside the program
    std::string folder;  // the program's directory as the state knows it
    std::string expected;
  };
  const std::string program = std::filesystem::absolute("program").string();
  const Case cases[] = {
      {false, true, program, beside},
      {true, true, program, here},  // the current directory comes first
      {true, false, program, here},
      {false, false, program, ""},  // none anywhere: said in a message box
      // A program that does not know its place asks for the bare name.
      {false, true, "", ""},
      {true, true, "", "help.htm"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected + (c.here ? " here" : "") + (c.folder.empty() ? " no folder" : ""));
    std::filesystem::remove("help.htm");
    std::filesystem::remove("program/help.htm");
    if (c.here) WriteFile("help.htm", "<html>");
    if (c.in_program) WriteFile("program/help.htm", "<html>");
    state.program_directory = c.folder;
    const std::size_t calls = desktop.shell_calls().size();
    WithMainDialog([&](HWND dialog) { desktop.ChooseMenu(dialog, id::kMenuHelp); });
    if (c.expected.empty()) {
      EXPECT_EQ(desktop.shell_calls().size(), calls);
      continue;
    }
    ASSERT_EQ(desktop.shell_calls().size(), calls + 1);
    EXPECT_EQ(desktop.shell_calls().back().file, c.expected);
  }
}

TEST_F(DialogTest, HelpOpensTheInstalledGuideWhenTheFolderHasNone) {
  std::filesystem::create_directories("prefix/share/kinloom");
  WriteFile("prefix/share/kinloom/help.htm", "<HTML>guide</HTML>\n");
  const std::string installed =
      (std::filesystem::current_path() / "prefix/share/kinloom/help.htm").string();
  state.installed = InstalledData::ForExecutable(
      (std::filesystem::current_path() / "prefix/bin/kinloom").string());
  WithMainDialog([&](HWND dialog) { EXPECT_TRUE(desktop.ChooseMenu(dialog, id::kMenuHelp)); });
  WriteFile("help.htm", "<HTML>my own</HTML>\n");
  WithMainDialog([&](HWND dialog) { EXPECT_TRUE(desktop.ChooseMenu(dialog, id::kMenuHelp)); });
  ASSERT_EQ(desktop.shell_calls().size(), 2u);
  EXPECT_EQ(desktop.shell_calls()[0].file, installed);
  EXPECT_EQ(desktop.shell_calls()[1].file, "help.htm");
}

TEST_F(DialogTest, MenuOpensAboutBoxAndCaptionEditor) {
  WithMainDialog([&](HWND dialog) {
    desktop.ExpectDialog(kAboutDialog, [&](HWND about) { desktop.PressEnter(about); });
    EXPECT_TRUE(desktop.ChooseMenu(dialog, id::kMenuAbout));
    desktop.ExpectDialog(kEditTextDialog, [&](HWND editor) {
      desktop.Type(editor, 401, "Ehemann");
      desktop.PressEnter(editor);
    });
    EXPECT_TRUE(desktop.ChooseMenu(dialog, id::kMenuEditText));
    EXPECT_TRUE(desktop.IsOpen(dialog));
  });
  EXPECT_THAT(desktop.dialogs_shown(), ElementsAre(kMainDialog, kAboutDialog, kEditTextDialog));
  EXPECT_EQ(state.labels[Label::kHusband], "Ehemann");
  EXPECT_THAT(ReadFile("kinloom.cfg"), HasSubstr("\nSHUSBAND=Ehemann\n"));
}

}  // namespace
}  // namespace kinloom::ui
