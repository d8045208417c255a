#include "fuzz_support.h"

#include <iterator>

#include "documents/description_documents.h"
#include "model/file_names.h"

namespace sb::fuzz {

const std::string& embedded_line_description() {
  static const std::string bytes = document_bytes(line_description_buffer());
  return bytes;
}

const std::string& embedded_service_description() {
  static const std::string bytes = document_bytes(service_description_buffer());
  return bytes;
}

MemoryFiles description_files(const std::string& line, const std::string& service) {
  MemoryFiles files;
  files.files[line_description_name(kRoute)] = line;
  files.files[service_description_name(kRoute, kTrain)] = service;
  return files;
}

void CountingSink::write_at(std::uint64_t offset, const char* /*data*/, std::size_t n) {
  if (n == 0) return;
  bytes_ += n;
  const std::uint64_t end = offset + n;
  auto next = spans_.upper_bound(offset);
  require(next == spans_.end() || next->first >= end, "a write overlaps one before it");
  if (next != spans_.begin()) {
    auto before = std::prev(next);
    require(before->second <= offset, "a write overlaps one before it");
    if (before->second == offset) {
      before->second = end;
      if (next != spans_.end() && next->first == end) {
        before->second = next->second;
        spans_.erase(next);
      }
      return;
    }
  }
  if (next != spans_.end() && next->first == end) {
    const std::uint64_t tail = next->second;
    spans_.erase(next);
    spans_[offset] = tail;
  } else {
    spans_[offset] = end;
  }
}

bool CountingSink::whole() const {
  return bytes_ == 0 || (spans_.size() == 1 && spans_.begin()->first == 0 && spans_.begin()->second == bytes_);
}

std::unique_ptr<InputSource> OutputFiles::open_input(const std::string& name) {
  throw FileError(name, "the compile reads no compiled file");
}

void OutputFiles::remove(const std::string& name) { throw FileError(name, "the compile deletes no compiled file"); }

void OutputFiles::replace(const std::string& name, const std::function<void(OutputSink&)>& fill) {
  if (name != counted_name) {
    MemoryFiles one;
    one.replace(name, fill);
    kept[name] = std::move(one.files[name]);
    return;
  }
  CountingSink sink;
  filled = fill_if();
  if (filled) fill(sink);
  require(sink.whole(), "the file's writes leave a gap or overlap");
  counted[name] = sink.bytes();
}

void check_after_reading(const ScenarioModel& model, const MemoryFiles& files) {
  require(model.ErrorCode >= 0, "ErrorCode negative after reading");
  require(files.files.count(line_description_name(kRoute)) == 0, "line description left on disk");
  if (model.track_allocated()) {
    require(model.track_upper() == track_upper_index(model.ExtendedLength), "track size differs from the route");
  }
}

}  // namespace sb::fuzz
