// The viewer page of a compiled scenario: one self-contained HTML file with
// the page's script and style inline and the scenario as JSON data in it.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "decode/compiled_reader.h"

namespace sb {

// What the page's script reads: the title, the decoded scenario (the same
// form `inspect --json` prints) and the plan at several resolutions, each
// level {"tolerance": metres, "pieces": [[metre, x, y, metre, x, y, ...]]}.
// Coordinates are rounded to the millimetre, except the first and last
// point of each piece, which are kept exactly.
// `plan_levels`, when given, stands for the levels of the plan (they depend
// on the plan alone, and take most of the time: a caller that shows one
// compile after another keeps them while the plan stays the same).
nlohmann::ordered_json view_data(const CompiledScenario& s, const std::string& title,
                                 const nlohmann::ordered_json* plan_levels = nullptr);

// What view_data puts under "plan_levels".
nlohmann::ordered_json view_plan_levels(const CompiledScenario& s);

// The page. `title` is UTF-8.
std::string view_page(const CompiledScenario& s, const std::string& title,
                      const nlohmann::ordered_json* plan_levels = nullptr);

}  // namespace sb
