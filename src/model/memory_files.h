// A file door over files held in memory, for tests and fuzzing.
#pragma once

#include <map>
#include <string>

#include "model/file_door.h"

namespace sb {

class MemoryFiles : public FileDoor {
 public:
  std::map<std::string, std::string> files;
  bool exists(const std::string& name) override;
  std::unique_ptr<InputSource> open_input(const std::string& name) override;
  void remove(const std::string& name) override;
  void replace(const std::string& name, const std::function<void(OutputSink&)>& fill) override;
  std::string path_of(const std::string& name) const override { return name; }
};

// An input source over bytes it holds. A nonzero `block` hands out at most
// that many bytes per read, so tests can split fields across reads.
class StringSource : public InputSource {
 public:
  explicit StringSource(std::string bytes, std::size_t block = 0) : bytes_(std::move(bytes)), block_(block) {}
  std::size_t read(char* buf, std::size_t n) override;

 private:
  std::string bytes_;
  std::size_t block_;
  std::size_t pos_ = 0;
};

}  // namespace sb
