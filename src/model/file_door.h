// Every file the core reads, deletes or replaces goes through this door.
// The start-up run opens it on the program directory; `compile` maps the
// author's files onto the description names and never deletes them; tests
// use files held in memory.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace sb {

// A file that could not be opened, read, created, written or deleted.
class FileError : public std::runtime_error {
 public:
  FileError(std::string path, const std::string& cause)
      : std::runtime_error(path + ": " + cause), path_(std::move(path)) {}
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

class InputSource {
 public:
  virtual ~InputSource() = default;
  // Up to n bytes into buf; 0 only at the end of the file.
  virtual std::size_t read(char* buf, std::size_t n) = 0;
};

class OutputSink {
 public:
  virtual ~OutputSink() = default;
  virtual void write(const char* data, std::size_t n) = 0;
};

class FileDoor {
 public:
  virtual ~FileDoor() = default;
  virtual bool exists(const std::string& name) = 0;
  virtual std::unique_ptr<InputSource> open_input(const std::string& name) = 0;
  virtual void remove(const std::string& name) = 0;
  // Replaces the file whole: the writer fills a sink, and only a complete
  // file takes the name's place. On failure the earlier file is intact.
  virtual void replace(const std::string& name, const std::function<void(OutputSink&)>& fill) = 0;
  // The path shown to people for a name.
  virtual std::string path_of(const std::string& name) const = 0;
};

}  // namespace sb
