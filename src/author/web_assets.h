// The viewer's page, script and style, embedded from web/ at build time.
#pragma once

#include <string_view>

namespace sb {

std::string_view view_template();  // web/view.html
std::string_view view_script();    // web/view.js
std::string_view view_style();     // web/view.css

}  // namespace sb
