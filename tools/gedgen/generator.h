// A deterministic generator of realistic GEDCOM files, for benchmarks and
// for trying Kinloom on trees of any size.
//
// The same options always give the same bytes, on every machine: the tree
// is drawn from a pseudo-random generator of the project's own, never from
// the standard library's distributions, whose results differ between
// library versions.
//
// What a file holds:
//  * a header declaring "1 CHAR ANSEL", a submitter, then the individuals,
//    the families, the note records, the source records and "0 TRLR", every
//    line ending in CR LF and no line longer than 255 characters;
//  * exactly `individuals` INDI records @I1@ .. @IN@: lineages of several
//    generations that start from founding couples, spouses who marry in,
//    some second marriages, and about one in a hundred people who belong
//    to no family at all;
//  * names, dates and places with ANSEL accents (a combining mark before
//    its letter, and the special letters Æ, Ø, Å and ø), a few suffixes
//    and a few names without a surname;
//  * inline notes with CONC and CONT lines, and note records: "@NI..@" for
//    notes of individuals, "@N..@" for notes of families, numbered above
//    every individual and family number so that no note key meets the key
//    of an inline note;
//  * source records @S..@ cited by pointer (with a PAGE line under it),
//    and inline source texts drawn from a small set, so that they repeat;
//  * a few multimedia links ("1 OBJE", "2 FORM", "2 FILE", "2 TITL").
#ifndef KINLOOM_TOOLS_GEDGEN_GENERATOR_H_
#define KINLOOM_TOOLS_GEDGEN_GENERATOR_H_

#include <cstdint>
#include <functional>
#include <string_view>

namespace kinloom::gedgen {

struct GeneratorOptions {
  std::int32_t individuals = 1000;  // number of INDI records, 0 or more
  std::uint64_t seed = 1;
};

// What a generated file holds, counted as it was written.
struct GeneratorStats {
  std::int64_t individuals = 0;
  std::int64_t families = 0;
  std::int64_t individual_notes = 0;  // individuals with a note (inline or record)
  std::int64_t family_notes = 0;      // families with a note (inline or record)
  std::int64_t note_records = 0;
  std::int64_t source_records = 0;
  std::int64_t photos = 0;  // OBJE lines
  std::int64_t lines = 0;
  std::int64_t bytes = 0;
};

// Receives the file in pieces, in order; the pieces joined are the file.
using Sink = std::function<void(std::string_view)>;

// Generates the file described above and hands it to sink.
GeneratorStats GenerateGedcom(const GeneratorOptions& options, const Sink& sink);

}  // namespace kinloom::gedgen

#endif  // KINLOOM_TOOLS_GEDGEN_GENERATOR_H_
