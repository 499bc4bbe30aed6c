// kinloom.cfg: the Settings and caption texts kept between program starts,
// as 47 lines "KEY=value" in a fixed order, followed by the keys of later
// settings (PRIVACY, SLIVING, SREPEAT, CHANGEDONLY, SKIPMISSING) that are
// on or changed from their defaults.
#ifndef KINLOOM_UI_CONFIG_H_
#define KINLOOM_UI_CONFIG_H_

#include <optional>
#include <string>
#include <vector>

#include "run/settings.h"

namespace kinloom {

inline constexpr const char* kConfigFileName = "kinloom.cfg";

// Sets the defaults, then overrides them from the file when it can be read.
// Keys are matched exactly; a flag takes the first character of its value;
// values are cut to their field's capacity; a GEDFILE in double quotes
// loses them. A line ends at LF or CR LF, and
// a last line without a line end keeps all its characters.
void LoadConfiguration(Settings& settings, LabelTexts& labels,
                       const std::string& path = kConfigFileName);

// One warning line for each line of the file at path whose key is not a
// setting ("kinloom.cfg line 3: 'EMAIL ' is not a setting; ignored."), in
// the order of the file; LoadConfiguration skips those lines. Lines
// without "=" are skipped without a word. None when the file cannot be
// read.
[[nodiscard]] std::vector<std::string> ConfigurationWarnings(
    const std::string& path = kConfigFileName);

// The whole file as SaveConfiguration writes it, lines ended by LF; the
// file is a text file, so on Windows its lines end in CR LF.
std::string ConfigurationText(const Settings& settings, const LabelTexts& labels);

// Writes the lines to a temporary text file beside path and renames it
// over path, so that a failed save leaves the old file whole. False on
// failure, the system's reason then in platform::LastError().
bool SaveConfiguration(const Settings& settings, const LabelTexts& labels,
                       const std::string& path = kConfigFileName);

// What a front end says when LoadConfiguration found no file at path (or
// could not read it): the run uses the default settings. Nothing when the
// file can be read.
[[nodiscard]] std::optional<std::string> MissingConfigurationNotice(
    const std::string& path = kConfigFileName);

}  // namespace kinloom

#endif  // KINLOOM_UI_CONFIG_H_
