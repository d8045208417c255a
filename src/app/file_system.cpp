#include "app/file_system.h"

#include "app/utf8_paths.h"

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace sb {

namespace {

// The cause of the calling thread's last failure, kept as text because on
// Windows it comes from GetLastError rather than errno.
thread_local std::string last_error;

#ifdef _WIN32

int errno_of(DWORD code) {
  switch (code) {
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return EEXIST;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION: return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    default: return EIO;
  }
}

void note_windows_error() {
  const DWORD code = GetLastError();
  errno = errno_of(code);
  last_error = std::strerror(errno) + std::string(" (Windows error ") + std::to_string(code) + ")";
}

// A Windows handle as a C stream, so reading and writing are the same code
// on both platforms.
std::FILE* stream_of(HANDLE h, int flags, const char* mode) {
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), flags);
  if (fd == -1) {
    CloseHandle(h);
    last_error = std::strerror(errno);
    return nullptr;
  }
  std::FILE* f = _fdopen(fd, mode);
  if (f == nullptr) {
    last_error = std::strerror(errno);
    _close(fd);
  }
  return f;
}

#else

void note_errno() { last_error = std::strerror(errno); }

#endif

}  // namespace

#ifdef _WIN32

PathKind path_kind(const std::string& path) {
  const DWORD a = GetFileAttributesW(widen(path).c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return PathKind::missing;
  if (a & FILE_ATTRIBUTE_REPARSE_POINT) return PathKind::link;
  if (a & FILE_ATTRIBUTE_DIRECTORY) return PathKind::directory;
  return PathKind::file;
}

PathKind target_kind(const std::string& path) {
  struct _stat64 st {};
  if (_wstat64(widen(path).c_str(), &st) != 0) return PathKind::missing;
  return (st.st_mode & _S_IFMT) == _S_IFDIR ? PathKind::directory : PathKind::file;
}

std::FILE* open_for_reading(const std::string& path) {
  const HANDLE h =
      CreateFileW(widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    note_windows_error();
    return nullptr;
  }
  return stream_of(h, _O_RDONLY | _O_BINARY, "rb");
}

std::FILE* create_new_file(const std::string& path) {
  // CREATE_NEW fails on any name that exists, a link (even a dangling one)
  // included, so nothing is ever opened through a name planted beforehand.
  const HANDLE h = CreateFileW(widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    note_windows_error();
    return nullptr;
  }
  return stream_of(h, _O_WRONLY | _O_BINARY, "wb");
}

bool rename_file(const std::string& from, const std::string& to) {
  if (MoveFileExW(widen(from).c_str(), widen(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  note_windows_error();
  return false;
}

bool remove_file(const std::string& path) {
  if (DeleteFileW(widen(path).c_str())) return true;
  note_windows_error();
  return false;
}

unsigned long current_process_id() { return GetCurrentProcessId(); }

#else

PathKind path_kind(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return PathKind::missing;
  if (S_ISLNK(st.st_mode)) return PathKind::link;
  if (S_ISDIR(st.st_mode)) return PathKind::directory;
  if (S_ISREG(st.st_mode)) return PathKind::file;
  return PathKind::other;
}

PathKind target_kind(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return PathKind::missing;
  if (S_ISDIR(st.st_mode)) return PathKind::directory;
  return S_ISREG(st.st_mode) ? PathKind::file : PathKind::other;
}

std::FILE* open_for_reading(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) note_errno();
  return f;
}

std::FILE* create_new_file(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) {
    note_errno();
    return nullptr;
  }
  std::FILE* f = ::fdopen(fd, "wb");
  if (f == nullptr) {
    note_errno();
    ::close(fd);
  }
  return f;
}

namespace {

// Swaps `from` with the regular file at `to` in one step, then deletes the
// old file, now at `from`. Readers see the old file or the new one, as with
// a rename; but ext4 treats a rename over an existing file as a program that
// never syncs and allocates and starts writing the new file's blocks at once,
// which made replacing compiled files half again as slow as writing new ones.
// A swap leaves the write-out to the file system's usual time. False, with
// nothing changed, when no swap was made (nothing at `to`, a file system
// without swaps, or not a regular file at `to` after all).
bool exchange_over(const std::string& from, const std::string& to) {
#ifdef RENAME_EXCHANGE
  if (path_kind(to) != PathKind::file) return false;
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_EXCHANGE) != 0) return false;
  // Something other than a file may have been put at `to` since it was
  // looked at, or the old file may not be ours to delete: swap back, and let
  // the plain rename refuse it.
  if (path_kind(from) == PathKind::file && ::unlink(from.c_str()) == 0) return true;
  ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_EXCHANGE);
  return false;
#else
  (void)from;
  (void)to;
  return false;
#endif
}

}  // namespace

bool rename_file(const std::string& from, const std::string& to) {
  if (exchange_over(from, to)) return true;
  if (std::rename(from.c_str(), to.c_str()) == 0) return true;
  note_errno();
  return false;
}

bool remove_file(const std::string& path) {
  if (::unlink(path.c_str()) == 0) return true;
  note_errno();
  return false;
}

unsigned long current_process_id() { return static_cast<unsigned long>(::getpid()); }

#endif

std::string last_error_text() { return last_error.empty() ? std::string(std::strerror(errno)) : last_error; }

}  // namespace sb
