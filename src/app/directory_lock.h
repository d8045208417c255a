// Runs that write into one directory take turns: each holds an advisory
// lock on a file of the program's own name in that directory while it
// writes and reads its files there. The lock goes with the process if it
// dies; the lock file is removed by the run that releases it.
#pragma once

#include <chrono>
#include <string>

#include "model/file_door.h"

namespace sb {

constexpr const char* kLockFileName = "scenario-builder.lock";

// The lock could not be had in time, or not at all: a failure of the
// directory, reported like any other file failure.
class LockError : public FileError {
 public:
  using FileError::FileError;
};

class DirectoryLock {
 public:
  // Waits up to `patience` for the lock on `directory` (joined to the lock
  // file's name with `separator`); throws LockError naming the process that
  // holds it when the wait runs out.
  DirectoryLock(const std::string& directory, char separator,
                std::chrono::milliseconds patience = std::chrono::seconds(5));
  ~DirectoryLock();
  DirectoryLock(const DirectoryLock&) = delete;
  DirectoryLock& operator=(const DirectoryLock&) = delete;

  const std::string& path() const { return path_; }

 private:
  bool try_take();  // true when held; false when another run holds it
  void release();

  std::string path_;
#ifdef _WIN32
  void* handle_ = nullptr;
#else
  int fd_ = -1;
#endif
};

}  // namespace sb
