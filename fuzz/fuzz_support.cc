#include "fuzz_support.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

namespace kinloom::fuzz {

ScratchDir::ScratchDir() {
  previous_ = std::filesystem::current_path().string();
  // A new directory of a random name: creating one that exists fails.
  std::random_device random;
  std::error_code error;
  for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("kinloom-fuzz-" + std::to_string(random()) + std::to_string(random()));
    if (std::filesystem::create_directory(path, error)) path_ = path.string();
  }
  Require(!path_.empty(), "no scratch directory could be made");
  std::filesystem::current_path(path_);
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
  std::filesystem::remove_all(path_, ignored);
}

void WriteBytes(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  Require(static_cast<bool>(out), "cannot write the input file");
}

void Require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "broken promise: %s\n", what);
  std::abort();
}

}  // namespace kinloom::fuzz
