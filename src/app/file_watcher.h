// Change notification for the files `watch` follows, through the system's
// own notification (inotify on Linux, ReadDirectoryChangesW on Windows). The
// directories are watched rather than the files, so every way an editor
// saves is seen: writing in place, renaming a new file over the old one,
// deleting and creating again.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "model/file_door.h"

namespace sb {

class FileWatcher {
 public:
  enum class Wake { changed, timeout, stop };

  virtual ~FileWatcher() = default;
  // Waits up to `timeout` for a change to one of the watched files, or for
  // a request to stop (Ctrl-C, SIGTERM, the console closing). Events about
  // other files in the same directories are read and passed over.
  virtual Wake wait(std::chrono::milliseconds timeout) = 0;
};

// Watches `files` (paths); throws FileError when a directory cannot be watched.
std::unique_ptr<FileWatcher> watch_files(const std::vector<std::string>& files);

// From now on Ctrl-C, SIGTERM (and the console's close event on Windows) do
// not end the process but wake FileWatcher::wait with Wake::stop, so a
// compile under way finishes its files first.
void install_stop_handlers();
bool stop_requested();

}  // namespace sb
