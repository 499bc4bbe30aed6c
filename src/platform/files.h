// File-system calls of the run lock and of publishing only changed pages.
#ifndef KINLOOM_PLATFORM_FILES_H_
#define KINLOOM_PLATFORM_FILES_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kinloom::platform {

struct FileStatus {
  bool exists = false;
  bool regular = false;
  bool directory = false;
  long long size = 0;
  long long modified_ns = 0;  // modification time, nanoseconds since 1970
  unsigned long long device = 0;
  unsigned long long inode = 0;
  // The process owns the file and its mode lets the owner write it, so
  // that opening it for writing cannot be refused for its permissions.
  bool owner_may_write = false;
};

// The status of path itself (a symbolic link is not followed).
[[nodiscard]] FileStatus StatusOf(const std::string& path);
// The status of what path names, through symbolic links.
[[nodiscard]] FileStatus StatusThrough(const std::string& path);
// The status of an open file.
[[nodiscard]] FileStatus StatusOfOpen(int fd);
// True when the process may write the file or directory.
[[nodiscard]] bool MayWrite(const std::string& path);

// Creates a file that must not exist yet, for writing; a symbolic link in
// its place is not followed. Returns the descriptor, or -1.
[[nodiscard]] int CreateNewFile(const std::string& path);
// Opens an existing file for reading without following a symbolic link in
// its place. Returns the descriptor, or -1.
[[nodiscard]] int OpenForReading(const std::string& path);
// Writes all the bytes (retrying short writes); false on failure.
[[nodiscard]] bool WriteAllTo(int fd, std::string_view bytes);
// Reads up to size bytes at offset; the count read, 0 at the end, -1 on
// failure.
[[nodiscard]] long long ReadFrom(int fd, char* buffer, std::size_t size, long long offset);
// False when closing reports that written bytes were lost.
[[nodiscard]] bool CloseFile(int fd);

// Replaces to by from in one step.
[[nodiscard]] bool RenameFile(const std::string& from, const std::string& to);
// True when a file was removed; false when there was none or it could
// not be removed.
[[nodiscard]] bool RemoveFile(const std::string& path);
// True when the directory was made or already exists.
[[nodiscard]] bool MakeDirectoryAt(const std::string& path);
// The names in a directory, "." and ".." left out.
[[nodiscard]] std::vector<std::string> DirectoryNames(const std::string& path);
[[nodiscard]] bool RemoveDirectory(const std::string& path);

// An exclusive advisory lock on the file at path (created when missing,
// never through a symbolic link), held while the returned descriptor is
// open and dropped by the system when the process ends. -1 when another
// open file holds it or it cannot be had.
[[nodiscard]] int TryLockFile(const std::string& path);
void UnlockFile(int fd);

}  // namespace kinloom::platform

#endif  // KINLOOM_PLATFORM_FILES_H_
