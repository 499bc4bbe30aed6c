// gendex.txt: one line per individual, in slot order (the sorted name order
// once the surnames phase has run), for genealogy search engines.
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

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
  // The lines may have been made ahead, with the names sort, for the
  // records in their present order.
  std::shared_ptr<const BlockFile> lines = std::exchange(run.gendex_lines, nullptr);
  if (lines && run.ahead_generation == run.store.individual_generation()) {
    file.WriteFrom(std::move(lines));
    return file.Close() ? kResultOk : kResultCannotWrite;
  }
  const std::int32_t count = run.store.counters.IndividualCount;
  IndividualRecord record;
  std::string line;
  for (std::int32_t slot = 1; slot <= count; ++slot) {
    const std::int32_t number = run.store.IndividualNumberAt(slot);
    // Search engines learn nothing of the presumed living.
    if (number == 0 || run.living.IsLiving(number)) continue;
    run.store.GetIndividual(number, record);
    line.clear();
    AppendGendexLine(settings, number, record, line);
    file.Write(line);
  }
  return file.Close() ? kResultOk : kResultCannotWrite;
}

void AppendGendexLine(const Settings& settings, std::int32_t number, const IndividualRecord& record,
                      std::string& line) {
  // Seven fields, each closed by a bar; nothing is escaped.
  line += LandingPageLink(settings, number, record.spouseFamilies[0], record.parentFamilies[0],
                          "fam", "ind");
  line += '|';
  line += ExtractSurname(settings, record.name);
  line += '|';
  line += record.name;
  line += '|';
  line += record.birthDate;
  line += '|';
  line += record.birthPlace;
  line += '|';
  line += record.deathDate;
  line += '|';
  line += record.deathPlace;
  line += "|\n";
}

}  // namespace kinloom
