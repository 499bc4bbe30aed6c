#include "ui/config.h"

#include <cstdio>
#include <string_view>

#include "platform/platform.h"
#include "text/strings.h"

namespace kinloom {

namespace {

enum class KeyKind { kFlag, kText, kLabel };

struct ConfigKey {
  std::string_view key;
  KeyKind kind;
  char Settings::*flag;
  std::string Settings::*text;
  std::size_t capacity;
  Label label;
};

constexpr ConfigKey Flag(std::string_view key, char Settings::*field) {
  return {key, KeyKind::kFlag, field, nullptr, 1, Label::kHusband};
}
constexpr ConfigKey Text(std::string_view key, std::string Settings::*field, std::size_t cap) {
  return {key, KeyKind::kText, nullptr, field, cap, Label::kHusband};
}
constexpr ConfigKey LabelKey(Label label) {
  return {{}, KeyKind::kLabel, nullptr, nullptr, kLabelCapacity, label};
}

// The 47 keys in the order they are written. Caption keys take their name
// from the label table; SNOTESFOR is written before SHOME although it is
// stored after SNAMES.
const ConfigKey kKeys[] = {
    Flag("BACKGROUND", &Settings::background),
    Text("BGPIC", &Settings::bgpic, kBgPicCapacity),
    Text("BGCOLOR", &Settings::bgcolor, kColourCapacity),
    Text("TEXTC", &Settings::textc, kColourCapacity),
    Text("LINKC", &Settings::linkc, kColourCapacity),
    Text("VLINKC", &Settings::vlinkc, kColourCapacity),
    Text("HOME", &Settings::home, kHomeCapacity),
    Text("EMAIL", &Settings::email, kEmailCapacity),
    Text("GEDFILE", &Settings::gedfile, kGedFileCapacity),
    Flag("NOTES", &Settings::notes),
    Flag("UCSURNAME", &Settings::ucsurname),
    Flag("SOUNDEX", &Settings::soundex),
    Flag("SOURCES", &Settings::sources),
    Flag("PHOTOS", &Settings::photos),
    Flag("SUBDIRS", &Settings::subdirs),
    Flag("PEDIGREEALL", &Settings::pedigreeall),
    Text("PEDIGREELIST", &Settings::pedigreelist, kPedigreeListCapacity),
    Text("EXTENSION", &Settings::extension, kExtensionCapacity),
    LabelKey(Label::kHusband),
    LabelKey(Label::kWife),
    LabelKey(Label::kName),
    LabelKey(Label::kBorn),
    LabelKey(Label::kMarried),
    LabelKey(Label::kDied),
    LabelKey(Label::kAt),
    LabelKey(Label::kFather),
    LabelKey(Label::kMother),
    LabelKey(Label::kOtherSpouses),
    LabelKey(Label::kSpouses),
    LabelKey(Label::kNotes),
    LabelKey(Label::kFamilyNotes),
    LabelKey(Label::kChildren),
    LabelKey(Label::kSources),
    LabelKey(Label::kNotesFor),
    LabelKey(Label::kHome),
    LabelKey(Label::kEmail),
    LabelKey(Label::kSurnames),
    LabelKey(Label::kNames),
    LabelKey(Label::kAllSurnames),
    LabelKey(Label::kAllNames),
    LabelKey(Label::kTotals1),
    LabelKey(Label::kTotals2),
    LabelKey(Label::kTotals3),
    LabelKey(Label::kPedigreeFor),
    LabelKey(Label::kPedigree),
    LabelKey(Label::kPhotos),
    LabelKey(Label::kPhotoFor),
};
static_assert(sizeof(kKeys) / sizeof(kKeys[0]) == 47);

std::string_view KeyName(const ConfigKey& key) {
  return key.kind == KeyKind::kLabel ? kLabelInfo[static_cast<int>(key.label)].key : key.key;
}

void ApplyLine(std::string_view line, Settings& settings, LabelTexts& labels) {
  int equals = FindOccurrence(line, "=", 1);
  if (equals < 0) return;  // no key
  std::string_view key = line.substr(0, static_cast<std::size_t>(equals));
  std::string_view value = line.substr(static_cast<std::size_t>(equals) + 1);
  for (const ConfigKey& entry : kKeys) {
    if (KeyName(entry) != key) continue;
    switch (entry.kind) {
      case KeyKind::kFlag:
        // An empty value turns the flag off; a blank keeps the saved file
        // free of NUL bytes.
        settings.*entry.flag = value.empty() ? ' ' : value[0];
        break;
      case KeyKind::kText:
        settings.*entry.text = std::string(value.substr(0, entry.capacity));
        break;
      case KeyKind::kLabel:
        labels.Set(entry.label, value);
        break;
    }
  }
}

}  // namespace

void LoadConfiguration(Settings& settings, LabelTexts& labels, const std::string& path) {
  SetDefaultSettings(settings, labels);
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return;
  std::string line;
  int c;
  bool pending = false;
  while ((c = std::fgetc(file)) != EOF) {
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      ApplyLine(line, settings, labels);
      line.clear();
      pending = false;
      continue;
    }
    // Lines are only ever as long as a key, "=" and the longest value; cap
    // what is kept of a giant line so a hostile file cannot eat memory.
    if (line.size() < 4096) line += static_cast<char>(c);
    pending = true;
  }
  if (pending) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    ApplyLine(line, settings, labels);
  }
  std::fclose(file);
}

std::string ConfigurationText(const Settings& settings, const LabelTexts& labels) {
  std::string out;
  for (const ConfigKey& entry : kKeys) {
    out += KeyName(entry);
    out += '=';
    switch (entry.kind) {
      case KeyKind::kFlag:
        out += settings.*entry.flag;
        break;
      case KeyKind::kText:
        out += settings.*entry.text;
        break;
      case KeyKind::kLabel:
        out += labels[entry.label];
        break;
    }
    out += '\n';
  }
  return out;
}

bool SaveConfiguration(const Settings& settings, const LabelTexts& labels,
                       const std::string& path) {
  const std::string text = ConfigurationText(settings, labels);
  const std::string temporary = path + ".tmp";
  // A text file: its lines end as the system's text files end them.
  const platform::FileHandle file = platform::OpenFile(temporary, platform::OpenMode::kWriteText);
  if (file == platform::kNoFile) return false;
  bool ok = platform::WriteAll(file, text.data(), text.size());
  ok = platform::CloseFile(file) && ok;
  // The saved file replaces the old one in one step, on every system.
  if (ok) ok = platform::RenameOver(temporary, path);
  if (!ok) std::remove(temporary.c_str());
  return ok;
}

}  // namespace kinloom
