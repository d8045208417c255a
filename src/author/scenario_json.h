// One decoded form of a compiled scenario as JSON: the scenario values, the
// stations and board texts, every occupied cell with its kind named and its
// values decoded, the profiles as runs, the plan's figures, the findings.
// `inspect --json` prints it and the viewer page carries it, so the two
// never disagree about what a cell means. Text is UTF-8.
#pragma once

#include <nlohmann/json.hpp>

#include "decode/compiled_reader.h"

namespace sb {

// How many keys scenario_json gives at most (those listed below).
inline constexpr std::size_t kScenarioMembers = 11;

// Keys in this order: valid, values, stations, boards, cell_count,
// track_marks, cells, profiles, plan, findings, notes; a part whose file
// is missing (or too short to read) is left out. `plan_figures`, when
// given, stands for the plan's figures: a caller that decoded the same
// profile before keeps them and leaves `s.plan` empty.
nlohmann::ordered_json scenario_json(const CompiledScenario& s, const nlohmann::ordered_json* plan_figures = nullptr);

// What scenario_json puts under "plan".
nlohmann::ordered_json plan_figures_json(const PlanTable& plan);

// "speed limit" -> "speed_limit": labels as JSON keys.
std::string json_key(std::string label);

}  // namespace sb
