// A fresh directory under the system's temporary directory, removed with
// everything in it when the test ends.
#pragma once

#include <filesystem>
#include <string>

namespace sb::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string str() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

std::string read_file(const std::filesystem::path& path);
void write_file(const std::filesystem::path& path, const std::string& bytes);

// Runs a shell command line; returns its exit status (or -1).
int run_command(const std::string& command_line);

}  // namespace sb::testing
