// The character-set conversions and the name helpers on arbitrary bytes.
// The first byte chooses UCSURNAME (lowest bit) and a capacity for the cut
// that keeps character references whole; the rest is the text. Besides
// staying within their buffers, the helpers keep the promises of their
// headers that can be checked without restating them.
#include <string>

#include "fuzz_support.h"
#include "gedcom/reader.h"
#include "pages/frame.h"
#include "pages/phases.h"
#include "run/settings.h"
#include "text/charsets.h"
#include "text/strings.h"
#include "text/unicode.h"

namespace {

bool IsPlainAscii(std::string_view text) {
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x80 || c == '&') return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using kinloom::fuzz::Require;
  if (size == 0) return 0;
  const std::string_view text = kinloom::fuzz::AsText(data + 1, size - 1);
  kinloom::Settings settings;
  settings.ucsurname = (data[0] & 1) != 0 ? 'Y' : 'N';
  const std::size_t capacity = data[0] >> 1;

  std::string ibm(text);
  kinloom::IbmPcToLatin1(ibm);
  Require(ibm.size() == text.size(), "IbmPcToLatin1 keeps the length");

  std::string ansel(text);
  kinloom::AnselToLatin1(ansel);
  Require(ansel.size() <= text.size(), "AnselToLatin1 never grows the line");

  std::string utf8(text);
  kinloom::Utf8ToLatin1(utf8);
  if (IsPlainAscii(text)) Require(utf8 == text, "Utf8ToLatin1 keeps ASCII");

  const std::string cut = kinloom::CutKeepingReferences(utf8, capacity);
  Require(cut.size() <= capacity, "CutKeepingReferences stays within capacity");
  Require(utf8.compare(0, cut.size(), cut) == 0, "CutKeepingReferences keeps a prefix");

  const std::string folded = kinloom::FoldForSorting(utf8);
  if (IsPlainAscii(utf8)) Require(folded == utf8, "FoldForSorting keeps ASCII");

  const std::string soundex = kinloom::SoundexCode(utf8);
  if (utf8.empty()) Require(soundex.empty(), "the empty surname has no Soundex code");

  for (const std::string& name : {std::string(text), utf8, ansel}) {
    (void)kinloom::FormatName(settings, name);
    (void)kinloom::ExtractSurname(settings, name);
    (void)kinloom::UppercaseSurname(settings, name);
    (void)kinloom::IndexName(settings, name);
    (void)kinloom::NameSortKey(settings, name);
    Require(kinloom::XrefNumber(name) >= 0, "XrefNumber is never negative");
    (void)kinloom::IsPointer(name);
  }
  return 0;
}
