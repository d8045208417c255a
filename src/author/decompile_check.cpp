#include "author/decompile_check.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <set>

#include "compile/track_completion.h"
#include "decode/compiled_reader.h"
#include "model/file_names.h"
#include "model/memory_files.h"
#include "model/spare_buffer.h"

namespace sb {

namespace {

std::string num(std::int64_t v) { return std::to_string(v); }

class DifferenceList {
 public:
  explicit DifferenceList(RoundTrip& r) : r_(r) {}
  void add(const std::string& file, const std::string& where, const std::string& field, const std::string& a,
           const std::string& b) {
    ++r_.total_differences;
    if (r_.differences.size() < kMaxListedDifferences) r_.differences.push_back({file, where, field, a, b});
  }
  // `where` is a text, or what makes it when a difference needs it.
  template <typename Where, typename T>
  void compare(const std::string& file, const Where& where, const char* field, const T& a, const T& b) {
    if (!(a == b)) add(file, place(where), field, value_text(a), value_text(b));
  }

 private:
  static const std::string& place(const std::string& where) { return where; }
  template <typename Make>
  static std::string place(const Make& make) {
    return make();
  }
  static std::string value_text(const std::string& s) { return "\"" + s + "\""; }
  template <typename T>
  static std::string value_text(const T& v) {
    return num(static_cast<std::int64_t>(v));
  }
  RoundTrip& r_;
};

void compare_header(const std::string& name, const std::string& a, const std::string& b, DifferenceList& out) {
  std::vector<Finding> ignored;
  const DecodedHeader ha = decode_header(a, name, ignored);
  const DecodedHeader hb = decode_header(b, name, ignored);
  for (int k = 0; k < kHeaderEntries; ++k) {
    const StationEntry& x = ha.entries[static_cast<std::size_t>(k)];
    const StationEntry& y = hb.entries[static_cast<std::size_t>(k)];
    const std::string where = "record " + num(k);
    out.compare(name, where, "kind", x.kind, y.kind);
    out.compare(name, where, "areaStart", x.areaStart, y.areaStart);
    out.compare(name, where, "areaEnd", x.areaEnd, y.areaEnd);
    out.compare(name, where, "position", x.position, y.position);
    out.compare(name, where, "flag1", x.flag1, y.flag1);
    out.compare(name, where, "name", x.name, y.name);
    out.compare(name, where, "set1a", x.set1a, y.set1a);
    out.compare(name, where, "set1b", x.set1b, y.set1b);
    out.compare(name, where, "set2a", x.set2a, y.set2a);
    out.compare(name, where, "set2b", x.set2b, y.set2b);
    out.compare(name, where, "set2c", x.set2c, y.set2c);
    out.compare(name, where, "set1c", x.set1c, y.set1c);
    out.compare(name, where, "extra", x.extra, y.extra);
    out.compare(name, where, "flag3", x.flag3, y.flag3);
    out.compare(name, where, "flag2", x.flag2, y.flag2);
    out.compare(name, where, "timeOfDay", x.timeOfDay, y.timeOfDay);
  }
  if (ha.records != hb.records || a.size() != b.size()) {
    out.add(name, "file", "size", num(static_cast<std::int64_t>(a.size())), num(static_cast<std::int64_t>(b.size())));
  }
}

void compare_track(const std::string& name, const std::string& a, const std::string& b, DifferenceList& out) {
  std::vector<Finding> ignored;
  const auto ca = decode_track(a, name, ignored);
  const auto cb = decode_track(b, name, ignored);
  if (ca.size() != cb.size()) {
    out.add(name, "file", "cells", num(static_cast<std::int64_t>(ca.size())),
            num(static_cast<std::int64_t>(cb.size())));
  }
  for (std::size_t i = 0; i < std::min(ca.size(), cb.size()); ++i) {
    const TrackCell& x = ca[i];
    const TrackCell& y = cb[i];
    // Named only when a field differs: most cells are the same.
    const auto where = [i] { return "cell " + num(static_cast<std::int64_t>(i)); };
    out.compare(name, where, "kind", x.kind, y.kind);
    out.compare(name, where, "value1", x.value1, y.value1);
    out.compare(name, where, "value2", x.value2, y.value2);
    out.compare(name, where, "value3", x.value3, y.value3);
    out.compare(name, where, "value4", x.value4, y.value4);
    out.compare(name, where, "signalTime", x.signalTime, y.signalTime);
    out.compare(name, where, "approach", x.approach, y.approach);
    out.compare(name, where, "scenery", x.scenery, y.scenery);
    out.compare(name, where, "speedLimit", x.speedLimit, y.speedLimit);
    out.compare(name, where, "gradient", x.gradient, y.gradient);
    out.compare(name, where, "adhesion", x.adhesion, y.adhesion);
  }
}

std::string point_text(ValueTag tag, double v) {
  if (tag == ValueTag::Empty) return "empty";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  return buf;
}

// Metres whose tag or bits differ; consecutive ones are one difference.
// Both files are read side by side in the order they hold their values.
void compare_profile(const std::string& name, std::string_view a, std::string_view b, std::int32_t extended,
                     DifferenceList& out) {
  ProfileValues va(a), vb(b);
  for (int c = 0; c < 2; ++c) {
    const char* field = c == 0 ? "x" : "y";
    std::int32_t first = -1;
    TaggedValue first_a, first_b;
    auto flush = [&](std::int32_t m) {
      if (first < 0) return;
      const std::string where = m - 1 > first ? "metres " + num(first) + " .. " + num(m - 1) : "metre " + num(first);
      out.add(name, where, field, point_text(first_a.tag, first_a.value), point_text(first_b.tag, first_b.value));
      first = -1;
    };
    for (std::int32_t m = 0; m <= extended; ++m) {
      const TaggedValue x = va.next();
      const TaggedValue y = vb.next();
      const bool differs =
          x.tag != y.tag || std::bit_cast<std::uint64_t>(x.value) != std::bit_cast<std::uint64_t>(y.value);
      if (differs && first < 0) {
        first = m;
        first_a = x;
        first_b = y;
      }
      if (!differs) flush(m);
    }
    flush(extended + 1);
  }
  if (a.size() != b.size()) {
    out.add(name, "file", "size", num(static_cast<std::int64_t>(a.size())), num(static_cast<std::int64_t>(b.size())));
  }
}

// Reads a stream to its end.
std::string read_whole(ByteStream& in) {
  std::string bytes;
  unsigned char buf[1 << 16];
  for (std::size_t k; (k = in.read_up_to(buf, sizeof buf)) != 0;) bytes.append(reinterpret_cast<char*>(buf), k);
  return bytes;
}

// Compares what is written with an original read in order: a file is
// written front to back in one or two parts (the profile's x and y), each
// compared against a stream of its own, opened at the part's first offset.
class StreamComparison {
 public:
  explicit StreamComparison(const std::function<std::unique_ptr<ByteStream>()>& open) : open_(open) {}
  // False from the first write that differs from the original on.
  bool write(std::uint64_t offset, const char* data, std::size_t n) {
    if (!same_) return false;
    Part* part = nullptr;
    for (Part& p : parts_) {
      if (p.at == offset) part = &p;
    }
    if (part == nullptr) {
      parts_.push_back({open_(), 0});
      part = &parts_.back();
      if (!skip(*part, offset)) return same_ = false;
    }
    unsigned char buf[1 << 14];
    while (n > 0 && same_) {
      const std::size_t k = std::min(n, sizeof buf);
      same_ = part->in->take(buf, k) && std::memcmp(buf, data, k) == 0;
      data += k;
      n -= k;
      part->at += k;
    }
    return same_;
  }
  // Every write matched, and the original ends where the file written ends.
  bool same(std::uint64_t size) {
    if (!same_) return false;
    for (Part& p : parts_) {
      if (p.at == size) return p.in->at_end();
    }
    Part whole{open_(), 0};
    return skip(whole, size) && whole.in->at_end();
  }

 private:
  struct Part {
    std::unique_ptr<ByteStream> in;
    std::uint64_t at;
  };
  static bool skip(Part& p, std::uint64_t to) {
    unsigned char buf[1 << 14];
    while (p.at < to) {
      const auto k = static_cast<std::size_t>(std::min<std::uint64_t>(sizeof buf, to - p.at));
      if (!p.in->take(buf, k)) return false;
      p.at += k;
    }
    return true;
  }
  const std::function<std::unique_ptr<ByteStream>()>& open_;
  std::vector<Part> parts_;
  bool same_ = true;
};

// The memory of the files kept by one proof, for the next: a differing
// profile is kept whole, some hundred kilobytes.
SpareBuffer<std::string>& spare_file() {
  // Never destroyed: a proof may end after static destruction began.
  static auto* spare = new SpareBuffer<std::string>;
  return *spare;
}

// The original of a compiled file: bytes in memory, or a file read through
// a small buffer as often as needed.
class Original {
 public:
  explicit Original(const std::string& bytes)
      : bytes_(&bytes), open_([&bytes] { return std::unique_ptr<ByteStream>(std::make_unique<ViewStream>(bytes)); }) {}
  explicit Original(std::function<std::unique_ptr<ByteStream>()> open) : open_(std::move(open)) {}
  const std::function<std::unique_ptr<ByteStream>()>& opener() const { return open_; }
  // The whole original, into `to`'s memory.
  void copy_into(std::string& to) const {
    if (bytes_ != nullptr) {
      to.assign(*bytes_);
    } else {
      to = read_whole(*open_());
    }
  }

 private:
  const std::string* bytes_ = nullptr;
  std::function<std::unique_ptr<ByteStream>()> open_;
};

// The sink of one compiled file: compared with the original while it is
// written; from the first difference on, the file is kept whole instead.
// Everything written before that matched, so the original is its start.
class ComparingSink : public OutputSink {
 public:
  explicit ComparingSink(const Original& original) : original_(original), comparison_(original.opener()) {}
  void write_at(std::uint64_t offset, const char* data, std::size_t n) override {
    size_ = std::max<std::uint64_t>(size_, offset + n);
    if (!kept_ && comparison_.write(offset, data, n)) return;
    if (!kept_) keep_original();
    const auto at = static_cast<std::size_t>(offset);
    if (kept_->size() < at + n) kept_->resize(at + n);
    std::memcpy(kept_->data() + at, data, n);
  }
  // The file written, when it differs from the original.
  std::optional<std::string> finish() {
    if (!kept_ && comparison_.same(size_)) return std::nullopt;
    if (!kept_) keep_original();
    kept_->resize(static_cast<std::size_t>(size_));
    return std::move(kept_);
  }

 private:
  void keep_original() {
    kept_ = spare_file().take();
    original_.copy_into(*kept_);
  }

  const Original& original_;
  StreamComparison comparison_;
  std::optional<std::string> kept_;
  std::uint64_t size_ = 0;
};

// A door that compares what the compile writes with the original files,
// keeping only the files that differ.
class ComparingFiles : public FileDoor {
 public:
  explicit ComparingFiles(std::map<std::string, Original> originals) : originals_(std::move(originals)) {}
  ComparingFiles(const ComparingFiles&) = delete;
  ComparingFiles& operator=(const ComparingFiles&) = delete;
  ~ComparingFiles() override {
    for (auto& [name, bytes] : differing_) spare_file().keep(std::move(bytes));
  }
  // The files written that differ from their originals. An original the
  // compile did not write differs as an empty file.
  const std::map<std::string, std::string>& differing() {
    for (const auto& [name, original] : originals_) {
      if (!written_.count(name)) differing_.emplace(name, std::string());
    }
    return differing_;
  }
  bool exists(const std::string&) override { return false; }
  std::unique_ptr<InputSource> open_input(const std::string& name) override {
    throw FileError(name, "compiled files are only written here");
  }
  void remove(const std::string&) override {}
  void replace(const std::string& name, const std::function<void(OutputSink&)>& fill) override {
    const auto it = originals_.find(name);
    if (it == originals_.end()) throw FileError(name, "the compile writes a file the original files lack");
    written_.insert(name);
    ComparingSink sink(it->second);
    fill(sink);
    if (auto bytes = sink.finish()) differing_[name] = std::move(*bytes);
  }
  std::string path_of(const std::string& name) const override { return name; }

 private:
  std::map<std::string, Original> originals_;
  std::set<std::string> written_;
  std::map<std::string, std::string> differing_;
};

}  // namespace

std::string compile_through(const Descriptions& d, const std::string& route, const std::string& train, bool profile,
                            FileDoor& outputs, int& error_code) {
  MemoryFiles inputs;
  inputs.files[line_description_name(route)] = d.line;
  inputs.files[service_description_name(route, train)] = d.service;
  ScenarioModel model;
  model.RouteName = route;
  model.TrainCode = train;
  std::string failure;
  try {
    memorizza_percorso(model, profile ? 1 : 0, inputs, outputs);
  } catch (const FatalError& e) {
    failure = "compiling ends with Errore n. " + num(e.code());
  } catch (const std::exception& e) {
    failure = std::string("compiling fails: ") + e.what();
  }
  error_code = model.ErrorCode;
  return failure;
}

namespace {

// The profile written against the original, metre by metre where the
// header gives the route's length.
void compare_profile_file(const CompiledBytes& original, const std::string& written, DifferenceList& out) {
  const std::string name = profile_file_name(original.route);
  std::vector<Finding> ignored;
  const DecodedHeader h = decode_header(original.header, "", ignored);
  const auto length = h.route_length();
  const std::int32_t extended = length && *length >= 0 && *length <= kMaxRouteLength ? *length + kTrackBeyondRoute : 0;
  if (extended <= 0) return;
  if (original.open_profile) {
    compare_profile(name, read_whole(*original.open_profile()), written, extended, out);
  } else {
    compare_profile(name, original.profile, written, extended, out);
  }
}

}  // namespace

MemoryCompile compile_in_memory(const Descriptions& d, const std::string& route, const std::string& train,
                                bool profile) {
  MemoryCompile result;
  MemoryFiles outputs;
  result.failure = compile_through(d, route, train, profile, outputs, result.error_code);
  result.profile = std::move(outputs.files[profile_file_name(route)]);
  result.header = std::move(outputs.files[header_file_name(route, train)]);
  result.track = std::move(outputs.files[track_file_name(route, train)]);
  return result;
}

RoundTrip check_round_trip(const Descriptions& d, const CompiledBytes& original) {
  RoundTrip r;
  // One compile, compared as it is written: most decompilations are exact,
  // and are proved without a second copy of the files.
  const std::string header_name = header_file_name(original.route, original.train);
  const std::string track_name = track_file_name(original.route, original.train);
  const std::string profile_name = profile_file_name(original.route);
  std::map<std::string, Original> originals;
  originals.emplace(header_name, Original(original.header));
  originals.emplace(track_name, Original(original.track));
  if (original.has_profile) {
    if (original.open_profile)
      originals.emplace(profile_name, Original(original.open_profile));
    else
      originals.emplace(profile_name, Original(original.profile));
  }
  ComparingFiles outputs(std::move(originals));
  r.failure = compile_through(d, original.route, original.train, original.has_profile, outputs, r.error_code);
  if (!r.failure.empty()) return r;

  DifferenceList list(r);
  const std::map<std::string, std::string>& differing = outputs.differing();
  for (const std::string& name : {header_name, track_name, profile_name}) {
    const auto it = differing.find(name);
    if (it == differing.end()) continue;
    const std::string& bytes = it->second;
    const std::size_t before = r.total_differences;
    if (name == header_name) compare_header(name, original.header, bytes, list);
    if (name == track_name) compare_track(name, original.track, bytes, list);
    if (name == profile_name) compare_profile_file(original, bytes, list);
    // Bytes that differ are never called the same, even where no field
    // shows it.
    if (r.total_differences == before) list.add(name, "file", "bytes", "", "differ");
  }
  return r;
}

}  // namespace sb
