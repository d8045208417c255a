// A station entry: its header entry, its area along the track, the end
// marker at the area's end with approach marks before it, and the rules that
// keep stations apart and clear of the information-board entries.
#include <algorithm>
#include <limits>
#include <string>

#include "model/cell_kinds.h"
#include "model/error_codes.h"
#include "model/numeric.h"
#include "model/runtime_failure.h"
#include "reading/service_entries.h"

namespace sb {

namespace {

// Stations keep 350 m between one area's end and the next one's start.
constexpr std::int64_t kStationSpacing = 350;
// Kinds from 25 up are stored and counted but have no marks on the track.
constexpr int kFirstUnmarkedKind = 25;
// Entries above 80 hold the scenario's single values, never stations.
constexpr std::int32_t kFirstValueEntry = 81;

std::int32_t fit32(std::int64_t v) {
  if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max()) {
    throw RuntimeFailure("value " + std::to_string(v) + " does not fit a 32-bit integer");
  }
  return static_cast<std::int32_t>(v);
}

bool is_terminus_kind(int kind) { return kind == 5 || kind == 6; }
bool is_long_kind(int kind) { return kind == 7 || kind == 8; }

void read_station_values(FieldReader& fields, StationEntry& e) {
  e.flag1 = fit8(fields.read_int());
  e.flag2 = fit8(fields.read_int());
  e.flag3 = fit8(fields.read_int());
  e.set1a = fit16(fields.read_int());
  e.set1b = fit16(fields.read_int());
  e.set1c = fit8(fields.read_int());
  e.set2a = fit16(fields.read_int());
  e.set2b = fit16(fields.read_int());
  e.set2c = fit16(fields.read_int());
  e.extra = fit8(fields.read_int());
  const std::int64_t hours = fields.read_int();
  const std::int64_t minutes = fields.read_int();
  const std::int64_t seconds = fields.read_int();
  e.name = fields.read_text();
  e.timeOfDay = fit32((hours * 60 + minutes) * 60 + seconds);
}

// Kinds 5 and 6 end 150 m past the position, kinds 7 and 8 reach the length
// both ways; the rest are centred on the position, 50 m longer at the end
// when the third flag is set.
void lay_out_area(StationEntry& e, std::int64_t length) {
  const std::int64_t p = e.position;
  if (is_terminus_kind(e.kind)) {
    e.areaEnd = fit32(p + 150);
    e.areaStart = fit32(p - length);
    e.flag3 = 0;
  } else if (is_long_kind(e.kind)) {
    e.areaStart = fit32(p - length);
    e.areaEnd = fit32(p + length);
    e.flag3 = 0;
  } else {
    e.areaStart = fit32(p - length / 2);
    e.areaEnd = fit32(p + length / 2 + (e.flag3 != 0 ? 50 : 0));
  }
}

// The end marker stands on cell nearest(areaEnd / 50 - 1), the approach
// marks 80 + j on the j-th cell before it.
EntryOutcome mark_station(ServiceReading& r, const StationEntry& e) {
  ScenarioModel& model = r.model();
  if (e.kind >= kFirstUnmarkedKind) return EntryOutcome::Next;
  const double marker = e.areaEnd / 50.0 - 1.0;
  if (marker > 1.0 && nearest(marker) > model.track_upper()) {
    record_error(model, err::kStationBeyondTrack);
    return EntryOutcome::Stop;
  }
  if (!is_terminus_kind(e.kind)) {
    for (int j = 1; j <= 4; ++j) {
      const double t = marker - j;
      if (t > 1.0) model.cell(nearest(t)).approach = static_cast<std::uint8_t>(80 + j);
    }
  }
  if (marker <= 1.0) {
    record_error(model, err::kStationEndMarker);
    return EntryOutcome::Stop;
  }
  TrackCell& end = model.cell(nearest(marker));
  end.kind = cell_kind::kStationEnd;
  end.value1 = static_cast<std::int16_t>(r.stationSlot);
  return EntryOutcome::Next;
}

}  // namespace

EntryOutcome read_station(ServiceReading& r) {
  ScenarioModel& model = r.model();
  StationEntry& e = model.ScenarioHeader[static_cast<std::size_t>(r.stationSlot)];

  e.position = r.read_position();
  const SourcePlace position_place = model.diagnostics.place;
  if (!position_on_track(r, e.position, 800)) return EntryOutcome::Leave;
  if (r.stationSlot > 1 && e.position < model.ScenarioHeader[static_cast<std::size_t>(r.stationSlot - 1)].position) {
    record_warning(model,
                   "station at " + std::to_string(e.position) + " m stands after the station at " +
                       std::to_string(model.ScenarioHeader[static_cast<std::size_t>(r.stationSlot - 1)].position) +
                       " m; stations are read in order of position",
                   position_place);
  }
  if (e.position % 50 != 0) {
    record_error(model, err::kStationPosition);
    return EntryOutcome::Stop;
  }
  e.kind = fit8(r.fields.read_int());
  const std::int32_t length = r.fields.read_int();
  if (length % 100 != 0) {
    record_error(model, err::kStationLength, r.fields.place());
    return EntryOutcome::Stop;
  }
  read_station_values(r.fields, e);

  lay_out_area(e, length);
  if (length < 600) e.flag2 = 0;
  // After the area is laid out: the first station keeps its extra 50 m.
  if (r.stationSlot == 1) {
    e.flag3 = 0;
    e.flag2 = 0;
  }

  if (mark_station(r, e) == EntryOutcome::Stop) return EntryOutcome::Stop;

  if (r.stationSlot > 1 && std::int64_t{e.areaStart} - kStationSpacing <
                               model.ScenarioHeader[static_cast<std::size_t>(r.stationSlot - 1)].areaEnd) {
    record_error(model, err::kStationSpacing);
    return EntryOutcome::Stop;
  }

  // Stations fill the entries upward, board texts downward from 80; the
  // station that reaches the next free board entry is the last one.
  r.stationSlot += 1;
  if (r.stationSlot >= std::min(r.context.boardSlot, kFirstValueEntry)) {
    record_error(model, err::kStationTableFull, position_place);
    return EntryOutcome::Stop;
  }
  return EntryOutcome::Next;
}

}  // namespace sb
