#include "compile/compiled_files.h"

#include <algorithm>
#include <bit>

#include "model/file_names.h"

namespace sb {

namespace {

constexpr auto kFloat = static_cast<std::uint16_t>(ValueTag::Float64);
constexpr auto kInt = static_cast<std::uint16_t>(ValueTag::Int16);

std::uint64_t value_bytes(ValueTag tag) { return 2 + (tag == ValueTag::Int16 ? 2 : tag == ValueTag::Float64 ? 8 : 0); }

// Bytes of one coordinate's part of the profile file: where the y part starts.
std::uint64_t part_bytes(const TrackPlan& plan) {
  const std::int32_t last = plan.last_metre();
  std::uint64_t bytes = 0;
  for (std::int32_t m = 0; m <= last && m < 2; ++m) bytes += value_bytes(plan.tag(m));
  const std::int64_t computed = std::max(plan.next_metre() - 2, 0);
  const std::int64_t empty = last - 1 - computed;
  return bytes + 10 * static_cast<std::uint64_t>(computed) +
         2 * static_cast<std::uint64_t>(std::max<std::int64_t>(empty, 0));
}

void write_value(ByteWriter& out, const TaggedValue& v) {
  if (v.tag == ValueTag::Int16) {
    char* at = out.claim(4);
    ByteWriter::put(at, kInt);
    ByteWriter::put(at + 2, static_cast<std::uint16_t>(static_cast<std::int16_t>(v.value)));
  } else {
    out.u16(static_cast<std::uint16_t>(v.tag));
  }
}

// A block of float records in one go, through a pointer of its own.
void write_floats(ByteWriter& out, const double* values, std::size_t n) {
  char* at = out.room(10 * n);
  for (std::size_t i = 0; i < n; ++i, at += 10) {
    ByteWriter::put(at, kFloat);
    ByteWriter::put(at + 2, std::bit_cast<std::uint64_t>(values[i]));
  }
  out.commit(at);
}

// A writer's buffer: the whole file when it is small, so a short file costs
// no large allocation; else blocks of 64 kB. Larger blocks are no faster to
// write, and each is fresh memory from the system (the allocator maps blocks
// above 128 kB one by one), whose first touch costs a page fault a page.
std::size_t buffer_for(std::uint64_t file_bytes) {
  constexpr std::uint64_t kLargeBlock = 1 << 16;
  return static_cast<std::size_t>(std::clamp<std::uint64_t>(file_bytes, 64, kLargeBlock));
}

void replace_with(FileDoor& files, const std::string& name, std::uint64_t bytes,
                  const std::function<void(ByteWriter&)>& body) {
  files.replace(name, [&](OutputSink& sink) {
    ByteWriter out(sink, 0, buffer_for(bytes));
    body(out);
    out.flush();
  });
}

}  // namespace

void write_profile(OutputSink& sink, const TrackPlan& plan) {
  // The plan is most of what a run writes. Its points are computed here, in
  // one pass, as they are written: x goes to the x part at the start of the
  // file, y to the y part at its known offset, and no table of points is
  // ever kept.
  if (!plan.allocated()) return;  // no plan, an empty file
  const std::uint64_t part = part_bytes(plan);
  sink.size_hint(2 * part);
  ByteWriter xs(sink, 0, buffer_for(part));
  ByteWriter ys(sink, part, buffer_for(part));
  const std::int32_t last = plan.last_metre();
  for (std::int32_t m = 0; m <= last && m < 2; ++m) {
    write_value(xs, plan.get(m, 0));
    write_value(ys, plan.get(m, 1));
  }
  plan.integrate_in_blocks([&xs, &ys](const double* x, const double* y, std::size_t n) {
    write_floats(xs, x, n);
    write_floats(ys, y, n);
  });
  for (std::int32_t m = std::max(plan.next_metre(), 2); m <= last; ++m) {
    xs.u16(static_cast<std::uint16_t>(ValueTag::Empty));
    ys.u16(static_cast<std::uint16_t>(ValueTag::Empty));
  }
  xs.flush();
  ys.flush();
}

void write_header_record(ByteWriter& out, const StationEntry& e) {
  out.u8(e.kind);
  out.i32(e.areaStart);
  out.i32(e.areaEnd);
  out.i32(e.position);
  out.u8(e.flag1);
  out.text(e.name);
  out.i16(e.set1a);
  out.i16(e.set1b);
  out.i16(e.set2a);
  out.i16(e.set2b);
  out.i16(e.set2c);
  out.u8(e.set1c);
  out.u8(e.extra);
  out.u8(e.flag3);
  out.u8(e.flag2);
  out.i32(e.timeOfDay);
}

void write_header(ByteWriter& out, const ScenarioModel& model) {
  for (const StationEntry& e : model.ScenarioHeader) write_header_record(out, e);
}

void write_track_cell(ByteWriter& out, const TrackCell& c) {
  char* at = out.claim(15);
  at[0] = static_cast<char>(c.kind);
  ByteWriter::put(at + 1, static_cast<std::uint16_t>(c.value1));
  ByteWriter::put(at + 3, static_cast<std::uint16_t>(c.value2));
  ByteWriter::put(at + 5, static_cast<std::uint16_t>(c.value3));
  ByteWriter::put(at + 7, static_cast<std::uint16_t>(c.value4));
  at[9] = static_cast<char>(c.signalTime);
  at[10] = static_cast<char>(c.approach);
  at[11] = static_cast<char>(c.scenery);
  at[12] = static_cast<char>(c.speedLimit);
  at[13] = static_cast<char>(c.gradient);
  at[14] = static_cast<char>(c.adhesion);
}

void write_track(ByteWriter& out, const ScenarioModel& model) {
  for (const TrackCell& c : model.TrackArray) write_track_cell(out, c);
}

void write_compiled_files(const ScenarioModel& model, FileDoor& files) {
  if (model.ProfileWanted != 0) {
    files.replace(profile_file_name(model.RouteName),
                  [&](OutputSink& sink) { write_profile(sink, model.ProfileTable); });
  }
  // The header's size depends on its names only; 4 kB hold a usual one.
  replace_with(files, header_file_name(model.RouteName, model.TrainCode), 4096,
               [&](ByteWriter& out) { write_header(out, model); });
  replace_with(files, track_file_name(model.RouteName, model.TrainCode), 15 * model.TrackArray.size(),
               [&](ByteWriter& out) { write_track(out, model); });
}

}  // namespace sb
