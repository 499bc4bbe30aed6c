#include <filesystem>
#include <string>

#include "dialog_fixture.h"

namespace kinloom::ui {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

// --- Colour picker -----------------------------------------------------------

TEST_F(DialogTest, ColourButtonsGiveTheirHexValue) {
  // A sample across the grid, both pinks of equal value among them.
  const struct {
    int id;
    const char* caption;
    const char* colour;
  } cases[] = {
      {201, "White", "FFFFFF"},         {208, "Black", "000000"},
      {210, "Blue Violet", "9999FF"},   {219, "Light Blue", "99FFFF"},
      {222, "Midnight Blue", "000099"}, {224, "Neon Pink", "FF00CC"},
      {230, "Spicy Pink", "FF00CC"},    {233, "Very Dark Brown", "663333"},
      {235, "Violet Red", "990066"},    {236, "Off White", "FFFFCC"},
  };
  for (const auto& c : cases) {
    desktop.ExpectDialog(kColourDialog, [&](HWND picker) {
      EXPECT_EQ(desktop.Text(picker, c.id), c.caption);
      desktop.Click(picker, c.id);
      EXPECT_FALSE(desktop.IsOpen(picker));
    });
    EXPECT_EQ(PickColour(state, nullptr), c.colour) << c.caption;
  }
}

TEST_F(DialogTest, PickerCloseBoxGivesNoColourAfterEarlierPicks) {
  desktop.ExpectDialog(kColourDialog, [&](HWND picker) { desktop.Click(picker, 217); });
  ASSERT_EQ(PickColour(state, nullptr), "FFCC00");
  desktop.ExpectDialog(kColourDialog, [&](HWND picker) { desktop.CloseBox(picker); });
  EXPECT_EQ(PickColour(state, nullptr), "");
}

TEST_F(DialogTest, PickerIgnoresEscapeAndNotifications) {
  desktop.ExpectDialog(kColourDialog, [&](HWND picker) {
    desktop.PressEscape(picker);
    EXPECT_TRUE(desktop.IsOpen(picker));
    // Only a plain click counts: a double-click notification does not.
    EXPECT_EQ(desktop.Send(picker, WM_COMMAND, MAKEWPARAM(203, 5), 0), FALSE);
    EXPECT_TRUE(desktop.IsOpen(picker));
    EXPECT_EQ(desktop.Send(picker, WM_COMMAND, 200, 0), FALSE);
    EXPECT_EQ(desktop.Send(picker, WM_COMMAND, 237, 0), FALSE);
    EXPECT_EQ(desktop.Send(picker, 0x0200, 0, 0), FALSE);  // a mouse move
    EXPECT_TRUE(desktop.IsOpen(picker));
    desktop.Click(picker, 203);
  });
  EXPECT_EQ(PickColour(state, nullptr), "00FF00");
}

TEST_F(DialogTest, PickerThatCannotOpenGivesNoColour) {
  desktop.ExpectDialog(kColourDialog, [&](HWND picker) { desktop.Click(picker, 202); });
  ASSERT_EQ(PickColour(state, nullptr), "FF0000");
  // No script waits for the next picker, so it cannot be made.
  EXPECT_EQ(PickColour(state, nullptr), "");
  EXPECT_THAT(desktop.TakeProblems(), ElementsAre(HasSubstr("without a script")));
}

// --- Caption editor ----------------------------------------------------------

// Which caption each field shows, typed from the editor's layout table.
struct FieldCaption {
  int id;
  const char* text;
};
constexpr FieldCaption kDefaultFieldTexts[] = {
    {401, "Husband"},
    {402, "Wife"},
    {403, "Name"},
    {404, "Born"},
    {405, "Married"},
    {406, "Died"},
    {407, "at"},
    {408, "Father"},
    {409, "Mother"},
    {410, "Other Spouses"},
    {411, "Spouses"},
    {412, "NOTES"},
    {413, "FAMILY NOTES"},
    {414, "CHILDREN"},
    {415, "SOURCES"},
    {416, "HOME"},
    {417, "SURNAMES"},
    {418, "NAMES"},
    {419, "Notes for"},
    {420, "All Surnames in Family Tree"},
    {421, "Family Tree Names"},
    {422, "Tree currently contains"},
    {423, "individuals, in"},
    {424, "family groups."},
    {427, "EMAIL"},
    {428, "Pedigree Chart For"},
    {429, "PEDIGREE"},
    {430, "Photo for"},
    {431, "PHOTOS"},
    {432, "Living"},
    {433, "(see above)"},
};

TEST_F(DialogTest, EditorShowsEachCaptionInItsField) {
  desktop.ExpectDialog(kEditTextDialog, [&](HWND editor) {
    EXPECT_EQ(desktop.Caption(editor), "Edit Text");
    for (const FieldCaption& f : kDefaultFieldTexts) {
      EXPECT_EQ(desktop.Text(editor, f.id), f.text) << "field " << f.id;
    }
    desktop.Click(editor, id::kEditTextCancel);
  });
  EditLabelTexts(state, nullptr);
}

TEST_F(DialogTest, EditorOkStoresEveryFieldBack) {
  desktop.ExpectDialog(kEditTextDialog, [&](HWND editor) {
    for (const FieldCaption& f : kDefaultFieldTexts) {
      desktop.Type(editor, f.id, std::string("x") + f.text);
    }
    desktop.Click(editor, id::kEditTextOk);
  });
  EditLabelTexts(state, nullptr);
  // Each field went back to its own caption: the fields showing "EMAIL",
  // "Photo for" and "PHOTOS" are not in storage order.
  EXPECT_EQ(state.labels[Label::kEmail], "xEMAIL");
  EXPECT_EQ(state.labels[Label::kPhotoFor], "xPhoto for");
  EXPECT_EQ(state.labels[Label::kPhotos], "xPHOTOS");
  EXPECT_EQ(state.labels[Label::kSources], "xSOURCES");
  EXPECT_EQ(state.labels[Label::kHusband], "xHusband");
  EXPECT_EQ(state.labels[Label::kTotals3], "xfamily groups.");
  for (int i = 0; i < kLabelCount; ++i) {
    const Label label = static_cast<Label>(i);
    EXPECT_EQ(state.labels[label], "x" + std::string(kLabelInfo[i].default_text))
        << kLabelInfo[i].key;
  }
}

TEST_F(DialogTest, EditorCutsCaptionsTo99Characters) {
  for (std::size_t length : {98u, 99u, 100u, 250u}) {
    desktop.ExpectDialog(kEditTextDialog, [&](HWND editor) {
      desktop.Type(editor, 420, std::string(length, 'a'));
      desktop.Click(editor, id::kEditTextOk);
    });
    EditLabelTexts(state, nullptr);
    EXPECT_EQ(state.labels[Label::kAllSurnames],
              std::string(std::min<std::size_t>(length, 99), 'a'))
        << "typed " << length;
  }
}

TEST_F(DialogTest, EditorEmptiedFieldEmptiesItsCaption) {
  desktop.ExpectDialog(kEditTextDialog, [&](HWND editor) {
    desktop.Type(editor, 407, "");
    desktop.PressEnter(editor);  // OK is the default button
  });
  EditLabelTexts(state, nullptr);
  EXPECT_EQ(state.labels[Label::kAt], "");
  EXPECT_EQ(state.labels[Label::kBorn], "Born");
}

TEST_F(DialogTest, EditorCancelCloseBoxAndEscapeKeepEveryCaption) {
  const LabelTexts before = state.labels;
  desktop.ExpectDialog(kEditTextDialog, [&](HWND editor) {
    desktop.Type(editor, 401, "changed");
    desktop.PressEscape(editor);
    EXPECT_TRUE(desktop.IsOpen(editor));
    desktop.Click(editor, id::kEditTextCancel);
  });
  EditLabelTexts(state, nullptr);
  desktop.ExpectDialog(kEditTextDialog, [&](HWND editor) {
    desktop.Type(editor, 402, "changed");
    desktop.CloseBox(editor);
  });
  EditLabelTexts(state, nullptr);
  EXPECT_TRUE(state.labels == before);
}

// --- Pictures folder -------------------------------------------------------

TEST_F(DialogTest, PicturesFolderShowsStoresAndCutsTheSetting) {
  state.settings.photodir = "old";
  desktop.ExpectDialog(kPicturesDialog, [&](HWND dialog) {
    EXPECT_EQ(desktop.Caption(dialog), "Pictures Folder");
    EXPECT_EQ(desktop.Text(dialog, id::kPicturesFolder), "old");
    desktop.Type(dialog, id::kPicturesFolder, std::string(200, 'p'));
    desktop.Click(dialog, id::kPicturesOk);
  });
  EditPicturesFolder(state, nullptr);
  EXPECT_EQ(state.settings.photodir, std::string(150, 'p'));

  for (bool close_box : {false, true}) {
    desktop.ExpectDialog(kPicturesDialog, [&](HWND dialog) {
      desktop.Type(dialog, id::kPicturesFolder, "changed");
      if (close_box) {
        desktop.CloseBox(dialog);
      } else {
        desktop.Click(dialog, id::kPicturesCancel);
      }
    });
    EditPicturesFolder(state, nullptr);
    EXPECT_EQ(state.settings.photodir, std::string(150, 'p'));
  }
}

TEST_F(DialogTest, PicturesFolderBrowsePutsTheChosenFilesFolderInTheField) {
  const std::string folder = scratch.path() + "/pictures/smith";
  const std::string deep = scratch.path() + "/" + std::string(160, 'd');
  std::filesystem::create_directories(folder);
  std::filesystem::create_directories(deep);
  kinloom::testing::WriteFile(folder + "/a.jpg", "A");
  kinloom::testing::WriteFile(deep + "/a.jpg", "A");
  desktop.AnswerOpenFile(folder + "/a.jpg");
  desktop.AnswerOpenFile(deep + "/a.jpg");
  desktop.ExpectDialog(kPicturesDialog, [&](HWND dialog) {
    desktop.Click(dialog, id::kPicturesBrowse);
    EXPECT_EQ(desktop.Text(dialog, id::kPicturesFolder), folder);
    // Too long for the setting: the field keeps what it had.
    desktop.Click(dialog, id::kPicturesBrowse);
    EXPECT_EQ(desktop.Text(dialog, id::kPicturesFolder), folder);
    desktop.PressEnter(dialog);
  });
  EditPicturesFolder(state, nullptr);
  EXPECT_EQ(state.settings.photodir, folder);
  ASSERT_EQ(desktop.message_boxes().size(), 1u);
  EXPECT_EQ(desktop.message_boxes()[0].text, "The path of the pictures folder is too long.");
  ASSERT_EQ(desktop.open_file_calls().size(), 2u);
  EXPECT_NE(desktop.open_file_calls()[0].flags & OFN_NOCHANGEDIR, 0u);
  EXPECT_EQ(desktop.open_file_calls()[1].initial_dir, folder);
}

// --- About box ---------------------------------------------------------------

TEST_F(DialogTest, AboutBoxShowsVersionAndEndsWithOkOnly) {
  desktop.ExpectDialog(kAboutDialog, [&](HWND about) {
    EXPECT_TRUE(desktop.HasControl(about, id::kAboutOk));
    EXPECT_EQ(desktop.Text(about, id::kAboutOk), "Ok");
    EXPECT_EQ(desktop.Send(about, WM_COMMAND, 122, 0), TRUE);  // ignored, handled
    EXPECT_TRUE(desktop.IsOpen(about));
    desktop.PressEscape(about);
    EXPECT_TRUE(desktop.IsOpen(about));
    desktop.Click(about, id::kAboutOk);
  });
  ShowAboutBox(state, nullptr);
  desktop.ExpectDialog(kAboutDialog, [&](HWND about) { desktop.CloseBox(about); });
  ShowAboutBox(state, nullptr);
  EXPECT_THAT(desktop.dialogs_shown(), ElementsAre(kAboutDialog, kAboutDialog));
}

TEST_F(DialogTest, AboutBoxTemplateCarriesVersionAndHomePage) {
  const DialogTemplate* about = KinloomResources().FindDialog(kAboutDialog);
  ASSERT_NE(about, nullptr);
  std::vector<std::string> texts;
  for (const ControlTemplate& control : about->controls) texts.emplace_back(control.text);
  EXPECT_THAT(texts, ElementsAre("KINLOOM", "Kinloom Version 2.21", "For updated versions, visit:",
                                 std::string(kGeneratorHome), "Ok"));
}

}  // namespace
}  // namespace kinloom::ui
