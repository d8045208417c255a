// The file door over one directory of the real file system. A file is
// replaced by writing a temporary file beside it and renaming it over the
// old one, so a failed write never leaves a truncated file behind.
#pragma once

#include <string>

#include "model/file_door.h"

namespace sb {

class DirectoryFiles : public FileDoor {
 public:
  DirectoryFiles(std::string directory, char separator) : directory_(std::move(directory)), separator_(separator) {}
  bool exists(const std::string& name) override;
  std::unique_ptr<InputSource> open_input(const std::string& name) override;
  void remove(const std::string& name) override;
  void replace(const std::string& name, const std::function<void(OutputSink&)>& fill) override;
  std::string path_of(const std::string& name) const override;

 private:
  std::string directory_;
  char separator_;
};

// Opens any path for reading (the author's files given to `compile`).
std::unique_ptr<InputSource> open_input_path(const std::string& path);

// Replaces `path` atomically with `temporary` (same directory).
void rename_over(const std::string& temporary, const std::string& path);

}  // namespace sb
