#include "compile/compiled_files.h"

#include "model/file_names.h"

namespace sb {

namespace {

void write_coordinate(ByteWriter& out, const PlanTable& profile, int coordinate) {
  const auto& tags = profile.tags(coordinate);
  const auto& values = profile.column(coordinate);
  for (std::size_t m = 0; m < tags.size(); ++m) {
    out.u16(static_cast<std::uint16_t>(tags[m]));
    if (tags[m] == ValueTag::Int16) {
      out.i16(static_cast<std::int16_t>(values[m]));
    } else if (tags[m] == ValueTag::Float64) {
      out.f64(values[m]);
    }
  }
}

void replace_with(FileDoor& files, const std::string& name, const std::function<void(ByteWriter&)>& body) {
  files.replace(name, [&](OutputSink& sink) {
    ByteWriter out(sink);
    body(out);
    out.flush();
  });
}

}  // namespace

void write_profile(ByteWriter& out, const PlanTable& profile) {
  write_coordinate(out, profile, 0);
  write_coordinate(out, profile, 1);
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
  out.u8(c.kind);
  out.i16(c.value1);
  out.i16(c.value2);
  out.i16(c.value3);
  out.i16(c.value4);
  out.u8(c.signalTime);
  out.u8(c.approach);
  out.u8(c.scenery);
  out.u8(c.speedLimit);
  out.u8(c.gradient);
  out.u8(c.adhesion);
}

void write_track(ByteWriter& out, const ScenarioModel& model) {
  for (const TrackCell& c : model.TrackArray) write_track_cell(out, c);
}

void write_compiled_files(const ScenarioModel& model, FileDoor& files) {
  if (model.ProfileWanted != 0) {
    replace_with(files, profile_file_name(model.RouteName), [&](ByteWriter& out) { write_profile(out, model.ProfileTable); });
  }
  replace_with(files, header_file_name(model.RouteName, model.TrainCode),
               [&](ByteWriter& out) { write_header(out, model); });
  replace_with(files, track_file_name(model.RouteName, model.TrainCode),
               [&](ByteWriter& out) { write_track(out, model); });
}

}  // namespace sb
