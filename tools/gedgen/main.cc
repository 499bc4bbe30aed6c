// kinloom-gedgen: writes a generated GEDCOM file (see generator.h).
//
//   kinloom-gedgen --individuals N [--seed S] [--output FILE]
//
// Without --output the file goes to standard output. A summary of what
// was written goes to standard error.
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/gedgen/generator.h"

namespace {

constexpr int kUsageError = 64;

void PrintUsage(std::FILE* out) {
  std::fprintf(out,
               "Usage: kinloom-gedgen --individuals N [--seed S] [--output FILE]\n"
               "\n"
               "Writes a generated family tree of N individuals as a GEDCOM file (ANSEL,\n"
               "CR LF line ends). The same N and seed always give the same file.\n");
}

bool ParseNumber(const char* text, unsigned long long max, unsigned long long& value) {
  if (text == nullptr || *text == '\0' || *text == '-') return false;
  errno = 0;
  char* end = nullptr;
  value = std::strtoull(text, &end, 10);
  return errno == 0 && *end == '\0' && value <= max;
}

}  // namespace

int main(int argc, char** argv) {
  kinloom::gedgen::GeneratorOptions options;
  bool have_count = false;
  const char* output = nullptr;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    unsigned long long number = 0;
    if (arg == "--help") {
      PrintUsage(stdout);
      return 0;
    } else if (arg == "--individuals" && ParseNumber(value, 2147483647ULL, number)) {
      options.individuals = static_cast<std::int32_t>(number);
      have_count = true;
      ++i;
    } else if (arg == "--seed" && ParseNumber(value, UINT64_MAX, number)) {
      options.seed = number;
      ++i;
    } else if (arg == "--output" && value != nullptr) {
      output = value;
      ++i;
    } else {
      std::fprintf(stderr, "kinloom-gedgen: bad argument '%s'\n", argv[i]);
      PrintUsage(stderr);
      return kUsageError;
    }
  }
  if (!have_count) {
    PrintUsage(stderr);
    return kUsageError;
  }

  std::FILE* file = output != nullptr ? std::fopen(output, "wb") : stdout;
  if (file == nullptr) {
    std::fprintf(stderr, "kinloom-gedgen: cannot create %s: %s\n", output, std::strerror(errno));
    return 1;
  }
  bool failed = false;
  const kinloom::gedgen::GeneratorStats stats =
      kinloom::gedgen::GenerateGedcom(options, [&](std::string_view piece) {
        if (std::fwrite(piece.data(), 1, piece.size(), file) != piece.size()) failed = true;
      });
  if (std::fflush(file) != 0) failed = true;
  if (output != nullptr && std::fclose(file) != 0) failed = true;
  if (failed) {
    std::fprintf(stderr, "kinloom-gedgen: writing failed\n");
    return 1;
  }
  std::fprintf(stderr,
               "%" PRId64 " individuals, %" PRId64 " families, %" PRId64 " note records, %" PRId64
               " sources, %" PRId64 " photos, %" PRId64 " lines, %" PRId64 " bytes\n",
               stats.individuals, stats.families, stats.note_records, stats.source_records,
               stats.photos, stats.lines, stats.bytes);
  return 0;
}
