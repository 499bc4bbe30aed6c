// The fixed columns of a GEDCOM line as the reader sees it, once leading
// blanks and commas are gone:
//   column 0        the level, one decimal digit
//   columns 2 to 5  the tag, exactly four characters ("SEX " keeps its blank)
//   from column 7   the value (after level, blank, four-letter tag, blank)
// A level-0 line is read by words instead: "0 @ID@ TAG text" or "0 TAG".
#ifndef KINLOOM_GEDCOM_LINE_FIELDS_H_
#define KINLOOM_GEDCOM_LINE_FIELDS_H_

#include <cstddef>
#include <optional>
#include <string_view>

namespace kinloom {

// The reader's tag codes; a NOTE, CONC or CONT code is also the kind of a
// note line.
enum TagCode : int {
  kTagNone = 0,
  kTagSour = 8,
  kTagName = 21,
  kTagSex = 23,
  kTagBirt = 24,
  kTagDeat = 28,
  kTagFams = 32,
  kTagFamc = 34,
  kTagDate = 48,
  kTagPlac = 51,
  kTagNote = 52,
  kTagConc = 53,
  kTagCont = 54,
  kTagTitl = 55,
  kTagAbbr = 56,
  kTagHusb = 82,
  kTagWife = 85,
  kTagMarr = 86,
  kTagFile = 96,
  kTagChil = 97,
  kTagObje = 99,
};

// The code of the four characters in columns 2 to 5; kTagNone when the
// line is shorter or the tag is not one of the reader's.
int TagCodeOf(std::string_view line);

// The four characters of columns 2 to 5, or fewer when the line is short.
std::string_view TagColumns(std::string_view line);

// The value from column 7 to the end of the line; empty for a shorter line.
std::string_view ValueOf(std::string_view line);

// The text between the first two "@" of the line; nullopt when the line has
// fewer than two, or when the two are adjacent ("@@").
std::optional<std::string_view> CrossReferenceOf(std::string_view line);

// A CONC or CONT line written with a cross-reference between its level
// and its tag, "1 @N59@ CONT text", as some programs write the lines of a
// note record. The value begins after the tag and one blank, as on a plain
// line.
struct ContinuationWithIdentifier {
  std::string_view identifier;  // between the "@"
  int code = kTagNone;          // kTagConc or kTagCont
  std::string_view value;
};

// nullopt for every line that does not have that form.
[[nodiscard]] std::optional<ContinuationWithIdentifier> ParseContinuationWithIdentifier(
    std::string_view line);

struct Level0Line {
  std::optional<std::string_view> identifier;  // between the "@", when there is one
  std::string_view tag;                        // the word after it (or after "0 ")
  std::size_t tag_position = 0;                // of tag on the line
};

// Splits a level-0 line into its cross-reference and tag word.
Level0Line ParseLevel0(std::string_view line);

}  // namespace kinloom

#endif  // KINLOOM_GEDCOM_LINE_FIELDS_H_
