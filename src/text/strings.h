// Small helpers on 8-bit texts (ISO 8859-1 after the GEDCOM reader's
// conversion). Positions and lengths count bytes from 0. Results are values
// of any length: nothing here keeps state, cuts to a capacity or touches a
// file; callers that store a result cut it to their field.
#ifndef KINLOOM_TEXT_STRINGS_H_
#define KINLOOM_TEXT_STRINGS_H_

#include <string>
#include <string_view>

namespace kinloom {

// 0-based position of the n-th (n from 1) occurrence of pattern in text,
// occurrences may overlap; -1 when there are fewer, when pattern is empty
// or when n < 1.
int FindOccurrence(std::string_view text, std::string_view pattern, int n);

// Up to count characters of text from start (fewer when the text ends
// first); empty when start is negative or beyond the end, or count <= 0.
std::string SubText(std::string_view text, int start, int count);

// text without trailing blanks (0x20 only); the first character is never cut.
std::string TrimTrailingSpaces(std::string_view text);

// text from its first character that is neither a blank nor a comma.
std::string SkipLeadingSeparators(std::string_view text);

// Replaces path by what follows its last '/' or '\\' (whichever stands
// later); unchanged without either, empty when it ends in one.
void StripDirectory(std::string& path);

// A-Z and 0xC0-0xDE lowered (0xD7 included).
void LowerCaseText(std::string& text);

// "(" letter and three digits ")" for a surname, or "" for an empty one.
// Only ASCII letters have digits; H and W separate like vowels. The first
// character is capitalised when it is ASCII and kept as it is otherwise.
// A Latin-letter reference ("&#321;" for Ł) counts as its base letter; any
// other character reference is one character without a digit, kept whole
// when it comes first.
std::string SoundexCode(std::string_view surname);

// The sort key of a text: each ISO 8859-1 letter with an accent folded to
// its plain letter (ß to "SS", æ to "ae"; Æ, Ø, Å to "[", "\\", "]" so they
// sort after Z), a Latin-letter reference to its base letter; everything
// else unchanged. The result may be longer than the text.
std::string FoldForSorting(std::string_view text);

// The text without the double quotes around it, when it begins and ends
// with one (a path as Explorer's "Copy as path" gives it); otherwise the
// text as it is. The result lies within text.
[[nodiscard]] std::string_view WithoutSurroundingQuotes(std::string_view text);

}  // namespace kinloom

#endif  // KINLOOM_TEXT_STRINGS_H_
