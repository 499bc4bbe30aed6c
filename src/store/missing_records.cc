#include "store/missing_records.h"

namespace kinloom {

namespace {

// Removes the entries that keep(entry) refuses, moving the later ones up;
// true when one was removed.
template <typename Keep>
bool RemoveFromList(RecordList& list, const Keep& keep) {
  RecordList kept{};
  std::size_t size = 0;
  for (const std::int32_t entry : list) {
    if (keep(entry)) kept[size++] = entry;
  }
  if (size == list.size()) return false;
  list = kept;
  return true;
}

}  // namespace

void MissingRecords::Skip(WorkFiles& store) {
  auto individual_stored = [&store](std::int32_t n) {
    return n <= 0 || store.StoredIndividualNumber(n) == n;
  };
  auto family_stored = [&store](std::int32_t n) {
    return n <= 0 || store.StoredFamilyNumber(n) == n;
  };
  WorkFiles::FamilyLinks family;
  for (const std::int32_t number : families_) {
    store.GetFamilyLinks(number, family);
    bool changed = RemoveFromList(family.children, individual_stored);
    for (std::int32_t* partner : {&family.husband, &family.wife}) {
      if (!individual_stored(*partner)) {
        *partner = 0;
        changed = true;
      }
    }
    if (changed) store.PutFamilyLinks(number, family);
  }
  WorkFiles::IndividualLinks individual;
  for (const std::int32_t number : individuals_) {
    store.GetIndividualLinks(number, individual);
    const bool spouse = RemoveFromList(individual.spouseFamilies, family_stored);
    const bool parent = RemoveFromList(individual.parentFamilies, family_stored);
    if (spouse || parent) store.PutIndividualLinks(number, individual);
  }
  families_.clear();
  individuals_.clear();
  skipped_ = found_;
}

}  // namespace kinloom
