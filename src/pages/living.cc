// The privacy phase: settles who is presumed living (run/living.h) and
// takes out of the work files what the pages must not show of them, so
// that every page writer, and the names sort, sees only what may be shown:
//
//  * a presumed-living individual keeps the surname, with the caption
//    SLIVING for the given names (no suffix); no birth or death date,
//    place or source, no citation of the person, no note and no photos;
//  * a family in which any partner is presumed living keeps no marriage
//    date, place or source and no note;
//  * a photo that belongs to a presumed-living individual loses its file
//    name and title, so that no page is written for it.
//
// What is left to the writers is to leave out the charts of the living and
// their lines of gendex.txt, which they ask run.living about.
#include <string>

#include "pages/frame.h"
#include "pages/phases.h"
#include "text/dates.h"
#include "text/strings.h"

namespace kinloom {

namespace {

// Rules 3 and 4: a family with an old marriage or an old child makes its
// partners dead. The marriages are the ones the reader saw (each date read
// whole), the children and partners those of the record and any beyond.
void FindDeadSpouses(const WorkFiles& store, PresumedLiving& living) {
  FamilyRecord family;
  for (std::int32_t slot = 1; slot <= store.counters.FamilyCount; ++slot) {
    store.GetFamilyAt(slot, family);
    if (family.number == 0) continue;  // a slot never written
    bool old = living.MarriedYearsBack(slot, PresumedLiving::kFamilyYears);
    auto old_child = [&](std::int32_t child) {
      return child > 0 &&
             living.BornYearsBack(store.IndividualSlotOf(child), PresumedLiving::kFamilyYears);
    };
    for (const std::int32_t child : family.children) {
      if (old) break;
      old = old_child(child);
    }
    if (!old) {
      for (const std::int32_t child : living.ExtraChildren(slot)) {
        if (old_child(child)) {
          old = true;
          break;
        }
      }
    }
    if (!old) continue;
    if (family.husband > 0) living.MarkDeadAt(store.IndividualSlotOf(family.husband));
    if (family.wife > 0) living.MarkDeadAt(store.IndividualSlotOf(family.wife));
    for (const std::int32_t partner : living.ExtraPartners(slot)) {
      living.MarkDeadAt(store.IndividualSlotOf(partner));
    }
  }
}

// Whether a partner of the family at slot, stored or beyond the record's
// two, is presumed living.
bool HasLivingPartner(const PresumedLiving& living, const FamilyRecord& family, std::int32_t slot) {
  if (living.IsLiving(family.husband) || living.IsLiving(family.wife)) return true;
  for (const std::int32_t partner : living.ExtraPartners(slot)) {
    if (living.IsLiving(partner)) return true;
  }
  return false;
}

// name ("Given /Surname/ Suffix") as shown for a presumed-living
// individual: SLIVING and the surname ("Living /Surname/"); empty stays
// empty.
std::string HiddenName(const Run& run, std::string_view name) {
  if (name.empty()) return {};
  std::string surname;
  const int first_slash = FindOccurrence(name, "/", 1);
  if (first_slash >= 0) {
    const int second_slash = FindOccurrence(name, "/", 2);
    surname = second_slash < 0 ? std::string(name.substr(static_cast<std::size_t>(first_slash) + 1))
                               : SubText(name, first_slash + 1, second_slash - first_slash - 1);
  }
  std::string hidden;
  // A slash in the caption would move where the surname is read from.
  for (const char c : run.Text(Label::kLiving)) hidden += c == '/' ? ' ' : c;
  hidden += " /";
  hidden += surname;
  hidden += '/';
  return hidden;
}

}  // namespace

int HideLivingIndividuals(Run& run) {
  run.log.LogLine(">HideLivingIndividuals");
  WorkFiles& store = run.store;
  PresumedLiving& living = run.living;
  living.Start(LatestYear(PageDate(run)));
  FindDeadSpouses(store, living);
  const std::int32_t count = store.counters.IndividualCount;
  for (std::int32_t slot = 1; slot <= count; ++slot) {
    const std::int32_t number = store.IndividualNumberAt(slot);
    if (number != 0) living.Settle(slot, number);
  }
  living.Finish();

  IndividualRecord person;
  for (std::int32_t slot = 1; slot <= count; ++slot) {
    if (!living.IsLiving(store.IndividualNumberAt(slot))) continue;
    store.GetIndividualAt(slot, person);
    IndividualRecord hidden;
    hidden.number = person.number;
    hidden.name = HiddenName(run, person.name);
    hidden.sex = person.sex;
    hidden.spouseFamilies = person.spouseFamilies;
    hidden.parentFamilies = person.parentFamilies;
    store.ReplaceIndividualAt(slot, hidden);
  }
  FamilyRecord family;
  for (std::int32_t slot = 1; slot <= store.counters.FamilyCount; ++slot) {
    store.GetFamilyAt(slot, family);
    if (family.number == 0 || !HasLivingPartner(living, family, slot)) continue;
    family.marriageDate.clear();
    family.marriagePlace.clear();
    family.marriageSource = 0;
    family.note = 0;
    store.ReplaceFamilyAt(slot, family);
  }
  PhotoRecord photo;
  for (std::int32_t slot = 1; slot <= store.counters.PhotoCount; ++slot) {
    store.GetPhotoAt(slot, photo);
    if (photo.number == 0 || !living.IsLiving(photo.owner)) continue;
    photo.file.clear();
    photo.title.clear();
    store.ReplacePhotoAt(slot, photo);
  }
  run.log.LogFormatted("Presumed living=%ld", living.count());
  run.log.LogLine("<HideLivingIndividuals");
  return kResultOk;
}

}  // namespace kinloom
