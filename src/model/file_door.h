// Every file the core reads, deletes or replaces goes through this door.
// The start-up run opens it on the program directory; `compile` maps the
// author's files onto the description names and never deletes them; tests
// use files held in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

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
  // Writes n bytes at a byte offset of the file. A file is written front to
  // back, or in a few parts that are each written front to back (the x and y
  // parts of the profile file); a part may begin before the one before it is
  // complete.
  virtual void write_at(std::uint64_t offset, const char* data, std::size_t n) = 0;
  // Takes the first n bytes of a full buffer, to be written at `offset`, and
  // returns a buffer to fill next. A sink may keep the buffer and write it
  // later, in order with everything else; this one writes it at once and
  // gives it back.
  virtual std::vector<char> hand_over(std::uint64_t offset, std::vector<char> full, std::size_t n) {
    write_at(offset, full.data(), n);
    return full;
  }
  // The size the file will have, told before the first byte where the
  // writer knows it; a sink may choose how to write by it.
  virtual void size_hint(std::uint64_t /*bytes*/) {}
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
