// kinloom-floor: how long this machine needs merely to write a site.
//
//   kinloom-floor [--runs K] [--keep] DIRECTORY
//
// Reads every file under DIRECTORY (the "html" tree a run wrote) into
// memory, in the order the run wrote them (by modification time), then, K times (default 3),
// creates a fresh sibling directory DIRECTORY.floor and writes the same directories and files into
// it, and removes it again (with --keep, the last pass's copy stays). Only the writing is timed:
// mkdir for each directory, and for each file open (create, truncate), one write and close, as the
// page writers do; no fsync, as a run does none. A sync before each timed pass starts every pass
// with no dirty pages of an earlier pass or run.
//
// On ext4, creating files soon after many were deleted is much slower
// than usual (the allocator skips recently freed inodes), so passes after
// the first pay for the removal of the pass before; comparisons with a run
// are fairest with --runs 1 --keep and no deletion in between.
//
// Prints one line per pass and a last line
//   floor files=F dirs=D bytes=B median_seconds=S
// for scripts.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Tree {
  std::vector<std::string> directories;  // relative, parents before children
  std::vector<std::string> paths;        // relative, in the order they were written
  std::vector<std::string> contents;
  std::int64_t bytes = 0;
};

// Modification time in nanoseconds; files are written again in that
// order, which is the order the run wrote them in (ties by path).
long long ModifiedNanoseconds(const fs::path& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return 0;
  return static_cast<long long>(status.st_mtim.tv_sec) * 1000000000LL + status.st_mtim.tv_nsec;
}

bool ReadWhole(const fs::path& path, std::string& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  bytes.clear();
  char buffer[1 << 16];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
  const bool ok = std::ferror(file) == 0;
  std::fclose(file);
  return ok;
}

bool LoadTree(const fs::path& root, Tree& tree) {
  std::error_code error;
  std::vector<std::pair<long long, std::string>> files;  // modified, relative path
  for (auto it = fs::recursive_directory_iterator(root, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    const fs::path relative = it->path().lexically_relative(root);
    if (it->is_directory(error)) {
      tree.directories.push_back(relative.string());
    } else if (it->is_regular_file(error)) {
      files.emplace_back(ModifiedNanoseconds(it->path()), relative.string());
    }
  }
  std::sort(files.begin(), files.end());
  for (auto& [modified, relative] : files) {
    std::string bytes;
    if (!ReadWhole(root / relative, bytes)) {
      std::fprintf(stderr, "kinloom-floor: cannot read %s\n", (root / relative).c_str());
      return false;
    }
    tree.bytes += static_cast<std::int64_t>(bytes.size());
    tree.paths.push_back(std::move(relative));
    tree.contents.push_back(std::move(bytes));
  }
  if (error) {
    std::fprintf(stderr, "kinloom-floor: cannot read %s: %s\n", root.c_str(),
                 error.message().c_str());
    return false;
  }
  // A directory iterator may list a child before its parent's siblings,
  // but never before its parent; sorting keeps parents first as well.
  std::sort(tree.directories.begin(), tree.directories.end());
  return true;
}

// One timed pass; false when a file could not be written whole.
bool WriteTree(const Tree& tree, const std::string& target) {
  if (::mkdir(target.c_str(), 0777) != 0) return false;
  for (const std::string& dir : tree.directories) {
    if (::mkdir((target + "/" + dir).c_str(), 0777) != 0) return false;
  }
  for (std::size_t i = 0; i < tree.paths.size(); ++i) {
    const int fd = ::open((target + "/" + tree.paths[i]).c_str(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    const std::string& bytes = tree.contents[i];
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
      if (put <= 0) break;
      done += static_cast<std::size_t>(put);
    }
    if (::close(fd) != 0 || done != bytes.size()) return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 3;
  bool keep = false;
  const char* source = nullptr;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--keep") {
      keep = true;
    } else if (arg == "--runs" && i + 1 < argc) {
      runs = std::atoi(argv[++i]);
    } else if (source == nullptr && !arg.empty() && arg[0] != '-') {
      source = argv[i];
    } else {
      source = nullptr;
      break;
    }
  }
  if (source == nullptr || runs < 1) {
    std::fprintf(stderr, "Usage: kinloom-floor [--runs K] [--keep] DIRECTORY\n");
    return 64;
  }

  fs::path root = fs::path(source).lexically_normal();
  if (root.has_filename() == false) root = root.parent_path();
  Tree tree;
  if (!LoadTree(root, tree)) return 1;
  const std::string target = root.string() + ".floor";

  std::vector<double> seconds;
  for (int run = 1; run <= runs; ++run) {
    std::error_code error;
    fs::remove_all(target, error);
    ::sync();
    const auto start = std::chrono::steady_clock::now();
    const bool ok = WriteTree(tree, target);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (!ok || !keep || run < runs) fs::remove_all(target, error);
    if (!ok) {
      std::fprintf(stderr, "kinloom-floor: cannot write into %s\n", target.c_str());
      return 1;
    }
    seconds.push_back(took.count());
    std::printf("pass %d: %.3f s\n", run, took.count());
  }
  std::sort(seconds.begin(), seconds.end());
  const std::size_t n = seconds.size();
  const double median = n % 2 == 1 ? seconds[n / 2] : (seconds[n / 2 - 1] + seconds[n / 2]) / 2;
  std::printf("floor files=%zu dirs=%zu bytes=%" PRId64 " median_seconds=%.3f\n", tree.paths.size(),
              tree.directories.size(), tree.bytes, median);
  return 0;
}
