// Feeds each file named on the command line, or each file inside a named
// directory, to the fuzz target once, in name order: the committed corpora
// replayed without libFuzzer, under whatever sanitizers the build uses.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz_support.h"

namespace {

std::vector<std::filesystem::path> InputsOf(const std::filesystem::path& arg) {
  std::vector<std::filesystem::path> inputs;
  if (std::filesystem::is_directory(arg)) {
    for (const auto& entry : std::filesystem::directory_iterator(arg)) {
      if (entry.is_regular_file()) inputs.push_back(entry.path());
    }
    std::sort(inputs.begin(), inputs.end());
  } else {
    inputs.push_back(arg);
  }
  return inputs;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "Usage: %s FILE_OR_DIRECTORY...\n", argv[0]);
    return 64;
  }
  long replayed = 0;
  for (int i = 1; i < argc; ++i) {
    if (!std::filesystem::exists(argv[i])) {
      std::fprintf(stderr, "%s: no such file or directory\n", argv[i]);
      return 1;
    }
    // Absolute paths: a target may change the current directory.
    for (const auto& path : InputsOf(std::filesystem::absolute(argv[i]))) {
      std::ifstream in(path, std::ios::binary);
      const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
      LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
      ++replayed;
    }
  }
  if (replayed == 0) {
    std::fprintf(stderr, "no input found\n");
    return 1;
  }
  std::printf("replayed %ld inputs\n", replayed);
  return 0;
}
