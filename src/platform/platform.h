// The engine's only door to the operating system: files opened by
// descriptor, positioned and whole transfers, files without a name,
// directories, thread priority, memory tuning and terminals. One header,
// one implementation per system (platform_posix.cc, platform_win32.cc);
// nothing else in the engine includes a system header.
//
// Every transfer goes on after an interruption and after a short count,
// until all is done, the file ends, or a real error occurs.
#ifndef KINLOOM_PLATFORM_PLATFORM_H_
#define KINLOOM_PLATFORM_PLATFORM_H_

#include <cstddef>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace kinloom::platform {

// An open file: a descriptor of the C library on every system.
using FileHandle = int;
inline constexpr FileHandle kNoFile = -1;

enum class OpenMode {
  kReadWriteBinary,  // created or emptied, read and written at offsets
  kWriteText,        // created or emptied, written in order
  kAppendText,       // created when missing, every write at the end
  // As kReadWriteBinary, but a symbolic link at path is never followed:
  // the link itself is replaced by a new file.
  kReadWriteNoLink,
};

// Text files hold lines ending in LF; where the system's text files end
// their lines in CR LF, kWriteText and kAppendText files translate on the
// way out, binary files never.
[[nodiscard]] FileHandle OpenFile(const std::string& path, OpenMode mode);
// A new, empty binary file in directory that has no name and is gone when
// closed. kNoFile where the system or the file system cannot make one.
[[nodiscard]] FileHandle OpenUnnamedFile(const std::string& directory);
// Gives a file made by OpenUnnamedFile the name path in the current
// directory's file system (path must not exist). False where the system
// cannot name such a file; the file is then unchanged.
[[nodiscard]] bool NameUnnamedFile(FileHandle file, const std::string& path);
// A file that must not exist yet, for writing in order (text: as
// kWriteText translates); a symbolic link in its place is not followed.
[[nodiscard]] FileHandle CreateNewFile(const std::string& path, bool text);
// An existing file for reading at offsets; a symbolic link in its place is
// not followed.
[[nodiscard]] FileHandle OpenForReading(const std::string& path);
// False when the system reports that data written earlier was lost.
[[nodiscard]] bool CloseFile(FileHandle file);

// An open file that closes itself when it goes, or when another takes its
// place; moved, not copied. Close says what the close said; a close left
// to the destructor or Reset is not heard of.
class File {
 public:
  File() = default;
  explicit File(FileHandle handle) : handle_(handle) {}
  File(File&& other) noexcept : handle_(other.Release()) {}
  File& operator=(File&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = other.Release();
    }
    return *this;
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File() { Reset(); }

  [[nodiscard]] FileHandle get() const { return handle_; }
  [[nodiscard]] bool is_open() const { return handle_ >= 0; }
  // Closes the file (as CloseFile); it is no longer held either way.
  [[nodiscard]] bool Close() { return CloseFile(Release()); }
  // Closes the file, if one is held, without a word.
  void Reset() {
    if (is_open()) (void)CloseFile(Release());
  }
  // Hands the file over; it is no longer closed here.
  [[nodiscard]] FileHandle Release() {
    const FileHandle handle = handle_;
    handle_ = kNoFile;
    return handle;
  }

 private:
  FileHandle handle_ = kNoFile;
};

// Reads up to size bytes at offset; returns how many were read (fewer only
// at the end of the file or on an error).
[[nodiscard]] std::size_t ReadAt(FileHandle file, void* buffer, std::size_t size, long long offset);
// Writes all size bytes at offset.
[[nodiscard]] bool WriteAt(FileHandle file, const void* bytes, std::size_t size, long long offset);
// Writes all size bytes where the file stands (at its end for kAppendText).
[[nodiscard]] bool WriteAll(FileHandle file, const void* bytes, std::size_t size);
// Appends the size bytes at offset of source (a binary file) to file: in
// the kernel where the file systems allow it, otherwise through a buffer.
// False when a read or write fails or source holds fewer bytes.
[[nodiscard]] bool CopyRange(FileHandle file, FileHandle source, long long offset, long long size);

struct FileStatus {
  bool exists = false;
  bool regular = false;
  bool directory = false;
  long long size = 0;
  long long modified_ns = 0;      // modification time, nanoseconds since 1970
  unsigned long long number = 0;  // the file's number within its file system
  // The process may write the file as far as its owner and mode tell,
  // without asking the system.
  bool plainly_writable = false;
};
// The status of path itself (a symbolic link is not followed).
[[nodiscard]] FileStatus StatusOf(const std::string& path);
// The status of what path names, through symbolic links.
[[nodiscard]] FileStatus StatusThrough(const std::string& path);
// The status of an open file.
[[nodiscard]] FileStatus StatusOfOpen(FileHandle file);
// True when the process may write the file, or create files in the
// directory.
[[nodiscard]] bool MayWrite(const std::string& path);
// True when a file (or a symbolic link) was removed.
[[nodiscard]] bool RemoveFile(const std::string& path);
// The names in a directory, "." and ".." left out; none when it cannot be
// read.
[[nodiscard]] std::vector<std::string> DirectoryNames(const std::string& path);
// Removes an empty directory.
[[nodiscard]] bool RemoveDirectory(const std::string& path);

// One name in a directory and what it is, as the directory itself tells
// (a symbolic link is not followed).
struct DirectoryEntry {
  enum class Kind { kFile, kDirectory, kLink, kOther };
  std::string name;
  Kind kind = Kind::kOther;
};
// The entries of a directory, "." and ".." left out; none when it cannot
// be read.
[[nodiscard]] std::vector<DirectoryEntry> DirectoryEntries(const std::string& path);
// The absolute path of what path names, every symbolic link, "." and ".."
// resolved, with the system's separator; empty when path names nothing.
[[nodiscard]] std::string CanonicalPath(const std::string& path);
// Copies the bytes of the file from into the file to, created or emptied
// (a symbolic link at to is replaced, never followed). False when a read
// or write fails; to may then hold part of the bytes.
[[nodiscard]] bool CopyFileTo(const std::string& from, const std::string& to);
// An exclusive advisory lock on the file at path (created when missing,
// never through a symbolic link), held while the returned file is open and
// dropped by the system when the process ends, however it ends. kNoFile
// when another open file holds it (LastError() then gives
// std::errc::operation_would_block) or the file cannot be had (LastError()
// gives the system's reason).
[[nodiscard]] FileHandle TryLockFile(const std::string& path);

// Makes directory path; true when it exists afterwards as a directory.
[[nodiscard]] bool MakeDirectory(const std::string& path);
// Gives the file from the name to, in place of the file of that name if
// there is one, in one step: to names the old file or the new one, never
// none. False when the file keeps its old name.
[[nodiscard]] bool RenameOver(const std::string& from, const std::string& to);
// True when both paths name one existing file (through links too).
[[nodiscard]] bool SameFile(const std::string& a, const std::string& b);
// The reason the last of these calls that failed in this thread gave
// (EIO when it gave none).
[[nodiscard]] std::error_code LastError();

// A file that could not be created or written whole, and the system's
// reason.
struct FileFault {
  std::string path;
  std::error_code error;
  bool operator==(const FileFault&) const = default;
};
// path, with the reason the last call that failed in this thread gave.
[[nodiscard]] inline FileFault FaultAt(std::string path) {
  return FileFault{std::move(path), LastError()};
}
// The absolute path of the running program; empty when it cannot be told.
[[nodiscard]] std::string ExecutablePath();
// The separator the system puts between directory names ("/" or "\").
[[nodiscard]] char DirectorySeparator();
// True where file names are bytes that programs read as UTF-8; false where
// the calls take names in the system's 8-bit code page (Windows).
[[nodiscard]] bool NamesInUtf8();

// Today's date in the local time zone (month 1 to 12); false when the
// system cannot tell.
[[nodiscard]] bool LocalToday(int& year, int& month, int& day);

// The calling thread runs only when nothing else wants the processor,
// where the system can say so.
void RunOnIdleTimeOnly();
// Large blocks of memory go back to the system when freed.
void ReturnLargeBlocksWhenFreed();
// True when the standard error stream is a terminal.
[[nodiscard]] bool StandardErrorIsTerminal();

}  // namespace kinloom::platform

#endif  // KINLOOM_PLATFORM_PLATFORM_H_
