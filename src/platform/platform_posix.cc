// The platform calls on POSIX systems (Linux first: files without a name
// and copies in the kernel are Linux's; elsewhere the portable paths).
#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "platform/platform.h"

namespace kinloom::platform {

FileHandle OpenFile(const std::string& path, OpenMode mode) {
  int flags = O_CLOEXEC | O_CREAT;
  switch (mode) {
    case OpenMode::kReadWriteBinary:
      flags |= O_RDWR | O_TRUNC;
      break;
    case OpenMode::kWriteText:
      flags |= O_WRONLY | O_TRUNC;
      break;
    case OpenMode::kAppendText:
      flags |= O_WRONLY | O_APPEND;
      break;
  }
  return ::open(path.c_str(), flags, 0666);
}

FileHandle OpenUnnamedFile(const std::string& directory) {
#if defined(O_TMPFILE)
  return ::open(directory.c_str(), O_RDWR | O_TMPFILE | O_CLOEXEC, 0600);
#else
  (void)directory;
  return kNoFile;
#endif
}

bool NameUnnamedFile(FileHandle file, const std::string& path) {
#if defined(__linux__)
  const std::string descriptor = "/proc/self/fd/" + std::to_string(file);
  return ::linkat(AT_FDCWD, descriptor.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0;
#else
  (void)file;
  (void)path;
  return false;
#endif
}

bool CloseFile(FileHandle file) { return ::close(file) == 0; }

std::size_t ReadAt(FileHandle file, void* buffer, std::size_t size, long long offset) {
  auto* dst = static_cast<unsigned char*>(buffer);
  std::size_t done = 0;
  while (done < size) {
    const ssize_t got = ::pread(file, dst + done, size - done,
                                static_cast<off_t>(offset) + static_cast<off_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

bool WriteAt(FileHandle file, const void* bytes, std::size_t size, long long offset) {
  const auto* src = static_cast<const unsigned char*>(bytes);
  std::size_t done = 0;
  while (done < size) {
    const ssize_t put = ::pwrite(file, src + done, size - done,
                                 static_cast<off_t>(offset) + static_cast<off_t>(done));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    done += static_cast<std::size_t>(put);
  }
  return true;
}

bool WriteAll(FileHandle file, const void* bytes, std::size_t size) {
  const auto* src = static_cast<const unsigned char*>(bytes);
  std::size_t done = 0;
  while (done < size) {
    const ssize_t put = ::write(file, src + done, size - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    done += static_cast<std::size_t>(put);
  }
  return true;
}

bool CopyRange(FileHandle file, FileHandle source, long long offset, long long size) {
  const long long end = offset + size;
  long long at = offset;
#if defined(__linux__)
  while (at < end) {
    loff_t from = at;
    const ssize_t moved =
        ::copy_file_range(source, &from, file, nullptr, static_cast<std::size_t>(end - at), 0);
    if (moved < 0 && errno == EINTR) continue;
    if (moved == 0) return false;
    if (moved > 0) {
      at += moved;
      continue;
    }
    if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return false;
    break;  // the rest through a buffer
  }
#endif
  std::string buffer;
  while (at < end) {
    buffer.resize(static_cast<std::size_t>(std::min<long long>(end - at, 1 << 20)));
    const std::size_t got = ReadAt(source, buffer.data(), buffer.size(), at);
    if (got == 0) return false;
    if (!WriteAll(file, buffer.data(), got)) return false;
    at += static_cast<long long>(got);
  }
  return true;
}

bool MakeDirectory(const std::string& path) {
  if (::mkdir(path.c_str(), 0777) == 0) return true;
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool RenameOver(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0;
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa;
  struct stat sb;
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

char DirectorySeparator() { return '/'; }

bool LocalTime(std::time_t when, std::tm& local) { return ::localtime_r(&when, &local) != nullptr; }

void RunOnIdleTimeOnly() {
#if defined(SCHED_IDLE)
  const sched_param none{};
  ::pthread_setschedparam(::pthread_self(), SCHED_IDLE, &none);
#endif
}

void ReturnLargeBlocksWhenFreed() {
#if defined(__GLIBC__)
  ::mallopt(M_MMAP_THRESHOLD, 512 * 1024);
#endif
}

bool StandardErrorIsTerminal() { return ::isatty(STDERR_FILENO) != 0; }

}  // namespace kinloom::platform
