#include "ui/config.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/platform.h"
#include "run/notices.h"
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

// Keys of later settings, written after the 47 only when their value
// differs from the default, so that the file of a setup that does not use
// them stays as it was (and older versions, which skip unknown keys, read
// it as before).
const ConfigKey kOptionalKeys[] = {
    Flag("PRIVACY", &Settings::privacy),
    LabelKey(Label::kLiving),
    LabelKey(Label::kRepeat),
};

// Flags of later options, written after those only when on ("Y").
const ConfigKey kLaterFlags[] = {
    Flag("CHANGEDONLY", &Settings::changedonly),
    Flag("SKIPMISSING", &Settings::skipmissing),
};

// Texts of later options, written after those only when not empty.
const ConfigKey kLaterTexts[] = {
    Text("PHOTODIR", &Settings::photodir, kPhotoDirCapacity),
};

std::string_view KeyName(const ConfigKey& key) {
  return key.kind == KeyKind::kLabel ? kLabelInfo[static_cast<int>(key.label)].key : key.key;
}

// The key of a line "KEY=value"; nothing for a line without "=".
std::optional<std::string_view> LineKey(std::string_view line) {
  const int equals = FindOccurrence(line, "=", 1);
  if (equals < 0) return std::nullopt;
  return line.substr(0, static_cast<std::size_t>(equals));
}

bool IsSetting(std::string_view key) {
  auto known = [key](const auto& entries) {
    for (const ConfigKey& entry : entries) {
      if (KeyName(entry) == key) return true;
    }
    return false;
  };
  return known(kKeys) || known(kOptionalKeys) || known(kLaterFlags) || known(kLaterTexts);
}

// Calls each(line) for every line of the file at path, its line end taken
// off; false when the file cannot be opened.
template <typename Each>
bool ForEachLine(const std::string& path, Each each) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  std::string line;
  int c;
  bool pending = false;
  while ((c = std::fgetc(file)) != EOF) {
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      each(std::string_view(line));
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
    each(std::string_view(line));
  }
  std::fclose(file);
  return true;
}

void ApplyLine(std::string_view line, Settings& settings, LabelTexts& labels) {
  const std::optional<std::string_view> found = LineKey(line);
  if (!found) return;  // no key
  const std::string_view key = *found;
  const std::size_t equals = key.size();
  std::string_view value = line.substr(equals + 1);
  auto apply = [&](const ConfigKey& entry) {
    if (KeyName(entry) != key) return;
    switch (entry.kind) {
      case KeyKind::kFlag:
        // An empty value turns the flag off; a blank keeps the saved file
        // free of NUL bytes.
        settings.*entry.flag = value.empty() ? ' ' : value[0];
        break;
      case KeyKind::kText:
        // A path pasted as Explorer copies it, in double quotes, is kept
        // without them.
        settings.*entry.text =
            std::string((entry.text == &Settings::gedfile ? WithoutSurroundingQuotes(value) : value)
                            .substr(0, entry.capacity));
        break;
      case KeyKind::kLabel:
        labels.Set(entry.label, value);
        break;
    }
  };
  for (const ConfigKey& entry : kKeys) apply(entry);
  for (const ConfigKey& entry : kOptionalKeys) apply(entry);
  for (const ConfigKey& entry : kLaterFlags) apply(entry);
  for (const ConfigKey& entry : kLaterTexts) apply(entry);
}

void AppendKey(const ConfigKey& entry, const Settings& settings, const LabelTexts& labels,
               std::string& out) {
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

bool AtDefault(const ConfigKey& entry, const Settings& settings, const LabelTexts& labels) {
  static const Settings kDefaultSettings;
  static const LabelTexts kDefaultLabels;
  switch (entry.kind) {
    case KeyKind::kFlag:
      return settings.*entry.flag == kDefaultSettings.*entry.flag;
    case KeyKind::kText:
      return settings.*entry.text == kDefaultSettings.*entry.text;
    case KeyKind::kLabel:
      return labels[entry.label] == kDefaultLabels[entry.label];
  }
  return true;
}

}  // namespace

void LoadConfiguration(Settings& settings, LabelTexts& labels, const std::string& path) {
  SetDefaultSettings(settings, labels);
  (void)ForEachLine(path, [&](std::string_view line) { ApplyLine(line, settings, labels); });
}

std::vector<std::string> ConfigurationWarnings(const std::string& path) {
  std::vector<std::string> warnings;
  long number = 0;
  (void)ForEachLine(path, [&](std::string_view line) {
    ++number;
    const std::optional<std::string_view> key = LineKey(line);
    if (!key || IsSetting(*key)) return;
    warnings.push_back(path + " line " + std::to_string(number) + ": '" + std::string(*key) +
                       "' is not a setting; ignored.");
  });
  return warnings;
}

std::string ConfigurationText(const Settings& settings, const LabelTexts& labels) {
  std::string out;
  for (const ConfigKey& entry : kKeys) AppendKey(entry, settings, labels, out);
  for (const ConfigKey& entry : kOptionalKeys) {
    if (!AtDefault(entry, settings, labels)) AppendKey(entry, settings, labels, out);
  }
  for (const ConfigKey& entry : kLaterFlags) {
    if (settings.*entry.flag == 'Y') AppendKey(entry, settings, labels, out);
  }
  for (const ConfigKey& entry : kLaterTexts) {
    if (!(settings.*entry.text).empty()) AppendKey(entry, settings, labels, out);
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
  if (!ok) {
    // The reason of the failure stays for the caller (platform::LastError).
    const int reason = errno;
    std::remove(temporary.c_str());
    errno = reason;
  }
  return ok;
}

std::optional<std::string> MissingConfigurationNotice(const std::string& path) {
  errno = 0;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file != nullptr) {
    // A directory opens, but cannot be read.
    const bool readable = std::fgetc(file) != EOF || std::ferror(file) == 0;
    const int reason = errno;
    std::fclose(file);
    if (readable) return std::nullopt;
    errno = reason;
  }
  const std::error_code error =
      OpenFailureReason(path, std::error_code(errno, std::generic_category()));
  if (error != std::errc::no_such_file_or_directory) {
    return path + " cannot be read (" + ReasonText(error) + "): the default settings were used.";
  }
  std::error_code no_folder;
  const std::filesystem::path folder = std::filesystem::current_path(no_folder);
  return "No " + path + " in " + (no_folder ? std::string("this folder") : folder.string()) +
         ": the default settings were used.";
}

}  // namespace kinloom
