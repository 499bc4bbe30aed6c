#include "run/settings.h"

#include <climits>

namespace kinloom {

const std::array<LabelInfo, kLabelCount> kLabelInfo = {{
    {"SHUSBAND", "Husband"},
    {"SWIFE", "Wife"},
    {"SNAME", "Name"},
    {"SBORN", "Born"},
    {"SMARRIED", "Married"},
    {"SDIED", "Died"},
    {"SAT", "at"},
    {"SFATHER", "Father"},
    {"SMOTHER", "Mother"},
    {"SOSPOUSES", "Other Spouses"},
    {"SSPOUSES", "Spouses"},
    {"SNOTES", "NOTES"},
    {"SFNOTES", "FAMILY NOTES"},
    {"SCHILDREN", "CHILDREN"},
    {"SSOURCES", "SOURCES"},
    {"SHOME", "HOME"},
    {"SEMAIL", "EMAIL"},
    {"SSURNAMES", "SURNAMES"},
    {"SNAMES", "NAMES"},
    {"SNOTESFOR", "Notes for"},
    {"SALLSURNAMES", "All Surnames in Family Tree"},
    {"SALLNAMES", "Family Tree Names"},
    {"STOTALS1", "Tree currently contains"},
    {"STOTALS2", "individuals, in"},
    {"STOTALS3", "family groups."},
    {"SPEDIGREEFOR", "Pedigree Chart For"},
    {"SPEDIGREE", "PEDIGREE"},
    {"SPHOTOS", "PHOTOS"},
    {"SPHOTOFOR", "Photo for"},
    {"SLIVING", "Living"},
    {"SREPEAT", "(see above)"},
}};

LabelTexts::LabelTexts() {
  for (int i = 0; i < kLabelCount; ++i) texts_[i] = std::string(kLabelInfo[i].default_text);
}

void LabelTexts::Set(Label label, std::string_view text) {
  texts_[static_cast<int>(label)] = std::string(text.substr(0, kLabelCapacity));
}

void SetDefaultSettings(Settings& settings, LabelTexts& labels) {
  settings = Settings{};
  labels = LabelTexts{};
}

namespace {
void Cut(std::string& text, std::size_t capacity) {
  if (text.size() > capacity) text.resize(capacity);
}
}  // namespace

void CutSettingsToCapacity(Settings& s) {
  Cut(s.bgpic, kBgPicCapacity);
  Cut(s.bgcolor, kColourCapacity);
  Cut(s.textc, kColourCapacity);
  Cut(s.linkc, kColourCapacity);
  Cut(s.vlinkc, kColourCapacity);
  Cut(s.home, kHomeCapacity);
  Cut(s.email, kEmailCapacity);
  Cut(s.gedfile, kGedFileCapacity);
  Cut(s.pedigreelist, kPedigreeListCapacity);
  Cut(s.photodir, kPhotoDirCapacity);
  Cut(s.extension, kExtensionCapacity);
}

namespace {

// Reads the number at the start of text: blanks skipped, an optional sign,
// then digits; no digits give 0. Values beyond the int32 range saturate.
std::int32_t LeadingNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > INT_MAX) value = INT_MAX;
  }
  return static_cast<std::int32_t>(negative ? -value : value);
}

}  // namespace

std::vector<std::int32_t> ParsePedigreeList(std::string_view list) {
  std::vector<std::int32_t> numbers;
  std::string_view rest = list;
  for (;;) {
    std::int32_t number = LeadingNumber(rest);
    if (number <= 0) break;
    numbers.push_back(number);
    std::size_t comma = rest.find(',');
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  return numbers;
}

bool PedigreeSelection::InPedigreeSelection(const Settings& settings, std::int32_t number) {
  if (settings.pedigreelist != parsed_from_) {
    numbers_ = ParsePedigreeList(settings.pedigreelist);
    parsed_from_ = settings.pedigreelist;
  }
  if (settings.pedigreeall == 'Y') return true;
  for (std::int32_t listed : numbers_) {
    if (listed == number) return true;
  }
  return false;
}

}  // namespace kinloom
