// Cross-reference tables: one per kind of record (individuals, families,
// sources, notes, multimedia), mapping the identifier text between the two
// "@" of a cross-reference to the record number the rest of the run uses.
//
// Numbering. An identifier gets its number when it first appears, as a
// record's own cross-reference or as a pointer, and keeps it for the rest of
// the file. Under the digit rule the number is the last run of digits of the
// identifier (@I12@ gives 12), so files with distinct numbers keep them; when
// that number is 0, above 2147483647, missing (@FATHER@) or already held by
// another identifier of the same kind (@F1@ after @FAMILY1@), the identifier
// gets one more than the largest number given so far instead. In order
// numbering gives 1, 2, 3 ... in order of first appearance.
//
// Memory. The tables are the one structure of the reader that grows with
// the file, so they are kept compact, and laid out so that a lookup mostly
// touches memory near the previous one. Almost every identifier a program
// writes is a fixed prefix, a run of digits and a fixed (mostly empty)
// suffix: such an identifier is held in a direct array indexed by the value
// of its digits, as its number and the index of its prefix and suffix pair
// (8 bytes, no copy of the text). The direct array grows only while it
// stays within a few entries per identifier it holds. Every other
// identifier (no digits, a prefix and suffix pair not among the first few
// hundred, a value the array does not reach, or a value whose entry another
// identifier took first) lives in an arena (a short length prefix and the
// bytes), found through an open-addressing hash table of an arena offset and
// a number (8 bytes a slot). The numbers in use are a bitmap while they are
// dense, and an open-addressing hash set of 4-byte numbers beyond it. A
// million identifiers of one prefix cost some 8 MB.
#ifndef KINLOOM_GEDCOM_XREF_TABLE_H_
#define KINLOOM_GEDCOM_XREF_TABLE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kinloom {

// The last run of decimal digits in identifier, read as a decimal number;
// 0 when there are no digits or the value exceeds 2147483647.
std::int32_t DigitRuleNumber(std::string_view identifier);

class XrefTable {
 public:
  enum class Numbering { kByDigits, kInOrder };

  explicit XrefTable(Numbering numbering = Numbering::kByDigits) : numbering_(numbering) {}

  // The number of identifier (from 1), given on its first appearance.
  std::int32_t NumberOf(std::string_view identifier);

  // The number of identifier when it has appeared, else 0; gives nothing.
  std::int32_t Find(std::string_view identifier) const;

  // A number that no identifier of this table holds or will be given
  // later: it counts as given (for example to an inline source text).
  std::int32_t FreshNumber();

  // Whether number is held: by an identifier, by FreshNumber or by Reserve.
  bool IsTaken(std::int32_t number) const { return NumberInUse(number); }

  // Marks number (1 to 2147483647) as held without an identifier, so that
  // no identifier appearing later is given it.
  void Reserve(std::int32_t number);

  // Identifiers held.
  std::size_t size() const { return count_ + direct_count_; }
  // Bytes of memory reserved by the table.
  std::size_t MemoryBytes() const;

 private:
  struct Slot {
    std::uint32_t offset = 0;  // of the identifier's length prefix in arena_
    std::int32_t number = 0;   // 0: the slot is free
  };
  struct DirectEntry {
    std::uint32_t shape = 0;  // 1 + index into shapes_; 0: the entry is free
    std::int32_t number = 0;
  };
  // What surrounds the significant digits of a direct identifier.
  struct Shape {
    std::string prefix;  // up to the first digit of the value that is not 0
    std::string suffix;  // after the last digit
  };
  // An identifier cut around its last run of digits, leading zeros of the
  // run counted in the prefix (all but one when the value is 0).
  struct Split {
    bool valid = false;  // false: no digits, or a value above 2147483647
    std::int32_t value = 0;
    std::size_t value_begin = 0;
    std::size_t value_end = 0;
  };

  static Split SplitOf(std::string_view identifier);
  bool ShapeMatches(std::uint32_t shape, std::string_view identifier, const Split& split) const;
  // The number of identifier when it has appeared, else 0.
  std::int32_t Lookup(std::string_view identifier, const Split& split, std::uint64_t& hash,
                      bool& hashed) const;
  // Stores identifier in the direct array when it can go there.
  bool StoreDirect(std::string_view identifier, const Split& split, std::int32_t number);
  std::uint32_t ShapeIndex(std::string_view prefix, std::string_view suffix);

  std::int32_t NextFreeNumber();
  bool NumberInUse(std::int32_t number) const;
  void MarkNumberInUse(std::int32_t number);
  bool HashedNumberInUse(std::int32_t number) const;
  void MarkHashedNumberInUse(std::int32_t number);
  void GrowBits(std::size_t n);
  std::size_t FindSlot(std::string_view identifier, std::uint64_t hash) const;
  std::string_view IdentifierAt(std::uint32_t offset) const;
  void GrowSlots();
  void GrowNumbers();

  Numbering numbering_;
  std::vector<DirectEntry> direct_;  // indexed by the value of the digits
  std::vector<Shape> shapes_;
  std::uint32_t last_shape_ = 0;  // the shape given last, tried first
  std::size_t direct_count_ = 0;  // identifiers in direct_
  std::string arena_;
  std::vector<Slot> slots_;            // size a power of two, or empty
  std::vector<std::uint64_t> bits_;    // numbers below 64 * bits_.size() in use
  std::vector<std::int32_t> numbers_;  // numbers in use beyond bits_; 0 marks a free slot
  std::size_t count_ = 0;              // identifiers in slots_
  std::size_t bits_count_ = 0;         // numbers in bits_
  std::size_t numbers_count_ = 0;      // numbers in numbers_
  std::int32_t largest_ = 0;           // largest number given so far
  std::int32_t probe_ = 1;             // search start once largest_ is at the top
};

}  // namespace kinloom

#endif  // KINLOOM_GEDCOM_XREF_TABLE_H_
