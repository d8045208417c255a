#include "app/directory_lock.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>

#include "app/file_system.h"
#include "app/utf8_paths.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace sb {

namespace {

std::string pid_text() { return std::to_string(current_process_id()) + "\n"; }

// The holder writes its process number into the lock file once it has the
// lock; a waiter reads it to say who is in the way.
std::string holder_of(const std::string& path) {
  std::FILE* f = open_for_reading(path);
  if (f == nullptr) return {};
  char buf[32] = {};
  const std::size_t n = std::fread(buf, 1, sizeof buf - 1, f);
  std::fclose(f);
  std::string text(buf, n);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text.find_first_not_of("0123456789") == std::string::npos ? text : std::string();
}

}  // namespace

DirectoryLock::DirectoryLock(const std::string& directory, char separator, std::chrono::milliseconds patience)
    : path_(directory + separator + kLockFileName) {
  const auto deadline = std::chrono::steady_clock::now() + patience;
  auto pause = std::chrono::milliseconds(2);
  while (!try_take()) {
    if (std::chrono::steady_clock::now() >= deadline) {
      const std::string holder = holder_of(path_);
      const auto seconds = std::chrono::duration_cast<std::chrono::duration<double>>(patience).count();
      char waited[32];
      std::snprintf(waited, sizeof waited, "%g s", seconds);
      throw LockError(directory, "another run (" + (holder.empty() ? "a process" : "process " + holder) +
                                     ") is writing into this directory and holds " + kLockFileName +
                                     "; gave up after " + waited);
    }
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::milliseconds(50));
  }
}

DirectoryLock::~DirectoryLock() { release(); }

#ifdef _WIN32

bool DirectoryLock::try_take() {
  // Delete-on-close takes the file away with the last handle, also when the
  // process dies. A file whose deletion is pending can still be locked by a
  // waiter that opened it earlier: that lock is worthless, so it is dropped.
  const HANDLE h =
      CreateFileW(widen(path_).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                  FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    if (code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION) return false;  // being deleted
    throw LockError(path_, "cannot be created (Windows error " + std::to_string(code) + ")");
  }
  BY_HANDLE_FILE_INFORMATION about{};
  if (GetFileInformationByHandle(h, &about) && (about.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    CloseHandle(h);
    throw LockError(path_, "is a link; no lock is taken through it");
  }
  // The locked byte lies far past the end, so the process number at the
  // start stays readable to waiters.
  OVERLAPPED where{};
  where.OffsetHigh = 0x40000000;
  if (!LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &where)) {
    CloseHandle(h);
    return false;
  }
  FILE_STANDARD_INFO standard{};
  if (GetFileInformationByHandleEx(h, FileStandardInfo, &standard, sizeof standard) && standard.DeletePending) {
    CloseHandle(h);
    return false;
  }
  const std::string pid = pid_text();
  DWORD written = 0;
  SetFilePointer(h, 0, nullptr, FILE_BEGIN);
  SetEndOfFile(h);
  WriteFile(h, pid.data(), static_cast<DWORD>(pid.size()), &written, nullptr);
  handle_ = h;
  return true;
}

void DirectoryLock::release() {
  if (handle_ != nullptr) CloseHandle(static_cast<HANDLE>(handle_));
  handle_ = nullptr;
}

#else

bool DirectoryLock::try_take() {
  const int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) {
    if (errno == ELOOP) throw LockError(path_, "is a symbolic link; no lock is taken through it");
    if (errno == ENOENT) return false;  // the directory is there, so the holder just removed the file
    throw LockError(path_, std::string("cannot be created: ") + std::strerror(errno));
  }
  struct stat held {};
  if (::fstat(fd, &held) != 0 || !S_ISREG(held.st_mode)) {
    ::close(fd);
    throw LockError(path_, "is not a regular file; no lock is taken through it");
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    if (errno == EWOULDBLOCK || errno == EINTR) return false;
    throw LockError(path_, std::string("cannot be locked: ") + std::strerror(errno));
  }
  // The holder before us removes the file before it lets go: if the name no
  // longer leads to the file we locked, the lock guards nothing.
  struct stat named {};
  if (::lstat(path_.c_str(), &named) != 0 || named.st_dev != held.st_dev || named.st_ino != held.st_ino) {
    ::close(fd);
    return false;
  }
  const std::string pid = pid_text();
  if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, pid.data(), pid.size(), 0) < 0) {
    // Who holds the lock is only told to waiters; the lock itself stands.
  }
  fd_ = fd;
  return true;
}

void DirectoryLock::release() {
  if (fd_ < 0) return;
  ::unlink(path_.c_str());  // while still locked, so no waiter keeps a lock on a removed file
  ::close(fd_);
  fd_ = -1;
}

#endif

}  // namespace sb
