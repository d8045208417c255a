// Baseline for the benchmark: writes the bytes of files into a directory with
// one write() call per file. The bytes come from a mapping of the source that
// is populated in bulk, so the figure is the cost of the write itself rather
// than of faulting in a buffer page by page.
//
//   write_once [--fsync] DESTDIR FILE...
//
// With --fsync each file is flushed to the disk before it is closed, as the
// program does with every file it replaces.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

bool copy_one(const std::string& from, const std::string& to, bool sync) {
  const int in = ::open(from.c_str(), O_RDONLY);
  if (in < 0) return false;
  struct stat st {};
  if (::fstat(in, &st) != 0) return false;
  const auto size = static_cast<std::size_t>(st.st_size);
  void* bytes = size == 0 ? nullptr : ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, in, 0);
  ::close(in);
  if (bytes == MAP_FAILED) return false;
  const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (out < 0) return false;
  const bool whole =
      (size == 0 || ::write(out, bytes, size) == static_cast<ssize_t>(size)) && (!sync || ::fsync(out) == 0);
  if (bytes != nullptr) ::munmap(bytes, size);
  return ::close(out) == 0 && whole;
}

}  // namespace

int main(int argc, char** argv) {
  int first = 1;
  const bool sync = argc > 1 && std::string(argv[1]) == "--fsync";
  if (sync) ++first;
  if (argc < first + 2) {
    std::fprintf(stderr, "usage: write_once [--fsync] DESTDIR FILE...\n");
    return 2;
  }
  const std::string dest = argv[first];
  for (int i = first + 1; i < argc; ++i) {
    const std::string from = argv[i];
    const std::string to = dest + "/" + from.substr(from.find_last_of('/') + 1);
    if (!copy_one(from, to, sync)) {
      std::perror(from.c_str());
      return 1;
    }
  }
  return 0;
}
