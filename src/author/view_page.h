// The viewer page of a compiled scenario: one self-contained HTML file with
// the page's script and style inline and the scenario as JSON data in it.
#pragma once

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "decode/compiled_reader.h"

namespace sb {

// What the page's script reads: the title, the decoded scenario (the same
// form `inspect --json` prints) and the plan at several resolutions, each
// level {"tolerance": metres, "pieces": [[metre, x, y, metre, x, y, ...]]}.
// Coordinates are rounded to the millimetre, except the first and last
// point of each piece, which are kept exactly.
nlohmann::ordered_json view_data(const CompiledScenario& s, const std::string& title);

// What view_data puts under "plan_levels".
nlohmann::ordered_json view_plan_levels(const CompiledScenario& s);

// The page. `title` is UTF-8.
std::string view_page(const CompiledScenario& s, const std::string& title);

// The page's data in two texts, for a caller that shows one compile after
// another: the scenario, {"title": ..., "scenario": ...}, changes with every
// compile; the plan's levels only with the profile. Both are JSON that is
// also safe inside a script element. `plan_figures` as for scenario_json.
std::string view_scenario_text(const CompiledScenario& s, const std::string& title,
                               const nlohmann::ordered_json* plan_figures = nullptr);
std::string view_levels_text(const nlohmann::ordered_json& plan_levels);

// The page of those two texts: the same bytes view_page gives.
std::string view_page_of(const std::string& title, std::string_view scenario_text, std::string_view levels_text);

}  // namespace sb
