// Conversions of GEDCOM lines into ISO 8859-1.
#ifndef KINLOOM_TEXT_CHARSETS_H_
#define KINLOOM_TEXT_CHARSETS_H_

#include <string>

namespace kinloom {

// IBM PC (code page 437, with the Nordic letters of 865) to ISO 8859-1, in place.
void IbmPcToLatin1(std::string& line);

// ANSEL to ISO 8859-1, in place: combining diacritics composed with the
// letter after them, special characters replaced. A diacritic before a byte
// outside its row is dropped and that byte kept.
void AnselToLatin1(std::string& line);

}  // namespace kinloom

#endif  // KINLOOM_TEXT_CHARSETS_H_
