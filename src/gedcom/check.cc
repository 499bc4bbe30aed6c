// IsValidGedcom: every family and individual link the page writers will
// follow must lead to a stored record. Each broken link is one log line;
// the check never stops early and never repairs anything.
//
// The walk reads only the link fields of each record and only the number
// of each record a link leads to: it visits every record once and follows
// every link, so decoding whole records would be most of its work.
//
// With SKIPMISSING on, the check still logs every broken link, then
// removes them from the records that hold them and lets the run go on.
// It notes only those records while it walks, so a tree without a broken
// link takes no further pass.
#include "gedcom/reader.h"

namespace kinloom {

int IsValidGedcom(Run& run) {
  const RunLog& log = run.log;
  const WorkFiles& store = run.store;
  MissingRecords& missing = run.missing_records;
  log.LogLine(">IsValidGedcom");
  missing.Clear();

  auto check_individual = [&](std::int32_t individual, std::int32_t family) {
    if (individual > 0 && store.StoredIndividualNumber(individual) != individual) {
      log.LogFormatted("INDV rec %ld from FAM rec %ld does not exist", individual, family);
      missing.NoteInFamily(family);
    }
  };
  WorkFiles::FamilyLinks family_links;
  for (std::int32_t slot = 1; slot <= store.counters.FamilyCount; ++slot) {
    const std::int32_t family = store.FamilyNumberAt(slot);
    // By number, not by slot: a number stored twice leads to one record.
    store.GetFamilyLinks(family, family_links);
    check_individual(family_links.husband, family);
    check_individual(family_links.wife, family);
    // All entries are looked at: a 0 in the middle does not end the list.
    for (const std::int32_t child : family_links.children) check_individual(child, family);
  }

  auto check_family = [&](std::int32_t family, std::int32_t individual) {
    if (family > 0 && store.StoredFamilyNumber(family) != family) {
      log.LogFormatted("FAM rec %ld for INDV rec %ld does not exist", family, individual);
      missing.NoteInIndividual(individual);
    }
  };
  WorkFiles::IndividualLinks individual_links;
  for (std::int32_t slot = 1; slot <= store.counters.IndividualCount; ++slot) {
    const std::int32_t individual = store.IndividualNumberAt(slot);
    if (individual == 0) continue;
    store.GetIndividualLinks(individual, individual_links);
    for (const std::int32_t family : individual_links.spouseFamilies) {
      check_family(family, individual);
    }
    for (const std::int32_t family : individual_links.parentFamilies) {
      check_family(family, individual);
    }
  }

  const bool broken = missing.found() > 0;
  const bool skip = broken && run.settings.skipmissing == 'Y';
  if (skip) missing.Skip(run.store);
  log.LogLine("<IsValidGedcom");
  return broken && !skip ? kResultInvalidGedcom : kResultOk;
}

}  // namespace kinloom
