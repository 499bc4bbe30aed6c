// The command line both programs accept: nothing, -h or --help, or --version.
#ifndef KINLOOM_APPS_COMMAND_LINE_H_
#define KINLOOM_APPS_COMMAND_LINE_H_

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "run/settings.h"

namespace kinloom {

inline constexpr int kUsageError = 64;

// Answers -h, --help and --version, and refuses anything else with the usage
// text on standard error. Returns the exit status when the program is to
// end here, nothing when it is to run.
[[nodiscard]] inline std::optional<int> AnswerCommandLine(int argc, char** argv,
                                                          const char* program,
                                                          void (*print_usage)(std::FILE*)) {
  if (argc <= 1) return std::nullopt;
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    print_usage(stdout);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("%s\n", std::string(kVersionText).c_str());
    return 0;
  }
  std::fprintf(stderr, "%s: unknown argument '%s'\n", program, argv[1]);
  print_usage(stderr);
  return kUsageError;
}

}  // namespace kinloom

#endif  // KINLOOM_APPS_COMMAND_LINE_H_
