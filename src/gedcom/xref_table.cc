#include "gedcom/xref_table.h"

#include <limits>

namespace kinloom {

namespace {

constexpr std::int32_t kLargestNumber = std::numeric_limits<std::int32_t>::max();
constexpr std::size_t kFirstCapacity = 16;
// Values below this always have room in the direct array, and numbers below
// kBitsPerNumber times this in the bitmap.
constexpr std::size_t kDirectFloor = 4096;
constexpr std::size_t kBitsFloor = 4096;
constexpr std::size_t kBitsPerNumber = 32;
// Prefix and suffix pairs the direct array knows, and their longest total.
constexpr std::size_t kMaxShapes = 256;
constexpr std::size_t kMaxShapeBytes = 64;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

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

XrefTable::Split XrefTable::SplitOf(std::string_view identifier) {
  Split split;
  std::size_t end = identifier.size();
  while (end > 0 && !IsDigit(identifier[end - 1])) --end;
  if (end == 0) return split;
  std::size_t begin = end - 1;
  while (begin > 0 && IsDigit(identifier[begin - 1])) --begin;
  while (begin + 1 < end && identifier[begin] == '0') ++begin;
  // Ten digits without leading zeros may still be too many; eleven always are.
  if (end - begin > 10) return split;
  std::int64_t value = 0;
  for (std::size_t i = begin; i < end; ++i) value = value * 10 + (identifier[i] - '0');
  if (value > kLargestNumber) return split;
  split.valid = true;
  split.value = static_cast<std::int32_t>(value);
  split.value_begin = begin;
  split.value_end = end;
  return split;
}

bool XrefTable::ShapeMatches(std::uint32_t shape, std::string_view identifier,
                             const Split& split) const {
  const Shape& held = shapes_[shape - 1];
  return split.value_begin == held.prefix.size() &&
         identifier.size() - split.value_end == held.suffix.size() &&
         identifier.substr(0, split.value_begin) == held.prefix &&
         identifier.substr(split.value_end) == held.suffix;
}

std::int32_t XrefTable::Lookup(std::string_view identifier, const Split& split, std::uint64_t& hash,
                               bool& hashed) const {
  if (split.valid && static_cast<std::size_t>(split.value) < direct_.size()) {
    const DirectEntry& entry = direct_[static_cast<std::size_t>(split.value)];
    if (entry.shape != 0 && ShapeMatches(entry.shape, identifier, split)) return entry.number;
  }
  if (count_ == 0) return 0;
  hash = HashBytes(identifier);
  hashed = true;
  return slots_[FindSlot(identifier, hash)].number;
}

std::uint32_t XrefTable::ShapeIndex(std::string_view prefix, std::string_view suffix) {
  const auto matches = [&](std::uint32_t shape) {
    const Shape& held = shapes_[shape - 1];
    return held.prefix == prefix && held.suffix == suffix;
  };
  if (last_shape_ != 0 && matches(last_shape_)) return last_shape_;
  for (std::uint32_t shape = 1; shape <= shapes_.size(); ++shape) {
    if (matches(shape)) return last_shape_ = shape;
  }
  if (shapes_.size() >= kMaxShapes || prefix.size() + suffix.size() > kMaxShapeBytes) return 0;
  shapes_.push_back(Shape{std::string(prefix), std::string(suffix)});
  return last_shape_ = static_cast<std::uint32_t>(shapes_.size());
}

bool XrefTable::StoreDirect(std::string_view identifier, const Split& split, std::int32_t number) {
  if (!split.valid) return false;
  const auto index = static_cast<std::size_t>(split.value);
  if (index >= direct_.size()) {
    // The array may hold a few free entries for each one in use, not more:
    // values far apart go to the hash table instead.
    if (index >= 4 * direct_count_ + kDirectFloor) return false;
    std::size_t size = direct_.empty() ? kFirstCapacity : direct_.size();
    while (size <= index) size *= 2;
    direct_.resize(size);
  }
  DirectEntry& entry = direct_[index];
  if (entry.shape != 0) return false;
  const std::uint32_t shape =
      ShapeIndex(identifier.substr(0, split.value_begin), identifier.substr(split.value_end));
  if (shape == 0) return false;
  entry.shape = shape;
  entry.number = number;
  ++direct_count_;
  return true;
}

std::int32_t XrefTable::NumberOf(std::string_view identifier) {
  const Split split = SplitOf(identifier);
  std::uint64_t hash = 0;
  bool hashed = false;
  if (const std::int32_t found = Lookup(identifier, split, hash, hashed)) return found;

  std::int32_t number = 0;
  if (numbering_ == Numbering::kByDigits && split.valid) {
    number = split.value;
    if (number != 0 && NumberInUse(number)) number = 0;
  }
  if (number == 0) number = NextFreeNumber();
  MarkNumberInUse(number);
  if (number > largest_) largest_ = number;
  if (StoreDirect(identifier, split, number)) return number;

  // The arena addresses its bytes with 32-bit offsets. An identifier that
  // would not fit keeps its number for this appearance only; no real file
  // comes near four gigabytes of identifiers.
  std::size_t prefix = 1;
  for (std::size_t n = identifier.size(); n >= 0x80; n >>= 7) ++prefix;
  if (arena_.size() + prefix + identifier.size() > std::numeric_limits<std::uint32_t>::max()) {
    return number;
  }

  if (!hashed) hash = HashBytes(identifier);
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
  std::uint64_t hash = 0;
  bool hashed = false;
  return Lookup(identifier, SplitOf(identifier), hash, hashed);
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
  std::size_t shapes = shapes_.capacity() * sizeof(Shape);
  for (const Shape& shape : shapes_) shapes += shape.prefix.capacity() + shape.suffix.capacity();
  return direct_.capacity() * sizeof(DirectEntry) + shapes + arena_.capacity() +
         slots_.capacity() * sizeof(Slot) + bits_.capacity() * sizeof(std::uint64_t) +
         numbers_.capacity() * sizeof(std::int32_t);
}

std::int32_t XrefTable::NextFreeNumber() {
  if (largest_ < kLargestNumber) return largest_ + 1;
  // Someone used the largest number there is: hand out the gaps below it.
  while (probe_ < kLargestNumber && NumberInUse(probe_)) ++probe_;
  return probe_;
}

bool XrefTable::NumberInUse(std::int32_t number) const {
  if (number <= 0) return false;
  const auto n = static_cast<std::size_t>(number);
  if (n < bits_.size() * 64) return ((bits_[n / 64] >> (n % 64)) & 1) != 0;
  return HashedNumberInUse(number);
}

void XrefTable::MarkNumberInUse(std::int32_t number) {
  if (number <= 0) return;
  const auto n = static_cast<std::size_t>(number);
  // The bitmap may cost a few bits for each number in use, not more:
  // numbers far apart go to the hash set instead.
  if (n >= bits_.size() * 64 && n < kBitsPerNumber * (bits_count_ + numbers_count_ + kBitsFloor)) {
    GrowBits(n);
  }
  if (n < bits_.size() * 64) {
    std::uint64_t& word = bits_[n / 64];
    const std::uint64_t bit = std::uint64_t{1} << (n % 64);
    if ((word & bit) == 0) {
      word |= bit;
      ++bits_count_;
    }
    return;
  }
  MarkHashedNumberInUse(number);
}

// Widens the bitmap to hold n, and moves the hashed numbers it now covers
// into it.
void XrefTable::GrowBits(std::size_t n) {
  std::size_t words = bits_.empty() ? kFirstCapacity : bits_.size() * 2;
  if (words <= n / 64) words = n / 64 + 1;
  bits_.resize(words, 0);
  if (numbers_count_ == 0) return;
  std::vector<std::int32_t> old;
  old.swap(numbers_);
  numbers_count_ = 0;
  for (std::int32_t number : old) {
    if (number == 0) continue;
    const auto k = static_cast<std::size_t>(number);
    if (k < bits_.size() * 64) {
      bits_[k / 64] |= std::uint64_t{1} << (k % 64);
      ++bits_count_;
    } else {
      MarkHashedNumberInUse(number);
    }
  }
}

bool XrefTable::HashedNumberInUse(std::int32_t number) const {
  if (numbers_.empty()) return false;
  const std::size_t mask = numbers_.size() - 1;
  for (std::size_t i = HashNumber(number) & mask;; i = (i + 1) & mask) {
    if (numbers_[i] == number) return true;
    if (numbers_[i] == 0) return false;
  }
}

void XrefTable::MarkHashedNumberInUse(std::int32_t number) {
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
