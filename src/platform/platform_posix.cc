// The platform calls on POSIX systems (Linux first: files without a name
// and copies in the kernel are Linux's; elsewhere the portable paths).
#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
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
    case OpenMode::kReadWriteNoLink:
      flags |= O_RDWR | O_TRUNC | O_NOFOLLOW;
      break;
  }
  const int file = ::open(path.c_str(), flags, 0666);
  struct stat st;
  if (file < 0 && mode == OpenMode::kReadWriteNoLink && errno == ELOOP &&
      ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode) && ::unlink(path.c_str()) == 0) {
    // Made afresh where the link was; nothing else may have come meanwhile.
    return ::open(path.c_str(), O_CLOEXEC | O_CREAT | O_EXCL | O_RDWR | O_NOFOLLOW, 0666);
  }
  return file;
}

FileHandle CreateNewFile(const std::string& path, bool) {
  int file;
  do {
    file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  } while (file < 0 && errno == EINTR);
  return file;
}

FileHandle OpenForReading(const std::string& path) {
  int file;
  do {
    file = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  } while (file < 0 && errno == EINTR);
  return file;
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

namespace {

FileStatus StatusFrom(const struct stat& st) {
  FileStatus status;
  status.exists = true;
  status.regular = S_ISREG(st.st_mode);
  status.directory = S_ISDIR(st.st_mode);
  status.size = static_cast<long long>(st.st_size);
  status.modified_ns = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL +
                       static_cast<long long>(st.st_mtim.tv_nsec);
  status.number = static_cast<unsigned long long>(st.st_ino);
  static const uid_t user = ::geteuid();  // the same for the whole process
  status.plainly_writable = st.st_uid == user && (st.st_mode & S_IWUSR) != 0;
  return status;
}

}  // namespace

FileStatus StatusOf(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return {};
  return StatusFrom(st);
}

FileStatus StatusThrough(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return {};
  return StatusFrom(st);
}

FileStatus StatusOfOpen(FileHandle file) {
  struct stat st;
  if (::fstat(file, &st) != 0) return {};
  return StatusFrom(st);
}

bool MayWrite(const std::string& path) {
  return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

std::vector<std::string> DirectoryNames(const std::string& path) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(path.c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name(entry->d_name);
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(dir);
  return names;
}

bool RemoveDirectory(const std::string& path) { return ::rmdir(path.c_str()) == 0; }

std::vector<DirectoryEntry> DirectoryEntries(const std::string& path) {
  std::vector<DirectoryEntry> entries;
  DIR* dir = ::opendir(path.c_str());
  if (dir == nullptr) return entries;
  while (const dirent* entry = ::readdir(dir)) {
    DirectoryEntry found;
    found.name = entry->d_name;
    if (found.name == "." || found.name == "..") continue;
    unsigned char type = entry->d_type;
    if (type == DT_UNKNOWN) {
      // Some file systems do not say; ask for the entry itself.
      struct stat st;
      if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
        type = S_ISREG(st.st_mode)   ? DT_REG
               : S_ISDIR(st.st_mode) ? DT_DIR
               : S_ISLNK(st.st_mode) ? DT_LNK
                                     : DT_UNKNOWN;
      }
    }
    found.kind = type == DT_REG   ? DirectoryEntry::Kind::kFile
                 : type == DT_DIR ? DirectoryEntry::Kind::kDirectory
                 : type == DT_LNK ? DirectoryEntry::Kind::kLink
                                  : DirectoryEntry::Kind::kOther;
    entries.push_back(std::move(found));
  }
  ::closedir(dir);
  return entries;
}

std::string CanonicalPath(const std::string& path) {
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return {};
  std::string result(resolved);
  std::free(resolved);
  return result;
}

bool CopyFileTo(const std::string& from, const std::string& to) {
  int source;
  do {
    source = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  } while (source < 0 && errno == EINTR);
  if (source < 0) return false;
  struct stat st;
  bool ok = ::fstat(source, &st) == 0 && S_ISREG(st.st_mode);
  const FileHandle target = ok ? OpenFile(to, OpenMode::kReadWriteNoLink) : kNoFile;
  ok = ok && target != kNoFile && CopyRange(target, source, 0, st.st_size);
  if (target != kNoFile) ok = CloseFile(target) && ok;
  ::close(source);
  return ok;
}

FileHandle TryLockFile(const std::string& path) {
  int file;
  do {
    file = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
  } while (file < 0 && errno == EINTR);
  struct stat st;
  if (file < 0 && errno == ELOOP && ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode) &&
      ::unlink(path.c_str()) == 0) {
    // A link in the lock file's place is replaced, not followed.
    file = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  }
  if (file < 0) return kNoFile;
  // A lock of the open file itself (not of the process, as fcntl's are):
  // a second open file in the same process is refused too.
  int locked;
  do {
    locked = ::flock(file, LOCK_EX | LOCK_NB);
  } while (locked != 0 && errno == EINTR);
  if (locked != 0) {
    const int reason = errno;
    ::close(file);
    errno = reason == EAGAIN ? EWOULDBLOCK : reason;
    return kNoFile;
  }
  return file;
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

std::error_code LastError() {
  return std::error_code(errno != 0 ? errno : EIO, std::generic_category());
}

std::string ExecutablePath() {
  std::string path(256, '\0');
  for (;;) {
    const ssize_t got = ::readlink("/proc/self/exe", path.data(), path.size());
    if (got < 0) return {};
    if (static_cast<std::size_t>(got) < path.size()) {
      path.resize(static_cast<std::size_t>(got));
      return path;
    }
    path.resize(path.size() * 2);  // it may have been cut: try with more room
  }
}

char DirectorySeparator() { return '/'; }

bool NamesInUtf8() { return true; }

bool LocalToday(int& year, int& month, int& day) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (::localtime_r(&now, &local) == nullptr) return false;
  year = local.tm_year + 1900;
  month = local.tm_mon + 1;
  day = local.tm_mday;
  return true;
}

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
