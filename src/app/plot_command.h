// `plot`: draws a compiled scenario as one self-contained SVG file: the plan
// of the track above, the along-track profiles below.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace sb {

// 0 when the picture is written from valid files; 1 when it is written but
// the files hold faults (`inspect` lists them); 2 when nothing is written.
int run_plot(const std::vector<std::string>& paths, const std::string& svg_path, std::ostream& err);

}  // namespace sb
