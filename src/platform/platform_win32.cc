// The platform calls on Windows. Files are descriptors of the C run-time
// library, so that text files translate LF to CR LF as Windows programs
// write them; transfers at an offset go to the file's handle with the
// offset given, so that two threads may use one file.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
// The platform names its own calls; these Windows macros would rename them.
#undef RemoveDirectory

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <string>

#include "platform/platform.h"

namespace kinloom::platform {

namespace {

HANDLE HandleOf(FileHandle file) { return reinterpret_cast<HANDLE>(::_get_osfhandle(file)); }

OVERLAPPED At(long long offset) {
  OVERLAPPED where{};
  where.Offset = static_cast<DWORD>(static_cast<unsigned long long>(offset) & 0xFFFFFFFFu);
  where.OffsetHigh = static_cast<DWORD>(static_cast<unsigned long long>(offset) >> 32);
  return where;
}

// One call moves at most this much, whatever was asked.
constexpr std::size_t kMaxTransfer = 1u << 30;

// The C library's number for a Windows error, as its own calls map them.
int ErrorNumberOf(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_NO_MORE_FILES:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_INVALID_NAME:
      return ENOENT;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_DIR_NOT_EMPTY:
      return ENOTEMPTY;
    case ERROR_DIRECTORY:
      return ENOTDIR;
    case ERROR_NOT_SAME_DEVICE:
      return EXDEV;
    case ERROR_TOO_MANY_OPEN_FILES:
      return EMFILE;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return ENOMEM;
    case ERROR_INVALID_HANDLE:
      return EBADF;
    case ERROR_INVALID_PARAMETER:
      return EINVAL;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
    case ERROR_NETWORK_ACCESS_DENIED:
    case ERROR_CANNOT_MAKE:
    case ERROR_CURRENT_DIRECTORY:
    case ERROR_DRIVE_LOCKED:
      return EACCES;
    default:
      return EIO;
  }
}

DWORD AttributesOf(const std::string& path) { return ::GetFileAttributesA(path.c_str()); }

bool IsDirectoryAttribute(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// What a call wanted at the path it was given.
enum class Wanted { kFile, kAny };

// Tells the reason for a path that could not be opened, made or renamed
// as POSIX systems tell it, where Windows words it otherwise: a directory
// where a file was wanted is EISDIR (Windows: access denied), and a file
// where the path needs a directory is ENOTDIR (Windows: path not found).
void TellAsPosix(const std::string& path, Wanted wanted = Wanted::kFile) {
  const int error = errno;
  if (error == EACCES) {
    if (wanted == Wanted::kFile && IsDirectoryAttribute(AttributesOf(path))) errno = EISDIR;
    return;
  }
  if (error != ENOENT) return;
  // The nearest part of the path that exists decides.
  std::string part = path;
  for (;;) {
    const std::size_t cut = part.find_last_of("/\\");
    if (cut == std::string::npos || cut == 0) return;
    part.resize(cut);
    if (part.back() == ':' || part.back() == '?') return;  // a drive or a \\?\ prefix
    const DWORD attributes = AttributesOf(part);
    if (attributes == INVALID_FILE_ATTRIBUTES) continue;
    if (!IsDirectoryAttribute(attributes)) errno = ENOTDIR;
    return;
  }
}

// Keeps the reason of the Windows call that just failed for LastError,
// worded as above for path when one is given.
void KeepError(const std::string& path = {}, Wanted wanted = Wanted::kFile) {
  errno = ErrorNumberOf(::GetLastError());
  if (!path.empty()) TellAsPosix(path, wanted);
}

}  // namespace

FileHandle OpenFile(const std::string& path, OpenMode mode) {
  int flags = _O_CREAT | _O_NOINHERIT;
  switch (mode) {
    case OpenMode::kReadWriteBinary:
      flags |= _O_RDWR | _O_TRUNC | _O_BINARY;
      break;
    case OpenMode::kWriteText:
      flags |= _O_WRONLY | _O_TRUNC | _O_TEXT;
      break;
    case OpenMode::kAppendText:
      flags |= _O_WRONLY | _O_APPEND | _O_TEXT;
      break;
    case OpenMode::kReadWriteNoLink: {
      // A link in the place of the file is removed, not followed.
      const DWORD attributes = ::GetFileAttributesA(path.c_str());
      if (attributes != INVALID_FILE_ATTRIBUTES &&
          (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
          (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        ::DeleteFileA(path.c_str());
      }
      flags |= _O_RDWR | _O_TRUNC | _O_BINARY;
      break;
    }
  }
  const FileHandle file = ::_open(path.c_str(), flags, _S_IREAD | _S_IWRITE);
  if (file < 0) TellAsPosix(path);
  return file;
}

FileHandle CreateNewFile(const std::string& path, bool text) {
  // _O_EXCL creates the file only where no name is, a link included.
  const FileHandle file = ::_open(
      path.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_NOINHERIT | (text ? _O_TEXT : _O_BINARY),
      _S_IREAD | _S_IWRITE);
  if (file < 0) TellAsPosix(path);
  return file;
}

FileHandle OpenForReading(const std::string& path) {
  const HANDLE handle = ::CreateFileA(
      path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    KeepError(path);
    return kNoFile;
  }
  const int file = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
  if (file < 0) ::CloseHandle(handle);
  return file;
}

FileHandle OpenUnnamedFile(const std::string& directory) {
  // Windows has no file without a name: a file of a name of its own that
  // the system deletes when it is closed comes closest.
  char name[MAX_PATH];
  if (::GetTempFileNameA(directory.empty() ? "." : directory.c_str(), "kin", 0, name) == 0) {
    KeepError();
    return kNoFile;
  }
  const HANDLE handle = ::CreateFileA(
      name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    KeepError();
    ::DeleteFileA(name);
    return kNoFile;
  }
  const int file = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDWR | _O_BINARY);
  if (file < 0) ::CloseHandle(handle);
  return file;
}

bool NameUnnamedFile(FileHandle, const std::string&) {
  // A file that is deleted when closed cannot be kept under another name.
  errno = ENOSYS;
  return false;
}

bool CloseFile(FileHandle file) { return ::_close(file) == 0; }

std::size_t ReadAt(FileHandle file, void* buffer, std::size_t size, long long offset) {
  const HANDLE handle = HandleOf(file);
  auto* dst = static_cast<unsigned char*>(buffer);
  std::size_t done = 0;
  while (done < size) {
    OVERLAPPED where = At(offset + static_cast<long long>(done));
    DWORD got = 0;
    const auto want = static_cast<DWORD>(std::min(size - done, kMaxTransfer));
    if (!::ReadFile(handle, dst + done, want, &got, &where)) {
      // The end of the file is no error.
      if (::GetLastError() != ERROR_HANDLE_EOF) KeepError();
      break;
    }
    if (got == 0) break;
    done += got;
  }
  return done;
}

bool WriteAt(FileHandle file, const void* bytes, std::size_t size, long long offset) {
  const HANDLE handle = HandleOf(file);
  const auto* src = static_cast<const unsigned char*>(bytes);
  std::size_t done = 0;
  while (done < size) {
    OVERLAPPED where = At(offset + static_cast<long long>(done));
    DWORD put = 0;
    const auto want = static_cast<DWORD>(std::min(size - done, kMaxTransfer));
    if (!::WriteFile(handle, src + done, want, &put, &where)) {
      KeepError();
      return false;
    }
    if (put == 0) {
      errno = ENOSPC;
      return false;
    }
    done += put;
  }
  return true;
}

bool WriteAll(FileHandle file, const void* bytes, std::size_t size) {
  const auto* src = static_cast<const unsigned char*>(bytes);
  std::size_t done = 0;
  while (done < size) {
    const auto want = static_cast<unsigned>(std::min(size - done, kMaxTransfer));
    const int put = ::_write(file, src + done, want);
    if (put == 0) errno = ENOSPC;
    if (put <= 0) return false;
    done += static_cast<std::size_t>(put);
  }
  return true;
}

bool CopyRange(FileHandle file, FileHandle source, long long offset, long long size) {
  const long long end = offset + size;
  long long at = offset;
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
  if (::CreateDirectoryA(path.c_str(), nullptr)) return true;
  KeepError(path, Wanted::kAny);
  return IsDirectoryAttribute(AttributesOf(path));
}

bool RenameOver(const std::string& from, const std::string& to) {
  // The C library's rename refuses a name that is taken.
  if (::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  KeepError(to);
  return false;
}

namespace {

bool Identify(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
  const HANDLE handle =
      ::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    KeepError(path, Wanted::kAny);
    return false;
  }
  const bool ok = ::GetFileInformationByHandle(handle, &info) != 0;
  ::CloseHandle(handle);
  return ok;
}

}  // namespace

namespace {

// 100-nanosecond steps since 1601 to nanoseconds since 1970.
long long NanosecondsOf(const FILETIME& time) {
  const unsigned long long ticks =
      (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  return (static_cast<long long>(ticks) - 116444736000000000LL) * 100;
}

FileStatus StatusFrom(DWORD attributes, const FILETIME& written, DWORD size_high, DWORD size_low,
                      unsigned long long number) {
  FileStatus status;
  status.exists = true;
  const bool link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  status.directory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  status.regular = !status.directory && !link;
  status.size =
      static_cast<long long>((static_cast<unsigned long long>(size_high) << 32) | size_low);
  status.modified_ns = NanosecondsOf(written);
  status.number = number;
  status.plainly_writable = (attributes & FILE_ATTRIBUTE_READONLY) == 0;
  return status;
}

FileStatus StatusOpening(const std::string& path, DWORD flags) {
  const HANDLE handle =
      ::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    KeepError(path, Wanted::kAny);
    return {};
  }
  BY_HANDLE_FILE_INFORMATION info;
  const bool ok = ::GetFileInformationByHandle(handle, &info) != 0;
  if (!ok) KeepError();
  ::CloseHandle(handle);
  if (!ok) return {};
  return StatusFrom(
      info.dwFileAttributes, info.ftLastWriteTime, info.nFileSizeHigh, info.nFileSizeLow,
      (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow);
}

}  // namespace

FileStatus StatusOf(const std::string& path) {
  return StatusOpening(path, FILE_FLAG_OPEN_REPARSE_POINT);
}

FileStatus StatusThrough(const std::string& path) { return StatusOpening(path, 0); }

FileStatus StatusOfOpen(FileHandle file) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!::GetFileInformationByHandle(HandleOf(file), &info)) {
    KeepError();
    return {};
  }
  return StatusFrom(
      info.dwFileAttributes, info.ftLastWriteTime, info.nFileSizeHigh, info.nFileSizeLow,
      (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow);
}

bool MayWrite(const std::string& path) {
  const DWORD attributes = AttributesOf(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    KeepError(path, Wanted::kAny);
    return false;
  }
  // A read-only directory still takes new files on Windows.
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || (attributes & FILE_ATTRIBUTE_READONLY) == 0) {
    return true;
  }
  errno = EACCES;
  return false;
}

bool RemoveFile(const std::string& path) {
  if (::DeleteFileA(path.c_str())) return true;
  KeepError(path);
  return false;
}

std::vector<std::string> DirectoryNames(const std::string& path) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA entry;
  const HANDLE search = ::FindFirstFileA((path + "\\*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name(entry.cFileName);
    if (name != "." && name != "..") names.push_back(name);
  } while (::FindNextFileA(search, &entry));
  ::FindClose(search);
  return names;
}

std::vector<DirectoryEntry> DirectoryEntries(const std::string& path) {
  std::vector<DirectoryEntry> entries;
  WIN32_FIND_DATAA entry;
  const HANDLE search = ::FindFirstFileA((path + "\\*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return entries;
  do {
    DirectoryEntry found;
    found.name = entry.cFileName;
    if (found.name == "." || found.name == "..") continue;
    const DWORD attributes = entry.dwFileAttributes;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
      found.kind = DirectoryEntry::Kind::kLink;
    } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      found.kind = DirectoryEntry::Kind::kDirectory;
    } else if ((attributes & FILE_ATTRIBUTE_DEVICE) == 0) {
      found.kind = DirectoryEntry::Kind::kFile;
    }
    entries.push_back(std::move(found));
  } while (::FindNextFileA(search, &entry));
  ::FindClose(search);
  return entries;
}

std::string CanonicalPath(const std::string& path) {
  const HANDLE handle =
      ::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    KeepError(path, Wanted::kAny);
    return {};
  }
  std::string result(MAX_PATH, '\0');
  DWORD length =
      ::GetFinalPathNameByHandleA(handle, result.data(), static_cast<DWORD>(result.size()), 0);
  if (length >= result.size()) {
    result.resize(length + 1);
    length =
        ::GetFinalPathNameByHandleA(handle, result.data(), static_cast<DWORD>(result.size()), 0);
  }
  ::CloseHandle(handle);
  if (length == 0 || length >= result.size()) return {};
  result.resize(length);
  // "\\?\C:\..." for a drive, "\\?\UNC\server\..." for a share.
  if (result.rfind("\\\\?\\UNC\\", 0) == 0) {
    result = "\\" + result.substr(7);
  } else if (result.rfind("\\\\?\\", 0) == 0) {
    result.erase(0, 4);
  }
  return result;
}

bool CopyFileTo(const std::string& from, const std::string& to) {
  // A link at to is replaced by the copy, not written through.
  const DWORD attributes = AttributesOf(to);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
      !::DeleteFileA(to.c_str())) {
    KeepError(to);
    return false;
  }
  if (::CopyFileA(from.c_str(), to.c_str(), FALSE)) return true;
  KeepError(to);
  return false;
}

bool RemoveDirectory(const std::string& path) {
  if (::RemoveDirectoryA(path.c_str())) return true;
  KeepError(path, Wanted::kAny);
  return false;
}

FileHandle TryLockFile(const std::string& path) {
  const HANDLE handle = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_ALWAYS, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    KeepError(path);
    return kNoFile;
  }
  // The system drops the lock when the handle is closed, also when the
  // process ends.
  OVERLAPPED whole{};
  if (!::LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &whole)) {
    const DWORD reason = ::GetLastError();
    ::CloseHandle(handle);
    // Another process holds the lock: told apart from a file that cannot
    // be had.
    errno = reason == ERROR_LOCK_VIOLATION ? EWOULDBLOCK : ErrorNumberOf(reason);
    return kNoFile;
  }
  const int file = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDWR | _O_BINARY);
  if (file < 0) ::CloseHandle(handle);
  return file;
}

bool SameFile(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION ia;
  BY_HANDLE_FILE_INFORMATION ib;
  return Identify(a, ia) && Identify(b, ib) && ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
         ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
}

// Every call above that fails leaves its reason in errno, the C
// library's calls by themselves and the Windows calls through KeepError.
std::error_code LastError() {
  return std::error_code(errno != 0 ? errno : EIO, std::generic_category());
}

std::string ExecutablePath() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD got = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (got == 0) return {};
    if (got < path.size()) {
      path.resize(got);
      return path;
    }
    path.resize(path.size() * 2);  // cut: try with more room
  }
}

char DirectorySeparator() { return '\\'; }

bool NamesInUtf8() { return false; }

bool LocalToday(int& year, int& month, int& day) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (::localtime_s(&local, &now) != 0) return false;
  year = local.tm_year + 1900;
  month = local.tm_mon + 1;
  day = local.tm_mday;
  return true;
}

void RunOnIdleTimeOnly() { ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_IDLE); }

void ReturnLargeBlocksWhenFreed() {
  // The Windows heap hands large blocks back to the system by itself.
}

bool StandardErrorIsTerminal() { return ::_isatty(::_fileno(stderr)) != 0; }

}  // namespace kinloom::platform
