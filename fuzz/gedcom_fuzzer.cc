// The GEDCOM reader and the cross-reference check on arbitrary bytes: the
// input is the GEDCOM file, read with every option that the reader looks at
// turned on, then checked. Whatever the bytes, the reader returns one of its
// results and the check runs over whatever was stored.
#include "fuzz_support.h"
#include "gedcom/reader.h"
#include "run/run.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using kinloom::fuzz::Require;
  kinloom::fuzz::ScratchDir scratch;
  kinloom::fuzz::WriteBytes("input.ged", kinloom::fuzz::AsText(data, size));

  kinloom::Run run;
  run.settings.gedfile = "input.ged";
  run.settings.notes = 'Y';
  run.settings.sources = 'Y';
  run.settings.photos = 'Y';
  run.settings.pedigreeall = 'Y';
  Require(!run.store.Open().has_value(), "work files cannot be created");

  const int read = kinloom::ReadGedcom(run);
  Require(read == kinloom::kResultOk || read == kinloom::kResultLongTags,
          "the reader returns 0 or 2 for a file it could open");
  const kinloom::RunCounters& counts = run.store.counters;
  Require(counts.IndividualCount >= 0 && counts.FamilyCount >= 0 && counts.SourceCount >= 0 &&
              counts.PhotoCount >= 0,
          "run counters are never negative");
  if (read == kinloom::kResultOk) {
    const int checked = kinloom::IsValidGedcom(run);
    Require(checked == kinloom::kResultOk || checked == kinloom::kResultInvalidGedcom,
            "the check returns 0 or 5");
  }
  run.store.CloseAndDelete();
  return 0;
}
