// IsValidGedcom: every family and individual link the page writers will
// follow must lead to a stored record. Each broken link is one log line;
// the check never stops early and never repairs anything.
#include "gedcom/reader.h"

namespace kinloom {

int IsValidGedcom(Run& run) {
  const RunLog& log = run.log;
  const WorkFiles& store = run.store;
  log.LogLine(">IsValidGedcom");
  bool broken = false;

  auto check_individual = [&](std::int32_t individual, std::int32_t family) {
    if (individual > 0 && store.IndividualNumber(individual) != individual) {
      log.LogFormatted("INDV rec %ld from FAM rec %ld does not exist", individual, family);
      broken = true;
    }
  };
  for (std::int32_t slot = 1; slot <= store.counters.FamilyCount; ++slot) {
    const std::int32_t family = store.FamilyNumberAt(slot);
    check_individual(store.FamilyHusband(family), family);
    check_individual(store.FamilyWife(family), family);
    // All entries are looked at: a 0 in the middle does not end the list.
    for (int i = 0; i < kListEntries; ++i) check_individual(store.FamilyChild(family, i), family);
  }

  auto check_family = [&](std::int32_t family, std::int32_t individual) {
    if (family > 0 && store.FamilyNumber(family) != family) {
      log.LogFormatted("FAM rec %ld for INDV rec %ld does not exist", family, individual);
      broken = true;
    }
  };
  for (std::int32_t slot = 1; slot <= store.counters.IndividualCount; ++slot) {
    const std::int32_t individual = store.IndividualNumberAt(slot);
    if (individual == 0) continue;
    for (int i = 0; i < kListEntries; ++i) {
      check_family(store.IndividualSpouseFamily(individual, i), individual);
    }
    for (int i = 0; i < kListEntries; ++i) {
      check_family(store.IndividualParentFamily(individual, i), individual);
    }
  }

  log.LogLine("<IsValidGedcom");
  return broken ? kResultInvalidGedcom : kResultOk;
}

}  // namespace kinloom
