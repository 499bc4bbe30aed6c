// gendex.txt: one line per individual, in slot order (the sorted name order
// once the surnames phase has run), for genealogy search engines.
#include <cstdint>
#include <string>

#include "pages/frame.h"
#include "pages/phases.h"

namespace kinloom {

int BuildGendexFile(Run& run) {
  const Settings& settings = run.settings;
  run.log.LogLine(">BuildGendexFile");
  constexpr PageOutcome kGendexFile{"Unable to create new GENDEX file.", false, true,
                                    "<BuildGendexFile"};
  PageFile file(run);
  if (!file.Create(PagePath(settings, "", "gendex.txt"), kGendexFile)) return kResultCannotWrite;
  file.Write(";; " + std::string(kVersionText) + "\n");
  const std::int32_t count = run.store.counters.IndividualCount;
  for (std::int32_t slot = 1; slot <= count; ++slot) {
    const std::int32_t number = run.store.IndividualNumberAt(slot);
    if (number == 0) continue;
    // Seven fields, each closed by a bar; nothing is escaped.
    std::string line = LandingPageLink(run, number, "fam", "ind");
    line += '|';
    const std::string name = run.store.IndividualName(number);
    line += ExtractSurname(settings, name);
    line += '|';
    line += name;
    line += '|';
    line += run.store.IndividualBirthDate(number);
    line += '|';
    line += run.store.IndividualBirthPlace(number);
    line += '|';
    line += run.store.IndividualDeathDate(number);
    line += '|';
    line += run.store.IndividualDeathPlace(number);
    line += "|\n";
    file.Write(line);
  }
  return file.Close() ? kResultOk : kResultCannotWrite;
}

}  // namespace kinloom
