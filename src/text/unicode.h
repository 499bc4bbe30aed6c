// UTF-8 input: lines converted to ISO 8859-1, with every character above
// U+00FF kept as the HTML character reference "&#N;" (decimal), and the
// Latin letters among those references (U+0100 to U+024F whose name is
// "LATIN CAPITAL/SMALL LETTER X" alone or "... WITH ...") known by their
// base letter, so that names sort, code and capitalise like plain letters.
#ifndef KINLOOM_TEXT_UNICODE_H_
#define KINLOOM_TEXT_UNICODE_H_

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kinloom {

// Converts a UTF-8 line in place: characters up to U+00FF become their
// byte, others "&#N;"; a byte that does not begin a valid UTF-8 sequence is
// kept as it is. Overlong forms, surrogates (U+D800..U+DFFF) and code
// points above U+10FFFF are not valid: their bytes are kept one by one.
void Utf8ToLatin1(std::string& line);

// Length in bytes of the character reference "&#N;" (N of 1 to 7 decimal
// digits, at most 1114111) that starts at text[pos]; 0 when none starts
// there or pos is past the end.
std::size_t CharacterReferenceLengthAt(std::string_view text, std::size_t pos);

struct LatinReference {
  std::size_t length = 0;  // bytes of the reference text, "&#" to ";"
  char32_t code = 0;       // the code point
  char base = 0;           // base letter, 'A'..'Z' or 'a'..'z'
};

// The Latin-letter reference that starts at text[pos], if any. Titlecase
// digraphs (U+01C5 and its like) are two letters and are not Latin letters
// here.
std::optional<LatinReference> LatinLetterReferenceAt(std::string_view text, std::size_t pos);

// The uppercase of a small Latin letter in U+0100..U+024F when that is one
// code point in the same range; otherwise 0 (capitals, other code points).
char32_t LatinUppercase(char32_t code);

// text cut to at most capacity bytes; a character reference "&#N;" that
// would not fit whole is left out entirely.
std::string CutKeepingReferences(std::string_view text, std::size_t capacity);
// The length of that cut: text.substr(0, CutLengthKeepingReferences(...)).
std::size_t CutLengthKeepingReferences(std::string_view text, std::size_t capacity);

}  // namespace kinloom

#endif  // KINLOOM_TEXT_UNICODE_H_
