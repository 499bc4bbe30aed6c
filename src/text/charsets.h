// Conversions of GEDCOM lines into ISO 8859-1.
#ifndef KINLOOM_TEXT_CHARSETS_H_
#define KINLOOM_TEXT_CHARSETS_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace kinloom {

// Position of the first byte of text at or above 0x80; text.size() when
// there is none (plain ASCII, which every conversion leaves as it is).
std::size_t FirstHighByte(std::string_view text);

// IBM PC (code page 437, with the Nordic letters of 865) to ISO 8859-1, in place.
void IbmPcToLatin1(std::string& line);

// ANSEL to ISO 8859-1, in place: combining diacritics composed with the
// letter after them, special characters replaced; other bytes unchanged.
// A diacritic before a byte outside its row is dropped and that byte
// converted as usual; a diacritic at the end of the line is dropped. The
// line never grows.
void AnselToLatin1(std::string& line);

}  // namespace kinloom

#endif  // KINLOOM_TEXT_CHARSETS_H_
