// Small helpers on 8-bit texts (ISO 8859-1 after the GEDCOM reader's
// conversion). Positions and lengths count bytes from 0. Results are values:
// nothing here keeps state or touches a file.
#ifndef KINLOOM_TEXT_STRINGS_H_
#define KINLOOM_TEXT_STRINGS_H_

#include <string>
#include <string_view>

namespace kinloom {

// 0-based position of the n-th (n from 1) occurrence of pattern in text,
// occurrences may overlap; -1 when there are fewer, when pattern is empty
// or when n < 1.
int FindOccurrence(std::string_view text, std::string_view pattern, int n);

// Up to count characters of text from start; empty when start is negative
// or beyond the end, or count <= 0.
std::string SubText(std::string_view text, int start, int count);

// text without trailing blanks (0x20 only); the first character is never cut.
std::string TrimTrailingSpaces(std::string_view text);

// text from its first character that is neither a blank nor a comma.
std::string SkipLeadingSeparators(std::string_view text);

// Replaces path by what follows its last '/' or '\\'.
void StripDirectory(std::string& path);

// A-Z and 0xC0-0xDE lowered (0xD7 included).
void LowerCaseText(std::string& text);

// "(" letter and three digits ")" for a surname, or "" for an empty one.
std::string SoundexCode(std::string_view surname);

// The sort fold of accented letters (Æ, Ø, Å after Z; ß to SS; ...).
std::string FoldForSorting(std::string_view text);

}  // namespace kinloom

#endif  // KINLOOM_TEXT_STRINGS_H_
