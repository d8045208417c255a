// The three compiled files, serialised field by field, little-endian,
// without padding: profile (the plan), header (87 records), track (15 bytes
// a cell).
#pragma once

#include "model/byte_writer.h"
#include "model/file_door.h"
#include "model/scenario_model.h"

namespace sb {

// The x part, then the y part; the two are filled side by side.
void write_profile(OutputSink& sink, const TrackPlan& plan);
void write_header_record(ByteWriter& out, const StationEntry& entry);
void write_header(ByteWriter& out, const ScenarioModel& model);
void write_track_cell(ByteWriter& out, const TrackCell& cell);
void write_track(ByteWriter& out, const ScenarioModel& model);

// Replaces the profile file (only when ProfileWanted is nonzero), then the
// header file, then the track file.
void write_compiled_files(const ScenarioModel& model, FileDoor& files);

}  // namespace sb
