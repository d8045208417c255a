// The free region of the line description: gradients, curves (with the plan),
// mountain stretches, speed-limit boards and information boards, in any
// order. Every test runs on the same field, independently of the others.
#include <optional>

#include "model/cell_kinds.h"
#include "model/error_codes.h"
#include "model/numeric.h"
#include "reading/keyword_suggestions.h"
#include "reading/line_reading.h"
#include "reading/line_recorders.h"
#include "reading/plan.h"
#include "reading/text_match.h"

namespace sb {

namespace {

// A position that would place something off the track ends the free region
// (the reading finishes normally); a negative one is refused the same way.
std::optional<Step> position_refused(LineReading& r, std::int32_t p) {
  if (!on_track(r.model, p)) {
    record_error(r.model, err::kNotOnTrack);
    return Step::Leave;
  }
  if (p < 0) {
    record_error(r.model, err::kNegativeLinePosition);
    return Step::Leave;
  }
  return std::nullopt;
}

Step read_gradient(LineReading& r) {
  const std::int32_t p = r.read_reported_int();
  const std::int32_t g = r.read_int();
  if (auto refused = position_refused(r, p)) return *refused;
  if (p < r.lastGradientPosition) {
    record_warning(r.model,
                   "gradient at " + std::to_string(p) + " m stands after one at " +
                       std::to_string(r.lastGradientPosition) + " m; gradients are read in order of position",
                   r.model.diagnostics.place);
  }
  r.lastGradientPosition = p;
  const std::int32_t n = nearest(static_cast<double>(p) / 50.0);
  if (n > 0) fill_gradient(r, n);
  r.lastGradient = g;
  return Step::Continue;
}

Step plan_failure(LineReading& r, PlanRun run) {
  return r.stop_with(run == PlanRun::PastLimit ? err::kCurve : err::kPlanBeyondTable);
}

Step read_curve(LineReading& r, const std::string& field) {
  const std::int32_t s = r.read_reported_int();
  const std::int32_t l = r.read_int();
  if (auto refused = position_refused(r, s)) return *refused;
  if (s < r.planMetre - 1) {
    record_warning(r.model,
                   "curve at " + std::to_string(s) + " m starts before the plan's end at " +
                       std::to_string(r.planMetre - 1) + " m; curves are read in order of position",
                   r.model.diagnostics.place);
  }
  const std::optional<double> k = curve_curvature(field);
  if (!k) return r.stop_with(err::kCurve);
  TrackPlan& plan = r.model.ProfileTable;
  // A curve starting behind the plan's end adds only its remaining metres.
  PlanRun run = run_straight(plan, r.planMetre, s);
  if (run != PlanRun::Done) return plan_failure(r, run);
  run = run_curved(plan, r.planMetre, static_cast<std::int64_t>(s) + l, *k);
  if (run != PlanRun::Done) return plan_failure(r, run);
  return Step::Continue;
}

Step read_mountain(LineReading& r) {
  const std::int32_t inizio = r.read_reported_int();
  const std::int32_t fine = r.read_int();
  std::int32_t tipo = r.read_int();
  if (auto refused = position_refused(r, inizio)) return *refused;
  memo_montagna(r.model, inizio, fine, tipo);
  if (r.model.ErrorCode > 0) {
    r.close_and_delete();
    return Step::Stop;
  }
  return Step::Continue;
}

Step read_speed_boards(LineReading& r) {
  const std::int32_t posizione = r.read_reported_int();
  SpeedBoards b;
  b.vas = r.read_int();
  b.vbs = r.read_int();
  b.vcs = r.read_int();
  b.strisces = r.read_int();
  b.vad = r.read_int();
  b.vbd = r.read_int();
  b.vcd = r.read_int();
  b.strisced = r.read_int();
  if (auto refused = position_refused(r, posizione)) return *refused;
  memo_indicatori_v_max(r.model, posizione, b);
  if (r.model.ErrorCode > 0) {
    r.close_and_delete();
    return Step::Stop;
  }
  return Step::Continue;
}

Step read_information_board(LineReading& r) {
  const std::int32_t p = r.read_reported_int();
  const SourcePlace position = r.model.diagnostics.place;
  const std::string text = r.read_text();
  r.model.diagnostics.place = position;
  if (auto refused = position_refused(r, p)) return *refused;
  TrackCell& c = r.model.cell(cell_of_point(p));
  if (!c.is_free()) return r.stop_with(err::kBoardCellTaken);
  // Board texts fill entries 80 downward; entry 0 is never used.
  std::int32_t& slot = r.context.boardSlot;
  if (slot < 1) return r.stop_with(err::kBoardTableFull);
  c.kind = cell_kind::kInformationBoard;
  c.value1 = low16(slot);
  r.model.ScenarioHeader[static_cast<std::size_t>(slot)].name = text;
  --slot;
  return Step::Continue;
}

}  // namespace

Step examine_free_field(LineReading& r, const std::string& field) {
  const SourcePlace place = r.model.diagnostics.place;
  const std::string f = ascii_lower(field);
  const bool gradient = contains(f, "pendenza");
  // Curves only matter to the plan; without it they are passed over.
  const bool curve = contains(f, "curva") && r.model.ProfileWanted != 0;
  const bool mountain = contains(f, "montagna");
  const bool speed_boards = contains(f, "indicatori_v");
  const bool board = contains(f, "indicat") && contains(f, "cartello");
  Step step = Step::Continue;
  if (gradient) step = read_gradient(r);
  if (step == Step::Continue && curve) step = read_curve(r, field);
  if (step == Step::Continue && mountain) step = read_mountain(r);
  if (step == Step::Continue && speed_boards) step = read_speed_boards(r);
  if (step == Step::Continue && board) step = read_information_board(r);
  if (!(gradient || curve || mountain || speed_boards || board)) {
    note_passed_over(r.model, KeywordRegion::LineFree, field, place);
  }
  return step;
}

}  // namespace sb
