#include "author/decompile_check.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <map>

#include "compile/track_completion.h"
#include "decode/compiled_reader.h"
#include "model/file_names.h"
#include "model/memory_files.h"

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
  template <typename T>
  void compare(const std::string& file, const std::string& where, const char* field, const T& a, const T& b) {
    if (!(a == b)) add(file, where, field, value_text(a), value_text(b));
  }

 private:
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
    const std::string where = "cell " + num(static_cast<std::int64_t>(i));
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
void compare_profile(const std::string& name, const std::string& a, const std::string& b, std::int32_t extended,
                     DifferenceList& out) {
  std::vector<Finding> ignored;
  const PlanTable pa = decode_profile(a, extended, name, ignored);
  const PlanTable pb = decode_profile(b, extended, name, ignored);
  for (int c = 0; c < 2; ++c) {
    const char* field = c == 0 ? "x" : "y";
    std::int32_t first = -1;
    auto flush = [&](std::int32_t m) {
      if (first < 0) return;
      const auto f = static_cast<std::size_t>(first);
      const std::string where = m - 1 > first ? "metres " + num(first) + " .. " + num(m - 1) : "metre " + num(first);
      out.add(name, where, field, point_text(pa.tags(c)[f], pa.column(c)[f]),
              point_text(pb.tags(c)[f], pb.column(c)[f]));
      first = -1;
    };
    for (std::int32_t m = 0; m <= extended; ++m) {
      const auto i = static_cast<std::size_t>(m);
      const bool differs = pa.tags(c)[i] != pb.tags(c)[i] || std::bit_cast<std::uint64_t>(pa.column(c)[i]) !=
                                                                 std::bit_cast<std::uint64_t>(pb.column(c)[i]);
      if (differs && first < 0) first = m;
      if (!differs) flush(m);
    }
    flush(extended + 1);
  }
  if (a.size() != b.size()) {
    out.add(name, "file", "size", num(static_cast<std::int64_t>(a.size())), num(static_cast<std::int64_t>(b.size())));
  }
}

// The original of a compiled file: bytes in memory, or a file read through
// a small buffer.
struct Original {
  const std::string* bytes = nullptr;
  std::function<std::unique_ptr<ByteStream>()> open;
};

// Compares what is written with an original read in order: a file is
// written front to back in one or two parts (the profile's x and y), each
// compared against a stream of its own, opened at the part's first offset.
class StreamComparison {
 public:
  explicit StreamComparison(std::function<std::unique_ptr<ByteStream>()> open) : open_(std::move(open)) {}
  void write(std::uint64_t offset, const char* data, std::size_t n) {
    size_ = std::max<std::uint64_t>(size_, offset + n);
    if (!same_) return;
    Part* part = nullptr;
    for (Part& p : parts_) {
      if (p.at == offset) part = &p;
    }
    if (part == nullptr) {
      parts_.push_back({open_(), 0});
      part = &parts_.back();
      if (!skip(*part, offset)) {
        same_ = false;
        return;
      }
    }
    unsigned char buf[1 << 14];
    while (n > 0 && same_) {
      const std::size_t k = std::min(n, sizeof buf);
      same_ = part->in->take(buf, k) && std::memcmp(buf, data, k) == 0;
      data += k;
      n -= k;
      part->at += k;
    }
  }
  // Everything matched, and the original ends where the writes ended.
  bool same() {
    if (!same_) return false;
    for (Part& p : parts_) {
      if (p.at == size_) return p.in->at_end();
    }
    auto in = open_();
    Part whole{std::move(in), 0};
    return skip(whole, size_) && whole.in->at_end();
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
  std::function<std::unique_ptr<ByteStream>()> open_;
  std::vector<Part> parts_;
  std::uint64_t size_ = 0;
  bool same_ = true;
};

// A door that compares what the compile writes with the original files
// instead of keeping it.
class ComparingFiles : public FileDoor {
 public:
  explicit ComparingFiles(std::map<std::string, Original> originals) : originals_(std::move(originals)) {}
  bool all_equal() const { return same_ && written_ == originals_.size(); }
  bool exists(const std::string&) override { return false; }
  std::unique_ptr<InputSource> open_input(const std::string& name) override {
    throw FileError(name, "compiled files are only written here");
  }
  void remove(const std::string&) override {}
  void replace(const std::string& name, const std::function<void(OutputSink&)>& fill) override {
    const auto it = originals_.find(name);
    if (it == originals_.end()) {
      same_ = false;
      return;
    }
    ++written_;
    const Original& o = it->second;
    auto open = o.open ? o.open : [bytes = o.bytes] {
      return std::unique_ptr<ByteStream>(std::make_unique<ViewStream>(*bytes));
    };
    Sink sink(std::move(open));
    fill(sink);
    same_ = same_ && sink.comparison.same();
  }
  std::string path_of(const std::string& name) const override { return name; }

 private:
  struct Sink : OutputSink {
    explicit Sink(std::function<std::unique_ptr<ByteStream>()> open) : comparison(std::move(open)) {}
    void write_at(std::uint64_t offset, const char* data, std::size_t n) override { comparison.write(offset, data, n); }
    StreamComparison comparison;
  };
  std::map<std::string, Original> originals_;
  std::size_t written_ = 0;
  bool same_ = true;
};

// The compile, only to learn whether it writes exactly the original bytes.
bool compiles_to(const Descriptions& d, const CompiledBytes& original, int& error_code) {
  MemoryFiles inputs;
  inputs.files[line_description_name(original.route)] = d.line;
  inputs.files[service_description_name(original.route, original.train)] = d.service;
  std::map<std::string, Original> files{{header_file_name(original.route, original.train), {&original.header, {}}},
                                        {track_file_name(original.route, original.train), {&original.track, {}}}};
  if (original.has_profile) files[profile_file_name(original.route)] = {&original.profile, original.open_profile};
  ComparingFiles outputs(std::move(files));
  ScenarioModel model;
  model.RouteName = original.route;
  model.TrainCode = original.train;
  try {
    memorizza_percorso(model, original.has_profile ? 1 : 0, inputs, outputs);
  } catch (const std::exception&) {
    return false;
  }
  error_code = model.ErrorCode;
  return outputs.all_equal();
}

}  // namespace

MemoryCompile compile_in_memory(const Descriptions& d, const std::string& route, const std::string& train,
                                bool profile) {
  MemoryCompile result;
  MemoryFiles inputs;
  inputs.files[line_description_name(route)] = d.line;
  inputs.files[service_description_name(route, train)] = d.service;
  MemoryFiles outputs;
  ScenarioModel model;
  model.RouteName = route;
  model.TrainCode = train;
  try {
    memorizza_percorso(model, profile ? 1 : 0, inputs, outputs);
  } catch (const FatalError& e) {
    result.failure = "compiling ends with Errore n. " + num(e.code());
  } catch (const std::exception& e) {
    result.failure = std::string("compiling fails: ") + e.what();
  }
  result.error_code = model.ErrorCode;
  result.profile = std::move(outputs.files[profile_file_name(route)]);
  result.header = std::move(outputs.files[header_file_name(route, train)]);
  result.track = std::move(outputs.files[track_file_name(route, train)]);
  return result;
}

RoundTrip check_round_trip(const Descriptions& d, const CompiledBytes& original) {
  RoundTrip r;
  // Most decompilations are exact: prove it without keeping a second copy.
  if (compiles_to(d, original, r.error_code)) return r;
  if (original.open_profile) {
    // Differences are listed from the whole files.
    CompiledBytes whole = original;
    whole.open_profile = {};
    auto in = original.open_profile();
    unsigned char buf[1 << 16];
    for (std::size_t k; (k = in->read_up_to(buf, sizeof buf)) != 0;)
      whole.profile.append(reinterpret_cast<char*>(buf), k);
    return check_round_trip(d, whole);
  }
  MemoryCompile again = compile_in_memory(d, original.route, original.train, original.has_profile);
  r.error_code = again.error_code;
  r.failure = again.failure;
  if (!r.failure.empty()) return r;
  DifferenceList list(r);
  if (again.header != original.header) {
    compare_header(header_file_name(original.route, original.train), original.header, again.header, list);
  }
  if (again.track != original.track) {
    compare_track(track_file_name(original.route, original.train), original.track, again.track, list);
  }
  if (original.has_profile && again.profile != original.profile) {
    std::vector<Finding> ignored;
    const DecodedHeader h = decode_header(original.header, "", ignored);
    const auto length = h.route_length();
    const std::int32_t extended =
        length && *length >= 0 && *length <= kMaxRouteLength ? *length + kTrackBeyondRoute : 0;
    if (extended > 0) {
      compare_profile(profile_file_name(original.route), original.profile, again.profile, extended, list);
    } else {
      list.add(profile_file_name(original.route), "file", "bytes", "", "differ");
    }
  }
  return r;
}

}  // namespace sb
