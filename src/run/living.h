// Who is presumed living, for a run that hides the living (PRIVACY "Y").
//
// An individual is presumed living unless one of these holds, years being
// counted from the year of the run's date (the date on the page feet):
//  1. the record holds a death, burial or cremation (DEAT, BURI, CREM), with
//     or without a date;
//  2. the latest year of the birth or christening (or baptism) date lies
//     110 or more years back;
//  3. a family in which the individual is husband or wife has a marriage
//     date whose latest year lies 95 or more years back;
//  4. a child of such a family has a birth or christening year 95 or more
//     years back.
// A year that cannot be read, or lies in the future, is evidence of nothing.
// Every marriage of a family counts (any one old enough will do), each
// date read whole; so does every child, however many the family names, and
// every partner, however many.
//
// The GEDCOM reader reports each individual's own evidence by slot (one
// byte and one 16-bit year per slot), each family's earliest marriage year
// by slot, and the children and partners a family names beyond what its
// record holds; after the cross-reference check one pass over the families
// adds rules 3 and 4, and one over the individuals settles the outcome, kept by number: one bit per
// number up to a bound that grows with the tree, a sorted list for the rare numbers beyond it. No
// step recurses, and a number stored twice is living when any of its records is.
#ifndef KINLOOM_RUN_LIVING_H_
#define KINLOOM_RUN_LIVING_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace kinloom {

class PresumedLiving {
 public:
  // Years back from the reference year that make someone dead.
  static constexpr int kOwnBirthYears = 110;
  static constexpr int kFamilyYears = 95;

  // --- Evidence from the GEDCOM reader, one individual at a time --------
  void BeginIndividual();
  // A line of the individual's record at level 1 or deeper: tag is the
  // tag as the line spells it (trailing blanks allowed), value the rest.
  void IndividualLine(int level, std::string_view tag, std::string_view value);
  // The individual begun last is stored at slot.
  void StoreIndividual(std::int32_t slot);

  // --- Evidence from the GEDCOM reader, one family at a time ------------
  void BeginFamily();
  // A line of the family's record at level 1 or deeper, as for individuals.
  void FamilyLine(int level, std::string_view tag, std::string_view value);
  // The family begun last is stored at slot.
  void StoreFamily(std::int32_t slot);
  // The family at slot names a child, or a partner, its record has no room
  // for.
  void ExtraChild(std::int32_t family_slot, std::int32_t child);
  void ExtraPartner(std::int32_t family_slot, std::int32_t partner);

  // --- Settling ---------------------------------------------------------
  // reference_year: the year of the run's date; none, and only rule 1
  // applies.
  void Start(std::optional<int> reference_year);
  // Whether the year of the individual at slot (rule 2's year, also used
  // by rule 4) lies years or more back.
  [[nodiscard]] bool BornYearsBack(std::int32_t slot, int years) const;
  // Whether the latest year of date lies years or more back.
  [[nodiscard]] bool DateYearsBack(std::string_view date, int years) const;
  // Whether a marriage of the family at slot lies years or more back.
  [[nodiscard]] bool MarriedYearsBack(std::int32_t family_slot, int years) const;
  // The children and partners of the family at slot beyond its record's.
  [[nodiscard]] std::vector<std::int32_t> ExtraChildren(std::int32_t family_slot) const;
  [[nodiscard]] std::vector<std::int32_t> ExtraPartners(std::int32_t family_slot) const;
  // Rules 3 and 4 name the individual at slot dead.
  void MarkDeadAt(std::int32_t slot);
  // Settles the individual at slot, whose number is number; false when it
  // is presumed living.
  bool Settle(std::int32_t slot, std::int32_t number);
  // Lets go of the evidence once every slot is settled.
  void Finish();

  // --- Asking -----------------------------------------------------------
  [[nodiscard]] bool IsLiving(std::int32_t number) const;
  // Numbers presumed living (a number stored twice counts once).
  [[nodiscard]] long count() const { return count_; }
  // Frees everything; IsLiving is then false for every number.
  void Clear() { *this = PresumedLiving(); }

 private:
  enum Flag : std::uint8_t { kStored = 1, kDeathRecorded = 2, kDead = 4 };
  enum class Event { kNone, kBirth, kMarriage, kOther };
  static constexpr std::int16_t kNoYear = INT16_MAX;

  void Grow(std::size_t slot);
  // year_ takes the latest year of date when that is earlier.
  void KeepEarlierYear(std::string_view date);
  void AddLiving(std::int32_t number);

  // The individual or family being read.
  Event event_ = Event::kNone;
  bool death_recorded_ = false;
  std::int16_t year_ = kNoYear;

  // By family slot: the earliest marriage year; and what the records have
  // no room for, as (family slot, individual number) in the order read.
  struct Extra {
    std::int32_t family_slot;
    std::int32_t number;
  };
  std::vector<std::int16_t> marriage_years_;
  std::vector<Extra> extra_children_;
  std::vector<Extra> extra_partners_;

  // By slot, while settling.
  std::vector<std::uint8_t> flags_;
  std::vector<std::int16_t> years_;
  std::optional<int> reference_year_;

  // The outcome by number.
  std::vector<std::uint64_t> dense_;  // bit n: number n is living
  std::size_t dense_limit_ = 0;       // numbers below it go to dense_
  std::vector<std::int32_t> sparse_;  // living numbers beyond, sorted once settled
  bool sparse_sorted_ = true;
  long count_ = 0;
};

}  // namespace kinloom

#endif  // KINLOOM_RUN_LIVING_H_
