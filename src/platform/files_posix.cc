#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/files.h"

namespace kinloom::platform {

namespace {

FileStatus FromStat(const struct stat& st) {
  FileStatus status;
  status.exists = true;
  status.regular = S_ISREG(st.st_mode);
  status.directory = S_ISDIR(st.st_mode);
  status.size = static_cast<long long>(st.st_size);
  status.modified_ns = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL +
                       static_cast<long long>(st.st_mtim.tv_nsec);
  status.device = static_cast<unsigned long long>(st.st_dev);
  status.inode = static_cast<unsigned long long>(st.st_ino);
  status.owner_may_write = st.st_uid == ::geteuid() && (st.st_mode & S_IWUSR) != 0;
  return status;
}

}  // namespace

FileStatus StatusOf(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return {};
  return FromStat(st);
}

FileStatus StatusThrough(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return {};
  return FromStat(st);
}

FileStatus StatusOfOpen(int fd) {
  struct stat st;
  if (::fstat(fd, &st) != 0) return {};
  return FromStat(st);
}

bool MayWrite(const std::string& path) {
  return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

int CreateNewFile(const std::string& path) {
  int fd;
  do {
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

int OpenForReading(const std::string& path) {
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

bool WriteAllTo(int fd, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    done += static_cast<std::size_t>(put);
  }
  return true;
}

long long ReadFrom(int fd, char* buffer, std::size_t size, long long offset) {
  for (;;) {
    const ssize_t got = ::pread(fd, buffer, size, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    return static_cast<long long>(got);
  }
}

bool CloseFile(int fd) { return ::close(fd) == 0 || errno == EINTR; }

bool RenameFile(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0;
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool MakeDirectoryAt(const std::string& path) {
  if (::mkdir(path.c_str(), 0777) == 0) return true;
  struct stat st;
  return errno == EEXIST && ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::vector<std::string> DirectoryNames(const std::string& path) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(path.c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name(entry->d_name);
    if (name != "." && name != "..") names.emplace_back(name);
  }
  ::closedir(dir);
  return names;
}

bool RemoveDirectory(const std::string& path) { return ::rmdir(path.c_str()) == 0; }

int TryLockFile(const std::string& path) {
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return -1;
  int locked;
  do {
    locked = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (locked != 0 && errno == EINTR);
  if (locked != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

void UnlockFile(int fd) {
  if (fd >= 0) ::close(fd);
}

}  // namespace kinloom::platform
