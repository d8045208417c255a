// Replays inputs through a fuzz target without libFuzzer, for builds that
// measure coverage: each argument is a file or a directory of files, and
// every file is handed to the target once, in name order. A broken
// invariant aborts as it would under the fuzzer.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace fs = std::filesystem;

namespace {

void collect(const fs::path& arg, std::vector<fs::path>& files) {
  if (fs::is_directory(arg)) {
    std::vector<fs::path> inside;
    for (const auto& entry : fs::recursive_directory_iterator(arg)) {
      if (entry.is_regular_file()) inside.push_back(entry.path());
    }
    std::sort(inside.begin(), inside.end());
    files.insert(files.end(), inside.begin(), inside.end());
  } else {
    files.push_back(arg);
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<fs::path> files;
  for (int i = 1; i < argc; ++i) collect(argv[i], files);
  for (const fs::path& file : files) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "%s: cannot be read\n", file.string().c_str());
      return 2;
    }
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  }
  std::printf("%zu inputs replayed\n", files.size());
  return 0;
}
