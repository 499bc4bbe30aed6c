// gendex.txt: one line per individual, in slot order (the sorted name order
// once the surnames phase has run), for genealogy search engines.
#include <cstdint>
#include <memory>
#include <string>

#include "pages/frame.h"
#include "pages/html_text.h"
#include "pages/phases.h"

namespace kinloom {

int BuildGendexFile(Run& run) {
  const Settings& settings = run.settings;
  run.log.LogLine(">BuildGendexFile");
  constexpr PageOutcome kGendexFile{"Unable to create new GENDEX file.", false, true,
                                    "<BuildGendexFile"};
  PageFile file(run);
  if (!file.Create(PagePath(settings, "", "gendex.txt"), kGendexFile)) return kResultCannotWrite;
  // gendex.txt is ISO 8859-1 text, written as it is.
  file.WriteBytes(";; " + std::string(kVersionText) + "\n");
  // The lines may have been made ahead, with the names sort, for the
  // records in their present order.
  std::shared_ptr<const BlockFile> lines;
  if (run.names_sort) lines = run.names_sort->TakeGendexLines(run.store.individual_generation());
  if (lines) {
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
    file.WriteBytes(line);
  }
  return file.Close() ? kResultOk : kResultCannotWrite;
}

void AppendGendexLine(const Settings& settings, std::int32_t number, const IndividualRecord& record,
                      std::string& line) {
  // Seven fields, each closed by a bar; a bar or a control character
  // inside a field becomes a blank, nothing else is changed.
  line += LandingPageLink(settings, number, record.spouseFamilies[0], record.parentFamilies[0],
                          "fam", "ind");
  line += '|';
  line += GendexField(ExtractSurname(settings, record.name));
  line += '|';
  line += GendexField(record.name);
  line += '|';
  line += GendexField(record.birthDate);
  line += '|';
  line += GendexField(record.birthPlace);
  line += '|';
  line += GendexField(record.deathDate);
  line += '|';
  line += GendexField(record.deathPlace);
  line += "|\n";
}

}  // namespace kinloom
