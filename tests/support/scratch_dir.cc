#include "support/scratch_dir.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace kinloom::testing {

ScratchDir::ScratchDir() {
  previous_ = std::filesystem::current_path().string();
  // A name nobody else has: create_directory fails on an existing one.
  std::random_device random;
  const auto base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
    const std::string name = "kinloom-test-" + std::to_string(random()) + std::to_string(random());
    std::error_code error;
    if (std::filesystem::create_directory(base / name, error)) path_ = (base / name).string();
  }
  if (path_.empty()) throw std::runtime_error("no scratch directory could be made");
  std::filesystem::current_path(path_);
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

std::string SourceFile(const std::string& path) {
  return ReadFile(std::string(KINLOOM_SOURCE_DIR) + "/" + path);
}

std::string ReadText(const std::string& path) {
  std::string text = ReadFile(path);
#ifdef _WIN32
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  text = std::move(out);
#endif
  return text;
}

std::string TextLineEnds(std::string text) {
#ifdef _WIN32
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  text = std::move(out);
#endif
  return text;
}

bool FileExists(const std::string& path) { return std::filesystem::exists(path); }

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

}  // namespace kinloom::testing
