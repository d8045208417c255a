// `view`: writes one self-contained HTML page of a compiled scenario, a
// zoomable map of the plan over the profiles with one cursor for both. 0
// when the files are valid, 1 when the page was written but the files hold
// faults (listed in the page), 2 when no page could be written.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace sb {

int run_view(const std::vector<std::string>& paths, const std::string& html_path, std::ostream& err);

}  // namespace sb
