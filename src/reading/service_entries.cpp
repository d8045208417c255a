#include "reading/service_entries.h"

#include <algorithm>
#include <cstdint>

#include "model/cell_kinds.h"
#include "model/error_codes.h"
#include "model/numeric.h"
#include "reading/service_recorders.h"

namespace sb {

namespace {

// Entry 84 holds the train's values, entry 86 the sand and the start clock.
constexpr int kTrainEntry = 84;
constexpr int kClockEntry = 86;

}  // namespace

std::int32_t ServiceReading::read_position() {
  const std::int32_t p = fields.read_int();
  model().diagnostics.place = fields.place();
  return p;
}

void check_order(ServiceReading& r, const char* what, std::int64_t p, std::int64_t& previous) {
  if (p < previous) {
    record_warning(r.model(),
                   std::string(what) + " at " + std::to_string(p) + " m stands after one at " +
                       std::to_string(previous) + " m; entries are read in order of position",
                   r.model().diagnostics.place);
  }
  previous = p;
}

bool position_on_track(ServiceReading& r, std::int64_t p, std::int32_t slack) {
  ScenarioModel& model = r.model();
  if (p < 0) {
    record_error(model, err::kNegativeServicePosition);
    return false;
  }
  if ((static_cast<double>(p) + slack) / 50.0 > static_cast<double>(model.track_upper())) {
    record_error(model, err::kNotOnTrack);
    return false;
  }
  return true;
}

void fill_profile(ScenarioModel& model, std::int32_t& next, std::int32_t until, std::int32_t last,
                  std::uint8_t TrackCell::*field, std::uint8_t value) {
  if (next > last) return;
  // The cells written run from `next` to `end`. A run inside the track is
  // checked once, not cell by cell: the tail of a route of 1,000,000 m is
  // 20,000 cells.
  const std::int64_t end = std::min<std::int64_t>(last, std::max<std::int64_t>(next, std::int64_t{until} - 1));
  if (next >= 0 && model.track_allocated() && end < static_cast<std::int64_t>(model.TrackArray.size())) {
    for (std::int64_t i = next; i <= end; ++i) model.TrackArray[static_cast<std::size_t>(i)].*field = value;
    next = static_cast<std::int32_t>(end + 1);
    return;
  }
  // Else the cells inside are written and the first one outside fails
  // (before `until` and `last`, which lie beyond it).
  do {
    model.cell(next).*field = value;
    ++next;
  } while (next < until);
}

EntryOutcome read_braked_mass(ServiceReading& r) {
  r.model().ScenarioHeader[kTrainEntry].areaStart = r.fields.read_int();
  return EntryOutcome::Next;
}

EntryOutcome read_cars(ServiceReading& r) {
  r.model().ScenarioHeader[kTrainEntry].position = r.fields.read_int();
  return EntryOutcome::Next;
}

EntryOutcome read_clock(ServiceReading& r) {
  StationEntry& e = r.model().ScenarioHeader[kClockEntry];
  e.set2a = fit16(r.fields.read_int());
  e.set2b = fit16(r.fields.read_int());
  e.set2c = fit16(r.fields.read_int());
  return EntryOutcome::Next;
}

EntryOutcome read_sand(ServiceReading& r) {
  r.model().ScenarioHeader[kClockEntry].set1a = fit16(r.fields.read_int());
  return EntryOutcome::Next;
}

// A speed limit holds from its position up to the next entry's; each entry
// writes the previous entry's limit up to its own cell.
EntryOutcome read_speed_limit(ServiceReading& r) {
  const std::int32_t p = r.read_position();
  const std::int32_t speed = r.fields.read_int();
  if (!position_on_track(r, p, 100)) return EntryOutcome::Leave;
  check_order(r, "speed limit", p, r.lastSpeedPosition);
  const std::int32_t k = nearest(p / 50.0);
  ScenarioModel& model = r.model();
  const std::int32_t last = model.track_upper() - 1;
  if (k > 0 && r.speedCell <= last) {
    // Stored in steps of 5 km/h; a limit a byte cannot hold (above 1277 km/h
    // or below 0) is a run-time failure.
    const std::uint8_t steps = fit8(nearest(r.lastSpeed / 5.0));
    fill_profile(model, r.speedCell, k, last, &TrackCell::speedLimit, steps);
  }
  r.lastSpeed = speed;
  return EntryOutcome::Next;
}

// Adhesion entries work like speed-limit entries; of the value only the low
// 8 bits are kept. Entries out of order move the counter one cell each; it
// stops at the last cell as the speed-limit counter does.
EntryOutcome read_adhesion(ServiceReading& r) {
  const std::int32_t p = r.read_position();
  const std::int32_t value = r.fields.read_int();
  if (!position_on_track(r, p, 100)) return EntryOutcome::Leave;
  check_order(r, "adhesion", p, r.lastAdhesionPosition);
  const std::int32_t k = nearest(p / 50.0);
  if (k > 0) {
    ScenarioModel& model = r.model();
    fill_profile(model, r.adhesionCell, k, model.track_upper() - 1, &TrackCell::adhesion, low8(r.lastAdhesion));
  }
  r.lastAdhesion = value;
  return EntryOutcome::Next;
}

EntryOutcome read_signal(ServiceReading& r) {
  SignalEntry s;
  s.posizione = r.read_position();
  for (std::int32_t* field : {&s.sx, &s.s1, &s.s2, &s.s3, &s.rapp, &s.dx, &s.d1, &s.d2, &s.d3, &s.tempo}) {
    *field = r.fields.read_int();
  }
  if (!position_on_track(r, s.posizione, 100)) return EntryOutcome::Leave;
  return memo_segnale(r.model(), s) ? EntryOutcome::Next : EntryOutcome::Stop;
}

EntryOutcome read_slowdown(ServiceReading& r) {
  SlowdownEntry s;
  s.x = r.read_position();
  for (std::int32_t* field : {&s.v, &s.l, &s.f_tt, &s.f_ta, &s.d_v}) *field = r.fields.read_int();
  if (!position_on_track(r, s.x, 100)) return EntryOutcome::Leave;
  return memo_rallentamento(r.model(), s) ? EntryOutcome::Next : EntryOutcome::Stop;
}

// A marker at the position's own cell, nearest(p / 50), not one further on
// as for signals.
EntryOutcome read_abbattimento(ServiceReading& r) {
  const std::int32_t p = r.read_position();
  const std::int32_t value = r.fields.read_int();
  if (!position_on_track(r, p, 100)) return EntryOutcome::Leave;
  ScenarioModel& model = r.model();
  TrackCell& cell = model.cell(nearest(p / 50.0));
  if (!cell.is_free()) {
    record_error(model, err::kAbbattimentoCellTaken);
    return EntryOutcome::Stop;
  }
  if (value > 0) {
    cell.kind = cell_kind::kMarker;
    cell.value1 = low16(value);
  } else {
    cell.kind = cell_kind::kMarkerWithoutValue;
  }
  return EntryOutcome::Next;
}

}  // namespace sb
