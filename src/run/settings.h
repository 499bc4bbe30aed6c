// Settings and caption texts: every choice the user makes, as one plain
// record, plus the pedigree selection that is parsed from PEDIGREELIST.
#ifndef KINLOOM_RUN_SETTINGS_H_
#define KINLOOM_RUN_SETTINGS_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kinloom {

inline constexpr std::string_view kVersionText = "Kinloom Version 2.21";
// The generator's home page (credit line and about box).
inline constexpr std::string_view kGeneratorHome = "https://kinloom.example.org/";
// Defaults of EMAIL and HOME; a run refuses to start while either is unchanged.
inline constexpr std::string_view kPlaceholderEmail = "jane.doe@example.com";
inline constexpr std::string_view kPlaceholderHome = "http://www.example.com/~janedoe/";

// Capacities in characters (the terminating NUL of the stored form not
// counted). Every text that enters Settings is cut to these.
inline constexpr std::size_t kBgPicCapacity = 150;
inline constexpr std::size_t kColourCapacity = 7;
inline constexpr std::size_t kHomeCapacity = 100;
inline constexpr std::size_t kEmailCapacity = 100;
inline constexpr std::size_t kGedFileCapacity = 150;
inline constexpr std::size_t kPedigreeListCapacity = 100;
inline constexpr std::size_t kExtensionCapacity = 10;
inline constexpr std::size_t kLabelCapacity = 99;
inline constexpr std::size_t kPhotoDirCapacity = 150;

// Flags hold one character; "Y" means on for every flag but BACKGROUND,
// where "G" selects the background picture and anything else the colour.
struct Settings {
  char background = 'G';
  std::string bgpic = "sand1.jpg";
  std::string bgcolor = "FFFFEF";
  std::string textc = "000000";
  std::string linkc = "0000FF";
  std::string vlinkc = "200080";
  std::string home{kPlaceholderHome};
  std::string email{kPlaceholderEmail};
  std::string gedfile = "smith.ged";
  char notes = 'Y';
  char ucsurname = 'N';
  char soundex = 'Y';
  char sources = 'Y';
  char photos = ' ';  // never given a value of its own: starts as a blank
  char subdirs = 'N';
  char pedigreeall = 'N';
  std::string pedigreelist;
  std::string extension = "htm";
  // Presumed-living individuals are shown by surname alone (see
  // run/living.h); saved only when not at its default.
  char privacy = 'N';
  // "Y": references to families or individuals that have no record are
  // left out, and the site is written anyway.
  char skipmissing = 'N';
  // Only pages whose content changed are written; files that the previous
  // run wrote and this one does not are removed.
  char changedonly = 'N';
  // The folder the photo pages' pictures are looked for in (empty: the
  // GEDCOM file's folder); saved only when not empty.
  std::string photodir;

  bool operator==(const Settings&) const = default;
};

// The 31 caption texts, in their storage order.
enum class Label : int {
  kHusband,
  kWife,
  kName,
  kBorn,
  kMarried,
  kDied,
  kAt,
  kFather,
  kMother,
  kOtherSpouses,
  kSpouses,
  kNotes,
  kFamilyNotes,
  kChildren,
  kSources,
  kHome,
  kEmail,
  kSurnames,
  kNames,
  kNotesFor,
  kAllSurnames,
  kAllNames,
  kTotals1,
  kTotals2,
  kTotals3,
  kPedigreeFor,
  kPedigree,
  kPhotos,
  kPhotoFor,
  kLiving,
  kRepeat,  // after an ancestor drawn again in a pedigree chart
};
inline constexpr int kLabelCount = 31;

struct LabelInfo {
  std::string_view key;           // configuration key, e.g. "SHUSBAND"
  std::string_view default_text;  // e.g. "Husband"
};
// Indexed by Label.
extern const std::array<LabelInfo, kLabelCount> kLabelInfo;

class LabelTexts {
 public:
  LabelTexts();  // every text at its default
  const std::string& operator[](Label label) const { return texts_[static_cast<int>(label)]; }
  // Stores text cut to kLabelCapacity characters.
  void Set(Label label, std::string_view text);
  bool operator==(const LabelTexts&) const = default;

 private:
  std::array<std::string, kLabelCount> texts_;
};

// Gives every Settings field and caption text its default.
void SetDefaultSettings(Settings& settings, LabelTexts& labels);

// Cuts every text field of settings to its capacity.
void CutSettingsToCapacity(Settings& settings);

// Parses a pedigree list: numbers separated by commas, ended by the first
// number that is 0 or negative ("5,,9" gives 5 only; "3x,4" gives 3 and 4).
std::vector<std::int32_t> ParsePedigreeList(std::string_view list);

// The numbers parsed from PEDIGREELIST, re-parsed only when the text changes.
class PedigreeSelection {
 public:
  // True when PEDIGREEALL is "Y" or number is one of the listed numbers.
  bool InPedigreeSelection(const Settings& settings, std::int32_t number);

 private:
  std::string parsed_from_;
  std::vector<std::int32_t> numbers_;
};

}  // namespace kinloom

#endif  // KINLOOM_RUN_SETTINGS_H_
