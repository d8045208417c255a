#include "app/directory_files.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

#include "app/file_system.h"
#include "app/queued_sink.h"

namespace sb {

namespace {

// Why a stream operation failed (the C library sets errno on every platform).
std::string stream_cause() { return std::strerror(errno); }
// Why one of the file-system calls failed.
std::string cause() { return last_error_text(); }

class FileSource : public InputSource {
 public:
  FileSource(std::FILE* f, std::string path) : f_(f), path_(std::move(path)) {}
  ~FileSource() override { std::fclose(f_); }
  std::size_t read(char* buf, std::size_t n) override {
    const std::size_t k = std::fread(buf, 1, n, f_);
    if (k == 0 && std::ferror(f_)) throw FileError(path_, "cannot be read: " + stream_cause());
    return k;
  }

 private:
  std::FILE* f_;
  std::string path_;
};

class FileSink : public OutputSink {
 public:
  FileSink(std::FILE* f, std::string path) : f_(f), path_(std::move(path)) {}
  void write_at(std::uint64_t offset, const char* data, std::size_t n) override {
    if (offset != position_) seek(offset);
    if (std::fwrite(data, 1, n, f_) != n) throw FileError(path_, "cannot be written: " + stream_cause());
    position_ = offset + n;
  }

 private:
  void seek(std::uint64_t offset) {
#ifdef _WIN32
    const int failed = _fseeki64(f_, static_cast<__int64>(offset), SEEK_SET);
#else
    const int failed = fseeko(f_, static_cast<off_t>(offset), SEEK_SET);
#endif
    if (failed != 0) throw FileError(path_, "cannot be written: " + stream_cause());
  }

  std::FILE* f_;
  std::string path_;
  std::uint64_t position_ = 0;
};

// A temporary name beside `path` that no other writer uses: the process
// number and a random number. Creating it fails rather than open anything
// that stands there, so a clash only means another try.
std::string temporary_name(const std::string& path, unsigned attempt) {
  static const std::uint32_t salt = std::random_device{}();
  static std::atomic<std::uint32_t> counter{0};
  const std::uint32_t n = salt ^ (counter.fetch_add(1) * 2654435761u) ^ (attempt * 40503u);
  char suffix[40];
  std::snprintf(suffix, sizeof suffix, ".~sb%lu-%08x", current_process_id(), static_cast<unsigned>(n));
  return path + suffix;
}

std::FILE* create_temporary(const std::string& path, std::string& temporary) {
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    temporary = temporary_name(path, attempt);
    if (std::FILE* f = create_new_file(temporary)) return f;
    if (errno != EEXIST) break;
  }
  throw FileError(path, "cannot be created: " + cause());
}

// Only a regular file (or nothing) may stand where a file is written: a link
// or a directory there is refused, never followed or replaced.
void check_replaceable(const std::string& path) {
  switch (path_kind(path)) {
    case PathKind::missing:
    case PathKind::file: return;
    case PathKind::directory: throw FileError(path, "is a directory");
    case PathKind::link: throw FileError(path, "is a symbolic link; it is not replaced");
    case PathKind::other: throw FileError(path, "is not a regular file; it is not replaced");
  }
}

}  // namespace

std::unique_ptr<InputSource> open_input_path(const std::string& path) {
  if (path_kind(path) == PathKind::directory) throw FileError(path, "is a directory");
  std::FILE* f = open_for_reading(path);
  if (f == nullptr) throw FileError(path, "cannot be opened: " + cause());
  return std::make_unique<FileSource>(f, path);
}

void rename_over(const std::string& temporary, const std::string& path) {
  if (!rename_file(temporary, path)) throw FileError(path, "cannot be replaced: " + cause());
}

std::string DirectoryFiles::path_of(const std::string& name) const { return directory_ + separator_ + name; }

bool DirectoryFiles::exists(const std::string& name) {
  const PathKind kind = path_kind(path_of(name));
  return kind != PathKind::missing && kind != PathKind::directory;
}

std::unique_ptr<InputSource> DirectoryFiles::open_input(const std::string& name) {
  return open_input_path(path_of(name));
}

void DirectoryFiles::remove(const std::string& name) {
  const std::string path = path_of(name);
  if (!remove_file(path)) throw FileError(path, "cannot be deleted: " + cause());
}

void DirectoryFiles::replace(const std::string& name, const std::function<void(OutputSink&)>& fill) {
  const std::string path = path_of(name);
  check_replaceable(path);
  std::string temporary;
  std::FILE* f = create_temporary(path, temporary);
  // The writers hand over large buffers; the stream adds no copy of its own.
  std::setvbuf(f, nullptr, _IONBF, 0);
  try {
    FileSink file(f, path);
    QueuedSink sink(file);
    fill(sink);
    sink.finish();
    // No fsync: like a compiler's outputs, the files are left to the file
    // system's own care; a write that fails (full disk, size limit, vanished
    // directory) is caught here or at close, before the rename.
    if (std::fflush(f) != 0) throw FileError(path, "cannot be written: " + stream_cause());
  } catch (...) {
    std::fclose(f);
    remove_file(temporary);
    throw;
  }
  if (std::fclose(f) != 0) {
    const std::string why = stream_cause();
    remove_file(temporary);
    throw FileError(path, "cannot be written: " + why);
  }
  try {
    check_replaceable(path);  // again: something may have been put there while the file was written
    rename_over(temporary, path);
  } catch (...) {
    remove_file(temporary);
    throw;
  }
}

}  // namespace sb
