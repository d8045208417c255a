#include "reading/line_recorders.h"

#include <array>
#include <limits>

#include "model/cell_kinds.h"
#include "model/error_codes.h"
#include "model/numeric.h"
#include "model/runtime_failure.h"

namespace sb {

namespace {

struct Triple {
  std::int32_t position = 0;
  std::int32_t value = 0;
  std::int32_t flag = 0;
};

Triple triple_of(const StationEntry& e) { return {e.areaStart, e.areaEnd, e.position}; }

void store_triple(StationEntry& e, const Triple& t) {
  e.areaStart = t.position;
  e.areaEnd = t.value;
  e.position = t.flag;
}

// First, second, third for entries 81, 82, 83; all zero when nothing decides.
std::array<Triple, 3> marker_order(const Triple& t3, const Triple& t2, const Triple& t1) {
  std::array<Triple, 3> out{};
  const std::int64_t sum = static_cast<std::int64_t>(t1.position) + t2.position + t3.position;
  if (sum == 0) {
    // With no positions the values decide; a later test overrides an earlier one.
    if (t3.value > 0) out = {t3, t2, t1};
    if (t2.value > 0) out = {t2, t3, t1};
    if (t1.value > 0) out = {t1, t2, t3};
    return out;
  }
  const auto p3 = t3.position, p2 = t2.position, p1 = t1.position;
  // A shared largest position satisfies none of these: everything stays zero.
  if (p3 > p2 && p3 > p1) out = p2 > p1 ? std::array{t3, t2, t1} : std::array{t3, t1, t2};
  if (p2 > p3 && p2 > p1) out = p3 > p1 ? std::array{t2, t3, t1} : std::array{t2, t1, t3};
  if (p1 > p3 && p1 > p2) out = p3 > p2 ? std::array{t1, t3, t2} : std::array{t1, t2, t3};
  return out;
}

// A product of 32-bit integers, as the stored values are computed; one that
// leaves 32 bits is a run-time failure of the reading, not a wrapped value.
std::int32_t product32(std::int32_t a, std::int32_t b) {
  const std::int64_t p = static_cast<std::int64_t>(a) * b;
  if (p < std::numeric_limits<std::int32_t>::min() || p > std::numeric_limits<std::int32_t>::max()) {
    throw RuntimeFailure("speed " + std::to_string(a) + " km/h is too large");
  }
  return static_cast<std::int32_t>(p);
}

// Two sides packed into one value: second side / 5 + first side × 20.
std::int16_t packed_speed(std::int32_t first_side, std::int32_t second_side) {
  return nearest16(static_cast<double>(second_side) / 5.0 + static_cast<double>(product32(first_side, 20)));
}

}  // namespace

void progressive_ordina(ScenarioModel& model) {
  auto& h = model.ScenarioHeader;
  const auto order = marker_order(triple_of(h[81]), triple_of(h[82]), triple_of(h[83]));
  for (int i = 0; i < 3; ++i) store_triple(h[81 + i], order[static_cast<std::size_t>(i)]);
  for (int i = 81; i <= 83; ++i) {
    if (h[i].position != 1) continue;
    // The raised value is stored in 32 bits like the one read; one that
    // leaves them is a run-time failure of the reading, not a wrapped value.
    if (h[i].areaEnd > std::numeric_limits<std::int32_t>::max() - 100) {
      throw RuntimeFailure("kilometre marker value " + std::to_string(h[i].areaEnd) + " is too large to add 100 to");
    }
    h[i].areaEnd += 100;
  }
}

void memo_montagna(ScenarioModel& model, std::int32_t inizio, std::int32_t fine, std::int32_t& tipo) {
  const std::int32_t first = nearest(static_cast<double>(inizio) / 50.0);
  const std::int32_t last = nearest(static_cast<double>(fine) / 50.0 - 1.0);
  // Refuse before anything is remembered, so a refused stretch leaves no trace.
  if (model.MountainCount >= kMountainSlots - 1) {
    record_error(model, err::kMountainTableFull);
    return;
  }
  if (last >= first && last > model.track_upper()) {
    record_error(model, err::kMountainBeyondTrack);
    return;
  }

  bool tunnel = false;
  if (tipo > 10) {
    tipo -= 10;
    tunnel = true;
  }
  const auto n = static_cast<std::size_t>(++model.MountainCount);
  model.MountainStart[n] = inizio;
  model.MountainEnd[n] = fine;
  // A stretch starting 150 m or less after the previous one ends is type 3.
  if (n > 1 && static_cast<std::int64_t>(model.MountainStart[n]) - model.MountainEnd[n - 1] <= 150) tipo = 3;

  int count = 0;
  for (std::int32_t i = first; i <= last; ++i) {
    TrackCell& c = model.cell(i);
    ++count;
    c.scenery = low8(tipo);
    // Tunnel marks every 200 m, only where nothing stands.
    if (tunnel && count % 4 == 0 && c.kind == cell_kind::kNothing) c.kind = cell_kind::kTunnelMark;
  }
}

void memo_indicatori_v_max(ScenarioModel& model, std::int32_t posizione, const SpeedBoards& b) {
  TrackCell& c = model.cell(cell_of_point(posizione));
  if (!c.is_free()) {
    record_error(model, err::kSpeedBoardCellTaken);
    return;
  }
  // Computed in full before the cell changes, so a failure leaves it as it was.
  const std::int16_t v1 = packed_speed(b.vas, b.vad);
  const std::int16_t v2 = packed_speed(b.vbs, b.vbd);
  const std::int16_t v3 = packed_speed(b.vcs, b.vcd);
  const std::int16_t v4 = low16(static_cast<std::int64_t>(b.strisces) * 10 + b.strisced);
  c.kind = cell_kind::kSpeedBoards;
  c.value1 = v1;
  c.value2 = v2;
  c.value3 = v3;
  c.value4 = v4;
}

}  // namespace sb
