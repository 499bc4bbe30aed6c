// A whole run on arbitrary bytes: the first byte chooses SUBDIRS (its
// lowest bit) and the page extension (the next bit); the rest is the GEDCOM
// file. Every other option is on, pedigree charts for everyone included.
// Whatever the bytes, the run ends with one of its results, never leaves a
// work file behind, and a finished run has written its index files.
#include <filesystem>

#include "fuzz_support.h"
#include "run/driver.h"
#include "run/run.h"
#include "store/work_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using kinloom::fuzz::Require;
  if (size == 0) return 0;
  kinloom::fuzz::ScratchDir scratch;
  kinloom::fuzz::WriteBytes("input.ged", kinloom::fuzz::AsText(data + 1, size - 1));

  kinloom::Run run;
  kinloom::Settings& s = run.settings;
  s.gedfile = "input.ged";
  s.email = "someone@example.net";
  s.home = "http://example.net/family/";
  s.notes = 'Y';
  s.ucsurname = 'Y';
  s.soundex = 'Y';
  s.sources = 'Y';
  s.photos = 'Y';
  s.pedigreeall = 'Y';
  s.pedigreelist = "1,2,3";
  s.subdirs = (data[0] & 1) != 0 ? 'Y' : 'N';
  s.extension = (data[0] & 2) != 0 ? "html" : "htm";
  run.test_options.fixed_page_date = "1 January 2000";

  const int result = kinloom::CreateKinloom(run);
  Require(result >= kinloom::kResultOk && result <= kinloom::kResultCannotWrite,
          "a run returns one of the documented results");
  Require(result != kinloom::kResultPlaceholderEmail && result != kinloom::kResultPlaceholderHome,
          "real addresses pass the placeholder check");
  for (const char* name : kinloom::kWorkFileNames) {
    Require(!std::filesystem::exists(name), "no work file outlives the run");
  }
  if (result == kinloom::kResultOk) {
    Require(std::filesystem::exists("html/gendex.txt"), "a finished run wrote html/gendex.txt");
    Require(std::filesystem::exists(std::string("html/surnames.") + s.extension),
            "a finished run wrote the surnames page");
  }
  return 0;
}
