#include "gedcom/xref_table.h"

#include <limits>

namespace kinloom {

namespace {

constexpr std::int32_t kLargestNumber = std::numeric_limits<std::int32_t>::max();
constexpr std::size_t kFirstCapacity = 16;

std::uint64_t HashBytes(std::string_view bytes) {
  // FNV-1a: identifiers are short and alike ("I1", "I2", ...), which it
  // spreads well enough for linear probing.
  std::uint64_t hash = 14695981039346656037ull;
  for (char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  return hash ^ (hash >> 29);
}

std::size_t HashNumber(std::int32_t number) {
  std::uint64_t x = static_cast<std::uint32_t>(number) * 0x9E3779B97F4A7C15ull;
  return static_cast<std::size_t>(x ^ (x >> 32));
}

// Room is kept so that no more than three quarters of the slots are used.
bool NeedsGrowth(std::size_t used, std::size_t capacity) {
  return capacity == 0 || (used + 1) * 4 > capacity * 3;
}

}  // namespace

std::int32_t DigitRuleNumber(std::string_view identifier) {
  std::size_t end = identifier.size();
  while (end > 0 && !(identifier[end - 1] >= '0' && identifier[end - 1] <= '9')) --end;
  std::size_t begin = end;
  while (begin > 0 && identifier[begin - 1] >= '0' && identifier[begin - 1] <= '9') --begin;
  std::int64_t value = 0;
  for (std::size_t i = begin; i < end; ++i) {
    value = value * 10 + (identifier[i] - '0');
    if (value > kLargestNumber) return 0;
  }
  return static_cast<std::int32_t>(value);
}

std::int32_t XrefTable::NumberOf(std::string_view identifier) {
  const std::uint64_t hash = HashBytes(identifier);
  if (!slots_.empty()) {
    const Slot& found = slots_[FindSlot(identifier, hash)];
    if (found.number != 0) return found.number;
  }

  std::int32_t number = 0;
  if (numbering_ == Numbering::kByDigits) {
    number = DigitRuleNumber(identifier);
    if (number != 0 && NumberInUse(number)) number = 0;
  }
  if (number == 0) number = NextFreeNumber();
  MarkNumberInUse(number);
  if (number > largest_) largest_ = number;

  // The arena addresses its bytes with 32-bit offsets. An identifier that
  // would not fit keeps its number for this appearance only; no real file
  // comes near four gigabytes of identifiers.
  std::size_t prefix = 1;
  for (std::size_t n = identifier.size(); n >= 0x80; n >>= 7) ++prefix;
  if (arena_.size() + prefix + identifier.size() > std::numeric_limits<std::uint32_t>::max()) {
    return number;
  }

  if (NeedsGrowth(count_, slots_.size())) GrowSlots();
  Slot& slot = slots_[FindSlot(identifier, hash)];
  slot.offset = static_cast<std::uint32_t>(arena_.size());
  slot.number = number;
  for (std::size_t n = identifier.size();; n >>= 7) {
    if (n < 0x80) {
      arena_.push_back(static_cast<char>(n));
      break;
    }
    arena_.push_back(static_cast<char>(0x80 | (n & 0x7F)));
  }
  arena_.append(identifier);
  ++count_;
  return number;
}

std::int32_t XrefTable::Find(std::string_view identifier) const {
  if (slots_.empty()) return 0;
  return slots_[FindSlot(identifier, HashBytes(identifier))].number;
}

std::int32_t XrefTable::FreshNumber() {
  const std::int32_t number = NextFreeNumber();
  MarkNumberInUse(number);
  if (number > largest_) largest_ = number;
  return number;
}

void XrefTable::Reserve(std::int32_t number) {
  if (number <= 0 || NumberInUse(number)) return;
  MarkNumberInUse(number);
  if (number > largest_) largest_ = number;
}

std::size_t XrefTable::MemoryBytes() const {
  return arena_.capacity() + slots_.capacity() * sizeof(Slot) +
         numbers_.capacity() * sizeof(std::int32_t);
}

std::int32_t XrefTable::NextFreeNumber() {
  if (largest_ < kLargestNumber) return largest_ + 1;
  // Someone used the largest number there is: hand out the gaps below it.
  while (probe_ < kLargestNumber && NumberInUse(probe_)) ++probe_;
  return probe_;
}

bool XrefTable::NumberInUse(std::int32_t number) const {
  if (numbers_.empty()) return false;
  const std::size_t mask = numbers_.size() - 1;
  for (std::size_t i = HashNumber(number) & mask;; i = (i + 1) & mask) {
    if (numbers_[i] == number) return true;
    if (numbers_[i] == 0) return false;
  }
}

void XrefTable::MarkNumberInUse(std::int32_t number) {
  if (NeedsGrowth(numbers_count_, numbers_.size())) GrowNumbers();
  const std::size_t mask = numbers_.size() - 1;
  for (std::size_t i = HashNumber(number) & mask;; i = (i + 1) & mask) {
    if (numbers_[i] == number) return;
    if (numbers_[i] == 0) {
      numbers_[i] = number;
      ++numbers_count_;
      return;
    }
  }
}

std::size_t XrefTable::FindSlot(std::string_view identifier, std::uint64_t hash) const {
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = static_cast<std::size_t>(hash) & mask;; i = (i + 1) & mask) {
    const Slot& slot = slots_[i];
    if (slot.number == 0 || IdentifierAt(slot.offset) == identifier) return i;
  }
}

std::string_view XrefTable::IdentifierAt(std::uint32_t offset) const {
  std::size_t length = 0;
  std::size_t at = offset;
  for (int shift = 0;; shift += 7) {
    const auto byte = static_cast<unsigned char>(arena_[at++]);
    length |= static_cast<std::size_t>(byte & 0x7F) << shift;
    if ((byte & 0x80) == 0) break;
  }
  return std::string_view(arena_).substr(at, length);
}

void XrefTable::GrowSlots() {
  std::vector<Slot> old;
  old.swap(slots_);
  slots_.assign(old.empty() ? kFirstCapacity : old.size() * 2, Slot{});
  for (const Slot& slot : old) {
    if (slot.number == 0) continue;
    const std::string_view identifier = IdentifierAt(slot.offset);
    slots_[FindSlot(identifier, HashBytes(identifier))] = slot;
  }
}

void XrefTable::GrowNumbers() {
  std::vector<std::int32_t> old;
  old.swap(numbers_);
  numbers_.assign(old.empty() ? kFirstCapacity : old.size() * 2, 0);
  const std::size_t mask = numbers_.size() - 1;
  for (std::int32_t number : old) {
    if (number == 0) continue;
    std::size_t i = HashNumber(number) & mask;
    while (numbers_[i] != 0) i = (i + 1) & mask;
    numbers_[i] = number;
  }
}

}  // namespace kinloom
