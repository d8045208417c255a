#include "model/memory_files.h"

#include <algorithm>
#include <cstring>

namespace sb {

namespace {
class StringSinkImpl : public OutputSink {
 public:
  explicit StringSinkImpl(std::string& out) : out_(out) {}
  // A buffer of the announced size, so a large file is not copied as it grows.
  void size_hint(std::uint64_t bytes) override { out_.reserve(static_cast<std::size_t>(bytes)); }
  void write_at(std::uint64_t offset, const char* data, std::size_t n) override {
    const auto at = static_cast<std::size_t>(offset);
    // Most writes extend the file: appended, they are not zeroed first.
    if (at == out_.size()) {
      out_.append(data, n);
      return;
    }
    if (out_.size() < at + n) out_.resize(at + n);
    std::memcpy(out_.data() + at, data, n);
  }

 private:
  std::string& out_;
};
}  // namespace

std::size_t StringSource::read(char* buf, std::size_t n) {
  std::size_t k = std::min(n, bytes_.size() - pos_);
  if (block_ != 0) k = std::min(k, block_);
  std::memcpy(buf, bytes_.data() + pos_, k);
  pos_ += k;
  return k;
}

bool MemoryFiles::exists(const std::string& name) { return files.count(name) != 0; }

std::unique_ptr<InputSource> MemoryFiles::open_input(const std::string& name) {
  auto it = files.find(name);
  if (it == files.end()) throw FileError(name, "no such file");
  return std::make_unique<StringSource>(it->second);
}

void MemoryFiles::remove(const std::string& name) {
  if (files.erase(name) == 0) throw FileError(name, "no such file");
}

void MemoryFiles::replace(const std::string& name, const std::function<void(OutputSink&)>& fill) {
  std::string bytes;
  StringSinkImpl sink(bytes);
  fill(sink);
  files[name] = std::move(bytes);
}

}  // namespace sb
