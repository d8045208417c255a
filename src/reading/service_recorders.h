// The recorders that turn one signal entry and one slowdown entry of the
// service description into marks on the track. Each places its main marks
// only on free cells; on failure it records the error and returns false, and
// the caller stops reading.
#pragma once

#include <cstdint>

#include "model/scenario_model.h"

namespace sb {

// The eleven fields of a signal entry, in file order.
struct SignalEntry {
  std::int32_t posizione = 0;
  std::int32_t sx = 0;  // first group's code
  std::int32_t s1 = 0;
  std::int32_t s2 = 0;
  std::int32_t s3 = 0;
  std::int32_t rapp = 0;
  std::int32_t dx = 0;  // second group's code
  std::int32_t d1 = 0;
  std::int32_t d2 = 0;
  std::int32_t d3 = 0;
  std::int32_t tempo = 0;  // used only when sx is 2
};

// The six fields of a slowdown entry, in file order.
struct SlowdownEntry {
  std::int32_t x = 0;     // start, metres
  std::int32_t v = 0;     // speed, km/h
  std::int32_t l = 0;     // length, metres: the slowdown ends at x + l
  std::int32_t f_tt = 0;  // stored at the start and end points
  std::int32_t f_ta = 0;  // nonzero: countdown cells before the warning point
  std::int32_t d_v = 0;   // nonzero: stored at the warning, start and end too
};

// The caller has checked that the position is 0 or more and that
// (position + 100) / 50 is at most the track's upper index.
// Fails with 16 when the signal's cell is taken; writes nothing then.
bool memo_segnale(ScenarioModel& model, const SignalEntry& signal);

// The same precondition for x. Fails with 17, 18, 19 (warning, start, end
// cell taken) or 212 (end beyond the track) before writing anything, and with
// 20 (a countdown cell taken) after the warning, start and end marks.
bool memo_rallentamento(ScenarioModel& model, const SlowdownEntry& slowdown);

}  // namespace sb
