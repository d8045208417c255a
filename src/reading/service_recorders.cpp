#include "reading/service_recorders.h"

#include <algorithm>

#include "model/cell_kinds.h"
#include "model/error_codes.h"
#include "model/numeric.h"

namespace sb {

namespace {

// Signals and slowdowns with a warning point have one from 1200 m before
// their start; no warning point stands before 1550 m.
constexpr std::int32_t kWarningDistance = 1200;
constexpr std::int32_t kLastStartWithoutWarning = 1500;

// Cell of a position given as a real number of cells: nearest(q / 50 + offset).
std::int32_t cell_at(std::int64_t position, double offset) {
  return nearest(static_cast<double>(position) / 50.0 + offset);
}

}  // namespace

bool memo_segnale(ScenarioModel& model, const SignalEntry& s) {
  const std::int32_t i = cell_of_point(s.posizione);
  TrackCell& cell = model.cell(i);
  if (!cell.is_free()) {
    record_error(model, err::kSignalCellTaken);
    return false;
  }
  cell.kind = cell_kind::kSignal;
  cell.value4 = low16(std::int64_t{s.rapp} * 10 + std::int64_t{s.sx} * 3 + s.dx);
  cell.value1 = low16(std::int64_t{s.s1} * 10 + s.d1);
  cell.value2 = low16(std::int64_t{s.s2} * 10 + s.d2);
  cell.value3 = low16(std::int64_t{s.s3} * 10 + s.d3);

  // A time of 1 to 100 is raised to 101.
  const std::int32_t tempo = (s.tempo >= 1 && s.tempo <= 100) ? 101 : s.tempo;
  cell.signalTime = s.sx == 2 ? low8(tempo) : 0;

  // Approach marks 100, 200, 300 and 400 m before the signal, whatever those
  // cells hold; a signal near the track's start has fewer of them.
  const std::int64_t code = std::int64_t{low8(s.sx)} * 3 + low8(s.dx);
  for (int k = 1; k <= 4; ++k) {
    const std::int32_t before = i - 2 * k;
    if (before < 0) break;
    model.cell(before).approach = low8(code * 10 + k);
  }
  return true;
}

bool memo_rallentamento(ScenarioModel& model, const SlowdownEntry& r) {
  const bool has_warning = r.x > kLastStartWithoutWarning;
  const bool has_countdown = has_warning && r.f_ta != 0;
  const std::int32_t start = cell_at(r.x, 1.0);
  const std::int32_t warning = cell_at(std::int64_t{r.x} - kWarningDistance, 1.0);
  // The countdown runs on cells base, base - 1, base - 2, base - 3.
  const std::int32_t base = cell_at(std::int64_t{r.x} - kWarningDistance, 0.0);

  // The end, x + l, may lie anywhere; such a slowdown is refused before any
  // mark is made, as is one whose warning or countdown would leave the track.
  const double end_cells = (static_cast<double>(r.x) + static_cast<double>(r.l)) / 50.0 + 1.0;
  const std::int32_t upper = model.track_upper();
  if (end_cells < -1.0 || end_cells > static_cast<double>(upper) + 1.0) {
    record_error(model, err::kSlowdownBeyondTrack);
    return false;
  }
  const std::int32_t end = nearest(end_cells);
  const std::int32_t lowest = std::min({start, end, has_warning ? warning : start, has_countdown ? base - 3 : start});
  if (lowest < 0 || std::max(start, end) > upper) {
    record_error(model, err::kSlowdownBeyondTrack);
    return false;
  }

  if (has_warning && !model.cell(warning).is_free()) {
    record_error(model, err::kWarningCellTaken);
    return false;
  }
  if (!model.cell(start).is_free()) {
    record_error(model, err::kStartCellTaken);
    return false;
  }
  if (!model.cell(end).is_free()) {
    record_error(model, err::kEndCellTaken);
    return false;
  }

  // The order of these writes decides the result when cells coincide: with
  // l = 0 the start and end are one cell, which ends as a start mark.
  model.cell(end).kind = cell_kind::kSlowdownEnd;
  if (r.d_v != 0) model.cell(end).value2 = low16(r.d_v);
  model.cell(start).kind = cell_kind::kSlowdownStart;
  if (r.d_v != 0) model.cell(start).value2 = low16(r.d_v);
  if (has_warning) {
    TrackCell& w = model.cell(warning);
    w.kind = cell_kind::kWarningPoint;
    if (r.d_v != 0) w.value2 = low16(r.d_v);
    w.value1 = low16(r.v);
  }
  model.cell(start).value1 = low16(r.v);
  model.cell(end).value1 = low16(r.v);
  model.cell(start).value3 = low16(r.f_tt);
  model.cell(end).value3 = low16(r.f_tt);

  if (!has_countdown) return true;
  for (int n = 0; n < 4; ++n) {
    if (!model.cell(base - n).is_free()) {
      record_error(model, err::kCountdownCellTaken);
      return false;  // the marks above stay
    }
  }
  for (int n = 0; n < 4; ++n) {
    TrackCell& c = model.cell(base - n);
    c.kind = cell_kind::kCountdown;
    c.value1 = static_cast<std::int16_t>(n + 1);
    if (r.d_v != 0) c.value2 = static_cast<std::int16_t>(n + 1);
  }
  return true;
}

}  // namespace sb
