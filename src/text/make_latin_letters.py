#!/usr/bin/env python3
"""Writes latin_letters_table.h: the Latin letters of U+0100..U+024F.

A code point is a Latin letter when its Unicode name is
"LATIN CAPITAL LETTER X" or "LATIN SMALL LETTER X", alone or followed by
" WITH ...", X being one letter A to Z. Its base letter is X, capital or
small as named. Titlecase digraphs such as U+01C5 ("LATIN CAPITAL LETTER D
WITH SMALL LETTER Z WITH CARON") name a second letter after WITH: they are
two letters, not one letter with a mark, and are left out.

The uppercase of a small letter is kept when it is a single code point in
the same range; otherwise the entry has none.

Usage: python3 src/text/make_latin_letters.py > src/text/latin_letters_table.h
"""

import re
import sys
import unicodedata

FIRST = 0x0100
LAST = 0x024F
NAME = re.compile(r"LATIN (CAPITAL|SMALL) LETTER ([A-Z])( WITH (.*))?")


def entry(code):
    """(base letter, uppercase code point) or None for a non-Latin letter."""
    match = NAME.fullmatch(unicodedata.name(chr(code), ""))
    if not match:
        return None
    if match.group(4) is not None and re.search(r"\bLETTER\b", match.group(4)):
        return None
    capital = match.group(1) == "CAPITAL"
    base = match.group(2) if capital else match.group(2).lower()
    upper = 0
    if not capital:
        folded = chr(code).upper()
        if len(folded) == 1 and FIRST <= ord(folded) <= LAST:
            upper = ord(folded)
    return base, upper


def main():
    out = sys.stdout
    out.write("// GENERATED, DO NOT EDIT.\n")
    out.write("// Regenerate with: python3 src/text/make_latin_letters.py > "
              "src/text/latin_letters_table.h\n")
    out.write("// Unicode data version %s.\n" % unicodedata.unidata_version)
    out.write("//\n")
    out.write("// One entry per code point from U+%04X to U+%04X: the base letter of a\n"
              % (FIRST, LAST))
    out.write("// Latin letter (0 for any other code point) and the uppercase code point\n")
    out.write("// of a small letter (0 when it has none in this range).\n")
    out.write("#ifndef KINLOOM_TEXT_LATIN_LETTERS_TABLE_H_\n")
    out.write("#define KINLOOM_TEXT_LATIN_LETTERS_TABLE_H_\n\n")
    out.write("namespace kinloom::latin_letters {\n\n")
    out.write("struct Entry {\n  char base;\n  char16_t upper;\n};\n\n")
    out.write("inline constexpr char32_t kFirst = 0x%04X;\n" % FIRST)
    out.write("inline constexpr char32_t kLast = 0x%04X;\n\n" % LAST)
    out.write("// clang-format off\n")
    out.write("inline constexpr Entry kTable[kLast - kFirst + 1] = {\n")
    for code in range(FIRST, LAST + 1):
        e = entry(code)
        name = unicodedata.name(chr(code), "<unnamed>")
        if e is None:
            out.write("    {0, 0},  // U+%04X %s\n" % (code, name))
        else:
            base, upper = e
            up = "0x%04X" % upper if upper else "0"
            out.write("    {'%s', %s},  // U+%04X %s\n" % (base, up, code, name))
    out.write("};\n")
    out.write("// clang-format on\n\n")
    out.write("}  // namespace kinloom::latin_letters\n\n")
    out.write("#endif  // KINLOOM_TEXT_LATIN_LETTERS_TABLE_H_\n")


if __name__ == "__main__":
    main()
