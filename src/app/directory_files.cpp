#include "app/directory_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

#include "app/queued_sink.h"
#include "app/utf8_paths.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace sb {

namespace {

std::string cause() { return std::strerror(errno); }

class FileSource : public InputSource {
 public:
  FileSource(std::FILE* f, std::string path) : f_(f), path_(std::move(path)) {}
  ~FileSource() override { std::fclose(f_); }
  std::size_t read(char* buf, std::size_t n) override {
    const std::size_t k = std::fread(buf, 1, n, f_);
    if (k == 0 && std::ferror(f_)) throw FileError(path_, "cannot be read: " + cause());
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
    if (std::fwrite(data, 1, n, f_) != n) throw FileError(path_, "cannot be written: " + cause());
    position_ = offset + n;
  }

 private:
  void seek(std::uint64_t offset) {
#ifdef _WIN32
    const int failed = _fseeki64(f_, static_cast<__int64>(offset), SEEK_SET);
#else
    const int failed = fseeko(f_, static_cast<off_t>(offset), SEEK_SET);
#endif
    if (failed != 0) throw FileError(path_, "cannot be written: " + cause());
  }

  std::FILE* f_;
  std::string path_;
  std::uint64_t position_ = 0;
};

}  // namespace

std::unique_ptr<InputSource> open_input_path(const std::string& path) {
  if (path_kind(path) == PathKind::directory) throw FileError(path, "is a directory");
  std::FILE* f = open_file_utf8(path, "rb");
  if (f == nullptr) throw FileError(path, "cannot be opened: " + cause());
  return std::make_unique<FileSource>(f, path);
}

void rename_over(const std::string& temporary, const std::string& path) {
#ifdef _WIN32
  if (!MoveFileExW(widen(temporary).c_str(), widen(path).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    throw FileError(path, "cannot be replaced (Windows error " + std::to_string(GetLastError()) + ")");
  }
#else
  if (std::rename(temporary.c_str(), path.c_str()) != 0) throw FileError(path, "cannot be replaced: " + cause());
#endif
}

std::string DirectoryFiles::path_of(const std::string& name) const { return directory_ + separator_ + name; }

bool DirectoryFiles::exists(const std::string& name) {
  return path_kind(path_of(name)) == PathKind::other;
}

std::unique_ptr<InputSource> DirectoryFiles::open_input(const std::string& name) {
  return open_input_path(path_of(name));
}

void DirectoryFiles::remove(const std::string& name) {
  const std::string path = path_of(name);
  if (remove_file_utf8(path) != 0) throw FileError(path, "cannot be deleted: " + cause());
}

void DirectoryFiles::replace(const std::string& name, const std::function<void(OutputSink&)>& fill) {
  const std::string path = path_of(name);
  if (path_kind(path) == PathKind::directory) throw FileError(path, "is a directory");
  const std::string temporary = path + ".~sb";
  std::FILE* f = open_file_utf8(temporary, "wb");
  if (f == nullptr) throw FileError(path, "cannot be created: " + cause());
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
    if (std::fflush(f) != 0) throw FileError(path, "cannot be written: " + cause());
  } catch (...) {
    std::fclose(f);
    remove_file_utf8(temporary);
    throw;
  }
  if (std::fclose(f) != 0) {
    const std::string why = cause();
    remove_file_utf8(temporary);
    throw FileError(path, "cannot be written: " + why);
  }
  try {
    rename_over(temporary, path);
  } catch (...) {
    remove_file_utf8(temporary);
    throw;
  }
}

}  // namespace sb
