#include "run/living.h"

#include <algorithm>
#include <climits>
#include <string_view>

#include "text/dates.h"

namespace kinloom {

namespace {

std::string_view WithoutTrailingBlanks(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

}  // namespace

void PresumedLiving::BeginIndividual() {
  event_ = Event::kNone;
  death_recorded_ = false;
  year_ = kNoYear;
}

void PresumedLiving::IndividualLine(int level, std::string_view tag, std::string_view value) {
  tag = WithoutTrailingBlanks(tag);
  if (level == 1) {
    if (tag == "DEAT" || tag == "BURI" || tag == "CREM") death_recorded_ = true;
    const bool birth = tag == "BIRT" || tag == "CHR" || tag == "CHRA" || tag == "BAPM";
    event_ = birth ? Event::kBirth : Event::kOther;
    return;
  }
  if (level != 2 || event_ != Event::kBirth || tag != "DATE") return;
  KeepEarlierYear(value);
}

void PresumedLiving::KeepEarlierYear(std::string_view date) {
  const std::optional<int> year = LatestYear(date);
  // A year beyond what 16 bits hold lies in the future: evidence of nothing.
  if (!year || *year >= kNoYear) return;
  const int kept = std::max(*year, INT16_MIN + 1);
  if (kept < year_) year_ = static_cast<std::int16_t>(kept);
}

void PresumedLiving::BeginFamily() {
  event_ = Event::kNone;
  year_ = kNoYear;
}

void PresumedLiving::FamilyLine(int level, std::string_view tag, std::string_view value) {
  tag = WithoutTrailingBlanks(tag);
  if (level == 1) {
    event_ = tag == "MARR" ? Event::kMarriage : Event::kOther;
    return;
  }
  if (level == 2 && event_ == Event::kMarriage && tag == "DATE") KeepEarlierYear(value);
}

void PresumedLiving::StoreFamily(std::int32_t slot) {
  if (slot < 1) return;
  const auto at = static_cast<std::size_t>(slot);
  if (at >= marriage_years_.size()) marriage_years_.resize(at + 1, kNoYear);
  marriage_years_[at] = year_;
}

void PresumedLiving::ExtraChild(std::int32_t family_slot, std::int32_t child) {
  extra_children_.push_back({family_slot, child});
}

void PresumedLiving::ExtraPartner(std::int32_t family_slot, std::int32_t partner) {
  extra_partners_.push_back({family_slot, partner});
}

void PresumedLiving::Grow(std::size_t slot) {
  if (slot < flags_.size()) return;
  // Slots come in order, so the vectors grow by doubling as usual.
  flags_.resize(slot + 1, 0);
  years_.resize(slot + 1, kNoYear);
}

void PresumedLiving::StoreIndividual(std::int32_t slot) {
  if (slot < 1) return;
  const auto at = static_cast<std::size_t>(slot);
  Grow(at);
  flags_[at] = static_cast<std::uint8_t>(kStored | (death_recorded_ ? kDeathRecorded : 0));
  years_[at] = year_;
}

void PresumedLiving::Start(std::optional<int> reference_year) {
  reference_year_ = reference_year;
  dense_.clear();
  sparse_.clear();
  count_ = 0;
  // Numbers normally run from 1 to about the number of slots; a few far
  // beyond go to the sorted list.
  dense_limit_ = flags_.size() * 8 + 65536;
  dense_.assign(dense_limit_ / 64 + 1, 0);
}

bool PresumedLiving::BornYearsBack(std::int32_t slot, int years) const {
  if (!reference_year_ || slot < 1 || static_cast<std::size_t>(slot) >= years_.size()) return false;
  const std::int16_t year = years_[static_cast<std::size_t>(slot)];
  return year != kNoYear && *reference_year_ - year >= years;
}

bool PresumedLiving::DateYearsBack(std::string_view date, int years) const {
  if (!reference_year_) return false;
  const std::optional<int> year = LatestYear(date);
  return year && static_cast<long>(*reference_year_) - *year >= years;
}

bool PresumedLiving::MarriedYearsBack(std::int32_t family_slot, int years) const {
  if (!reference_year_ || family_slot < 1 ||
      static_cast<std::size_t>(family_slot) >= marriage_years_.size()) {
    return false;
  }
  const std::int16_t year = marriage_years_[static_cast<std::size_t>(family_slot)];
  return year != kNoYear && *reference_year_ - year >= years;
}

namespace {

// The numbers of extras (in the order read, so sorted by slot) that belong
// to family_slot.
template <typename Extra>
std::vector<std::int32_t> NumbersOf(const std::vector<Extra>& extras, std::int32_t family_slot) {
  auto at = std::lower_bound(
      extras.begin(), extras.end(), family_slot,
      [](const Extra& extra, std::int32_t slot) { return extra.family_slot < slot; });
  std::vector<std::int32_t> numbers;
  for (; at != extras.end() && at->family_slot == family_slot; ++at) numbers.push_back(at->number);
  return numbers;
}

}  // namespace

std::vector<std::int32_t> PresumedLiving::ExtraChildren(std::int32_t family_slot) const {
  return NumbersOf(extra_children_, family_slot);
}

std::vector<std::int32_t> PresumedLiving::ExtraPartners(std::int32_t family_slot) const {
  return NumbersOf(extra_partners_, family_slot);
}

void PresumedLiving::MarkDeadAt(std::int32_t slot) {
  if (slot < 1 || static_cast<std::size_t>(slot) >= flags_.size()) return;
  flags_[static_cast<std::size_t>(slot)] |= kDead;
}

bool PresumedLiving::Settle(std::int32_t slot, std::int32_t number) {
  bool living = true;
  if (slot >= 1 && static_cast<std::size_t>(slot) < flags_.size()) {
    const std::uint8_t flags = flags_[static_cast<std::size_t>(slot)];
    living = (flags & (kDeathRecorded | kDead)) == 0 && !BornYearsBack(slot, kOwnBirthYears);
  }
  if (living) AddLiving(number);
  return living;
}

void PresumedLiving::AddLiving(std::int32_t number) {
  if (number >= 0 && static_cast<std::size_t>(number) < dense_limit_) {
    std::uint64_t& word = dense_[static_cast<std::size_t>(number) / 64];
    const std::uint64_t bit = std::uint64_t{1} << (static_cast<std::size_t>(number) % 64);
    if ((word & bit) == 0) ++count_;
    word |= bit;
    return;
  }
  sparse_.push_back(number);
  sparse_sorted_ = false;
}

void PresumedLiving::Finish() {
  std::vector<std::uint8_t>().swap(flags_);
  std::vector<std::int16_t>().swap(years_);
  std::vector<std::int16_t>().swap(marriage_years_);
  std::vector<Extra>().swap(extra_children_);
  if (!sparse_sorted_) {
    std::sort(sparse_.begin(), sparse_.end());
    sparse_.erase(std::unique(sparse_.begin(), sparse_.end()), sparse_.end());
    sparse_.shrink_to_fit();
    count_ += static_cast<long>(sparse_.size());
    sparse_sorted_ = true;
  }
}

bool PresumedLiving::IsLiving(std::int32_t number) const {
  if (number >= 0 && static_cast<std::size_t>(number) < dense_limit_) {
    return (dense_[static_cast<std::size_t>(number) / 64] >>
                (static_cast<std::size_t>(number) % 64) &
            1U) != 0;
  }
  return std::binary_search(sparse_.begin(), sparse_.end(), number);
}

}  // namespace kinloom
