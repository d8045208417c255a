// The viewer's page, script and style, embedded from web/ at build time.
#pragma once

#include <string_view>

namespace sb {

std::string_view view_template();  // web/view.html
std::string_view view_script();    // web/view.js
std::string_view view_style();     // web/view.css
// The live page of `watch --serve`, which shows the viewer page in a frame.
std::string_view live_template();  // web/live.html
std::string_view live_script();    // web/live.js
std::string_view live_style();     // web/live.css

}  // namespace sb
