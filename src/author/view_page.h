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
nlohmann::ordered_json view_data(const CompiledScenario& s, const std::string& title);

// The page. `title` is UTF-8.
std::string view_page(const CompiledScenario& s, const std::string& title);

}  // namespace sb
